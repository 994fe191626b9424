#include "sql92/SQL92Scanner.h"
#include "sql92/SQL92Tokens.h"
#include "sqlmodel/parse/Parser.h"

#include <array>
#include <cstring>

namespace nvqb {

using namespace SQL92;

NV_IMPLEMENT_CLASS(SQL92Scanner, TnvBaseScanner)

namespace {

inline bool IsDigit(int ch) { return ch >= '0' && ch <= '9'; }
inline bool IsHexDigit(int ch) { return IsDigit(ch) || (ch >= 'a' && ch <= 'f'); }
inline bool IsBlank(int ch) { return ch == 9 || ch == 10 || ch == 13 || ch == 32; }
inline bool IsIdentChar(int ch)
{
    return ch == '$' || IsDigit(ch) || (ch >= 'a' && ch <= 'z') || ch == '_' || ch >= 126;
}

// The keyword table as an open-addressed hash over the lower-case words,
// built once: a lookup folds the word into a small stack buffer and compares
// bytes, so scanning a word allocates nothing.
constexpr int KeywordMaxLength = 17;
constexpr unsigned KeywordSlots = 1024; // a power of two, over four times the keywords

inline unsigned KeywordHash(const char *word, int length)
{
    unsigned h = 2166136261u;
    for (int i = 0; i < length; ++i)
        h = (h ^ static_cast<unsigned char>(word[i])) * 16777619u;
    return h;
}

struct TKeywordSlot {
    const char *Word = nullptr;
    int Length = 0;
    int Kind = -1;
};

struct TKeywordTable {
    TKeywordSlot Slots[KeywordSlots];

