#include "sql92/SQL92Scanner.h"
#include "sql92/SQL92Tokens.h"

#include <gtest/gtest.h>

using namespace nvqb;
using namespace nvqb::SQL92;

namespace {

struct Tok {
    int Kind;
    QString Text;
    bool operator==(const Tok &o) const { return Kind == o.Kind && Text == o.Text; }
};

void PrintTo(const Tok &t, std::ostream *os) { *os << t.Kind << ":" << t.Text.toStdString(); }

std::vector<Tok> Scan(const QString &text, bool skip = true, bool comments = true)
{
    SQL92Scanner s;
    s.SetSkipIgnored(skip);
    s.SetCommentsEnabled(comments);
    s.Init(text);
    std::vector<Tok> result;
    for (const TnvToken &t : s.Tokens())
        result.push_back({t.Kind, t.Text});
    return result;
}

const Tok Eof{_EOF, QStringLiteral("EOF")};

Tok T(int kind, const char *text) { return {kind, QString::fromUtf8(text)}; }

} // namespace

TEST(SQL92Scanner, EmptyTextGivesOneEndToken)
{
    SQL92Scanner s;
    s.Init(QString());
    ASSERT_EQ(s.GetCount(), 1);
    const TnvToken *t = s.GetToken(0);
    EXPECT_EQ(t->Kind, 0);
    EXPECT_EQ(t->Text, QStringLiteral("EOF"));
    EXPECT_EQ(t->Line, 1);
    EXPECT_EQ(t->Column, 1);
    EXPECT_EQ(t->Offset, 0);
    EXPECT_EQ(s.GetToken(-1), t);
    EXPECT_EQ(s.GetToken(6), t);
}

TEST(SQL92Scanner, PositionsAcrossEveryKindOfLineEnd)
{
    SQL92Scanner s;
    // a CRLF b LF c CR d LF CR e LF LF f
    s.Init(QStringLiteral("a\r\nb\nc\rd\n\re\n\n  f"));
    struct {
        const char *Text;
        int Line, Column, Offset;
    } expected[] = {{"a", 1, 1, 0}, {"b", 2, 1, 3}, {"c", 3, 1, 5}, {"d", 4, 1, 7},
                    {"e", 5, 1, 10}, {"f", 7, 3, 15}, {"EOF", 7, 4, 16}};
    ASSERT_EQ(s.GetCount(), 7);
    for (int i = 0; i < 7; ++i) {
        const TnvToken *t = s.GetToken(i);
        EXPECT_EQ(t->Text, QString::fromLatin1(expected[i].Text)) << i;
        EXPECT_EQ(t->Line, expected[i].Line) << i;
        EXPECT_EQ(t->Column, expected[i].Column) << i;
        EXPECT_EQ(t->Offset, expected[i].Offset) << i;
    }
}

TEST(SQL92Scanner, CommentsAreSkippedAndLinesCountedOnce)
{
    SQL92Scanner s;
    s.Init(QStringLiteral("SELECT /* one\r\ntwo\r\n*/ a -- rest\r\n  , b"));
    ASSERT_EQ(s.GetCount(), 5);
    EXPECT_EQ(s.GetToken(0)->Kind, _SELECT);
    EXPECT_EQ(s.GetToken(0)->Text, QStringLiteral("SELECT"));
    const TnvToken *a = s.GetToken(1);
    EXPECT_EQ(a->Text, QStringLiteral("a"));
    EXPECT_EQ(a->Line, 3);
    EXPECT_EQ(a->Column, 4);
    const TnvToken *comma = s.GetToken(2);
    EXPECT_EQ(comma->Kind, _COMMA);
    EXPECT_EQ(comma->Line, 4);
    EXPECT_EQ(comma->Column, 3);
    EXPECT_EQ(s.GetToken(3)->Line, 4);

    EXPECT_EQ(Scan(QStringLiteral("SELECT/*x*/a")), (std::vector<Tok>{T(_SELECT, "SELECT"), T(4, "a"), Eof}));
    EXPECT_EQ(Scan(QStringLiteral("a/b")), (std::vector<Tok>{T(4, "a"), T(_SLASH, "/"), T(4, "b"), Eof}));
    EXPECT_EQ(Scan(QStringLiteral("a -- last line")), (std::vector<Tok>{T(4, "a"), Eof}));
    EXPECT_EQ(Scan(QStringLiteral("a /* unclosed\r\n b")), (std::vector<Tok>{T(4, "a"), Eof}));
    EXPECT_EQ(Scan(QStringLiteral("a /**/ /***/ b")), (std::vector<Tok>{T(4, "a"), T(4, "b"), Eof}));
    EXPECT_EQ(Scan(QStringLiteral("a - -b")), (std::vector<Tok>{T(4, "a"), T(_MINUS, "-"), T(_MINUS, "-"), T(4, "b"), Eof}));
    // A slash before a line end is put back whole: the line is still counted once.
    SQL92Scanner s2;
    s2.Init(QStringLiteral("a/\r\nb"));
    EXPECT_EQ(s2.GetToken(2)->Line, 2);
    EXPECT_EQ(s2.GetToken(2)->Column, 1);
}

