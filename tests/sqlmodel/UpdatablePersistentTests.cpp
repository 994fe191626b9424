#include "classlib/Exceptions.h"
#include "sqlmodel/text/SQLBuilderFormats.h"

#include <gtest/gtest.h>

using namespace nvqb;

namespace {

// Records every notification it hears, in order.
struct Recorder {
    QStringList Log;
    QString Tag;
    void Heard(TObject *sender) { Log.append(Tag + QLatin1Char(':') + static_cast<TPersistent *>(sender)->ClassName()); }
};

class TCounting : public TnvUpdatablePersistent {
public:
    using TnvUpdatablePersistent::TnvUpdatablePersistent;
    int Updates = 0;
    int Value = 0;
    void SetValue(int v) { SetAndNotify(Value, v); }

protected:
    void DoUpdated() override
    {
        ++Updates;
        TnvUpdatablePersistent::DoUpdated();
    }
};

} // namespace

TEST(UpdatablePersistent, ChangesInsideNestedUpdatesNotifyOnceAtTheOutermostEnd)
{
    TCounting o(nullptr);
    o.BeginUpdate();
    o.SetValue(1);
    o.BeginUpdate();
    o.SetValue(2);
    o.SetValue(3);
    o.EndUpdate();
    EXPECT_EQ(o.Updates, 0);
    EXPECT_TRUE(o.IsUpdating());
    o.EndUpdate();
    EXPECT_EQ(o.Updates, 1);
    EXPECT_FALSE(o.IsUpdating());

    o.BeginUpdate();
    o.EndUpdate();
    o.SetValue(3); // the stored value: nobody hears
    EXPECT_EQ(o.Updates, 1);
    o.SetValue(4); // outside an update: at once
    EXPECT_EQ(o.Updates, 2);
}

TEST(UpdatablePersistent, NotifiesOwnerThenRegistrationsThenEvent)
{
    QStringList log;
    TCounting owner(nullptr);
    owner.OnUpdated = TNotifyEvent::FromCallable([&](TObject *) { log.append("owner event"); });
    TCounting child(&owner);
    Recorder r1{{}, "r1"}, r2{{}, "r2"};
    child.RegisterUpdateNotification(TNotifyEvent::Bind<&Recorder::Heard>(&r1));
    child.RegisterUpdateNotification(TNotifyEvent::FromCallable([&](TObject *) { log.append("registration"); }));
    child.OnUpdated = TNotifyEvent::FromCallable([&](TObject *) { log.append("child event"); });
    child.SetValue(7);
    EXPECT_EQ(log, QStringList({"owner event", "registration", "child event"}));
    EXPECT_EQ(r1.Log, QStringList({"r1:TnvUpdatablePersistent"}));
    EXPECT_EQ(owner.Updates, 1);

    // An owner inside an update keeps the change pending until its own end.
    log.clear();
    owner.BeginUpdate();
    child.SetValue(8);
    child.SetValue(9);
    EXPECT_EQ(log, QStringList({"registration", "child event", "registration", "child event"}));
    owner.EndUpdate();
    EXPECT_EQ(log.last(), QStringLiteral("owner event"));
    EXPECT_EQ(owner.Updates, 2);
}

TEST(UpdatablePersistent, RegistrationsCountAndUnregisterRemovesTheLastEqualOne)
{
    TCounting o(nullptr);
    Recorder r{{}, "r"}, other{{}, "o"};
    auto m = TNotifyEvent::Bind<&Recorder::Heard>(&r);
    o.RegisterUpdateNotification(m);
    o.RegisterUpdateNotification(TNotifyEvent::Bind<&Recorder::Heard>(&other));
    o.RegisterUpdateNotification(m);
    o.SetValue(1);
    EXPECT_EQ(r.Log.size(), 2);
    o.UnregisterUpdateNotification(m);
    o.UnregisterUpdateNotification(TNotifyEvent::Bind<&Recorder::Heard>(nullptr)); // unknown: ignored
    o.SetValue(2);
    EXPECT_EQ(r.Log.size(), 3);
    EXPECT_EQ(other.Log.size(), 2);
    o.UnregisterUpdateNotification(m);
    o.SetValue(3);
    EXPECT_EQ(r.Log.size(), 3);
    EXPECT_EQ(o.RegistrationCount(), 1);
}

TEST(UpdatablePersistent, RegistrationChangesDuringNotificationSkipNobody)
{
    TCounting o(nullptr);
    QStringList log;
    TNotifyEvent second, added;
    second = TNotifyEvent::FromCallable([&](TObject *) { log.append("second"); });
    added = TNotifyEvent::FromCallable([&](TObject *) { log.append("added"); });
    // The first method unregisters itself and registers a new one.
    TNotifyEvent first;
    first = TNotifyEvent::FromCallable([&](TObject *) {
        log.append("first");
        o.UnregisterUpdateNotification(first);
        o.RegisterUpdateNotification(added);
    });
    o.RegisterUpdateNotification(first);
    o.RegisterUpdateNotification(second);
    o.SetValue(1);
    EXPECT_EQ(log, QStringList({"first", "second"}));
    log.clear();
    o.SetValue(2);
    EXPECT_EQ(log, QStringList({"second", "added"}));

    // A method that unregisters a later one: that one is not called any more.
    TCounting p(nullptr);
    log.clear();
    TNotifyEvent victim = TNotifyEvent::FromCallable([&](TObject *) { log.append("victim"); });
    p.RegisterUpdateNotification(TNotifyEvent::FromCallable([&](TObject *) {
        log.append("killer");
        p.UnregisterUpdateNotification(victim);
    }));
    p.RegisterUpdateNotification(victim);
    p.SetValue(1);
    EXPECT_EQ(log, QStringList({"killer"}));
}

