#pragma once
// Data sources, links and join trees without widgets: a query builder with
// the SQL-92 dialect (whose join capabilities a test can switch), an offline
// metadata container with a(id, x), b(id, a_id, y), c(id, b_id),
// dbo.Customers(CustomerID, Name, City) and the relation a.id -> b.a_id, and
// fake boxes and link lines that write what the model tells them into the
// control log.
#include "BuilderTestSupport.h"
#include "builder/model/ControlBounds.h"
#include "builder/model/Datasource.h"
#include "builder/model/DatasourceGroup.h"
#include "builder/model/Link.h"

namespace nvqb::test {

// Fills the container, offline, with a(id, x), b(id, a_id, y), c(id, b_id),
// dbo.Customers(CustomerID, Name, City), every field an integer, and the
// relation a.id -> b.a_id.
void AddJoinTestMetadata(TnvMetadataContainer *container, TnvBaseSyntaxProvider *provider);

class TJoinTestProvider : public TnvSQL92SyntaxProvider {
public:
    using TnvSQL92SyntaxProvider::TnvSQL92SyntaxProvider;
    bool ANSIJoins = true, BinaryJoins = false, OracleJoins = false;
    bool IsSupportANSIJoins() const override { return ANSIJoins; }
    bool IsForceBinaryANSIJoins() const override { return BinaryJoins; }
    bool IsSupportOracleJoins() const override { return OracleJoins; }
};

// A data-source box. Like the real box it takes its place from the model
// when it is made (a box never placed gets 150 x 100 at (0, 0)), snaps its
// left and top to a grid of Grid pixels when moved, and leaves its bounds
// in the model when it goes.
class TFakeBox : public TnvModelControl,
                 public InvDatasourceControl,
                 public InvControlBounds,
                 public InvStateSaver {
public:
    TFakeBox(TControlLog *log, TnvQueryBuilderControlOwner *owner);
    ~TFakeBox() override;

    QString Caption;
    // "*" for the all-fields row.
    QStringList Checked;
    QRect Bounds;
    int Grid = 1;
    int Reloaded = 0;
    int OptimalHeights = 0;

    void SetControlVisible(bool visible) override;
    void UpdateControlVisualParams(TnvQueryBuilderControlOwner *owner) override;
    void ReloadFieldsList() override;
    void UpdateChecksOnFields(const QList<const TSQLQualifiedName *> &checked) override;
    QString GetCaption() override { return Caption; }
    void SetCaption(const QString &caption) override;
    QRect CalcFieldRect(const TSQLQualifiedName *field) override;
    void SetOptimalHeight() override;
    QRect GetControlBounds() override { return Bounds; }
    void SetControlBounds(const QRect &bounds) override;
    void SaveState(TnvQueryBuilderControlOwner *owner) override;
    void RestoreState(TnvQueryBuilderControlOwner *owner) override;

private:
    TControlLog *FLog;
    TnvQueryBuilderControlOwner *FOwner;
};

class TFakeLine : public TnvModelControl, public InvLinkControl {
public:
    TFakeLine(TControlLog *log, TnvQueryBuilderControlOwner *owner);
    ~TFakeLine() override;

    int Aligned = 0;
    int Invalidated = 0;

    void SetControlVisible(bool visible) override;
    void AlignLink() override;
    void InvalidateLink() override;

private:
    TControlLog *FLog;
};

class JoinTest : public ::testing::Test {
protected:
    TJoinTestProvider provider;
    TJoinTestProvider *p = &provider;
    TControlLog log;
    TnvControlFactory factory;
    TOwned<TTestQueryBuilder> qb;

    void SetUp() override;
    void TearDown() override;

    // Parses, binds and loads the text; returns the SQL the model prints.
    QString Load(const QString &sql);
    QString SQL() const { return qb->GetSQL(); }
    TnvUnionSubQuery *Part(qsizetype index = 0) const;
    TnvDatasourceGroup *From(qsizetype index = 0) const;
    // The data source of the union part whose alias (or, without one, whose
    // printed name) is Name; fails the test when there is none.
    TnvDatasource *Source(const QString &name, qsizetype part = 0) const;
    // Every link of the union part, nested groups first, in link order.
    QList<TnvLink *> Links(qsizetype part = 0) const;
    // The expression of a link as SQL.
    static QString Text(const TnvLink *link);
    // The FROM clause of the union part as its items stand: "a | (b c) | d"
    // for a, then a nested group of b and c, then d.
    QString Shape(const TnvDatasourceGroup *group = nullptr) const;
    // A bound expression of the union part's data sources.
    TOwned<TSQLExpressionItem> Expression(const QString &text, qsizetype part = 0) const;
    // The text parsed and printed by the parser alone.
    QString Reprinted(const QString &sql) const;
    static TFakeBox *BoxOf(TnvDatasource *datasource);
    // The captions of a menu's items, "-" for separators.
    static QStringList Captions(const TnvMenuItemData *menu);
    static TFakeLine *LineOf(TnvLink *link);
};

} // namespace nvqb::test
