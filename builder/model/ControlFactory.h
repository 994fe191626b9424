#pragma once
// How model nodes get their controls and dialogs without knowing a widget
// class. The widget layer registers, for each control class a node asks for
// by name, a creator that builds the control for a node's slot, and the
// property and about dialogs. A query builder uses the process-wide factory
// unless it is given one of its own (tests give it recording fakes). With
// nothing registered a node simply has no control in that slot.
#include "classlib/ClassInfo.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <functional>
#include <memory>

namespace nvqb {

class TnvModelControl;
class TnvQueryBuilderControlOwner;
class TnvQueryBuilderModel;

// Where a dialog opens, as the class library names the places.
enum TPosition {
    poDesigned,
    poDefault,
    poDefaultPosOnly,
    poDefaultSizeOnly,
    poScreenCenter,
    poDesktopCenter,
    poMainFormCenter,
    poOwnerFormCenter
};

// The control classes that model nodes ask for.
namespace ControlClass {
inline constexpr char QueryTabSheet[] = "TnvQueryTabSheet";
inline constexpr char UnionSubQueryTabSheet[] = "TnvUnionSubQueryTabSheet";
inline constexpr char UnionButton[] = "TnvUnionButton";
inline constexpr char UnionOperator[] = "TnvUnionOperator";
inline constexpr char LeftBracket[] = "TnvLeftBracket";
inline constexpr char RightBracket[] = "TnvRightBracket";
inline constexpr char DataSourceControl[] = "TnvQueryBuilderDataSourceControl";
inline constexpr char LinkControl[] = "TnvQueryBuilderLinkControl";
inline constexpr char SelectListControl[] = "TnvQueryBuilderSelectListControl";
} // namespace ControlClass

// Builds the control of slot Index of Owner; the caller owns the result.
using TnvControlCreator = std::function<TnvModelControl *(TnvQueryBuilderControlOwner *owner, int index)>;
// Runs the modal property dialog of the class for the node; true when the
// user accepted a change.
using TnvEditPropsDialog =
    std::function<bool(TClass formClass, TnvQueryBuilderControlOwner *node, TPosition position)>;
using TnvAboutDialog = std::function<void(TnvQueryBuilderModel *queryBuilder)>;
// The Add Object dialog, which adds to the query builder's current union
// part. The query builder owns it from its first showing until it is
// destroyed, so that it keeps its state between showings.
class TnvAddObjectFormHandle {
public:
    virtual ~TnvAddObjectFormHandle() = default;
    // Loads the options, schemas and lists, and runs the dialog modally.
    virtual void ShowModal() = 0;
};
// Makes the Add Object dialog of the query builder.
using TnvAddObjectFormCreator =
    std::function<std::unique_ptr<TnvAddObjectFormHandle>(TnvQueryBuilderModel *queryBuilder)>;
// Asks the argument values of a call of the procedure; true (OK) with the
// whole call, as "p(1, 2)", in Expression.
using TnvProcedureParamsDialog = std::function<bool(const QString &procedureName, QString &expression)>;

class TnvControlFactory {
public:
    TnvControlFactory();
    ~TnvControlFactory();
    TnvControlFactory(const TnvControlFactory &) = delete;
    TnvControlFactory &operator=(const TnvControlFactory &) = delete;

    // A later registration of the same class replaces the earlier one.
    void RegisterControlClass(const char *className, TnvControlCreator creator);
    void UnregisterControlClass(const char *className);
    bool IsControlClassRegistered(const char *className) const;
    // A new control of the class for the node's slot; nil when none is
    // registered.
    TnvModelControl *CreateControl(const char *className, TnvQueryBuilderControlOwner *owner, int index) const;

    void SetEditPropsDialog(TnvEditPropsDialog dialog) { FEditPropsDialog = std::move(dialog); }
    // False (nothing changed) when no dialog is registered.
    bool ShowEditPropsDialog(TClass formClass, TnvQueryBuilderControlOwner *node, TPosition position) const;
    void SetAboutDialog(TnvAboutDialog dialog) { FAboutDialog = std::move(dialog); }
    void ShowAboutDialog(TnvQueryBuilderModel *queryBuilder) const;
    void SetAddObjectFormCreator(TnvAddObjectFormCreator creator) { FAddObjectFormCreator = std::move(creator); }
    // A new Add Object dialog for the query builder; nil when none is
    // registered.
    std::unique_ptr<TnvAddObjectFormHandle> CreateAddObjectForm(TnvQueryBuilderModel *queryBuilder) const;
    void SetProcedureParamsDialog(TnvProcedureParamsDialog dialog) { FProcedureParamsDialog = std::move(dialog); }
    // False (cancelled) when no dialog is registered.
    bool ShowProcedureParamsDialog(const QString &procedureName, QString &expression) const;

private:
    QHash<QByteArray, TnvControlCreator> FCreators;
    TnvEditPropsDialog FEditPropsDialog;
    TnvAboutDialog FAboutDialog;
    TnvAddObjectFormCreator FAddObjectFormCreator;
    TnvProcedureParamsDialog FProcedureParamsDialog;
};

// The process-wide factory; asserts that the unit start has created it.
TnvControlFactory *ControlFactory();

void InitializeControlFactory();
void FinalizeControlFactory();

} // namespace nvqb