TEST(UpdatablePersistent, CounterStaysRightWhenAHandlerThrows)
{
    TCounting o(nullptr);
    bool raise = true;
    o.OnUpdated = TNotifyEvent::FromCallable([&](TObject *) {
        if (raise)
            throw Exception(QStringLiteral("handler failed"));
    });
    EXPECT_THROW(o.SetValue(1), Exception);
    EXPECT_FALSE(o.IsUpdating());
    raise = false;
    o.SetValue(2);
    EXPECT_EQ(o.Updates, 2);
    EXPECT_EQ(o.UpdateCount(), 0);

    // A change made by a notified method is absorbed, not notified twice.
    o.OnUpdated = TNotifyEvent::FromCallable([&](TObject *) { o.SetValue(o.Value + 1); });
    o.SetValue(10);
    EXPECT_EQ(o.Value, 11);
    EXPECT_EQ(o.Updates, 3);

    EXPECT_THROW(o.EndUpdate(), EAssertionFailed);
    EXPECT_EQ(o.UpdateCount(), 0);
}

TEST(BuilderFormats, DefaultsAndOwnerChain)
{
    TCounting top(nullptr);
    TSQLBuilderSelectFormat f(&top);
    EXPECT_EQ(f.IndentGlobal(), 0);
    EXPECT_TRUE(f.MainPartsFromNewLine());
    EXPECT_EQ(f.IndentInPart(), 2);
    EXPECT_FALSE(f.NewLineAfterPartKeywords());
    EXPECT_FALSE(f.SelectListFormat()->NewLineAfterItem());
    EXPECT_FALSE(f.FromClauseFormat()->NewLineAfterDatasource());
    EXPECT_TRUE(f.FromClauseFormat()->NewLineAfterJoin());
    EXPECT_EQ(f.FromClauseFormat()->JoinConditionFormat()->NewLineAfter(), nlTopmostOr);
    EXPECT_EQ(f.WhereFormat()->IndentNestedConditions(), 2);

    f.SetIndentInPart(2);
    EXPECT_EQ(top.Updates, 0);
    f.SetIndentInPart(4);
    EXPECT_EQ(top.Updates, 1);
    // A change three levels down climbs to the top.
    f.FromClauseFormat()->JoinConditionFormat()->SetNewLineAfter(nlAllLogical);
    EXPECT_EQ(top.Updates, 2);
}

TEST(BuilderFormats, AssignCopiesEveryPropertyAndNotifiesOnce)
{
    TCounting top(nullptr);
    TSQLBuilderSelectFormat target(&top);
    TSQLBuilderSelectFormat source(nullptr);
    source.SetIndentGlobal(6);
    source.SetMainPartsFromNewLine(false);
    source.SetIndentInPart(3);
    source.SetNewLineAfterPartKeywords(true);
    source.SelectListFormat()->SetNewLineAfterItem(true);
    source.FromClauseFormat()->SetNewLineAfterDatasource(true);
    source.FromClauseFormat()->SetNewLineAfterJoin(false);
    source.FromClauseFormat()->JoinConditionFormat()->SetNewLineAfter(nlNone);
    source.FromClauseFormat()->JoinConditionFormat()->SetIndentNestedConditions(5);
    source.WhereFormat()->SetNewLineAfter(nlTopmostLogical);
    source.GroupByFormat()->SetNewLineAfterItem(true);
    source.HavingFormat()->SetIndentNestedConditions(0);
    source.OrderByFormat()->SetNewLineAfterItem(true);

    target.Assign(&source);
    EXPECT_EQ(top.Updates, 1);
    EXPECT_EQ(target.IndentGlobal(), 6);
    EXPECT_FALSE(target.MainPartsFromNewLine());
    EXPECT_EQ(target.IndentInPart(), 3);
    EXPECT_TRUE(target.NewLineAfterPartKeywords());
    EXPECT_TRUE(target.SelectListFormat()->NewLineAfterItem());
    EXPECT_TRUE(target.FromClauseFormat()->NewLineAfterDatasource());
    EXPECT_FALSE(target.FromClauseFormat()->NewLineAfterJoin());
    EXPECT_EQ(target.FromClauseFormat()->JoinConditionFormat()->NewLineAfter(), nlNone);
    EXPECT_EQ(target.FromClauseFormat()->JoinConditionFormat()->IndentNestedConditions(), 5);
    EXPECT_EQ(target.WhereFormat()->NewLineAfter(), nlTopmostLogical);
    EXPECT_TRUE(target.GroupByFormat()->NewLineAfterItem());
    EXPECT_EQ(target.HavingFormat()->IndentNestedConditions(), 0);
    EXPECT_TRUE(target.OrderByFormat()->NewLineAfterItem());

    target.Assign(&source); // nothing differs: nobody hears
    EXPECT_EQ(top.Updates, 1);
    EXPECT_THROW(target.Assign(source.WhereFormat()), EConvertError);
}
