#pragma once
// The SQL-92 scanner: a table-driven state machine over lower-cased
// characters, with identifiers then looked up in the keyword table. Token
// texts keep the case and line ends in which they were written.
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
    // Skips a comment opened by the current character and `second`.
    bool SkipComment(char second, bool block);
};

} // namespace nvqb
