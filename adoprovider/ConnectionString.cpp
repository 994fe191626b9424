#include "adoprovider/ConnectionString.h"
#include "classlib/Dataset.h"
#include "classlib/Strings.h"

namespace nvqb {

namespace {

bool IsPasswordKey(const QString &key)
{
    return SameText(key, QStringLiteral("PWD")) || SameText(key, QStringLiteral("Password"));
}

} // namespace

QList<TConnectionAttribute> ParseConnectionString(const QString &text)
{
    QList<TConnectionAttribute> result;
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        const qsizetype start = i;
        while (i < n && text[i] != u'=' && text[i] != u';')
            ++i;
        const QString key = Trim(text.mid(start, i - start));
        if (i >= n || text[i] == u';') {
            // After a password the text is most likely the rest of it, cut
            // at a ';' that should have been braced: it is not repeated.
            if (!key.isEmpty() && !result.isEmpty() && IsPasswordKey(result.last().first))
                throw EDatabaseError(QStringLiteral("Connection string: the text at position %1, after the password, "
                                                    "has no '=' (a value holding ';' is written in braces)")
                                         .arg(start + 1));
            if (!key.isEmpty())
                throw EDatabaseError(QStringLiteral("Connection string: attribute '%1' at position %2 has no '='")
                                         .arg(key)
                                         .arg(start + 1));
            ++i;
            continue;
        }
        ++i; // past '='
        while (i < n && text[i] == u' ')
            ++i;
        QString value;
        if (i < n && text[i] == u'{') {
            const qsizetype brace = i;
            ++i;
            bool closed = false;
            while (i < n) {
                if (text[i] == u'}') {
                    if (i + 1 < n && text[i + 1] == u'}') {
                        value.append(u'}');
                        i += 2;
                        continue;
                    }
                    closed = true;
                    ++i;
                    break;
                }
                value.append(text[i]);
                ++i;
            }
            if (!closed)
                throw EDatabaseError(
                    QStringLiteral("Connection string: the '{' at position %1 is not closed").arg(brace + 1));
            while (i < n && text[i] != u';')
                ++i;
        } else {
            const qsizetype vstart = i;
            while (i < n && text[i] != u';')
                ++i;
            value = Trim(text.mid(vstart, i - vstart));
        }
        ++i; // past ';'
        if (key.isEmpty())
            throw EDatabaseError(
                QStringLiteral("Connection string: the value at position %1 has no key").arg(start + 1));
        result.append({key, value});
    }
    return result;
}

QString BuildConnectionString(const QList<TConnectionAttribute> &attributes)
{
    QString out;
    for (const TConnectionAttribute &a : attributes) {
        if (!out.isEmpty())
            out.append(u';');
        out.append(a.first).append(u'=');
        const QString &v = a.second;
        const bool brace = v.contains(u';') || v.contains(u'{') || v.contains(u'}') ||
                           (!v.isEmpty() && (v.front() <= u' ' || v.back() <= u' '));
        if (brace) {
            QString escaped = v;
            escaped.replace(QStringLiteral("}"), QStringLiteral("}}"));
            out.append(u'{').append(escaped).append(u'}');
        } else {
            out.append(v);
        }
    }
    return out;
}

QString ConnectionStringValue(const QString &text, const QString &key)
{
    QString value;
    for (const TConnectionAttribute &a : ParseConnectionString(text))
        if (SameText(a.first, key))
            value = a.second;
    return value;
}

QString SetConnectionStringValue(const QString &text, const QString &key, const QString &value)
{
    QList<TConnectionAttribute> attributes = ParseConnectionString(text);
    qsizetype last = -1;
    for (qsizetype i = attributes.size() - 1; i >= 0; --i) {
        if (!SameText(attributes[i].first, key))
            continue;
        if (last < 0) {
            last = i;
            attributes[i].second = value;
        } else {
            attributes.removeAt(i);
        }
    }
    if (last < 0)
        attributes.append({key, value});
    return BuildConnectionString(attributes);
}

QString MaskConnectionString(const QString &text)
{
    QList<TConnectionAttribute> attributes;
    try {
        attributes = ParseConnectionString(text);
    } catch (const EDatabaseError &) {
        // Unparsable text may hide a password anywhere; show none of it.
        return QStringLiteral("(unreadable connection string)");
    }
    for (TConnectionAttribute &a : attributes)
        if (IsPasswordKey(a.first))
            a.second = QStringLiteral("***");
    return BuildConnectionString(attributes);
}

} // namespace nvqb
