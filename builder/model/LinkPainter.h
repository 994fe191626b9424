#pragma once
// Link painters draw the lines between data-source boxes; each query builder
// owns one. The painter classes live in the widget layer, which registers
// them here by class name; the model only asks the registry for a painter of
// a name, so a headless query builder (nothing registered) simply has none.
#include "classlib/ClassInfo.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <functional>

namespace nvqb {

class TnvQueryBuilderModel;

class TnvLinkPainter : public TObject {
    NV_DECLARE_CLASS(TnvLinkPainter)
public:
    explicit TnvLinkPainter(TnvQueryBuilderModel *queryBuilder = nullptr) : FQueryBuilder(queryBuilder) {}
    // Nil for the process-wide default painter of lines without a builder.
    TnvQueryBuilderModel *QueryBuilder() const { return FQueryBuilder; }

private:
    TnvQueryBuilderModel *FQueryBuilder;
};

// The painter classes, under the names a query builder stores.
namespace LinkPainterClass {
inline constexpr char Simple[] = "TnvLinkPainterSimple";
inline constexpr char MSSQL[] = "TnvLinkPainterMSSQL";
inline constexpr char Access[] = "TnvLinkPainterAccess";
} // namespace LinkPainterClass

// Makes a painter for the query builder; the caller owns the result.
using TnvLinkPainterCreator = std::function<TnvLinkPainter *(TnvQueryBuilderModel *queryBuilder)>;

class TnvLinkPainterRegistry {
public:
    // A later registration of the same name replaces the earlier one; the
    // names keep the order of their first registration.
    void RegisterPainterClass(const QString &className, TnvLinkPainterCreator creator);
    void UnregisterPainterClass(const QString &className);
    bool IsRegistered(const QString &className) const { return FCreators.contains(className); }
    QStringList ClassNames() const { return FNames; }
    // A painter of the class; an unknown name gives the Access-style painter,
    // and nil when that is not registered either.
    TnvLinkPainter *CreatePainter(const QString &className, TnvQueryBuilderModel *queryBuilder) const;

private:
    QHash<QString, TnvLinkPainterCreator> FCreators;
    QStringList FNames;
};

// The process-wide registry; asserts that the unit start has created it.
TnvLinkPainterRegistry *LinkPainterRegistry();

void InitializeLinkPainterRegistry();
void FinalizeLinkPainterRegistry();

} // namespace nvqb
