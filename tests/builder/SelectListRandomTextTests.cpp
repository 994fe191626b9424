// Random texts typed into random cells of the select list, through the texts
// the grid writes: whatever is refused, the SQL of the query parses after
// every edit, and printed again from a reloaded model it stays the same.
#include "BuilderTestSupport.h"
#include "RandomCellText.h"
#include "builder/model/Query.h"
#include "builder/model/SelectList.h"
#include "builder/model/UnionSubQuery.h"
#include "classlib/Exceptions.h"
#include "sqlmodel/sql/SQLStatements.h"

using namespace nvqb;
using namespace nvqb::test;

namespace {

const QString Start = QStringLiteral("Select a.id, a.x As k, Sum(b.y) From a Inner Join b On a.id = b.a_id "
                                     "Where a.x > 1 Group By a.id, a.x Having Count(*) > 1 Order By 2");

class SelectListRandomTextTest : public BuilderTest {
protected:
    // One edit of a random cell of a random row, as the grid would make it;
    // what it was.
    QString Edit(TRandomCellText &random)
    {
        TnvSelectList *list = Part(0)->SelectList();
        const int index = random.Pick(int(list->Count()));
        TnvSelectItem *row = list->Items(index);
        QString text;
        QString cell;
        std::function<void()> edit;
        switch (random.Pick(10)) {
        case 0:
            cell = QStringLiteral("output");
            edit = [row] {
                if (row->IsCanSelect())
                    row->SetSelect(!row->Select());
            };
            break;
        case 1:
            cell = QStringLiteral("alias");
            text = random.Chance(50) ? random.From({QStringLiteral("k"), QStringLiteral("m"), QStringLiteral("id")})
                                     : random.Next();
            edit = [row, text] { row->SetAlias(text); };
            break;
        case 2:
            cell = QStringLiteral("sort type");
            text = random.From({QString(), QStringLiteral("Ascending"), QStringLiteral("Descending")});
            edit = [row, text] { row->SetSortTypeName(text); };
            break;
        case 3:
            cell = QStringLiteral("sort order");
            text = random.From({QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QString()});
            edit = [row, text] { row->SetSortOrderName(text); };
            break;
        case 4:
        case 5: {
            cell = QStringLiteral("group by");
            QStringList names;
            row->GetGroupByNames(names);
            text = random.From(names);
            edit = [row, text] { row->SetGroupByTypeName(text); };
            break;
        }
        case 6:
        case 7: {
            const int column = random.Pick(3);
            cell = QStringLiteral("criteria %1").arg(column);
            text = random.Next();
            edit = [row, column, text] { row->SetCondition(column, text); };
            break;
        }
        default:
            cell = QStringLiteral("expression");
            text = random.Next();
            edit = [row, text] { row->SetExpression(text); };
            break;
        }
        try {
            edit();
        } catch (const Exception &) {
            // Refused: the row keeps what it had.
        }
        return QStringLiteral("row %1 %2 <%3>").arg(index).arg(cell, text);
    }
};

} // namespace

TEST_F(SelectListRandomTextTest, TheSQLParsesAfterEveryEditAndReloadsToTheSameText)
{
    // A slice of the seeds a longer run went through; each prints its seed
    // and last edits when it fails.
    for (const quint32 seed : {7u, 19u, 2024u, 4711u}) {
        TRandomCellText random(seed);
        Load(Start);
        QStringList edits;
        for (int step = 0; step < 400; ++step) {
            edits.append(Edit(random));
            const QString sql = SQL();
            SCOPED_TRACE(QStringLiteral("seed %1, step %2, last edits: %3")
                             .arg(seed)
                             .arg(step)
                             .arg(edits.mid(std::max<qsizetype>(0, edits.size() - 4)).join(QStringLiteral(" | ")))
                             .toStdString());
            ASSERT_NO_THROW(p->ParseSelect(sql)) << ToStd(sql);
            // Every few edits the text goes through a fresh load.
            if (step % 20 == 19)
                ASSERT_EQ(ToStd(Load(sql)), ToStd(sql));
        }
    }
}
