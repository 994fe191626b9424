#include "BuilderTestSupport.h"
#include "builder/model/MenuItemData.h"
#include "classlib/Exceptions.h"
#include "builder/model/Query.h"
#include "builder/model/UnionSubQuery.h"
#include "sqlmodel/metadata/MetadataContainer.h"
#include "sqlmodel/metadata/MetadataFields.h"
#include "sqlmodel/metadata/MetadataObjects.h"
#include "sqlmodel/sql/SQLSelectItems.h"

namespace nvqb::test {

QStringList TControlLog::Matching(std::initializer_list<QString> parts) const
{
    QStringList result;
    for (const QString &line : Lines) {
        bool all = true;
        for (const QString &part : parts)
            all = all && line.contains(part);
        if (all)
            result.append(line);
    }
    return result;
}

TFakeControl::TFakeControl(TControlLog *log, const QString &className, TnvQueryBuilderControlOwner *owner, int index)
    : Name(className + u'#' + QString::number(log->NextId++)), Owner(owner), Index(index), FLog(log)
{
    Log(QStringLiteral("Create"));
}

TFakeControl::~TFakeControl() { Log(IsControlDestroying() ? QStringLiteral("Free (marked)") : QStringLiteral("Free")); }

void TFakeControl::Log(const QString &call) { FLog->Add(Name + u' ' + call); }

void TFakeControl::SetControlVisible(bool visible)
{
    Visible = visible;
    Log(QStringLiteral("Visible(%1)").arg(int(visible)));
}

void TFakeControl::BringToFront() { Log(QStringLiteral("BringToFront")); }

void TFakeControl::Realign() { Log(QStringLiteral("Realign")); }

void TFakeControl::DisableAlign() { Log(QStringLiteral("DisableAlign")); }

void TFakeControl::EnableAlign() { Log(QStringLiteral("EnableAlign")); }

void TFakeControl::UpdateControlVisualParams(TnvQueryBuilderControlOwner *) { Log(QStringLiteral("VisualParams")); }

void TFakeControl::SaveState(TnvQueryBuilderControlOwner *) { Log(QStringLiteral("SaveState")); }

void TFakeControl::RestoreState(TnvQueryBuilderControlOwner *) { Log(QStringLiteral("RestoreState")); }

void TFakeControl::Activate() { Log(QStringLiteral("Activate")); }

void TFakeControl::SetCaption(const QString &caption)
{
    Caption = caption;
    Log(QStringLiteral("Caption(%1)").arg(caption));
}

void TFakeControl::SetUnionOperator(const QString &text)
{
    Operator = text;
    Log(QStringLiteral("Operator(%1)").arg(text));
}

void TFakeControl::SetAll(bool all)
{
    All = all;
    Log(QStringLiteral("All(%1)").arg(int(all)));
}

void TFakeControl::SetDown(bool down)
{
    Down = down;
    Log(QStringLiteral("Down(%1)").arg(int(down)));
}

void TFakeControl::SetCurrentCol(int col)
{
    CurrentCol = col;
    Log(QStringLiteral("CurrentCol(%1)").arg(col));
}

void TFakeControl::SetCurrentRow(int row)
{
    CurrentRow = row;
    Log(QStringLiteral("CurrentRow(%1)").arg(row));
}

void TFakeControl::FillList()
{
    Log(QStringLiteral("FillList"));
    if (OnFillList)
        OnFillList();
}

void RegisterFakeControls(TnvControlFactory &factory, TControlLog &log)
{
    for (const char *name : {ControlClass::QueryTabSheet, ControlClass::UnionSubQueryTabSheet, ControlClass::UnionButton,
                             ControlClass::UnionOperator, ControlClass::LeftBracket, ControlClass::RightBracket,
                             ControlClass::DataSourceControl, ControlClass::LinkControl,
                             ControlClass::SelectListControl}) {
        const QString className = QString::fromLatin1(name);
        factory.RegisterControlClass(name, [&log, className](TnvQueryBuilderControlOwner *owner, int index) {
            return new TFakeControl(&log, className, owner, index);
        });
    }
}

void TTestQueryBuilder::SQLUpdated()
{
    TnvQueryBuilderModel::SQLUpdated();
    ++SQLUpdatedCount;
    SQLUpdatedTexts.append(GetSQL());
}

void TTestQueryBuilder::ReloadQueryStatistics()
{
    Steps.append(QStringLiteral("statistics"));
    TnvQueryBuilderModel::ReloadQueryStatistics();
}

void TTestQueryBuilder::ReloadParameters()
{
    Steps.append(QStringLiteral("parameters"));
    TnvQueryBuilderModel::ReloadParameters();
}

void TTestQueryBuilder::UpdateQueryStructure()
{
    Steps.append(QStringLiteral("structure"));
    TnvQueryBuilderModel::UpdateQueryStructure();
}

void TTestQueryBuilder::DoGetTabHeaderText(TnvSubQuery *, QString &caption)
{
    if (!TabPrefix.isEmpty())
        caption = TabPrefix + caption;
}

// ---------------------------------------------------------------------------

void BuilderTest::SetUp()
{
    RegisterFakeControls(factory, log);
    qb = Create<TTestQueryBuilder>();
    qb->SetControlFactory(&factory);
    qb->SetSyntaxProvider(p);
    TnvMetadataContainer *container = qb->MetadataContainer();
    container->SetWorkOffline(true);
    auto table = [&](const char *name, std::initializer_list<const char *> fields) {
        TnvMetadataObject *object = container->AddTable(QString(), QString::fromLatin1(name));
        for (const char *field : fields) {
            TOwned<TSQLQualifiedName> fieldName = Create<TSQLQualifiedName>(p);
            fieldName->AddName(QString::fromLatin1(field), false);
            object->GetFields()->AddField(fieldName.get(), ftInteger, 0, true, false);
        }
        object->GetFields()->SetLoaded(true);
    };
    table("a", {"id", "x"});
    table("b", {"id", "a_id", "y"});
    table("c", {"id", "b_id"});
}

void BuilderTest::TearDown() { qb.reset(); }

TnvQuery *BuilderTest::Root() const { return qb->Query(); }

QString BuilderTest::Load(const QString &sql)
{
    TOwned<TSQLSelectStatement> statement = p->ParseSelect(sql);
    qb->PrepareStatement(statement.get());
    qb->LoadStatement(std::move(statement));
    return SQL();
}

QString BuilderTest::SQL() const { return qb->GetSQL(); }

TnvUnionSubQuery *BuilderTest::Part(qsizetype index) const { return Root()->UnionSubQueries(index); }

QString BuilderTest::Shape(const TnvUnionGroup *group) const
{
    if (!group)
        group = Root();
    QStringList members;
    for (qsizetype i = 0; i < group->GetCount(); ++i) {
        TnvQueryBase *member = group->GetItems(i);
        if (auto *nested = As<TnvUnionGroup>(member)) {
            members.append(u'(' + Shape(nested) + u')');
        } else {
            // The first select item of the part names it.
            const QString sql = static_cast<TnvUnionSubQuery *>(member)->GetResultSQL();
            members.append(sql.section(u' ', 1, 1));
        }
    }
    return members.join(QStringLiteral(" | "));
}

QStringList BuilderTest::Captions(const TnvMenuItemData *menu)
{
    QStringList captions;
    for (qsizetype i = 0; i < menu->Count(); ++i) {
        const TnvMenuItemData *item = menu->Items(i);
        captions.append(item->Enabled() || item->IsSeparator() ? item->Caption() : u'!' + item->Caption());
    }
    return captions;
}

void BuilderTest::Click(TnvMenuItemData *menu, const QString &caption)
{
    TnvMenuItemData *item = menu->Find(caption);
    ASSERT_NE(item, nullptr) << caption.toStdString();
    qb->ClickMenuItem(item);
}

QString BuilderTest::ErrorOf(const std::function<void()> &operation)
{
    try {
        operation();
    } catch (const Exception &e) {
        return e.Message();
    }
    return QStringLiteral("no error");
}

} // namespace nvqb::test
