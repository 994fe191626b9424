#include "sqlmodel/text/SQLBuilderFormats.h"

namespace nvqb {

NV_IMPLEMENT_CLASS(TSQLBuilderItemsListFormat, TnvUpdatablePersistent)
NV_IMPLEMENT_CLASS(TSQLBuilderConditionFormat, TnvUpdatablePersistent)
NV_IMPLEMENT_CLASS(TSQLBuilderFromClauseFormat, TnvUpdatablePersistent)
NV_IMPLEMENT_CLASS(TSQLBuilderSelectFormat, TnvUpdatablePersistent)

TSQLBuilderItemsListFormat::TSQLBuilderItemsListFormat(TnvUpdatablePersistent *owner)
    : TnvUpdatablePersistent(owner)
{
}

void TSQLBuilderItemsListFormat::Assign(const TPersistent *source)
{
    auto *s = As<TSQLBuilderItemsListFormat>(source);
    if (!s) {
        TnvUpdatablePersistent::Assign(source);
        return;
    }
    TnvUpdateScope update(this);
    SetNewLineAfterItem(s->NewLineAfterItem());
}

TSQLBuilderConditionFormat::TSQLBuilderConditionFormat(TnvUpdatablePersistent *owner)
    : TnvUpdatablePersistent(owner)
{
}

void TSQLBuilderConditionFormat::Assign(const TPersistent *source)
{
    auto *s = As<TSQLBuilderConditionFormat>(source);
    if (!s) {
        TnvUpdatablePersistent::Assign(source);
        return;
    }
    TnvUpdateScope update(this);
    SetNewLineAfter(s->NewLineAfter());
    SetIndentNestedConditions(s->IndentNestedConditions());
}

TSQLBuilderFromClauseFormat::TSQLBuilderFromClauseFormat(TnvUpdatablePersistent *owner)
    : TnvUpdatablePersistent(owner), FJoinConditionFormat(std::make_unique<TSQLBuilderConditionFormat>(this))
{
}

TSQLBuilderFromClauseFormat::~TSQLBuilderFromClauseFormat() = default;

void TSQLBuilderFromClauseFormat::Assign(const TPersistent *source)
{
    auto *s = As<TSQLBuilderFromClauseFormat>(source);
    if (!s) {
        TnvUpdatablePersistent::Assign(source);
        return;
    }
    TnvUpdateScope update(this);
    SetNewLineAfterDatasource(s->NewLineAfterDatasource());
    SetNewLineAfterJoin(s->NewLineAfterJoin());
    // The join-condition layout is part of the FROM layout, so a copy carries it.
    SetJoinConditionFormat(s->JoinConditionFormat());
}

TSQLBuilderSelectFormat::TSQLBuilderSelectFormat(TnvUpdatablePersistent *owner)
    : TnvUpdatablePersistent(owner),
      FSelectListFormat(std::make_unique<TSQLBuilderItemsListFormat>(this)),
      FFromClauseFormat(std::make_unique<TSQLBuilderFromClauseFormat>(this)),
      FWhereFormat(std::make_unique<TSQLBuilderConditionFormat>(this)),
      FGroupByFormat(std::make_unique<TSQLBuilderItemsListFormat>(this)),
      FHavingFormat(std::make_unique<TSQLBuilderConditionFormat>(this)),
      FOrderByFormat(std::make_unique<TSQLBuilderItemsListFormat>(this))
{
}

TSQLBuilderSelectFormat::~TSQLBuilderSelectFormat() = default;

void TSQLBuilderSelectFormat::Assign(const TPersistent *source)
{
    auto *s = As<TSQLBuilderSelectFormat>(source);
    if (!s) {
        TnvUpdatablePersistent::Assign(source);
        return;
    }
    TnvUpdateScope update(this);
    // Every property, the global indent included, so a copied format prints alike.
    SetIndentGlobal(s->IndentGlobal());
    SetMainPartsFromNewLine(s->MainPartsFromNewLine());
    SetIndentInPart(s->IndentInPart());
    SetNewLineAfterPartKeywords(s->NewLineAfterPartKeywords());
    SetSelectListFormat(s->SelectListFormat());
    SetFromClauseFormat(s->FromClauseFormat());
    SetWhereFormat(s->WhereFormat());
    SetGroupByFormat(s->GroupByFormat());
    SetHavingFormat(s->HavingFormat());
    SetOrderByFormat(s->OrderByFormat());
}

} // namespace nvqb
