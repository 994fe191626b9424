#include "sqlmodel/parse/SQLError.h"
#include "sqlmodel/ModelMessages.h"
#include "sqlmodel/parse/Scanner.h"

namespace nvqb {

namespace {
QString ComposeMessage(const QString &message, const TnvToken &token)
{
    // Only the template is formatted: a percent sign in the caller's message
    // or in the token's text is shown as it stands.
    return message + QStringLiteral("\r\n") +
           nvQBFormatMessage(nvQBUnexpectedTokenAt, {token.Text, token.Line, token.Column});
}
} // namespace

EnvSQLError::EnvSQLError(const QString &message, const TnvToken &token)
    : Exception(ComposeMessage(message, token)), FTokenOffset(token.Offset), FTokenColumn(token.Column),
      FTokenLine(token.Line), FTokenText(token.Text)
{
}

} // namespace nvqb
