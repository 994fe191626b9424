#include "sqlmodel/text/SQLBuilder.h"
#include "classlib/Assert.h"
#include "sqlmodel/sql/QualifiedName.h"

#include <cmath>
#include <vector>

namespace nvqb {

NV_IMPLEMENT_CLASS(TSQLBuilder, TnvUpdatablePersistent)
NV_IMPLEMENT_CLASS(TSQLBuilderPlainText, TSQLBuilder)
NV_IMPLEMENT_CLASS(TSQLBuilderFast, TSQLBuilder)

TSQLBuilder::TSQLBuilder(TnvUpdatablePersistent *owner)
    : TnvUpdatablePersistent(owner), FNewLineText(QStringLiteral("\r\n"))
{
    FMainQueryFormat = std::make_unique<TSQLBuilderSelectFormat>(this);
    FExpressionsSubQueryFormat = std::make_unique<TSQLBuilderSelectFormat>(this);
    // Sub-queries inside expressions keep their parts and joins on one line.
    FExpressionsSubQueryFormat->SetMainPartsFromNewLine(false);
    FExpressionsSubQueryFormat->FromClauseFormat()->SetNewLineAfterDatasource(false);
    FExpressionsSubQueryFormat->FromClauseFormat()->SetNewLineAfterJoin(false);
    FFromSubQueryFormat = std::make_unique<TSQLBuilderSelectFormat>(this);
    FDefaultDatabaseName = Create<TSQLQualifiedName>(nullptr);
    FDefaultSchemaNames = Create<TSQLIdentifiersCollection>(nullptr);
}

TSQLBuilder::~TSQLBuilder() = default;

void TSQLBuilder::SetDefaultDatabaseName(const TSQLQualifiedName *name)
{
    if (name == FDefaultDatabaseName.get())
        return;
    if (name)
        FDefaultDatabaseName->Assign(name);
    else
        FDefaultDatabaseName->Clear();
    FDefaultDatabaseName->SetSyntaxProvider(nullptr);
}

void TSQLBuilder::SetDefaultSchemaNames(const TSQLIdentifiersCollection *names)
{
    if (names == FDefaultSchemaNames.get())
        return;
    if (names)
        FDefaultSchemaNames->Assign(names);
    else
        FDefaultSchemaNames->Clear();
    FDefaultSchemaNames->SetSyntaxProvider(nullptr);
}

void TSQLBuilder::SetRightMargin(int value)
{
    if (FRightMargin == value)
        return;
    FRightMargin = value;
    FWorkingRightMargin = value < 1 ? 2147483647.0 : double(value);
    NotifyUpdated();
}

void TSQLBuilder::BeginBuild()
{
    BeginBuildInternal();
    FIndents.clear();
    WriteIndent();
    FAtLineStart = true;
    FPendingSpace = false;
    FPendingSpaceWeight = 2147483647;
    FKeepApart = false;
}

void TSQLBuilder::EndBuild() { EndBuildInternal(); }

void TSQLBuilder::ApplyPendingSpace()
{
    if (!FPendingSpace)
        return;
    FPendingSpace = false;
    SpaceInternal(FPendingSpaceWeight);
}

bool TSQLBuilder::RunsOn(QChar last, QChar next)
{
    const char16_t n = next.unicode();
    switch (last.unicode()) {
    case u'~': {
        // "~" is a word character of the scanner: a word, a number or
        // another "~" after it makes one identifier with it.
        const char16_t lower = n >= u'A' && n <= u'Z' ? char16_t(n + 32) : n;
        return n == 0 || n == u'$' || n == u'_' || (n >= u'0' && n <= u'9') || (lower >= u'a' && lower <= u'z') ||
               n >= 126;
    }
    case u'-':
        return n == u'-'; // a line comment
    case u'/':
        return n == u'*'; // a block comment
    case u'|':
        return n == u'|';
    case u'<':
        return n == u'>' || n == u'=';
    case u'>':
        return n == u'=';
    case u'!':
        return n == u'=' || n == u'<' || n == u'>';
    case u'.':
        return n == u'*' || (n >= u'0' && n <= u'9');
    default:
        return false;
    }
}

void TSQLBuilder::KeepNextApartFrom(QChar last, int weight)
{
    FKeepApart = true;
    FKeepApartFrom = last;
    FKeepApartWeight = weight;
}

void TSQLBuilder::KeepApart(const QString &next)
{
    // An empty piece writes nothing: the next one decides.
    if (!FKeepApart || next.isEmpty())
        return;
    FKeepApart = false;
    if (!FPendingSpace && RunsOn(FKeepApartFrom, next.front()))
        Space(FKeepApartWeight);
}

void TSQLBuilder::WriteKeyword(const QString &text)
{
    KeepApart(text);
    ApplyPendingSpace();
    switch (FKeywordFormat) {
    case nkfUpperCase:
        WriteKeywordInternal(text.toUpper());
        break;
    case nkfLowerCase:
        WriteKeywordInternal(text.toLower());
        break;
    case nkfFirstUpper:
        WriteKeywordInternal(text);
        break;
    }
    FAtLineStart = false;
}

void TSQLBuilder::WriteIdentifier(const QString &text)
{
    KeepApart(text);
    ApplyPendingSpace();
    WriteIdentifierInternal(text);
    FAtLineStart = false;
}

void TSQLBuilder::WriteSymbol(const QString &text)
{
    KeepApart(text);
    ApplyPendingSpace();
    WriteSymbolInternal(text);
    FAtLineStart = false;
}

void TSQLBuilder::WriteNumber(const QString &text)
{
    KeepApart(text);
    ApplyPendingSpace();
    WriteNumberInternal(text);
    FAtLineStart = false;
}

void TSQLBuilder::WriteString(const QString &text)
{
    KeepApart(text);
    ApplyPendingSpace();
    WriteStringInternal(text);
    FAtLineStart = false;
}

void TSQLBuilder::WriteKeywordAndSpace(const QString &text, int weight)
{
    WriteKeyword(text);
    Space(weight);
}

void TSQLBuilder::Space(int weight)
{
    if (!FPendingSpace) {
        FPendingSpace = true;
        FPendingSpaceWeight = weight;
    } else if (weight < FPendingSpaceWeight) {
        FPendingSpaceWeight = weight;
    }
}

void TSQLBuilder::NewLine()
{
    FKeepApart = false; // a line end parts any two tokens
    if (!FAtLineStart) {
        NewLineInternal();
        WriteIndent();
    }
    FAtLineStart = true;
    FPendingSpace = false;
}

void TSQLBuilder::NewLineOrSpace(bool newLine, int weight)
{
    if (newLine)
        NewLine();
    else
        Space(weight);
}

void TSQLBuilder::GoodNewLinePos(int weight) { GoodNewLinePosInternal(weight); }

void TSQLBuilder::AddIndent(double width) { DoAddIndent(width); }

void TSQLBuilder::EndIndent() { DoEndIndent(); }

double TSQLBuilder::CurrentIndent() const { return FIndents.isEmpty() ? 0.0 : FIndents.last(); }

void TSQLBuilder::WriteIndent()
{
    double indent = CurrentIndent();
    if (indent > 0) {
        auto blanks = qsizetype(std::ceil(indent / CalcWeight(QStringLiteral(" "))));
        WriteStringToResult(QString(blanks, u' '));
    }
}

void TSQLBuilder::WriteStringToResult(const QString &text)
{
    // Straight into the room reserved at the start of the text.
    if (!FResultSQL.isNull())
        FResultSQL.append(text.constData(), text.size());
    else
        FResultSQL += text;
}

double TSQLBuilder::CalcWeight(const QString &text) const { return double(text.size()); }

void TSQLBuilder::DoAddIndent(double width)
{
    FIndents.append(FIndents.isEmpty() ? width : FIndents.last() + width);
}

void TSQLBuilder::DoEndIndent()
{
    Assert(!FIndents.isEmpty(), "nvAST", "EndIndent without an open indent level");
    FIndents.removeLast();
}

void TSQLBuilder::BeginBuildInternal()
{
    // A builder mostly prints statements of similar length in turn: room for
    // the last text's length (and some) spares the regrowths while writing.
    const qsizetype last = FResultSQL.size();
    FResultSQL.clear();
    if (last > 0)
        FResultSQL.reserve(last + last / 4 + 64);
}

void TSQLBuilder::EndBuildInternal() {}

void TSQLBuilder::SpaceInternal(int) { WriteSymbol(QStringLiteral(" ")); }

void TSQLBuilder::NewLineInternal() { WriteSymbol(FNewLineText); }

void TSQLBuilder::GoodNewLinePosInternal(int) {}

void TSQLBuilder::WriteKeywordInternal(const QString &text) { WriteStringToResult(text); }

void TSQLBuilder::WriteIdentifierInternal(const QString &text) { WriteStringToResult(text); }

void TSQLBuilder::WriteSymbolInternal(const QString &text) { WriteStringToResult(text); }

void TSQLBuilder::WriteNumberInternal(const QString &text) { WriteStringToResult(text); }

void TSQLBuilder::WriteStringInternal(const QString &text) { WriteStringToResult(text); }

TSQLBuilderFast::TSQLBuilderFast(TnvUpdatablePersistent *owner) : TSQLBuilder(owner)
{
    SetNewLineText(QStringLiteral(" "));
}

void TSQLBuilderFast::DoAddIndent(double) {}

void TSQLBuilderFast::DoEndIndent() {}

namespace {
struct FastBuilderPool {
    std::vector<std::unique_ptr<TSQLBuilderFast>> Builders;
    qsizetype InUse = 0;
};
// Per thread, so threads printing at once never share a builder.
thread_local FastBuilderPool Pool;
} // namespace

TSQLBuilderFastLease::TSQLBuilderFastLease()
{
    if (Pool.InUse == qsizetype(Pool.Builders.size()))
        Pool.Builders.push_back(std::make_unique<TSQLBuilderFast>());
    FBuilder = Pool.Builders[Pool.InUse++].get();
}

TSQLBuilderFastLease::~TSQLBuilderFastLease() { --Pool.InUse; }

qsizetype SQLBuilderFastPoolSize() { return qsizetype(Pool.Builders.size()); }

} // namespace nvqb
