#include "sql92/SQL92SyntaxProvider.h"
#include "sql92/SQL92Parser.h"
#include "sql92/SQL92Scanner.h"
#include "sql92/SQL92Tokens.h"
#include "sqlmodel/providers/EditPropsFormClasses.h"
#include "sqlmodel/providers/MetadataProvider.h"

namespace nvqb {

NV_IMPLEMENT_COMPONENT_CLASS(TnvSQL92SyntaxProvider, TnvBaseSyntaxProvider)

TnvSQL92SyntaxProvider::TnvSQL92SyntaxProvider(TComponent *owner) : TnvBaseSyntaxProvider(owner) {}

void TnvSQL92SyntaxProvider::Assign(const TPersistent *source)
{
    if (const auto *other = As<TnvSQL92SyntaxProvider>(source)) {
        SetIdentCaseSens(other->GetIdentCaseSens());
        FUseInformationSchema = other->FUseInformationSchema;
        return;
    }
    TnvBaseSyntaxProvider::Assign(source);
}

TnvIdentCaseSensitivity TnvSQL92SyntaxProvider::GetIdentCaseSens() const { return FIdentCaseSens; }

void TnvSQL92SyntaxProvider::SetIdentCaseSens(TnvIdentCaseSensitivity value)
{
    if (value == GetIdentCaseSens())
        return;
    FIdentCaseSens = value;
    SendNotifications();
}

void TnvSQL92SyntaxProvider::ConnectionChanged(TnvBaseMetadataProvider *metadataProvider)
{
    TnvIdentCaseSensitivity server = icsNonSensitive;
    if (metadataProvider && metadataProvider->GetServerIdentCaseSens(server))
        SetIdentCaseSens(server);
}

TnvScannerClass TnvSQL92SyntaxProvider::GetScannerClass() const { return ScannerClassOf<SQL92Scanner>(); }

TnvParserClass TnvSQL92SyntaxProvider::GetParserClass() const { return ParserClassOf<SQL92Parser>(); }

void TnvSQL92SyntaxProvider::GetUnionOperatorsList(TWideStringList *list) const
{
    TnvBaseSyntaxProvider::GetUnionOperatorsList(list);
    list->Add(QStringLiteral("Except"));
    list->Add(QStringLiteral("Intersect"));
}

void TnvSQL92SyntaxProvider::GetComparisonOperators(TWideStringList *list) const
{
    // Every comparison the grammar reads, so that a criterion written with
    // one of the negated forms counts as a condition too.
    TnvBaseSyntaxProvider::GetComparisonOperators(list);
    for (const char *op : {"!=", "!<", "!>"})
        list->Add(QString::fromLatin1(op));
}

TClass TnvSQL92SyntaxProvider::GetEditPropsFormClass(TObject *node) const
{
    // The link and data-source dialogs, as the widget layer registered them.
    if (TClass formClass = FindEditPropsFormClass(node))
        return formClass;
    return TnvBaseSyntaxProvider::GetEditPropsFormClass(node);
}

QString TnvSQL92SyntaxProvider::ServerName() const { return QStringLiteral("ANSI SQL92"); }

namespace {
// The characters the scanner reads into a bare identifier (it sees them
// lower-cased), and those that can start one: digits start numbers.
bool IsIdentChar(char16_t ch)
{
    return ch == 0 || ch == u'$' || (ch >= u'0' && ch <= u'9') || (ch >= u'a' && ch <= u'z') || ch == u'_' ||
           ch >= 126;
}
} // namespace

bool TnvSQL92SyntaxProvider::IsValidIdent(const QString &text) const
{
    using namespace SQL92;
    // Exactly the tokens the identifier grammar takes, read the way the
    // scanner reads them with blanks and comments counting as characters:
    // printing asks this for every identifier it writes, so it must not
    // build a scanner and a parser each time.
    if (text.isEmpty())
        return false;
    if (text.front() == u'"') {
        // A quoted identifier: it must close at the last character, each
        // quote inside doubled, and hold at least one character.
        if (text.size() < 3 || text.back() != u'"')
            return false;
        const qsizetype last = text.size() - 1;
        for (qsizetype i = 1; i < last; ++i) {
            if (text[i] != u'"')
                continue;
            if (i + 1 >= last || text[i + 1] != u'"')
                return false;
            ++i;
        }
        return true;
    }
    for (qsizetype i = 0; i < text.size(); ++i) {
        // ASCII, nearly every name, folds without the Unicode tables; a few
        // other characters lower-case into ASCII, so they still go there.
        const char16_t written = text[i].unicode();
        const char16_t ch = written < 128 ? char16_t(written >= u'A' && written <= u'Z' ? written + 32 : written)
                                          : text[i].toLower().unicode();
        if (!IsIdentChar(ch) || (i == 0 && ch >= u'0' && ch <= u'9'))
            return false;
    }
    switch (SQL92Scanner::KeywordKind(text)) {
    case -1:
    case _AVG:
    case _MAX:
    case _MIN:
    case _SUM:
    case _COUNT:
    case _TRUE:
    case _FALSE:
        return true;
    default:
        return false;
    }
}

} // namespace nvqb
