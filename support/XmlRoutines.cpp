#include "support/XmlRoutines.h"
#include "classlib/Exceptions.h"
#include "classlib/Variant.h"

#include <QLocale>

namespace nvqb {

namespace {

bool IsNameStartChar(QChar c)
{
    return c.isLetter() || c == u'_' || c == u':';
}

bool IsNameChar(QChar c)
{
    return IsNameStartChar(c) || c.isDigit() || c.isMark() || c == u'-' || c == u'.' || c.unicode() == 0xB7;
}

// Qt's DOM writes any name it is given; a name that is not an XML name would
// make the saved document unreadable, so it is refused here.
bool IsXmlName(const QString &name)
{
    if (name.isEmpty() || !IsNameStartChar(name[0]))
        return false;
    for (QChar c : name)
        if (!IsNameChar(c))
            return false;
    return true;
}

QString ValueText(const QVariant &value)
{
    if (value.typeId() == QMetaType::Bool)
        return value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    if (value.typeId() == QMetaType::Double || value.typeId() == QMetaType::Float)
        return QString::number(value.toDouble(), 'g', QLocale::FloatingPointShortest);
    return value.toString();
}

} // namespace

QDomElement CreateNodeWithValue(QDomDocument &document, const QString &name, const QVariant &value)
{
    if (!IsXmlName(name))
        throw Exception(QStringLiteral("Invalid XML element name \"%1\"").arg(name));
    QDomElement element = document.createElement(name);
    const QString text = ValueText(value);
    if (!text.isEmpty())
        element.appendChild(document.createTextNode(text));
    return element;
}

QDomNode FindChildByName(const QString &name, const QDomNode &node)
{
    for (QDomNode child = node.firstChild(); !child.isNull(); child = child.nextSibling())
        if (child.nodeName() == name)
            return child;
    return QDomNode();
}

QDomElement FindChildElByName(const QString &name, const QDomNode &node)
{
    return FindChildByName(name, node).toElement();
}

QDomElement FindChildByNameAndAttribute(const QString &name, const QString &attrName, const QVariant &attrValue,
                                        const QDomNode &node)
{
    for (QDomNode child = node.firstChild(); !child.isNull(); child = child.nextSibling()) {
        if (child.nodeName() != name || !child.isElement())
            continue;
        const QDomElement element = child.toElement();
        if (element.hasAttribute(attrName) && VarEquals(QVariant(element.attribute(attrName)), attrValue))
            return element;
    }
    return QDomElement();
}

QVariant GetValueFromChildNode(const QDomNode &element, const QString &name)
{
    const QDomElement child = FindChildElByName(name, element);
    if (child.isNull())
        return QVariant();
    return QVariant(child.text());
}

} // namespace nvqb