TEST(SQL92Scanner, CommentLineEndsReachTheTextAfterIt)
{
    // Without skipping, the line ends of a comment show as CR tokens.
    auto tokens = Scan(QStringLiteral("a/*1\n2\n*/b"), false, true);
    ASSERT_EQ(tokens.size(), 5u);
    EXPECT_EQ(tokens[1], T(noSym, "\r"));
    EXPECT_EQ(tokens[2], T(noSym, "\r"));
    EXPECT_EQ(tokens[3], T(4, "b"));
    // And without comments, blanks and comment marks are tokens of their own.
    EXPECT_EQ(Scan(QStringLiteral("a b"), false, false), (std::vector<Tok>{T(4, "a"), T(noSym, " "), T(4, "b"), Eof}));
}

TEST(SQL92Scanner, Numbers)
{
    EXPECT_EQ(Scan(QStringLiteral("1.5E3 1.5e-3 .5 42 007 0")),
              (std::vector<Tok>{T(_Real, "1.5E3"), T(_Real, "1.5e-3"), T(_Real, ".5"), T(_integer, "42"),
                                T(_integer, "007"), T(_integer, "0"), Eof}));
    EXPECT_EQ(Scan(QStringLiteral("1.x")), (std::vector<Tok>{T(noSym, "1."), T(4, "x"), Eof}));
    EXPECT_EQ(Scan(QStringLiteral("1.e5")), (std::vector<Tok>{T(noSym, "1."), T(4, "e5"), Eof}));
    EXPECT_EQ(Scan(QStringLiteral("1e5")), (std::vector<Tok>{T(_integer, "1"), T(4, "e5"), Eof}));
    EXPECT_EQ(Scan(QStringLiteral("2.5e+")), (std::vector<Tok>{T(noSym, "2.5e+"), Eof}));
    EXPECT_EQ(Scan(QStringLiteral("0x1F 0X1f")), (std::vector<Tok>{T(_HexLiteral, "0x1F"), T(_HexLiteral, "0X1f"), Eof}));
    EXPECT_EQ(Scan(QStringLiteral("0x")), (std::vector<Tok>{T(noSym, "0x"), Eof}));
    EXPECT_EQ(Scan(QStringLiteral("t.* a.b")),
              (std::vector<Tok>{T(4, "t"), T(_DOTSTAR, ".*"), T(4, "a"), T(_DOT, "."), T(4, "b"), Eof}));
}

TEST(SQL92Scanner, EndExecAndEnd)
{
    EXPECT_EQ(Scan(QStringLiteral("END-EXEC end-exec end ends e en")),
              (std::vector<Tok>{T(_ENDEXEC, "END-EXEC"), T(_ENDEXEC, "end-exec"), T(_ENDTOKEN, "end"), T(4, "ends"),
                                T(4, "e"), T(4, "en"), Eof}));
    // Not end-exec after all: the word stays END and the rest scans anew.
    EXPECT_EQ(Scan(QStringLiteral("END-1")), (std::vector<Tok>{T(_ENDTOKEN, "END"), T(_MINUS, "-"), T(_integer, "1"), Eof}));
    EXPECT_EQ(Scan(QStringLiteral("end-ex")), (std::vector<Tok>{T(_ENDTOKEN, "end"), T(_MINUS, "-"), T(4, "ex"), Eof}));
    EXPECT_EQ(Scan(QStringLiteral("end--c\r\nx")), (std::vector<Tok>{T(_ENDTOKEN, "end"), T(4, "x"), Eof}));
}

