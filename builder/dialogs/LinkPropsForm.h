#pragma once
// The property dialog of a link. A condition of one comparison between two
// columns is shown column by column with the comparison to choose; any other
// condition as its SQL text, which the user may rewrite. Two check boxes
// keep all rows of the left or the right data source (an outer join).
#include "builder/dialogs/PropertiesForm.h"

#include <QPointer>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace nvqb {

class TnvLink;
class TnvDatasource;
class TSQLExpressionItem;
class TSQLExpressionOperatorBinary;
class TnvQBLocalizerForm;

class TnvLinkPropsForm : public TnvQBPropertiesForm {
    Q_OBJECT
    NV_DECLARE_FORM_CLASS(TnvLinkPropsForm)
public:
    explicit TnvLinkPropsForm(QWidget *parent = nullptr);
    ~TnvLinkPropsForm() override;

    ::nvqb::TClass ClassType() const override { return StaticClassType(); }

    TnvLink *Link() const { return FLink; }
    // The condition shown column by column; nil in the expression view.
    TSQLExpressionOperatorBinary *BinaryOperation() const { return FBinaryOperation; }
    bool IsSwapped() const { return FSwapped; }
    TnvDatasource *LeftDatasource() const { return FLeftDatasource; }
    TnvDatasource *RightDatasource() const { return FRightDatasource; }
    bool IsColumnView() const { return FBinaryOperation != nullptr; }

    // The controls, by the names the localizer's paths use.
    QWidget *pObjects, *pLeftObj, *pRightObj, *pSimple, *pLeftCol, *pOperator, *pRightCol, *pExpression, *pButtons;
    QLabel *lLeftObject, *lRightObject, *lLeftColumn, *lRightColumn, *lJoinExpression;
    QLineEdit *eLeftObj, *eRightObj, *eLeftCol, *eRightCol, *eExpression;
    QCheckBox *cbAllFromLeft, *cbAllFromRight;
    QComboBox *cbOperator;
    QPushButton *bOk, *bCancel;
    TnvQBLocalizerForm *Localizer;

protected:
    void LoadProps() override;
    void SaveProps() override;
    void CheckCanClose() override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void FitTexts();
    void FormResize();
    // The typed condition; raises the parser's error when it does not parse.
    TOwned<TSQLExpressionItem> ParseJoinExpression() const;
    void AllFromClicked(QCheckBox *clicked, QCheckBox *other);

    TnvLink *FLink = nullptr;
    TSQLExpressionItem *FExpression = nullptr;
    TSQLExpressionOperatorBinary *FBinaryOperation = nullptr;
    bool FSwapped = false;
    TnvDatasource *FLeftDatasource = nullptr;
    TnvDatasource *FRightDatasource = nullptr;
    QString FLoadedOperator;
    QString FLoadedExpression;
    bool FExclusiveAllFrom = false;
    QPointer<QWidget> FFocusTarget;
};

} // namespace nvqb
