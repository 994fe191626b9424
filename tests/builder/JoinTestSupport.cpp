#include "JoinTestSupport.h"
#include "builder/model/MenuItemData.h"
#include "builder/model/Query.h"
#include "builder/model/UnionSubQuery.h"
#include "sqlmodel/metadata/MetadataContainer.h"
#include "sqlmodel/metadata/MetadataFields.h"
#include "sqlmodel/metadata/MetadataObjects.h"
#include "sqlmodel/metadata/MetadataRelations.h"
#include "sqlmodel/sql/SQLFromClause.h"

namespace nvqb::test {

// ---------------------------------------------------------------------------
// Fake controls

TFakeBox::TFakeBox(TControlLog *log, TnvQueryBuilderControlOwner *owner) : FLog(log), FOwner(owner)
{
    FLog->Add(QStringLiteral("Box Create"));
}

TFakeBox::~TFakeBox() { FLog->Add(QStringLiteral("Box Free")); }

void TFakeBox::SetControlVisible(bool) {}

void TFakeBox::UpdateControlVisualParams(TnvQueryBuilderControlOwner *) {}

void TFakeBox::ReloadFieldsList() { ++Reloaded; }

void TFakeBox::UpdateChecksOnFields(const QList<const TSQLQualifiedName *> &checked)
{
    Checked.clear();
    for (const TSQLQualifiedName *field : checked)
        Checked.append(field ? field->GetQualifiedName() : QStringLiteral("*"));
}

void TFakeBox::SetCaption(const QString &caption)
{
    Caption = caption;
    FLog->Add(QStringLiteral("Box Caption(%1)").arg(caption));
}

QRect TFakeBox::CalcFieldRect(const TSQLQualifiedName *field)
{
    // One row of 16 pixels per field, in field-list order.
    auto *datasource = As<TnvDatasource>(FOwner);
    const TnvMetadataFieldsList *fields = datasource ? datasource->GetFields() : nullptr;
    for (qsizetype i = 0; fields && field && i < fields->Count(); ++i)
        if (fields->Items(i)->Name() && fields->Items(i)->Name()->GetQualifiedName() == field->GetQualifiedName())
            return QRect(0, int(i) * 16, Bounds.width(), 16);
    return QRect();
}

void TFakeBox::SetOptimalHeight() { ++OptimalHeights; }

void TFakeBox::SetControlBounds(const QRect &bounds)
{
    Bounds = bounds;
    Bounds.moveTo(bounds.left() / Grid * Grid, bounds.top() / Grid * Grid);
}

void TFakeBox::SaveState(TnvQueryBuilderControlOwner *owner)
{
    if (auto *datasource = As<TnvDatasource>(owner))
        datasource->SetStoredBounds(Bounds);
}

void TFakeBox::RestoreState(TnvQueryBuilderControlOwner *owner)
{
    auto *datasource = As<TnvDatasource>(owner);
    if (!datasource)
        return;
    const QRect stored = datasource->StoredBounds();
    Bounds = stored.isNull() && stored.topLeft().isNull() ? QRect(0, 0, 150, 100) : stored;
}

TFakeLine::TFakeLine(TControlLog *log, TnvQueryBuilderControlOwner *) : FLog(log)
{
    FLog->Add(QStringLiteral("Line Create"));
}

TFakeLine::~TFakeLine() { FLog->Add(QStringLiteral("Line Free")); }

void TFakeLine::SetControlVisible(bool) {}

void TFakeLine::AlignLink() { ++Aligned; }

void TFakeLine::InvalidateLink() { ++Invalidated; }

// ---------------------------------------------------------------------------
// Offline metadata

void AddJoinTestMetadata(TnvMetadataContainer *container, TnvBaseSyntaxProvider *provider)
{
    container->SetWorkOffline(true);
    auto table = [&](const char *schema, const char *name, std::initializer_list<const char *> fields) {
        TnvMetadataObject *object = container->AddTable(QString::fromLatin1(schema), QString::fromLatin1(name));
        for (const char *field : fields) {
            TOwned<TSQLQualifiedName> fieldName = Create<TSQLQualifiedName>(provider);
            fieldName->AddName(QString::fromLatin1(field), false);
            object->GetFields()->AddField(fieldName.get(), ftInteger, 0, true, false);
        }
        object->GetFields()->SetLoaded(true);
        return object;
    };
    TnvMetadataObject *a = table("", "a", {"id", "x"});
    table("", "b", {"id", "a_id", "y"});
    table("", "c", {"id", "b_id"});
    table("dbo", "Customers", {"CustomerID", "Name", "City"});
    auto keys = Create<TnvMetadataFieldNamesList>(nullptr);
    keys->SetSyntaxProvider(provider);
    keys->AddField(QStringLiteral("id"));
    auto children = Create<TnvMetadataFieldNamesList>(nullptr);
    children->SetSyntaxProvider(provider);
    children->AddField(QStringLiteral("a_id"));
    TOwned<TastTokenIdentifier> child = Create<TastTokenIdentifier>(provider, QStringLiteral("b"), false);
    a->GetRelations()->AddRelation(keys.get(), child.get(), nullptr, nullptr, children.get());
}

// ---------------------------------------------------------------------------
// Fixture

void JoinTest::SetUp()
{
    RegisterFakeControls(factory, log);
    factory.RegisterControlClass(ControlClass::DataSourceControl, [this](TnvQueryBuilderControlOwner *owner, int) {
        return new TFakeBox(&log, owner);
    });
    factory.RegisterControlClass(ControlClass::LinkControl, [this](TnvQueryBuilderControlOwner *owner, int) {
        return new TFakeLine(&log, owner);
    });
    qb = Create<TTestQueryBuilder>();
    qb->SetControlFactory(&factory);
    qb->SetSyntaxProvider(p);
    AddJoinTestMetadata(qb->MetadataContainer(), p);
}

void JoinTest::TearDown() { qb.reset(); }

QString JoinTest::Load(const QString &sql)
{
    TOwned<TSQLSelectStatement> statement = p->ParseSelect(sql);
    qb->PrepareStatement(statement.get());
    qb->LoadStatement(std::move(statement));
    return SQL();
}

TnvUnionSubQuery *JoinTest::Part(qsizetype index) const { return qb->Query()->UnionSubQueries(index); }

TnvDatasourceGroup *JoinTest::From(qsizetype index) const { return Part(index)->FromGroup(); }

TnvDatasource *JoinTest::Source(const QString &name, qsizetype part) const
{
    QList<TnvDatasource *> list;
    From(part)->GetDatasources(list);
    for (TnvDatasource *datasource : std::as_const(list)) {
        const QString alias = datasource->GetAlias();
        if (alias == name || (alias.isEmpty() && datasource->DatasourceAST() &&
                              datasource->DatasourceAST()->GetSimpleExpression() == name))
            return datasource;
    }
    ADD_FAILURE() << "no data source " << name.toStdString();
    return nullptr;
}

namespace {
void CollectLinks(const TnvDatasourceGroup *group, QList<TnvLink *> &list)
{
    for (qsizetype i = 0; i < group->GetCount(); ++i)
        if (const auto *nested = As<TnvDatasourceGroup>(group->GetItems(i)))
            CollectLinks(nested, list);
    for (qsizetype i = 0; i < group->GetLinksCount(); ++i)
        list.append(group->GetLink(i));
}
} // namespace

QList<TnvLink *> JoinTest::Links(qsizetype part) const
{
    QList<TnvLink *> list;
    CollectLinks(From(part), list);
    return list;
}

QString JoinTest::Text(const TnvLink *link)
{
    return link && link->GetLinkExpression()
               ? link->GetLinkExpression()->SimpleSQL(icIfNeed, opsSkipAll, nullptr, nullptr)
               : QString();
}

QString JoinTest::Shape(const TnvDatasourceGroup *group) const
{
    if (!group)
        group = From();
    QStringList items;
    for (qsizetype i = 0; i < group->GetCount(); ++i) {
        TnvDatasourceBase *item = group->GetItems(i);
        if (const auto *nested = As<TnvDatasourceGroup>(item)) {
            items.append(u'(' + Shape(nested).replace(QStringLiteral(" | "), QStringLiteral(" ")) + u')');
        } else {
            auto *datasource = static_cast<TnvDatasource *>(item);
            const QString alias = datasource->GetAlias();
            items.append(alias.isEmpty() ? datasource->DatasourceAST()->GetSimpleExpression() : alias);
        }
    }
    return items.join(QStringLiteral(" | "));
}

TOwned<TSQLExpressionItem> JoinTest::Expression(const QString &text, qsizetype part) const
{
    TOwned<TSQLExpressionItem> expression = p->ParseLogicalExpression(text, true);
    if (!expression) {
        ADD_FAILURE() << "does not parse: " << text.toStdString();
        return nullptr;
    }
    TastNodeRefList withItems, fromSources;
    Part(part)->GatherPrepareAndFixupContext(withItems, fromSources, true);
    expression->PrepareAndFixupRecursive(withItems, fromSources, qb->MetadataContainer());
    return expression;
}

QString JoinTest::Reprinted(const QString &sql) const
{
    return p->ParseSelect(sql)->SimpleSQL(icIfNeed, opsSkipAll, nullptr, nullptr);
}

TFakeBox *JoinTest::BoxOf(TnvDatasource *datasource)
{
    return datasource ? dynamic_cast<TFakeBox *>(datasource->GetDSControl()) : nullptr;
}

QStringList JoinTest::Captions(const TnvMenuItemData *menu)
{
    QStringList captions;
    for (qsizetype i = 0; menu && i < menu->Count(); ++i)
        captions.append(menu->Items(i)->Caption());
    return captions;
}

TFakeLine *JoinTest::LineOf(TnvLink *link) { return link ? dynamic_cast<TFakeLine *>(link->GetLinkControl()) : nullptr; }

} // namespace nvqb::test
