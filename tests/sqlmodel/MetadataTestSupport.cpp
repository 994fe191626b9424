#include "MetadataTestSupport.h"
#include "classlib/MemoryDataset.h"

namespace nvqb::test {

NV_IMPLEMENT_COMPONENT_CLASS(TTestMetadataProvider, TnvBaseMetadataProvider)

namespace {
class TUnreadableDataset : public TMemoryDataset {
public:
    using TMemoryDataset::TMemoryDataset;

protected:
    void InternalInitFieldDefs() override { throw EDatabaseError(QStringLiteral("column list unreadable")); }
};
} // namespace

TOwned<TDataSet> TTestMetadataProvider::PrepareSQLDatasetInternal(const QString &sql)
{
    Log << sql;
    if (Broken || sql.contains(QStringLiteral("broken"), Qt::CaseInsensitive))
        throw EDatabaseError(QStringLiteral("no such table"));
    if (UnreadableColumns)
        return TOwned<TDataSet>(Create<TUnreadableDataset>(nullptr).release());
    TOwned<TMemoryDataset> dataset = Create<TMemoryDataset>(nullptr);
    for (const TFieldDef &def : Columns.value(sql))
        dataset->FieldDefs().Add(def);
    return TOwned<TDataSet>(dataset.release());
}

TOwned<TnvMetadataContainer> MakeContainer(TnvBaseSyntaxProvider *p, TnvBaseMetadataProvider *mp)
{
    TOwned<TnvMetadataContainer> container = Create<TnvMetadataContainer>(nullptr);
    container->SetSyntaxProvider(p);
    container->SetMetadataProvider(mp);
    return container;
}

TOwned<TSQLQualifiedName> QName(TnvBaseSyntaxProvider *p, const QString &text)
{
    TOwned<TSQLQualifiedName> name = Create<TSQLQualifiedName>(p);
    for (const QString &part : text.split(u'.'))
        name->AddName(part, false);
    return name;
}

TOwned<TastTokenIdentifier> Ident(TnvBaseSyntaxProvider *p, const QString &text, bool caseSensitive)
{
    return Create<TastTokenIdentifier>(p, text, caseSensitive);
}

} // namespace nvqb::test