TEST(SQL92Scanner, StringsAndQuotedIdentifiers)
{
    EXPECT_EQ(Scan(QStringLiteral("'it''s' \"a \"\"b\"\"\"")),
              (std::vector<Tok>{T(_ASCIIStringLiteral, "'it''s'"), T(_QuotedIdentifier, "\"a \"\"b\"\"\""), Eof}));
    EXPECT_EQ(Scan(QStringLiteral("'open")), (std::vector<Tok>{T(noSym, "'open"), Eof}));
    EXPECT_EQ(Scan(QStringLiteral("\"open")), (std::vector<Tok>{T(noSym, "\"open"), Eof}));
    // An empty quoted name is no identifier; a doubled quote inside is a name.
    EXPECT_EQ(Scan(QStringLiteral("\"\" \"\"\"\" ''")),
              (std::vector<Tok>{T(noSym, "\"\""), T(_QuotedIdentifier, "\"\"\"\""), T(_ASCIIStringLiteral, "''"),
                                Eof}));
    // Line ends inside a literal keep the form they were written in.
    SQL92Scanner s;
    s.Init(QStringLiteral("'a\nb\r\nc' x"));
    EXPECT_EQ(s.GetToken(0)->Text, QStringLiteral("'a\nb\r\nc'"));
    EXPECT_EQ(s.GetToken(1)->Line, 3);
    EXPECT_EQ(s.GetToken(1)->Column, 4);
    // Non-ASCII text survives.
    EXPECT_EQ(Scan(QString::fromUtf8("'Größe' Ärger")),
              (std::vector<Tok>{T(_ASCIIStringLiteral, "'Größe'"), T(4, "Ärger"), Eof}));
}

TEST(SQL92Scanner, EscapeLiterals)
{
    for (const char *text : {"{d '2001-02-03'}", "{ ts '2001-02-03 10:00:00' }", "{t n'10:00'}", "{d'x''y'}"}) {
        auto tokens = Scan(QString::fromLatin1(text));
        ASSERT_EQ(tokens.size(), 2u) << text;
        EXPECT_EQ(tokens[0], T(_ODBCDateTime, text));
    }
    EXPECT_EQ(Scan(QStringLiteral("{  d '1'}"))[0].Kind, noSym);
    EXPECT_EQ(Scan(QStringLiteral("{d '1'"))[0].Kind, noSym);
    EXPECT_EQ(Scan(QStringLiteral("{x}"))[0], T(noSym, "{"));
}

TEST(SQL92Scanner, SymbolsAndOddCharacters)
{
    EXPECT_EQ(Scan(QStringLiteral("a||b | !")),
              (std::vector<Tok>{T(4, "a"), T(_CONCAT, "||"), T(4, "b"), T(noSym, "|"), T(noSym, "!"), Eof}));
    EXPECT_EQ(Scan(QStringLiteral("<> != <= !> < >= !< > ; ( ) * = + % ? : ,")),
              (std::vector<Tok>{T(_NOTEQUAL, "<>"), T(_BANGEQUAL, "!="), T(_LESSEQUAL, "<="), T(_NOTGREATER, "!>"),
                                T(_LESS, "<"), T(_GREATEREQUAL, ">="), T(_NOTLESS, "!<"), T(_GREATER, ">"),
                                T(_SEMICOLON, ";"), T(_LPAREN, "("), T(_RPAREN, ")"), T(_STAR, "*"), T(_EQUAL, "="),
                                T(_PLUS, "+"), T(_PERCENT, "%"), T(_QUESTION, "?"), T(_COLON, ":"), T(_COMMA, ","), Eof}));
    EXPECT_EQ(Scan(QStringLiteral("#temp $x x$1 ~ ~x @v")),
              (std::vector<Tok>{T(noSym, "#"), T(4, "temp"), T(4, "$x"), T(4, "x$1"), T(_TILDE, "~"), T(4, "~x"),
                                T(noSym, "@"), T(4, "v"), Eof}));
}

