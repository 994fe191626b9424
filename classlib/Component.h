#pragma once
// Component ownership and free notification, as in the class library:
// - a component owns the components created with it as owner and frees them
//   when it is freed (last created first);
// - a component that refers to another one asks it for FreeNotification and is
//   told through Notification(other, opRemove) before the other goes away, so it
//   can drop the reference; the link works both ways and is cut on either side's
//   destruction.
// Destruction runs in BeforeDestruction, while the object is still whole, so
// the notifications reach the overrides of the most derived classes.
#include "classlib/Persistent.h"

#include <QList>
#include <QString>

namespace nvqb {

enum TOperation { opInsert, opRemove };

enum TComponentStateFlag {
    csLoading = 1,
    csReading = 2,
    csWriting = 4,
    csDestroying = 8,
    csDesigning = 16,
};

class TComponent : public TPersistent {
    NV_DECLARE_CLASS(TComponent)
public:
    explicit TComponent(TComponent *owner);
    ~TComponent() override;

    void AfterConstruction() override;
    void BeforeDestruction() override;

    TComponent *Owner() const { return FOwner; }
    const QString &Name() const { return FName; }
    virtual void SetName(const QString &name);

    qsizetype ComponentCount() const { return FComponents.size(); }
    TComponent *Components(qsizetype index) const;
    TComponent *FindComponent(const QString &name) const;
    // Takes ownership of the component (removing it from its former owner).
    void InsertComponent(TComponent *component);
    // Gives up ownership without freeing the component.
    void RemoveComponent(TComponent *component);
    // Frees every owned component, the last one first.
    void DestroyComponents();

    void FreeNotification(TComponent *component);
    void RemoveFreeNotification(TComponent *component);

    int ComponentState() const { return FComponentState; }
    bool IsDestroying() const { return (FComponentState & csDestroying) != 0; }
    bool IsLoading() const { return (FComponentState & csLoading) != 0; }
    bool IsDesigning() const { return (FComponentState & csDesigning) != 0; }
    void SetDesigning(bool value);
    void SetLoading(bool value);

protected:
    // Called on insertion into and removal from an owner and, for components
    // that asked for it, before another component is freed.
    virtual void Notification(TComponent *component, TOperation operation);
    void Destroying() { FComponentState |= csDestroying; }

private:
    void Insert(TComponent *component);
    void Remove(TComponent *component);
    void NotifyOwned(TComponent *component, TOperation operation);
    void SeverFreeNotifications();

    TComponent *FOwner = nullptr;
    QString FName;
    QList<TComponent *> FComponents;       // owned
    QList<TComponent *> FFreeNotifies;     // not owned, both ways
    int FComponentState = 0;
    bool FDestroyed = false;
};

} // namespace nvqb
