#pragma once
// Child lookup and value elements over the XML DOM, shared by the metadata and
// layout documents. The routines never create documents and never attach the
// nodes they create.
#include <QDomDocument>
#include <QDomElement>
#include <QDomNode>
#include <QString>
#include <QVariant>

namespace nvqb {

// A new element named name whose text is value; a Boolean is stored as 1 or 0.
// Raises the base exception for a name that is not a valid XML name.
QDomElement CreateNodeWithValue(QDomDocument &document, const QString &name, const QVariant &value);

// The first direct child whose node name equals name exactly; a null node when none.
QDomNode FindChildByName(const QString &name, const QDomNode &node);
// The same, when that child is an element; a null element otherwise.
QDomElement FindChildElByName(const QString &name, const QDomNode &node);
// The first child element of that name whose attribute equals attrValue under
// variant equality; a missing attribute never matches.
QDomElement FindChildByNameAndAttribute(const QString &name, const QString &attrName, const QVariant &attrValue,
                                        const QDomNode &node);
// The text of the child element named name; an invalid variant when there is none.
QVariant GetValueFromChildNode(const QDomNode &element, const QString &name);

} // namespace nvqb
