#pragma once
// ODBC connection strings: "key=value" attributes separated by ";", a value
// in braces ("{...}", with "}}" for a closing brace) when it holds ";" or
// braces. Keys are matched without regard to case.
#include <QList>
#include <QPair>
#include <QString>

namespace nvqb {

using TConnectionAttribute = QPair<QString, QString>;

// The attributes in their order. Blanks around keys and unbraced values are
// dropped, as are empty segments. Raises EDatabaseError naming the position of
// an attribute without "=" or a brace that is not closed.
QList<TConnectionAttribute> ParseConnectionString(const QString &text);
QString BuildConnectionString(const QList<TConnectionAttribute> &attributes);

// The value of the last attribute with the key; empty when there is none.
QString ConnectionStringValue(const QString &text, const QString &key);
// The string with the key's value replaced (all earlier occurrences removed),
// or appended when the key is not there.
QString SetConnectionStringValue(const QString &text, const QString &key, const QString &value);
// The string with the value of every password attribute ("PWD", "Password",
// in any case) replaced by "***": the one form in which a connection string
// is shown or written to a message or log. Text that does not parse shows
// nothing of itself.
QString MaskConnectionString(const QString &text);

} // namespace nvqb
