#pragma once
// A metadata provider for the metadata tests: it answers queries with
// in-memory datasets whose columns the test sets per SQL text, records what
// it was asked, and fails queries that hold "broken".
#include "AstTestSupport.h"
#include "sqlmodel/metadata/MetadataContainer.h"
#include "sqlmodel/providers/MetadataProvider.h"

#include <QMap>
#include <QStringList>

namespace nvqb::test {

// The test dialect, except that no text holding "!" parses, quoted or not.
class TStrictTestProvider : public TTestSyntaxProvider {
public:
    using TTestSyntaxProvider::TTestSyntaxProvider;
    TOwned<TastTokenIdentifier> ParseIdentifier(const QString &text) const override
    {
        return text.contains(u'!') ? nullptr : TTestSyntaxProvider::ParseIdentifier(text);
    }
    TOwned<TSQLQualifiedName> ParseQualifiedName(const QString &text) const override
    {
        return text.contains(u'!') ? nullptr : TTestSyntaxProvider::ParseQualifiedName(text);
    }
};

class TTestMetadataProvider : public TnvBaseMetadataProvider {
    NV_DECLARE_COMPONENT_CLASS(TTestMetadataProvider)
public:
    explicit TTestMetadataProvider(TComponent *owner = nullptr) : TnvBaseMetadataProvider(owner) {}

    // The columns a query returns, by SQL text; other queries return none.
    QMap<QString, QList<TFieldDef>> Columns;
    QStringList Log;
    bool CanExec = true;
    bool GetCanExecSQL() const override { return CanExec; }
    // Every query fails, as when the connection is lost.
    bool Broken = false;
    // The dataset of every query fails to describe its columns.
    bool UnreadableColumns = false;

protected:
    TOwned<TDataSet> PrepareSQLDatasetInternal(const QString &sql) override;
};

// A container bound to the dialect and (when given) the provider.
TOwned<TnvMetadataContainer> MakeContainer(TnvBaseSyntaxProvider *p, TnvBaseMetadataProvider *mp = nullptr);

// Names from dotted text, each part unflagged.
TOwned<TSQLQualifiedName> QName(TnvBaseSyntaxProvider *p, const QString &text);
TOwned<TastTokenIdentifier> Ident(TnvBaseSyntaxProvider *p, const QString &text, bool caseSensitive = false);

} // namespace nvqb::test
