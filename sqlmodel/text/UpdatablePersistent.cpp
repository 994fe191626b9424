#include "sqlmodel/text/UpdatablePersistent.h"
#include "classlib/Assert.h"

namespace nvqb {

NV_IMPLEMENT_CLASS(TnvUpdatablePersistent, TPersistent)

TnvUpdatablePersistent::TnvUpdatablePersistent(TnvUpdatablePersistent *owner) : FOwner(owner) {}

TnvUpdatablePersistent::~TnvUpdatablePersistent() = default;

void TnvUpdatablePersistent::BeginUpdate() { ++FUpdateCount; }

void TnvUpdatablePersistent::EndUpdate()
{
    Assert(FUpdateCount > 0, "nvAST", "EndUpdate without BeginUpdate");
    if (FUpdateCount == 1 && FPendingChange) {
        // The level closes whatever DoUpdated does; a change made while the
        // notification runs is absorbed, as the counter is still 1 then.
        struct CloseLevel {
            TnvUpdatablePersistent *Self;
            ~CloseLevel()
            {
                Self->FPendingChange = false;
                --Self->FUpdateCount;
            }
        } close{this};
        DoUpdated();
        return;
    }
    --FUpdateCount;
}

void TnvUpdatablePersistent::NotifyUpdated()
{
    if (FUpdateCount > 0) {
        FPendingChange = true;
        return;
    }
    BeginUpdate();
    FPendingChange = true;
    EndUpdate();
}

void TnvUpdatablePersistent::DoUpdated()
{
    if (FOwner)
        FOwner->NotifyUpdated();
    if (!FRegistrations.isEmpty()) {
        // Walk a snapshot so that a method that registers or unregisters during
        // the walk makes nobody be skipped or called twice; one unregistered
        // meanwhile is not called any more.
        const QList<Registration> snapshot = FRegistrations;
        for (const Registration &r : snapshot) {
            bool stillRegistered = false;
            for (const Registration &current : FRegistrations)
                if (current.Id == r.Id) {
                    stillRegistered = true;
                    break;
                }
            if (stillRegistered)
                r.Method(this);
        }
    }
    if (OnUpdated)
        OnUpdated(this);
}

void TnvUpdatablePersistent::RegisterUpdateNotification(const TNotifyEvent &method)
{
    FRegistrations.append(Registration{method, FNextRegistrationId++});
}

void TnvUpdatablePersistent::UnregisterUpdateNotification(const TNotifyEvent &method)
{
    for (qsizetype i = FRegistrations.size() - 1; i >= 0; --i)
        if (FRegistrations[i].Method == method) {
            FRegistrations.removeAt(i);
            return;
        }
}

} // namespace nvqb
