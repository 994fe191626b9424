#pragma once
// The query model without widgets: a query builder with the SQL-92 dialect
// (whose union capabilities a test can switch off), an offline metadata
// container with the tables a(id, x), b(id, a_id, y), c(id, b_id), and a
// control factory whose fake controls write everything the model tells
// them into one log.
#include "builder/model/ControlFactory.h"
#include "builder/model/ControlInterfaces.h"
#include "builder/model/ModelControl.h"
#include "builder/model/QueryBuilderModel.h"
#include "sql92/SQL92SyntaxProvider.h"

#include <QStringList>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace nvqb {
class TnvQuery;
class TnvSubQuery;
class TnvUnionGroup;
class TnvUnionSubQuery;
class TnvMenuItemData;
} // namespace nvqb

namespace nvqb::test {

inline std::string ToStd(const QString &text) { return text.toStdString(); }
inline std::string ToStd(const char *text) { return text; }
inline std::string ToStd(const QStringList &list) { return list.join(QStringLiteral(" | ")).toStdString(); }
#define EXPECT_SQL(actual, expected) EXPECT_EQ(::nvqb::test::ToStd(actual), ::nvqb::test::ToStd(expected))

// The SQL-92 dialect with switchable union support.
class TUnionTestProvider : public TnvSQL92SyntaxProvider {
public:
    using TnvSQL92SyntaxProvider::TnvSQL92SyntaxProvider;
    bool Unions = true, SubQueryUnions = true, Brackets = true, SubQueryBrackets = true, ANSIJoins = true;
    TClass EditPropsClass = nullptr;
    bool IsSupportUnions() const override { return Unions; }
    bool IsSupportSubQueryUnions() const override { return SubQueryUnions; }
    bool IsSupportBracketsInUnions() const override { return Brackets; }
    bool IsSupportSubQueryBracketsInUnions() const override { return SubQueryBrackets; }
    bool IsSupportANSIJoins() const override { return ANSIJoins; }
    TClass GetEditPropsFormClass(TObject *) const override { return EditPropsClass; }
};

// Everything a fake control was told, one line per call:
// "<class>#<id> <call>", the id counting controls in order of making.
class TControlLog {
public:
    QStringList Lines;
    int NextId = 1;
    void Add(const QString &line) { Lines.append(line); }
    // The lines that contain every one of the parts.
    QStringList Matching(std::initializer_list<QString> parts) const;
    void Clear() { Lines.clear(); }
};

class TFakeControl : public TnvModelControl,
                     public InvStateSaver,
                     public InvSubQueryControl,
                     public InvUnionSubQueryControl,
                     public InvUnionOperatorControl,
                     public InvUnionSubQueryNavButtonControl,
                     public InvSelectListControl {
public:
    TFakeControl(TControlLog *log, const QString &className, TnvQueryBuilderControlOwner *owner, int index);
    ~TFakeControl() override;

    QString Name;
    TnvQueryBuilderControlOwner *Owner;
    int Index;
    bool Visible = false;
    bool Down = false;
    QString Caption, Operator;
    bool All = false;
    int CurrentRow = 0, CurrentCol = 0;
    // Run inside FillList, while the list tells its rows that the grid is
    // being filled.
    std::function<void()> OnFillList;

    void SetControlVisible(bool visible) override;
    void BringToFront() override;
    void Realign() override;
    void DisableAlign() override;
    void EnableAlign() override;
    void UpdateControlVisualParams(TnvQueryBuilderControlOwner *owner) override;
    void SaveState(TnvQueryBuilderControlOwner *owner) override;
    void RestoreState(TnvQueryBuilderControlOwner *owner) override;
    QObject *GetUnionNavBar() override { return nullptr; }
    void Activate() override;
    void SetCaption(const QString &caption) override;
    QRect GetUnionNavigatorAlignmentRect() override { return QRect(); }
    QObject *GetSelectListParent() override { return nullptr; }
    QObject *GetDatasourcesParent() override { return nullptr; }
    void SetUnionOperator(const QString &text) override;
    void SetAll(bool all) override;
    void SetDown(bool down) override;
    int GetCurrentCol() override { return CurrentCol; }
    void SetCurrentCol(int col) override;
    int GetCurrentRow() override { return CurrentRow; }
    void SetCurrentRow(int row) override;
    void FillList() override;

private:
    void Log(const QString &call);
    TControlLog *FLog;
};

// Registers a fake control for every control class the model asks for.
void RegisterFakeControls(TnvControlFactory &factory, TControlLog &log);

// A query builder that counts its SQL-updated passes, records the steps of
// each pass and lets the tab captions be changed.
class TTestQueryBuilder : public TnvQueryBuilderModel {
public:
    using TnvQueryBuilderModel::TnvQueryBuilderModel;
    int SQLUpdatedCount = 0;
    QStringList SQLUpdatedTexts;
    QString TabPrefix;
    int PopupCount = 0;
    // "statistics", "parameters" and "structure" as the pass runs them; tests
    // add their components' calls.
    QStringList Steps;
    void SQLUpdated() override;
    void DoGetTabHeaderText(TnvSubQuery *subQuery, QString &caption) override;

protected:
    void DoPopupMenu(const QPoint &point) override { ++PopupCount; }
    void ReloadQueryStatistics() override;
    void ReloadParameters() override;
    void UpdateQueryStructure() override;
};

class BuilderTest : public ::testing::Test {
protected:
    TUnionTestProvider provider;
    TUnionTestProvider *p = &provider;
    TControlLog log;
    TnvControlFactory factory;
    TOwned<TTestQueryBuilder> qb;

    void SetUp() override;
    void TearDown() override;

    TnvQuery *Root() const;
    // Parses, binds and loads the text into the query builder; returns the
    // SQL the model prints.
    QString Load(const QString &sql);
    QString SQL() const;
    // The union parts of the root query in textual order.
    TnvUnionSubQuery *Part(qsizetype index) const;
    // The model printed part by part: "1 | (2 | 3)" for the values of
    // "Select 1 ... Union (Select 2 ... Union Select 3)"; a group in brackets.
    QString Shape(const TnvUnionGroup *group = nullptr) const;
    // The captions of a menu's items, "-" for separators and "!" in front of
    // disabled ones.
    static QStringList Captions(const TnvMenuItemData *menu);
    // Clicks the item of the caption through the query builder.
    void Click(TnvMenuItemData *menu, const QString &caption);
    // The message of the exception the operation raises; "no error" when
    // it raises none.
    static QString ErrorOf(const std::function<void()> &operation);
};

} // namespace nvqb::test