    TKeywordTable()
    {
        for (const TSQL92Keyword &k : Keywords)
            Insert(k.Word, k.Kind);
        Insert("~", _TILDE);
    }
    void Insert(const char *word, int kind)
    {
        const int length = int(std::strlen(word));
        Q_ASSERT(length <= KeywordMaxLength);
        unsigned i = KeywordHash(word, length) & (KeywordSlots - 1);
        while (Slots[i].Word) {
            if (Slots[i].Length == length && std::memcmp(Slots[i].Word, word, size_t(length)) == 0) {
                Slots[i].Kind = kind; // a later entry of the same word replaces the earlier
                return;
            }
            i = (i + 1) & (KeywordSlots - 1);
        }
        Slots[i] = TKeywordSlot{word, length, kind};
    }
    int Find(const char *word, int length) const
    {
        unsigned i = KeywordHash(word, length) & (KeywordSlots - 1);
        while (Slots[i].Word) {
            if (Slots[i].Length == length && std::memcmp(Slots[i].Word, word, size_t(length)) == 0)
                return Slots[i].Kind;
            i = (i + 1) & (KeywordSlots - 1);
        }
        return -1;
    }
};

const TKeywordTable &KeywordTable()
{
    static const TKeywordTable table;
    return table;
}

} // namespace

namespace {
// The start table and skip set of the class, built once and read by every
// scanner.
struct TSQL92ScannerTables {
    TnvStartTable Start;
    TnvCharSet Ignore;
    TSQL92ScannerTables()
    {
        TnvStartTable &st = Start;
        Ignore.SetItems(' ', true);

        st.SetDefault(16);
        st.SetItems(0, 0);
        for (int ch = 1; ch <= 32; ++ch) {
            Ignore.SetItems(ch, true);
            st.SetItems(ch, 0);
        }
        for (char ch : {'#', '&', '@', '[', '\\', ']', '^', '`', '}'})
            st.SetItems(ch, 0);
        st.SetItems('{', 6);
        st.SetItems('"', 17);
        st.SetItems('\'', 22);
        st.SetItems(',', 25);
        for (int ch = '1'; ch <= '9'; ++ch)
            st.SetItems(ch, 31);
        st.SetItems('0', 32);
        st.SetItems('e', 33);
        st.SetItems(';', 37);
        st.SetItems('(', 38);
        st.SetItems(')', 39);
        st.SetItems('*', 40);
        st.SetItems('=', 41);
        st.SetItems('+', 43);
        st.SetItems('-', 44);
        st.SetItems('|', 45);
        st.SetItems('/', 47);
        st.SetItems('%', 48);
        st.SetItems('?', 49);
        st.SetItems(':', 50);
        st.SetItems('.', 57);
        st.SetItems('<', 58);
        st.SetItems('!', 59);
        st.SetItems('>', 60);
    }
};

const TSQL92ScannerTables &ScannerTables()
{
    static const TSQL92ScannerTables tables;
    return tables;
}
} // namespace

namespace {
// A keyword's text as written, shared with the last token of the same kind
// written the same way: a statement repeats its keywords in one spelling, so
// most keyword tokens need no string of their own.
QString SharedKeywordText(int kind, QStringView written)
{
    thread_local std::array<QString, TnvTokenSet::Size> last;
    if (kind < 0 || kind >= int(last.size()))
        return written.toString();
    QString &text = last[size_t(kind)];
    if (QStringView(text) != written)
        text = written.toString();
    return text;
}
} // namespace

SQL92Scanner::SQL92Scanner() { ShareTables(ScannerTables().Start, ScannerTables().Ignore); }

int SQL92Scanner::KeywordKind(QStringView word)
{
    const qsizetype length = word.size();
    if (length == 0 || length > KeywordMaxLength)
        return -1;
    char folded[KeywordMaxLength];
    const QChar *chars = word.constData();
    for (qsizetype i = 0; i < length; ++i) {
        const char16_t u = chars[i].unicode();
        if (u > 127)
            return -1;
        folded[i] = char(u >= 'A' && u <= 'Z' ? u + 32 : u);
    }
    return KeywordTable().Find(folded, int(length));
}

void SQL92Scanner::CheckLiteral(TnvToken &token)
{
    int kind = KeywordKind(token.Text);
    if (kind >= 0)
        token.Kind = kind;
}

void SQL92Scanner::InitInternal()
{
    const TSQL92ScannerTables &tables = ScannerTables();
    ShareTables(tables.Start, tables.Ignore);
}

bool SQL92Scanner::SkipComment(char second, bool block)
{
    const ReadState start = SaveReadState();
    NextCh();
    if (Ch != second) {
        RestoreReadState(start);
        return false;
    }
    NextCh();
    for (;;) {
        if (Ch < 0)
            return false; // an unclosed comment swallows the rest of the text
        if (Ch == 0 && !ChIsPending) {
            PendingLineEnds = Line - start.Line;
            return true;
        }
        if (block) {
            if (Ch == '*') {
                NextCh();
                if (Ch == '/')
                    break;
                continue;
            }
        } else if (Ch == 13 && !ChIsPending) {
            break;
        }
        NextCh();
    }
    // The text after the comment sees its line ends as that many CRs.
    PendingLineEnds = Line - start.Line;
    NextCh();
    return true;
}

TnvToken SQL92Scanner::NulToken()
{
    TokenStart start;
    TnvToken t = BeginToken(start);
    NextCh();
    t.Kind = noSym;
    t.Text = QStringLiteral("\\0");
    return t;
}

bool SQL92Scanner::Comment0() { return SkipComment('*', true); }

bool SQL92Scanner::Comment1() { return SkipComment('-', false); }

TnvToken SQL92Scanner::NextToken()
{
    for (;;) {
        if (SkipIgnored())
            while (Ch >= 0 && Ignored().GetItems(Ch))
                NextCh();
        if (CommentsEnabled() && ((Ch == '/' && Comment0()) || (Ch == '-' && Comment1())))
            continue;
        break;
    }

    if (Ch == 0)
        return NulToken();
    TokenStart start;
    TnvToken t = BeginToken(start);
    int state = Ch < 0 ? -1 : Starts().GetItems(Ch);
    int kind = -1;
    bool checkLiteral = false;
    ReadState beforeHyphen{};
    int quotedRead = 0; // characters read after the opening quote of a quoted identifier

    if (state >= 0)
        NextCh();
    // Each state either reads on into another one or settles the kind.
    while (kind < 0) {
        switch (state) {
        case -1:
            kind = _EOF;
            break;
        case 0:
            kind = noSym;
            break;
        case 31:
            if (IsDigit(Ch)) {
                NextCh();
            } else if (Ch == '.') {
                NextCh();
                state = 1;
            } else {
                kind = _integer;
            }
            break;
        case 32:
            if (IsDigit(Ch)) {
                NextCh();
                state = 31;
            } else if (Ch == '.') {
                NextCh();
                state = 1;
            } else if (Ch == 'x') {
                NextCh();
                state = 20;
            } else {
                kind = _integer;
            }
            break;
        case 1:
            if (IsDigit(Ch)) {
                NextCh();
                state = 2;
            } else {
                kind = noSym;
            }
            break;
        case 2:
            if (IsDigit(Ch)) {
                NextCh();
            } else if (Ch == 'e') {
                NextCh();
                state = 3;
            } else {
                kind = _Real;
            }
            break;
        case 3:
            if (IsDigit(Ch)) {
                NextCh();
                state = 5;
            } else if (Ch == '+' || Ch == '-') {
                NextCh();
                state = 4;
            } else {
                kind = noSym;
            }
            break;
        case 4:
            if (IsDigit(Ch)) {
                NextCh();
                state = 5;
            } else {
                kind = noSym;
            }
            break;
        case 5:
            if (IsDigit(Ch))
                NextCh();
            else
                kind = _Real;
            break;
        case 57:
            if (IsDigit(Ch)) {
                NextCh();
                state = 2;
            } else if (Ch == '*') {
                NextCh();
                kind = _DOTSTAR;
            } else {
                kind = _DOT;
            }
            break;
        case 20:
            if (IsHexDigit(Ch)) {
                NextCh();
                state = 21;
            } else {
                kind = noSym;
            }
            break;
        case 21:
            if (IsHexDigit(Ch))
                NextCh();
            else
                kind = _HexLiteral;
            break;
        case 22:
        case 24:
            if (Ch < 0) {
                kind = noSym;
            } else {
                state = Ch == '\'' ? 23 : 22;
                NextCh();
            }
            break;
        case 23:
            if (Ch == '\'') {
                NextCh();
                state = 24;
            } else {
                kind = _ASCIIStringLiteral;
            }
            break;
        case 17:
        case 19:
            if (Ch == 0)
                return NulToken(); // what came before it is no token either
            if (Ch < 0) {
                kind = noSym;
            } else {
                state = Ch == '"' ? 18 : 17;
                NextCh();
                ++quotedRead;
            }
            break;
        case 18:
            if (Ch == '"') {
                NextCh();
                state = 19;
            } else {
                // "" names nothing: no identifier may be empty, so it is no
                // token the grammar takes and the parse stops at it.
                kind = quotedRead == 1 ? noSym : _QuotedIdentifier;
            }
            break;
        case 6:
            if (IsBlank(Ch)) {
                NextCh();
                state = 7;
            } else if (Ch == 't') {
                NextCh();
                state = 34;
            } else if (Ch == 'd') {
                NextCh();
                state = 8;
            } else {
                kind = noSym;
            }
            break;
        case 7:
            if (Ch == 't') {
                NextCh();
                state = 34;
            } else if (Ch == 'd') {
                NextCh();
                state = 8;
            } else {
                kind = noSym;
            }
            break;
        case 34:
            if (Ch == 's') {
                NextCh();
                state = 8;
                break;
            }
            [[fallthrough]];
        case 8:
            if (IsBlank(Ch)) {
                NextCh();
                state = 9;
                break;
            }
            [[fallthrough]];
        case 9:
            if (Ch == 'n') {
                NextCh();
                state = 10;
                break;
            }
            [[fallthrough]];
        case 10:
            if (Ch == '\'') {
                NextCh();
                state = 11;
            } else {
                kind = noSym;
            }
            break;
        case 11:
        case 14:
            if (Ch == 0)
                return NulToken();
            if (Ch < 0) {
                kind = noSym;
            } else {
                state = Ch == '\'' ? 12 : 11;
                NextCh();
            }
            break;
        case 12:
            if (IsBlank(Ch)) {
                NextCh();
                state = 13;
            } else if (Ch == '}') {
                NextCh();
                kind = _ODBCDateTime;
            } else if (Ch == '\'') {
                NextCh();
                state = 14;
            } else {
                kind = noSym;
            }
            break;
        case 13:
            if (Ch == '}') {
                NextCh();
                kind = _ODBCDateTime;
            } else {
                kind = noSym;
            }
            break;
        case 16:
            if (IsIdentChar(Ch)) {
                NextCh();
            } else {
                kind = _NonQuotedIdentifier;
                checkLiteral = true;
            }
            break;
        case 33:
        case 35:
            if (Ch == (state == 33 ? 'n' : 'd')) {
                NextCh();
                state = state == 33 ? 35 : 36;
            } else if (IsIdentChar(Ch)) {
                NextCh();
                state = 16;
            } else {
                kind = _NonQuotedIdentifier;
                checkLiteral = true;
            }
            break;
        case 36:
            if (Ch == '-') {
                beforeHyphen = SaveReadState();
                NextCh();
                state = 26;
            } else if (IsIdentChar(Ch)) {
                NextCh();
                state = 16;
            } else {
                kind = _NonQuotedIdentifier;
                checkLiteral = true;
            }
            break;
        case 26:
        case 27:
        case 28:
        case 29: {
            static const char expected[] = {'e', 'x', 'e', 'c'};
            if (Ch == expected[state - 26]) {
                NextCh();
                if (state == 29)
                    kind = _ENDEXEC;
                else
                    ++state;
            } else {
                // Not end-exec after all: the word is END and the hyphen
                // starts the next token.
                RestoreReadState(beforeHyphen);
                kind = _NonQuotedIdentifier;
                checkLiteral = true;
            }
            break;
        }
        case 25:
            kind = _COMMA;
            break;
        case 37: kind = _SEMICOLON; break;
        case 38: kind = _LPAREN; break;
        case 39: kind = _RPAREN; break;
        case 40: kind = _STAR; break;
        case 41: kind = _EQUAL; break;
        case 43: kind = _PLUS; break;
        case 44: kind = _MINUS; break;
        case 47: kind = _SLASH; break;
        case 48: kind = _PERCENT; break;
        case 49: kind = _QUESTION; break;
        case 50: kind = _COLON; break;
        case 45:
            if (Ch == '|') {
                NextCh();
                kind = _CONCAT;
            } else {
                kind = noSym;
            }
            break;
        case 58:
            if (Ch == '>') {
                NextCh();
                kind = _NOTEQUAL;
            } else if (Ch == '=') {
                NextCh();
                kind = _LESSEQUAL;
            } else {
                kind = _LESS;
            }
            break;
        case 59:
            if (Ch == '=') {
                NextCh();
                kind = _BANGEQUAL;
            } else if (Ch == '>') {
                NextCh();
                kind = _NOTGREATER;
            } else if (Ch == '<') {
                NextCh();
                kind = _NOTLESS;
            } else {
                kind = noSym;
            }
            break;
        case 60:
            if (Ch == '=') {
                NextCh();
                kind = _GREATEREQUAL;
            } else {
                kind = _GREATER;
            }
            break;
        default:
            kind = noSym;
            break;
        }
    }
    t.Kind = kind;
    if (checkLiteral && !start.Pending) {
        // The keyword lookup reads the buffer, so a keyword's text can be
        // shared rather than cut out first (as CheckLiteral would).
        const QStringView written = TokenView(start);
        const int keyword = KeywordKind(written);
        if (keyword >= 0) {
            t.Kind = keyword;
            t.Text = SharedKeywordText(keyword, written);
            return t;
        }
        checkLiteral = false;
    }
    if (kind != _EOF)
        t.Text = TokenText(start);
    if (checkLiteral)
        CheckLiteral(t);
    return t;
}

} // namespace nvqb
