#include "classlib/Component.h"
#include "classlib/Assert.h"
#include "classlib/Strings.h"

namespace nvqb {

NV_IMPLEMENT_CLASS(TComponent, TPersistent)

TComponent::TComponent(TComponent *owner)
{
    if (owner)
        owner->Insert(this);
}

void TComponent::AfterConstruction()
{
    // The owner hears of the new component once it is complete.
    if (FOwner)
        FOwner->NotifyOwned(this, opInsert);
}

TComponent::~TComponent()
{
    // Objects deleted without Free still cut every link; only the virtual
    // notifications of this object's own overrides are lost at this stage.
    if (!FDestroyed) {
        FDestroyed = true;
        Destroying();
        SeverFreeNotifications();
        while (!FComponents.isEmpty())
            TObject::Free(FComponents.takeLast());
        if (FOwner)
            FOwner->Remove(this);
    }
}

void TComponent::BeforeDestruction()
{
    if (FDestroyed)
        return;
    Destroying();
    SeverFreeNotifications();
    DestroyComponents();
    if (FOwner) {
        TComponent *owner = FOwner;
        owner->Remove(this);
        owner->NotifyOwned(this, opRemove);
    }
    FDestroyed = true;
}

void TComponent::SeverFreeNotifications()
{
    while (!FFreeNotifies.isEmpty()) {
        TComponent *other = FFreeNotifies.takeLast();
        other->FFreeNotifies.removeAll(this);
        other->Notification(this, opRemove);
    }
}

void TComponent::NotifyOwned(TComponent *component, TOperation operation)
{
    Notification(component, operation);
    // Owned components hear of each other's removal too, as on a form.
    const QList<TComponent *> owned = FComponents;
    for (TComponent *c : owned)
        if (c != component && FComponents.contains(c))
            c->Notification(component, operation);
}

void TComponent::SetName(const QString &name) { FName = name; }

TComponent *TComponent::Components(qsizetype index) const
{
    if (index < 0 || index >= FComponents.size())
        ListIndexError(index);
    return FComponents[index];
}

TComponent *TComponent::FindComponent(const QString &name) const
{
    if (name.isEmpty())
        return nullptr;
    for (TComponent *c : FComponents)
        if (SameText(c->FName, name))
            return c;
    return nullptr;
}

void TComponent::Insert(TComponent *component)
{
    FComponents.append(component);
    component->FOwner = this;
}

void TComponent::Remove(TComponent *component)
{
    FComponents.removeOne(component);
    component->FOwner = nullptr;
}

void TComponent::InsertComponent(TComponent *component)
{
    Assert(component != nullptr && component != this, "Classes");
    if (component->FOwner == this)
        return;
    if (component->FOwner)
        component->FOwner->RemoveComponent(component);
    Insert(component);
    NotifyOwned(component, opInsert);
}

void TComponent::RemoveComponent(TComponent *component)
{
    Assert(component != nullptr && component->FOwner == this, "Classes");
    NotifyOwned(component, opRemove);
    Remove(component);
}

void TComponent::DestroyComponents()
{
    while (!FComponents.isEmpty()) {
        TComponent *c = FComponents.last();
        // Free removes the component from this list through its own BeforeDestruction.
        TObject::Free(c);
        FComponents.removeOne(c);
    }
}

void TComponent::FreeNotification(TComponent *component)
{
    if (!component || component == this)
        return;
    if (!FFreeNotifies.contains(component))
        FFreeNotifies.append(component);
    if (!component->FFreeNotifies.contains(this))
        component->FFreeNotifies.append(this);
}

void TComponent::RemoveFreeNotification(TComponent *component)
{
    if (!component)
        return;
    FFreeNotifies.removeAll(component);
    component->FFreeNotifies.removeAll(this);
}

void TComponent::SetDesigning(bool value)
{
    if (value)
        FComponentState |= csDesigning;
    else
        FComponentState &= ~csDesigning;
    for (TComponent *c : FComponents)
        c->SetDesigning(value);
}

void TComponent::SetLoading(bool value)
{
    if (value)
        FComponentState |= csLoading;
    else
        FComponentState &= ~csLoading;
}

void TComponent::Notification(TComponent *, TOperation) {}

} // namespace nvqb
