#pragma once
// Base of every persistent object whose changes must reach someone: an owner
// chain, registered notification methods and one update event. Changes made
// between BeginUpdate and EndUpdate are batched into one notification at the
// outermost EndUpdate.
#include "classlib/Method.h"
#include "classlib/Persistent.h"

#include <QList>
#include <exception>

namespace nvqb {

class TnvUpdatablePersistent : public TPersistent {
    NV_DECLARE_CLASS(TnvUpdatablePersistent)
public:
    explicit TnvUpdatablePersistent(TnvUpdatablePersistent *owner);
    ~TnvUpdatablePersistent() override;

    TnvUpdatablePersistent *Owner() const { return FOwner; }

    void BeginUpdate();
    // Closes one update level; the outermost one with a change pending runs
    // DoUpdated. The level is closed even when a notified method throws.
    void EndUpdate();
    bool IsUpdating() const { return FUpdateCount > 0; }
    bool GetIsUpdating() const { return IsUpdating(); }
    int UpdateCount() const { return FUpdateCount; }

    // Records a change: notifies at once outside an update, else marks it pending.
    void NotifyUpdated();

    // The same method may be registered more than once; unregistering removes
    // its most recent registration, and an unknown method is ignored.
    void RegisterUpdateNotification(const TNotifyEvent &method);
    void UnregisterUpdateNotification(const TNotifyEvent &method);
    qsizetype RegistrationCount() const { return FRegistrations.size(); }

    TNotifyEvent OnUpdated;

protected:
    // Owner first, then the registrations in registration order, then OnUpdated.
    virtual void DoUpdated();

    // The setter pattern of every subclass: store a changed value and notify.
    template <class T> void SetAndNotify(T &field, const T &value)
    {
        if (field == value)
            return;
        field = value;
        NotifyUpdated();
    }

private:
    struct Registration {
        TNotifyEvent Method;
        quint64 Id;
    };

    TnvUpdatablePersistent *FOwner;
    int FUpdateCount = 0;
    bool FPendingChange = false;
    QList<Registration> FRegistrations;
    quint64 FNextRegistrationId = 1;
};

// Runs BeginUpdate now and EndUpdate when the scope ends, also when an
// exception leaves the scope (a failure of the notification itself then gives
// way to the exception already on its way).
class TnvUpdateScope {
public:
    explicit TnvUpdateScope(TnvUpdatablePersistent *object)
        : FObject(object), FExceptions(std::uncaught_exceptions())
    {
        FObject->BeginUpdate();
    }
    ~TnvUpdateScope() noexcept(false)
    {
        if (std::uncaught_exceptions() == FExceptions) {
            FObject->EndUpdate();
            return;
        }
        try {
            FObject->EndUpdate();
        } catch (...) {
        }
    }
    TnvUpdateScope(const TnvUpdateScope &) = delete;
    TnvUpdateScope &operator=(const TnvUpdateScope &) = delete;

private:
    TnvUpdatablePersistent *FObject;
    int FExceptions;
};

} // namespace nvqb
