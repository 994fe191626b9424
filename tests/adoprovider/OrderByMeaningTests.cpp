// ORDER BY by position and by alias, edited in the query model, run on
// SQLite: the statement the model prints after the edit returns the rows in
// the order the statement it was loaded from returned them.
#include "ModelOverDatabaseTest.h"
#include "adoprovider/OdbcDataset.h"
#include "builder/model/Query.h"
#include "builder/model/SelectList.h"
#include "builder/model/UnionSubQuery.h"

using namespace nvqb;
using namespace nvqb::test;

namespace {

class OrderByMeaningTest : public ModelOverDatabaseTest {
protected:
    QStringList SchemaStatements() override
    {
        return {
            "create table a (id integer, x integer)",
            "insert into a values (1, 30), (2, 10), (3, 20), (1, 5)",
            "create table p (v integer, id integer)",
            "insert into p values (3, 1), (1, 3), (2, 2)",
        };
    }

    QList<std::pair<QString, QStringList>> ModelTables() const override
    {
        return {{"a", {"id", "x"}}, {"p", {"v", "id"}}};
    }

    TnvSelectList *List() const { return model->Query()->UnionSubQueries(0)->SelectList(); }

    // The rows in the order the database returns them, the columns in the
    // order given (0-based column indexes of the result).
    QStringList Rows(const QString &sql, const QList<int> &columns)
    {
        auto ds = Create<TADODataSet>(nullptr);
        ds->SetConnection(Connection.get());
        ds->SetCommandText(sql);
        ds->Open();
        QStringList rows;
        for (; !ds->Eof(); ds->Next()) {
            QStringList values;
            for (int column : columns)
                values.append(ds->Fields(column)->AsWideString());
            rows.append(values.join(u','));
        }
        return rows;
    }
};

} // namespace

TEST_P(OrderByMeaningTest, TheEditedStatementSortsAsTheLoadedOne)
{
    // A position: the column moves, the sort stays with it.
    const QString byPosition = QStringLiteral("SELECT a.id, Max(a.x) AS m FROM a GROUP BY a.id ORDER BY 2");
    Load(byPosition);
    List()->Move(1, 0);
    const QString moved = model->GetSQL();
    EXPECT_EQ(Rows(moved, {1, 0}), Rows(byPosition, {0, 1})) << moved.toStdString();
    EXPECT_EQ(Rows(byPosition, {0}), QStringList({"2", "3", "1"}));

    // An alias in brackets is the output column, not p.id.
    const QString inBrackets = QStringLiteral("SELECT v AS id FROM p ORDER BY (id)");
    Load(inBrackets);
    const QString printed = model->GetSQL();
    EXPECT_EQ(Rows(printed, {0}), Rows(inBrackets, {0})) << printed.toStdString();
    EXPECT_EQ(Rows(inBrackets, {0}), QStringList({"1", "2", "3"}));

    // The alias renamed: ORDER BY names the new one.
    const QString byAlias = QStringLiteral("SELECT a.x AS k FROM a ORDER BY k DESC");
    Load(byAlias);
    List()->Items(0)->SetAlias(QStringLiteral("m"));
    const QString renamed = model->GetSQL();
    EXPECT_EQ(Rows(renamed, {0}), Rows(byAlias, {0})) << renamed.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Databases, OrderByMeaningTest, ::testing::Values(Backend::SQLite), BackendName);
