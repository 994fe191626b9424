#pragma once
// The scanner base: turns a whole SQL text into a token list before parsing.
// A dialect supplies the table set-up (InitInternal), the recognition of one
// token (NextToken) and the keyword lookup (CheckLiteral); the base keeps the
// buffer, line and column counting, the skip set, the start table and the
// token list, which always ends with one end-of-input token.
#include "classlib/ClassInfo.h"

#include <QList>
#include <QString>
#include <bitset>
#include <memory>
#include <vector>

namespace nvqb {

// The text being scanned.
class TnvBuffer {
public:
    void Fill(const QString &text);
    // The code unit at Position, advancing; -1 at the end, without moving.
    int Read()
    {
        if (FPosition >= FLength)
            return -1;
        // Read through the const data: the non-const index would detach, copying
        // the caller's whole text.
        return FChars.constData()[FPosition++].unicode();
    }
    int Peek() const { return FPosition < FLength ? int(FChars[FPosition].unicode()) : -1; }
    // The code units from `from` up to `to`; out-of-range bounds are clipped.
    QString GetString(int from, int to) const;
    void SetPos(int index);
    int Position() const { return FPosition; }
    int Length() const { return FLength; }
    const QString &Chars() const { return FChars; }

private:
    QString FChars;
    int FLength = 0;
    int FPosition = 0;
};

// A set of UTF-16 code units.
class TnvCharSet {
public:
    bool GetItems(int ch) const { return ch >= 0 && ch < 65536 && FFlags.test(size_t(ch)); }
    void SetItems(int ch, bool value)
    {
        if (ch >= 0 && ch < 65536)
            FFlags.set(size_t(ch), value);
    }

private:
    std::bitset<65536> FFlags;
};

// First character of a token to a state of the dialect's state machine.
class TnvStartTable {
public:
    TnvStartTable();
    qint16 GetItems(int ch) const
    {
        if (ch >= 0 && ch < 128)
            return FAscii[ch];
        int i = FindEntry(ch);
        return i < 0 ? FDefault : FValues[i];
    }
    void SetItems(int ch, qint16 value);
    int FindEntry(int ch) const;
    qint16 Default() const { return FDefault; }
    void SetDefault(qint16 value);
    int Count() const { return FCount; }
    const std::vector<char16_t> &Keys() const { return FKeys; }
    const std::vector<qint16> &Values() const { return FValues; }

private:
    void AddEntry(int ch, qint16 value);

    qint16 FDefault = 0;
    int FCount = 0;
    std::vector<char16_t> FKeys;
    std::vector<qint16> FValues;
    // The same entries for the ASCII range, read without a search.
    qint16 FAscii[128];
};

// One token: kind (0 is the end of input), where it starts, and its text as written.
struct TnvToken {
    int Kind = 0;
    int Offset = 0;
    int Column = 0;
    int Line = 0;
    QString Text;
};

class TnvBaseScanner : public TObject {
    NV_DECLARE_CLASS(TnvBaseScanner)
public:
    TnvBaseScanner();
    ~TnvBaseScanner() override;

    // Tokenises the whole text.
    void Init(const QString &text);
    int GetCount() const { return int(FTokens.size()); }
    // Any index outside the list yields the end-of-input token.
    const TnvToken *GetToken(int index) const
    {
        if (index < 0 || index >= int(FTokens.size()))
            return &FTokens.back();
        return &FTokens[size_t(index)];
    }
    const std::vector<TnvToken> &Tokens() const { return FTokens; }

    bool CommentsEnabled() const { return FCommentsEnabled; }
    void SetCommentsEnabled(bool value) { FCommentsEnabled = value; }
    bool SkipIgnored() const { return FSkipIgnored; }
    void SetSkipIgnored(bool value) { FSkipIgnored = value; }

    // The tables for changing: the scanner's own, copied from shared ones on
    // first use.
    TnvStartTable &StartTable();
    TnvCharSet &IgnoreSet();
    // The tables as scanning reads them.
    const TnvStartTable &Starts() const { return *FStart; }
    const TnvCharSet &Ignored() const { return *FIgnore; }
    // Reads tables a dialect built once for its class instead of building
    // its own for every scanner (a character set alone is 8 KB); they must
    // outlive the scanner.
    void ShareTables(const TnvStartTable &start, const TnvCharSet &ignore);

protected:
    virtual void CheckLiteral(TnvToken &token) = 0;
    virtual TnvToken NextToken() = 0;
    virtual void InitInternal() = 0;

    // Reads the next character into Ch and SourceCh. Inline: it runs once
    // per character of the text.
    void NextCh()
    {
        if (PendingLineEnds > 0) {
            Ch = 13;
            SourceCh = 13;
            ChIsPending = true;
            --PendingLineEnds;
            return;
        }
        ChIsPending = false;
        ChStart = FBuffer->Position();
        Ch = FBuffer->Read();
        ++Pos;
        if (Ch == 13) {
            // CR LF is one line end; only a real CR takes the LF after it, so two
            // lone LFs still count as two lines.
            if (FBuffer->Peek() == 10) {
                FBuffer->Read();
                ++Pos;
            }
            ++Line;
            LineStart = Pos + 1;
        } else if (Ch == 10 && FBuffer->Peek() != 13) {
            // A lone LF ends a line as a CR would; LF CR ends it once, at the CR.
            Ch = 13;
            ++Line;
            LineStart = Pos + 1;
        }
        SourceCh = char16_t(Ch);
        if (Ch < 128) {
            // The common case without the Unicode tables.
            if (Ch >= 'A' && Ch <= 'Z')
                Ch += 32;
        } else {
            Ch = LowerNonAscii(Ch);
        }
    }
    static int LowerNonAscii(int ch);
    // Where a token's text starts: a buffer index, or a line end handed out
    // after a comment, which has no characters of its own.
    struct TokenStart {
        int TextStart = 0;
        bool Pending = false;
    };
    // Starts a token at the current character.
    TnvToken BeginToken(TokenStart &start) const;
    // The text of a token from its start up to the current character.
    QString TokenText(const TokenStart &start) const;
    // The same characters in the buffer, without a copy; empty for a line
    // end handed out after a comment (its text is not in the buffer).
    QStringView TokenView(const TokenStart &start) const;

    TnvBuffer *Buffer() const { return FBuffer.get(); }

    // The reading position as a whole, so a reader that looked ahead in vain
    // can put everything back.
    struct ReadState {
        int Ch, Pos, Line, LineStart, PendingLineEnds, ChStart, BufferPos;
        char16_t SourceCh;
        bool ChIsPending;
    };
    ReadState SaveReadState() const;
    void RestoreReadState(const ReadState &state);

    int Ch = -1;              // current character, lower-cased; -1 at the end
    char16_t SourceCh = 0;    // current character as written
    int Pos = -1;             // index of the current character
    int Line = 1;
    int LineStart = 0;
    int PendingLineEnds = 0;
    // Where the current character starts in the buffer (a CR LF pair is one
    // character), and whether it is a line end handed out after a comment.
    int ChStart = 0;
    bool ChIsPending = false;

private:
    std::vector<TnvToken> FTokens;
    std::unique_ptr<TnvStartTable> FOwnStart;
    std::unique_ptr<TnvCharSet> FOwnIgnore;
    const TnvStartTable *FStart;
    const TnvCharSet *FIgnore;
    std::unique_ptr<TnvBuffer> FBuffer;
    bool FCommentsEnabled = true;
    bool FSkipIgnored = true;
};

} // namespace nvqb
