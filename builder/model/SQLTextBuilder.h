#pragma once
// SQL-text components: each formats the current query of the query builder
// it is linked to with its own layout options (margin, keyword case,
// quoting, the formats of the main query and of sub-queries), so one query
// can be shown compact, wrapped, or quoted differently at the same time.
// After every change of the query the query builder calls each linked
// component in the order of linking, which raises OnSQLUpdated; SQL then
// gives the text.
#include "classlib/Component.h"
#include "sqlmodel/text/SQLBuilder.h"

#include <functional>

namespace nvqb {

class TnvQueryBuilderModel;

class TnvBaseSQLBuilder : public TComponent {
    NV_DECLARE_CLASS(TnvBaseSQLBuilder)
public:
    explicit TnvBaseSQLBuilder(TComponent *owner = nullptr);
    ~TnvBaseSQLBuilder() override;

    // Makes the text builder of the derived class.
    void AfterConstruction() override;
    void BeforeDestruction() override;

    // The query builder whose query is formatted; not owned. Linking runs
    // SQLUpdated once, so the event fires with the current text.
    TnvQueryBuilderModel *QueryBuilder() const { return FQueryBuilder; }
    void SetQueryBuilder(TnvQueryBuilderModel *queryBuilder);

    // Raised after each change of the query and after a format change;
    // the argument is the component.
    std::function<void(TObject *sender)> OnSQLUpdated;

    int RightMargin() const { return FBuilder->RightMargin(); }
    void SetRightMargin(int value) { FBuilder->SetRightMargin(value); }
    TnvKeywordFormat KeywordFormat() const { return FBuilder->KeywordFormat(); }
    void SetKeywordFormat(TnvKeywordFormat value) { FBuilder->SetKeywordFormat(value); }
    // icAll when set, icIfNeed when not.
    bool QuoteAllIdentifiers() const { return FBuilder->QuoteIdentifiers() == icAll; }
    void SetQuoteAllIdentifiers(bool value) { FBuilder->SetQuoteIdentifiers(value ? icAll : icIfNeed); }
    TnvObjectPrefixSkipping ObjectPrefixSkipping() const { return FBuilder->ObjectPrefixSkipping(); }
    void SetObjectPrefixSkipping(TnvObjectPrefixSkipping value) { FBuilder->SetObjectPrefixSkipping(value); }
    // The formats are the builder's own; the setters copy the given ones.
    TSQLBuilderSelectFormat *MainQueryFormat() const { return FBuilder->MainQueryFormat(); }
    void SetMainQueryFormat(const TSQLBuilderSelectFormat *format) { FBuilder->SetMainFmt(format); }
    TSQLBuilderSelectFormat *ExpressionsSubQueryFormat() const { return FBuilder->ExpressionsSubQueryFormat(); }
    void SetExpressionsSubQueryFormat(const TSQLBuilderSelectFormat *format) { FBuilder->SetSubFmt(format); }
    TSQLBuilderSelectFormat *FromSubQueryFormat() const { return FBuilder->FromSubQueryFormat(); }
    void SetFromSubQueryFormat(const TSQLBuilderSelectFormat *format) { FBuilder->SetDerFmt(format); }

    // Several property changes inside one bracket raise one event.
    void BeginUpdate() { FBuilder->BeginUpdate(); }
    void EndUpdate() { FBuilder->EndUpdate(); }
    bool IsUpdating() const { return FBuilder->IsUpdating(); }

    // The query builder's result statement printed with this component's
    // options; empty without query builder or result.
    QString SQL() const;

    // Called by the query builder after each rebuild of its result. Called
    // again while its own handler runs (the handler edited the query from a
    // call that was not the query builder's round, as on linking), the event
    // is raised once more after the handler returns instead of inside it;
    // a handler that edits every time is called a bounded number of times.
    virtual void SQLUpdated();
    // Ends loading (SetLoading(true) before setting the properties of a
    // stored component) and raises the event once.
    void Loaded();

    // The query builder is going: the link is dropped without telling it.
    void QueryBuilderFreed();

protected:
    // The text builder of the component's kind.
    virtual TOwned<TSQLBuilder> CreateSQLBuilder() const = 0;
    void Notification(TComponent *component, TOperation operation) override;

private:
    void FormatUpdated(TObject *sender);

    TOwned<TSQLBuilder> FBuilder;
    TnvQueryBuilderModel *FQueryBuilder = nullptr;
    bool FRaising = false;
    bool FRaiseAgain = false;
};

// Wraps long lines at the right margin.
class TnvSQLBuilderPlainText : public TnvBaseSQLBuilder {
    NV_DECLARE_CLASS(TnvSQLBuilderPlainText)
public:
    using TnvBaseSQLBuilder::TnvBaseSQLBuilder;

protected:
    TOwned<TSQLBuilder> CreateSQLBuilder() const override;
};

} // namespace nvqb
