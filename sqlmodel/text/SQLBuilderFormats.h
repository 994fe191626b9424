#pragma once
// The layout options that steer printed SQL: one tree of these per kind of
// statement (main query, sub-query in an expression, derived table in FROM).
// Every change climbs the owner chain to the builder and its owning component.
#include "sqlmodel/text/UpdatablePersistent.h"

#include <memory>

namespace nvqb {

enum TSQLBuilderConditionFormatNL { nlNone, nlTopmostOr, nlTopmostLogical, nlAllLogical };

class TSQLBuilderItemsListFormat : public TnvUpdatablePersistent {
    NV_DECLARE_CLASS(TSQLBuilderItemsListFormat)
public:
    explicit TSQLBuilderItemsListFormat(TnvUpdatablePersistent *owner);
    void Assign(const TPersistent *source) override;

    bool NewLineAfterItem() const { return FNewLineAfterItem; }
    void SetNewLineAfterItem(bool value) { SetAndNotify(FNewLineAfterItem, value); }

private:
    bool FNewLineAfterItem = false;
};

class TSQLBuilderConditionFormat : public TnvUpdatablePersistent {
    NV_DECLARE_CLASS(TSQLBuilderConditionFormat)
public:
    explicit TSQLBuilderConditionFormat(TnvUpdatablePersistent *owner);
    void Assign(const TPersistent *source) override;

    TSQLBuilderConditionFormatNL NewLineAfter() const { return FNewLineAfter; }
    void SetNewLineAfter(TSQLBuilderConditionFormatNL value) { SetAndNotify(FNewLineAfter, value); }
    int IndentNestedConditions() const { return FIndentNestedConditions; }
    void SetIndentNestedConditions(int value) { SetAndNotify(FIndentNestedConditions, value); }

private:
    TSQLBuilderConditionFormatNL FNewLineAfter = nlTopmostOr;
    int FIndentNestedConditions = 2;
};

class TSQLBuilderFromClauseFormat : public TnvUpdatablePersistent {
    NV_DECLARE_CLASS(TSQLBuilderFromClauseFormat)
public:
    explicit TSQLBuilderFromClauseFormat(TnvUpdatablePersistent *owner);
    ~TSQLBuilderFromClauseFormat() override;
    void Assign(const TPersistent *source) override;

    bool NewLineAfterDatasource() const { return FNewLineAfterDatasource; }
    void SetNewLineAfterDatasource(bool value) { SetAndNotify(FNewLineAfterDatasource, value); }
    bool NewLineAfterJoin() const { return FNewLineAfterJoin; }
    void SetNewLineAfterJoin(bool value) { SetAndNotify(FNewLineAfterJoin, value); }
    TSQLBuilderConditionFormat *JoinConditionFormat() const { return FJoinConditionFormat.get(); }
    // Copies the given format into the owned one, which is never replaced.
    void SetJoinConditionFormat(const TSQLBuilderConditionFormat *value) { FJoinConditionFormat->Assign(value); }

private:
    bool FNewLineAfterDatasource = false;
    bool FNewLineAfterJoin = true;
    std::unique_ptr<TSQLBuilderConditionFormat> FJoinConditionFormat;
};

class TSQLBuilderSelectFormat : public TnvUpdatablePersistent {
    NV_DECLARE_CLASS(TSQLBuilderSelectFormat)
public:
    explicit TSQLBuilderSelectFormat(TnvUpdatablePersistent *owner);
    ~TSQLBuilderSelectFormat() override;
    void Assign(const TPersistent *source) override;

    int IndentGlobal() const { return FIndentGlobal; }
    void SetIndentGlobal(int value) { SetAndNotify(FIndentGlobal, value); }
    bool MainPartsFromNewLine() const { return FMainPartsFromNewLine; }
    void SetMainPartsFromNewLine(bool value) { SetAndNotify(FMainPartsFromNewLine, value); }
    int IndentInPart() const { return FIndentInPart; }
    void SetIndentInPart(int value) { SetAndNotify(FIndentInPart, value); }
    bool NewLineAfterPartKeywords() const { return FNewLineAfterPartKeywords; }
    void SetNewLineAfterPartKeywords(bool value) { SetAndNotify(FNewLineAfterPartKeywords, value); }

    TSQLBuilderItemsListFormat *SelectListFormat() const { return FSelectListFormat.get(); }
    TSQLBuilderFromClauseFormat *FromClauseFormat() const { return FFromClauseFormat.get(); }
    TSQLBuilderConditionFormat *WhereFormat() const { return FWhereFormat.get(); }
    TSQLBuilderItemsListFormat *GroupByFormat() const { return FGroupByFormat.get(); }
    TSQLBuilderConditionFormat *HavingFormat() const { return FHavingFormat.get(); }
    TSQLBuilderItemsListFormat *OrderByFormat() const { return FOrderByFormat.get(); }
    // Each copies the given format into the owned one, which is never replaced.
    void SetSelectListFormat(const TSQLBuilderItemsListFormat *value) { FSelectListFormat->Assign(value); }
    void SetFromClauseFormat(const TSQLBuilderFromClauseFormat *value) { FFromClauseFormat->Assign(value); }
    void SetWhereFormat(const TSQLBuilderConditionFormat *value) { FWhereFormat->Assign(value); }
    void SetGroupByFormat(const TSQLBuilderItemsListFormat *value) { FGroupByFormat->Assign(value); }
    void SetHavingFormat(const TSQLBuilderConditionFormat *value) { FHavingFormat->Assign(value); }
    void SetOrderByFormat(const TSQLBuilderItemsListFormat *value) { FOrderByFormat->Assign(value); }

private:
    int FIndentGlobal = 0;
    bool FMainPartsFromNewLine = true;
    int FIndentInPart = 2;
    bool FNewLineAfterPartKeywords = false;
    std::unique_ptr<TSQLBuilderItemsListFormat> FSelectListFormat;
    std::unique_ptr<TSQLBuilderFromClauseFormat> FFromClauseFormat;
    std::unique_ptr<TSQLBuilderConditionFormat> FWhereFormat;
    std::unique_ptr<TSQLBuilderItemsListFormat> FGroupByFormat;
    std::unique_ptr<TSQLBuilderConditionFormat> FHavingFormat;
    std::unique_ptr<TSQLBuilderItemsListFormat> FOrderByFormat;
};

} // namespace nvqb
