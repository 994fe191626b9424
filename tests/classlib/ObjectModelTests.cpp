#include "classlib/Assert.h"
#include "classlib/Component.h"
#include "classlib/Method.h"

#include <gtest/gtest.h>

using namespace nvqb;

namespace {

struct Listener {
    int Calls = 0;
    void Handle(TObject *) { ++Calls; }
    void Other(TObject *) {}
};

class TTestComponent : public TComponent {
    NV_DECLARE_CLASS(TTestComponent)
public:
    using TComponent::TComponent;
    TComponent *Peer = nullptr;
    QStringList *Log = nullptr;
    void SetPeer(TComponent *peer)
    {
        Peer = peer;
        if (peer)
            peer->FreeNotification(this);
    }

protected:
    void Notification(TComponent *component, TOperation operation) override
    {
        TComponent::Notification(component, operation);
        if (operation == opRemove && component == Peer)
            Peer = nullptr;
    }
    void BeforeDestruction() override
    {
        if (Log)
            Log->append(Name());
        TComponent::BeforeDestruction();
    }
};
NV_IMPLEMENT_CLASS(TTestComponent, TComponent)

} // namespace

TEST(MethodPointer, EqualityIsObjectAndMethod)
{
    Listener a, b;
    auto m1 = TNotifyEvent::Bind<&Listener::Handle>(&a);
    auto m2 = TNotifyEvent::Bind<&Listener::Handle>(&a);
    EXPECT_TRUE(m1 == m2);
    EXPECT_FALSE(m1 == TNotifyEvent::Bind<&Listener::Handle>(&b));
    EXPECT_FALSE(m1 == TNotifyEvent::Bind<&Listener::Other>(&a));
    EXPECT_TRUE(TNotifyEvent() == nullptr);
    m1(nullptr);
    EXPECT_EQ(a.Calls, 1);
    auto lambda = TNotifyEvent::FromCallable([](TObject *) {});
    auto copy = lambda;
    EXPECT_TRUE(lambda == copy);
    EXPECT_FALSE(lambda == TNotifyEvent::FromCallable([](TObject *) {}));
}

TEST(ClassInfo, NamesAndInheritance)
{
    auto c = Create<TTestComponent>(nullptr);
    EXPECT_EQ(c->ClassName(), QStringLiteral("TTestComponent"));
    EXPECT_TRUE(c->Is<TComponent>());
    EXPECT_TRUE(c->Is<TPersistent>());
    EXPECT_EQ(As<TComponent>(static_cast<TObject *>(c.get())), c.get());
    TPersistent p;
    EXPECT_EQ(As<TComponent>(&p), nullptr);
    try {
        c->Assign(&p);
        FAIL();
    } catch (const EConvertError &e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Cannot assign a TPersistent to a TTestComponent"));
    }
    try {
        p.Assign(nullptr);
        FAIL();
    } catch (const EConvertError &e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Cannot assign a nil to a TPersistent"));
    }
}

TEST(Assertions, NameTheirUnitAndThrow)
{
    try {
        Assert(false, "nvAST");
        FAIL();
    } catch (const EAssertionFailed &e) {
        EXPECT_TRUE(e.Message().startsWith(QStringLiteral("Assertion failure (nvAST, line ")));
    }
    EXPECT_NO_THROW(Assert(true, "nvAST"));
}

TEST(Component, OwnerFreesOwnedLastFirst)
{
    QStringList log;
    auto owner = Create<TTestComponent>(nullptr);
    owner->SetName(QStringLiteral("owner"));
    owner->Log = &log;
    for (const char *name : {"first", "second", "third"}) {
        auto *c = new TTestComponent(owner.get());
        c->AfterConstruction();
        c->SetName(QString::fromLatin1(name));
        c->Log = &log;
    }
    EXPECT_EQ(owner->ComponentCount(), 3);
    EXPECT_EQ(owner->FindComponent(QStringLiteral("SECOND"))->Name(), QStringLiteral("second"));
    TObject::Free(owner->Components(1));
    EXPECT_EQ(owner->ComponentCount(), 2);
    owner.reset();
    EXPECT_EQ(log, QStringList({"second", "owner", "third", "first"}));
}

TEST(Component, FreeNotificationClearsReferences)
{
    auto provider = Create<TTestComponent>(nullptr);
    auto user1 = Create<TTestComponent>(nullptr);
    auto user2 = Create<TTestComponent>(nullptr);
    user1->SetPeer(provider.get());
    user2->SetPeer(provider.get());
    provider.reset();
    EXPECT_EQ(user1->Peer, nullptr);
    EXPECT_EQ(user2->Peer, nullptr);

    // The link is cut both ways: freeing the user first leaves nothing dangling.
    auto provider2 = Create<TTestComponent>(nullptr);
    auto user3 = Create<TTestComponent>(nullptr);
    user3->SetPeer(provider2.get());
    user3.reset();
    provider2.reset();

    // Moving a component to another owner.
    auto a = Create<TTestComponent>(nullptr);
    auto b = Create<TTestComponent>(nullptr);
    auto *child = new TTestComponent(a.get());
    child->AfterConstruction();
    b->InsertComponent(child);
    EXPECT_EQ(child->Owner(), b.get());
    EXPECT_EQ(a->ComponentCount(), 0);
    EXPECT_EQ(b->ComponentCount(), 1);
}
