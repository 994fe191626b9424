#pragma once
// The parse error: the caller's message and a line that names the offending
// token with its line and position. The token's place and text are copied, so
// the error outlives the scanner that made the token.
#include "classlib/Exceptions.h"

namespace nvqb {

struct TnvToken;

class EnvSQLError : public Exception {
public:
    EnvSQLError(const QString &message, const TnvToken &token);
    const char *ClassName() const override { return "EnvSQLError"; }

    int TokenOffset() const { return FTokenOffset; }
    int TokenColumn() const { return FTokenColumn; }
    int TokenLine() const { return FTokenLine; }
    const QString &TokenText() const { return FTokenText; }

private:
    int FTokenOffset;
    int FTokenColumn;
    int FTokenLine;
    QString FTokenText;
};

} // namespace nvqb
