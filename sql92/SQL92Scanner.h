#pragma once
// The SQL-92 scanner: a table-driven state machine over lower-cased
// characters, with identifiers then looked up in the keyword table. Token
// texts keep the case and line ends in which they were written.
//
// A NUL character is refused everywhere but in a string literal: a server
// reached through a NUL-terminated interface would see the statement end
// there. It becomes a token of no symbol of its own, at its own place, so
// the parse stops at it; its text is written "\0" to stay readable in a
// message.
#include "sqlmodel/parse/Scanner.h"

namespace nvqb {

class SQL92Scanner : public TnvBaseScanner {
    NV_DECLARE_CLASS(SQL92Scanner)
public:
    SQL92Scanner();
    // The keyword kind of a word, or -1; only ASCII letters are folded, so no
    // other character can spell a keyword.
    static int KeywordKind(QStringView word);

protected:
    void CheckLiteral(TnvToken &token) override;
    TnvToken NextToken() override;
    void InitInternal() override;

    bool Comment0();
    bool Comment1();

private:
    // Skips a comment opened by the current character and `second`. A NUL
    // ends the comment before it.
    bool SkipComment(char second, bool block);
    // The NUL at the current character as a token of no symbol.
    TnvToken NulToken();
};

} // namespace nvqb
