#include "sqlmodel/providers/EditPropsFormClasses.h"

#include <QList>
#include <utility>

namespace nvqb {

namespace {
QList<std::pair<TClass, TClass>> &Registry()
{
    static QList<std::pair<TClass, TClass>> registry;
    return registry;
}
} // namespace

void RegisterEditPropsFormClass(TClass nodeClass, TClass formClass)
{
    if (!nodeClass)
        return;
    UnregisterEditPropsFormClass(nodeClass);
    if (formClass)
        Registry().append(std::make_pair(nodeClass, formClass));
}

void UnregisterEditPropsFormClass(TClass nodeClass)
{
    Registry().removeIf([nodeClass](const std::pair<TClass, TClass> &entry) { return entry.first == nodeClass; });
}

TClass FindEditPropsFormClass(const TObject *node)
{
    if (!node)
        return nullptr;
    // The nearest class up the node's parent chain wins, so a dialog for a
    // derived node class takes precedence over its base's.
    for (TClass cls = node->ClassType(); cls; cls = cls->Parent)
        for (const auto &entry : std::as_const(Registry()))
            if (entry.first == cls)
                return entry.second;
    return nullptr;
}

} // namespace nvqb
