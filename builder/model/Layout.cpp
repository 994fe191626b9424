#include "builder/model/Layout.h"
#include "builder/model/DatasourceGroup.h"
#include "builder/model/QueryBuilderModel.h"
#include "builder/model/SubQuery.h"
#include "builder/model/UnionSubQuery.h"
#include "classlib/Exceptions.h"
#include "sqlmodel/metadata/XmlText.h"
#include "support/XmlGuard.h"
#include "support/XmlRoutines.h"

#include <QDomDocument>

#include <algorithm>

namespace nvqb {

namespace {

const QString RootName = QStringLiteral("NorvaneQueryBuilderLayout");
const QString SQLName = QStringLiteral("SQL");
const QString SubQueriesName = QStringLiteral("SubQueries");
const QString SubQueryName = QStringLiteral("SubQuery");
const QString UnionSubQueryName = QStringLiteral("UnionSubQuery");
// A character of the SQL that XML cannot carry, by its UTF-16 code.
const QString CharName = QStringLiteral("Char");
const QString CodeName = QStringLiteral("Code");

// A layout nests five levels deep (root, SubQueries, SubQuery,
// UnionSubQuery, DataSource) and a box carries five attributes. The limits
// leave room for a host's additions while keeping Qt's recursive DOM away
// from the deep trees it cannot build, write or free safely.
const TXmlShapeLimits LayoutShape{32, 64};

// The SQL as the element's content: text, with every character XML cannot
// carry (control characters, unpaired surrogates) as an empty "Char"
// element naming its code, so that the query comes back as it was. A run of
// text that is only white space goes as "Char" elements as well: an XML
// reader drops such text between two elements (or as an element's only
// content), and the blanks of a string literal would go with it. Qt's
// reader takes white space in the wide sense of Unicode (a no-break space
// too), so that is the sense here.
void AppendSQLText(QDomDocument &document, QDomElement &element, const QString &sql)
{
    auto appendCode = [&](QChar c) {
        QDomElement code = document.createElement(CharName);
        code.setAttribute(CodeName, int(c.unicode()));
        element.appendChild(code);
    };
    qsizetype start = 0;
    auto flush = [&](qsizetype end) {
        if (end <= start)
            return;
        const QStringView text = QStringView(sql).mid(start, end - start);
        if (std::all_of(text.begin(), text.end(), [](QChar c) { return c.isSpace(); })) {
            for (QChar c : text)
                appendCode(c);
            return;
        }
        element.appendChild(document.createTextNode(text.toString()));
    };
    for (qsizetype i = 0; i < sql.size(); ++i) {
        const QChar c = sql[i];
        if (c.isHighSurrogate() && i + 1 < sql.size() && sql[i + 1].isLowSurrogate()) {
            ++i;
            continue;
        }
        if (!c.isSurrogate() && IsXMLChar(c.unicode()))
            continue;
        flush(i);
        appendCode(c);
        start = i + 1;
    }
    flush(sql.size());
}

QString SQLText(const QDomElement &element)
{
    QString sql;
    for (QDomNode node = element.firstChild(); !node.isNull(); node = node.nextSibling()) {
        if (node.isCharacterData()) {
            if (!node.isComment())
                sql += node.nodeValue();
            continue;
        }
        const QDomElement child = node.toElement();
        if (child.isNull())
            continue;
        if (child.tagName() != CharName) {
            sql += child.text();
            continue;
        }
        bool ok = false;
        const uint code = child.attribute(CodeName).toUInt(&ok);
        if (ok && code <= 0xFFFF)
            sql += QChar(char16_t(code));
    }
    return sql;
}

} // namespace

QString SaveQueryBuilderLayout(TnvQueryBuilderModel *queryBuilder)
{
    QDomDocument document;
    QDomElement root = document.createElement(RootName);
    document.appendChild(root);
    QDomElement sql = document.createElement(SQLName);
    AppendSQLText(document, sql, queryBuilder->GetSQL());
    root.appendChild(sql);
    QDomElement subQueries = document.createElement(SubQueriesName);
    root.appendChild(subQueries);
    for (qsizetype i = 0; i < queryBuilder->GetSubQueriesCount(); ++i)
        SaveSubQueryLayout(queryBuilder->GetSubQueries(i), document, subQueries);
    return document.toString(-1);
}

namespace {
// The document and its SQL element, or the reason the loader reads nothing.
QString ReadLayoutDocument(const QString &text, QDomDocument &document, QDomElement &sql)
{
    QString error = XmlShapeError(QStringView(text), LayoutShape);
    if (!error.isEmpty())
        return error;
    QString message;
    int line = 0, column = 0;
    if (!document.setContent(text, &message, &line, &column))
        return QStringLiteral("not an XML document (line %1, column %2: %3)").arg(line).arg(column).arg(message);
    // The root's name is not checked: any document with the children is
    // read.
    const QDomElement root = document.documentElement();
    if (root.isNull())
        return QStringLiteral("the document has no root element");
    sql = FindChildElByName(SQLName, root);
    if (sql.isNull())
        return QStringLiteral("the document has no %1 element").arg(SQLName);
    return QString();
}
} // namespace

QString LayoutDocumentError(const QString &text)
{
    if (text.trimmed().isEmpty())
        return QStringLiteral("the layout is empty");
    QDomDocument document;
    QDomElement sql;
    return ReadLayoutDocument(text, document, sql);
}

namespace {
// The sub-query's element, found by the SQL it prints, or a null element.
QDomElement FindSubQueryElement(TnvSubQuery *subQuery, const QDomElement &subQueries);
// Places the boxes of the sub-query's union parts as the element says.
void LoadSubQueryLayoutFrom(TnvSubQuery *subQuery, const QDomElement &element);
} // namespace

void LoadQueryBuilderLayout(TnvQueryBuilderModel *queryBuilder, const QString &text) noexcept
{
    // Whatever goes wrong ends the load where it stands: what was applied
    // before stays, and the host never sees an exception from here.
    try {
        QDomDocument document;
        QDomElement sql;
        if (!queryBuilder || !ReadLayoutDocument(text, document, sql).isEmpty())
            return;
        const QDomElement root = document.documentElement();
        queryBuilder->SetSyncSQL(SQLText(sql));
        const QDomElement subQueries = FindChildElByName(SubQueriesName, root);
        if (subQueries.isNull())
            return;
        // A layout saved by an earlier version may hold a sub-query's SQL as
        // that version printed it (another keyword case, joins in another
        // order): when its sub-queries are as many as the query's, an element
        // no SQL matches is taken by its position, as the layout lists them in
        // the order they are made.
        QList<QDomElement> saved;
        for (QDomElement element = subQueries.firstChildElement(SubQueryName); !element.isNull();
             element = element.nextSiblingElement(SubQueryName))
            saved.append(element);
        const bool byPosition = saved.size() == queryBuilder->GetSubQueriesCount();
        // By index: the list is read afresh at each step.
        for (qsizetype i = 0; i < queryBuilder->GetSubQueriesCount(); ++i) {
            TnvSubQuery *subQuery = queryBuilder->GetSubQueries(i);
            QDomElement element = FindSubQueryElement(subQuery, subQueries);
            if (element.isNull() && byPosition && i < saved.size())
                element = saved[i];
            LoadSubQueryLayoutFrom(subQuery, element);
        }
    } catch (...) {
    }
}

void SaveSubQueryLayout(TnvSubQuery *subQuery, QDomDocument &document, QDomElement &parent)
{
    QDomElement element = document.createElement(SubQueryName);
    parent.appendChild(element);
    element.setAttribute(SQLName, XMLSafeText(subQuery->GetResultSQL()));
    for (qsizetype i = 0; i < subQuery->UnionSubQueriesCount(); ++i)
        SaveUnionSubQueryLayout(subQuery->UnionSubQueries(i), document, element);
}

void LoadSubQueryLayout(TnvSubQuery *subQuery, const QDomElement &subQueries)
{
    LoadSubQueryLayoutFrom(subQuery, FindSubQueryElement(subQuery, subQueries));
}

namespace {
QDomElement FindSubQueryElement(TnvSubQuery *subQuery, const QDomElement &subQueries)
{
    return FindChildByNameAndAttribute(SubQueryName, SQLName, XMLSafeText(subQuery->GetResultSQL()), subQueries);
}

void LoadSubQueryLayoutFrom(TnvSubQuery *subQuery, const QDomElement &element)
{
    if (element.isNull())
        return;
    const QDomNodeList children = element.childNodes();
    for (qsizetype i = 0; i < subQuery->UnionSubQueriesCount() && i < children.count(); ++i) {
        const QDomNode child = children.item(int(i));
        // The parts are matched by position, so a node of another kind in
        // their row leaves the rest unmatched: the load ends there.
        if (!child.isElement())
            throw Exception(QStringLiteral("The layout of union part %1 is not an element").arg(i + 1));
        LoadUnionSubQueryLayout(subQuery->UnionSubQueries(i), child.toElement());
    }
}
} // namespace

void SaveUnionSubQueryLayout(TnvUnionSubQuery *member, QDomDocument &document, QDomElement &parent)
{
    QDomElement element = document.createElement(UnionSubQueryName);
    parent.appendChild(element);
    if (TnvDatasourceGroup *from = member->FromGroup())
        from->SaveLayout(document, element);
}

void LoadUnionSubQueryLayout(TnvUnionSubQuery *member, const QDomElement &element)
{
    if (TnvDatasourceGroup *from = member->FromGroup())
        from->LoadLayout(element);
}

} // namespace nvqb
