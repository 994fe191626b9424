// Prints one SELECT statement through the SQL text builders: once with the
// default layout, once wrapped at a narrow right margin, once on one line.
#include "sqlmodel/text/SQLBuilder.h"
#include "sqlmodel/text/SQLBuilderPiped.h"

#include <QTextStream>

using namespace nvqb;

static void BuildStatement(TSQLBuilder &b)
{
    const TSQLBuilderSelectFormat *f = b.MainQueryFormat();
    b.BeginBuild();
    b.WriteKeywordAndSpace(QStringLiteral("Select"), 3);
    b.AddIndent(f->IndentInPart());
    const char *columns[] = {"o.OrderID", "o.OrderDate", "c.CompanyName", "c.City", "c.Country"};
    for (int i = 0; i < 5; ++i) {
        if (i > 0) {
            b.WriteSymbol(QStringLiteral(","));
            b.NewLineOrSpace(f->SelectListFormat()->NewLineAfterItem(), 2);
        }
        b.WriteIdentifier(QString::fromLatin1(columns[i]));
    }
    b.EndIndent();
    b.NewLineOrSpace(f->MainPartsFromNewLine(), 0);
    b.WriteKeywordAndSpace(QStringLiteral("From"), 3);
    b.AddIndent(f->IndentInPart());
    b.WriteIdentifier(QStringLiteral("Orders"));
    b.Space(3);
    b.WriteIdentifier(QStringLiteral("o"));
    b.NewLineOrSpace(f->FromClauseFormat()->NewLineAfterDatasource(), 3);
    b.WriteKeywordAndSpace(QStringLiteral("Inner"), 3);
    b.WriteKeyword(QStringLiteral("Join"));
    b.NewLineOrSpace(f->FromClauseFormat()->NewLineAfterJoin(), 3);
    b.WriteIdentifier(QStringLiteral("Customers"));
    b.Space(3);
    b.WriteIdentifier(QStringLiteral("c"));
    b.Space(3);
    b.WriteKeywordAndSpace(QStringLiteral("On"), 3);
    b.WriteIdentifier(QStringLiteral("o.CustomerID"));
    b.Space(3);
    b.WriteSymbol(QStringLiteral("="));
    b.Space(2);
    b.WriteIdentifier(QStringLiteral("c.CustomerID"));
    b.EndIndent();
    b.NewLineOrSpace(f->MainPartsFromNewLine(), 0);
    b.WriteKeywordAndSpace(QStringLiteral("Where"), 3);
    b.AddIndent(f->IndentInPart());
    b.WriteIdentifier(QStringLiteral("c.Country"));
    b.Space(3);
    b.WriteSymbol(QStringLiteral("="));
    b.Space(2);
    b.WriteString(QStringLiteral("'Germany'"));
    b.Space(1);
    b.WriteKeywordAndSpace(QStringLiteral("And"), 1);
    b.WriteIdentifier(QStringLiteral("o.OrderDate"));
    b.Space(3);
    b.WriteSymbol(QStringLiteral(">="));
    b.Space(2);
    b.WriteString(QStringLiteral("'1997-01-01'"));
    b.EndIndent();
    b.EndBuild();
}

int main()
{
    QTextStream out(stdout);
    TSQLBuilder plain;
    plain.SetKeywordFormat(nkfUpperCase);
    BuildStatement(plain);
    out << "-- default layout\n" << QString(plain.ResultSQL()).replace(QStringLiteral("\r\n"), QStringLiteral("\n")) << "\n\n";

    TSQLBuilderPiped piped;
    piped.SetRightMargin(40);
    piped.MainQueryFormat()->SetMainPartsFromNewLine(false);
    BuildStatement(piped);
    out << "-- wrapped at 40 characters\n" << QString(piped.ResultSQL()).replace(QStringLiteral("\r\n"), QStringLiteral("\n")) << "\n\n";

    TSQLBuilderFast fast;
    fast.SetKeywordFormat(nkfLowerCase);
    BuildStatement(fast);
    out << "-- one line\n" << fast.ResultSQL() << "\n";
    return 0;
}