// A NUL would end the statement early for a server reached through a
// NUL-terminated interface: outside string literals it is a token of no
// symbol of its own, at its own place, which no grammar path takes.
TEST(SQL92Scanner, ANulIsNoSymbolOfItsOwnOutsideStringLiterals)
{
    const QChar nul(u'\0');
    auto text = [&](const char *before, const char *after) {
        return QString::fromUtf8(before) + nul + QString::fromUtf8(after);
    };
    EXPECT_EQ(Scan(text("select ", " from")),
              (std::vector<Tok>{T(_SELECT, "select"), T(noSym, "\\0"), T(_FROMTOKEN, "from"), Eof}));
    EXPECT_EQ(Scan(text("ab", "cd")), (std::vector<Tok>{T(4, "ab"), T(noSym, "\\0"), T(4, "cd"), Eof}));
    // Inside a quoted name, an escape literal or a comment the NUL ends
    // what it stood in.
    EXPECT_EQ(Scan(text("x \"ab", "cd\"")), (std::vector<Tok>{T(4, "x"), T(noSym, "\\0"), T(4, "cd"),
                                                            T(noSym, "\""), Eof}));
    EXPECT_EQ(Scan(text("{d '", "'}"))[0], T(noSym, "\\0"));
    EXPECT_EQ(Scan(text("a /* ", " */ b"))[1], T(noSym, "\\0"));
    EXPECT_EQ(Scan(text("a -- ", "\nb"))[1], T(noSym, "\\0"));
    // In a string it is the string's.
    const std::vector<Tok> literal = Scan(text("'a", "b'"));
    ASSERT_EQ(literal.size(), 2u);
    EXPECT_EQ(literal[0].Kind, _ASCIIStringLiteral);
    EXPECT_EQ(literal[0].Text, text("'a", "b'"));
    // The token stands where the NUL does.
    SQL92Scanner s;
    s.Init(text("select /* x */\n  \"a", "\""));
    ASSERT_GE(s.GetCount(), 2);
    EXPECT_EQ(s.GetToken(1)->Kind, noSym);
    EXPECT_EQ(s.GetToken(1)->Line, 2);
    EXPECT_EQ(s.GetToken(1)->Column, 5);
    EXPECT_EQ(s.GetToken(1)->Offset, 19);
}

TEST(SQL92Scanner, KeywordsKeepTheirCaseAndFoldOnlyAscii)
{
    EXPECT_EQ(Scan(QStringLiteral("SeLeCt Current_Date zone avg")),
              (std::vector<Tok>{T(_SELECT, "SeLeCt"), T(_CURRENTDATE, "Current_Date"), T(_ZONE, "zone"),
                                T(_AVG, "avg"), Eof}));
    // The Kelvin sign lower-cases to "k", yet "\u212Aey" is no keyword.
    EXPECT_EQ(Scan(QString::fromUtf8("\u212Aey key"))[0].Kind, _NonQuotedIdentifier);
    EXPECT_EQ(Scan(QString::fromUtf8("\u212Aey key"))[1].Kind, _KEY);
    EXPECT_EQ(SQL92Scanner::KeywordKind(QStringLiteral("SELECT")), 188);
    EXPECT_EQ(SQL92Scanner::KeywordKind(QStringLiteral("escape")), 88);
    EXPECT_EQ(SQL92Scanner::KeywordKind(QStringLiteral("selects")), -1);
}

TEST(ScannerBuffer, ReadsStayInsideTheText)
{
    TnvBuffer b;
    b.Fill(QStringLiteral("abc"));
    EXPECT_EQ(b.GetString(-5, 99), QStringLiteral("abc"));
    EXPECT_EQ(b.GetString(2, 1), QString());
    EXPECT_EQ(b.GetString(1, 2), QStringLiteral("b"));
    EXPECT_EQ(b.Read(), 'a');
    EXPECT_EQ(b.Peek(), 'b');
    b.SetPos(10);
    EXPECT_EQ(b.Position(), 3);
    EXPECT_EQ(b.Read(), -1);
    EXPECT_EQ(b.Position(), 3);

    TnvStartTable t;
    t.SetDefault(16);
    t.SetItems('x', 3);
    t.SetItems(0x4e2d, 7);
    t.SetItems('x', 4);
    EXPECT_EQ(t.Count(), 2);
    EXPECT_EQ(t.GetItems('x'), 4);
    EXPECT_EQ(t.GetItems(0x4e2d), 7);
    EXPECT_EQ(t.GetItems('y'), 16);
    EXPECT_EQ(t.FindEntry('q'), -1);
}
