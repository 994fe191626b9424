#include "builder/dialogs/LinkPropsForm.h"
#include "builder/dialogs/DialogWidgets.h"
#include "builder/model/Datasource.h"
#include "builder/model/Link.h"
#include "classlib/Exceptions.h"
#include "classlib/StringList.h"
#include "sqlmodel/providers/SyntaxProvider.h"
#include "sqlmodel/sql/ExpressionTransforms.h"
#include "sqlmodel/sql/SQLExpressions.h"
#include "sqlmodel/sql/SQLFromClause.h"
#include "sqlmodel/sql/SQLJoins.h"
#include "support/LocalizerForm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace nvqb {

NV_IMPLEMENT_FORM_CLASS(TnvLinkPropsForm, TnvQBPropertiesForm::StaticClassType())

namespace {
constexpr int ObjectsHeight = 72;
constexpr int SimpleHeight = 56;
constexpr int ExpressionHeight = 56;
constexpr int ButtonsHeight = 34;
constexpr int OperatorWidth = 64;

QVBoxLayout *ColumnLayout(QWidget *panel)
{
    auto *layout = new QVBoxLayout(panel);
    layout->setContentsMargins(8, 6, 8, 4);
    layout->setSpacing(2);
    return layout;
}

// The datasource that the column's FROM source belongs to is the one shown
// on the right when its node is that data source's.
bool IsBoundTo(const TSQLExpressionColumn *column, const TnvDatasource *datasource)
{
    return column && column->Column && datasource && column->Column->Datasource() == datasource->DatasourceAST();
}
} // namespace

TnvLinkPropsForm::TnvLinkPropsForm(QWidget *parent) : TnvQBPropertiesForm(parent)
{
    setWindowTitle(QStringLiteral("Link Properties"));
    resize(352, 271);
    // The least client area of a window of 360 by 200 with a dialog border.
    setMinimumSize(352, ObjectsHeight + SimpleHeight + ButtonsHeight);

    pObjects = NewPanel(this, "pObjects");
    pObjects->setFixedHeight(ObjectsHeight);
    pLeftObj = NewPanel(pObjects, "pLeftObj");
    {
        QVBoxLayout *layout = ColumnLayout(pLeftObj);
        lLeftObject = NewLabel(pLeftObj, "lLeftObject", QStringLiteral("Left object"));
        eLeftObj = NewEdit(pLeftObj, "eLeftObj", true);
        cbAllFromLeft = new QCheckBox(QStringLiteral("Select All From Left"), pLeftObj);
        cbAllFromLeft->setObjectName(QStringLiteral("cbAllFromLeft"));
        layout->addWidget(lLeftObject);
        layout->addWidget(eLeftObj);
        layout->addWidget(cbAllFromLeft);
    }
    pRightObj = NewPanel(pObjects, "pRightObj");
    {
        QVBoxLayout *layout = ColumnLayout(pRightObj);
        lRightObject = NewLabel(pRightObj, "lRightObject", QStringLiteral("Right object"));
        lRightObject->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        eRightObj = NewEdit(pRightObj, "eRightObj", true);
        cbAllFromRight = new QCheckBox(QStringLiteral("Select All From Right"), pRightObj);
        cbAllFromRight->setObjectName(QStringLiteral("cbAllFromRight"));
        layout->addWidget(lRightObject);
        layout->addWidget(eRightObj);
        layout->addWidget(cbAllFromRight);
    }

    pSimple = NewPanel(this, "pSimple");
    pSimple->setFixedHeight(SimpleHeight);
    pLeftCol = NewPanel(pSimple, "pLeftCol");
    {
        QVBoxLayout *layout = ColumnLayout(pLeftCol);
        lLeftColumn = NewLabel(pLeftCol, "lLeftColumn", QStringLiteral("Left column"));
        eLeftCol = NewEdit(pLeftCol, "eLeftCol", true);
        layout->addWidget(lLeftColumn);
        layout->addWidget(eLeftCol);
    }
    pOperator = NewPanel(pSimple, "pOperator");
    {
        QVBoxLayout *layout = ColumnLayout(pOperator);
        layout->setContentsMargins(0, 6, 0, 4);
        // Only the comparisons the list offers can be chosen: a typed text
        // would become the operator of the join condition unchecked.
        cbOperator = new QComboBox(pOperator);
        cbOperator->setObjectName(QStringLiteral("cbOperator"));
        cbOperator->setEditable(false);
        layout->addStretch(1);
        layout->addWidget(cbOperator);
    }
    pRightCol = NewPanel(pSimple, "pRightCol");
    {
        QVBoxLayout *layout = ColumnLayout(pRightCol);
        lRightColumn = NewLabel(pRightCol, "lRightColumn", QStringLiteral("Right column"));
        eRightCol = NewEdit(pRightCol, "eRightCol", true);
        layout->addWidget(lRightColumn);
        layout->addWidget(eRightCol);
    }
    pSimple->hide();

    pExpression = NewPanel(this, "pExpression");
    pExpression->setFixedHeight(ExpressionHeight);
    {
        QVBoxLayout *layout = ColumnLayout(pExpression);
        lJoinExpression = NewLabel(pExpression, "lJoinExpression", QStringLiteral("Join expression"));
        eExpression = NewEdit(pExpression, "eExpression", false);
        layout->addWidget(lJoinExpression);
        layout->addWidget(eExpression);
    }
    pExpression->hide();

    pButtons = NewOkCancelPanel(this, ButtonsHeight, bOk, bCancel);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(pObjects);
    layout->addWidget(pSimple);
    layout->addWidget(pExpression);
    layout->addStretch(1);
    layout->addWidget(pButtons);

    connect(cbAllFromLeft, &QCheckBox::clicked, this, [this] { AllFromClicked(cbAllFromLeft, cbAllFromRight); });
    connect(cbAllFromRight, &QCheckBox::clicked, this, [this] { AllFromClicked(cbAllFromRight, cbAllFromLeft); });

    Localizer = NewFormLocalizer(
        this, {"Caption", "pObjects.pLeftObj.lLeftObject.Caption", "pObjects.pLeftObj.cbAllFromLeft.Caption",
               "pObjects.pRightObj.lRightObject.Caption", "pObjects.pRightObj.cbAllFromRight.Caption",
               "pSimple.pLeftCol.lLeftColumn.Caption", "pSimple.pRightCol.lRightColumn.Caption",
               "pExpression.lJoinExpression.Caption", "pButtons.bOk.Caption", "pButtons.bCancel.Caption"});
}

TnvLinkPropsForm::~TnvLinkPropsForm() = default;

void TnvLinkPropsForm::LoadProps()
{
    FLink = EditedObjectAs<TnvLink>(QStringLiteral("link"));
    TnvBaseSyntaxProvider *provider = SyntaxProvider();
    if (!provider)
        throw Exception(QStringLiteral("The link dialog was given no syntax provider"));
    FExpression = FLink->GetLinkExpression();
    FBinaryOperation = nullptr;
    FSwapped = false;

    TOwned<TWideStringList> operators = Create<TWideStringList>();
    provider->GetComparisonOperators(operators.get());
    const QStringList operatorList = operators->ToQStringList();

    auto *binary = As<TSQLExpressionOperatorBinary>(ExpressionRemoveBrackets(FExpression));
    auto *leftColumn = binary ? As<TSQLExpressionColumn>(binary->Expression.get()) : nullptr;
    auto *rightColumn = binary ? As<TSQLExpressionColumn>(binary->Right.get()) : nullptr;
    // The column view only for a comparison the operator box can show: any
    // other operation between two columns is edited as text.
    qsizetype operatorIndex = -1;
    if (leftColumn && rightColumn) {
        const QString op = binary->OperatorText();
        for (qsizetype i = 0; i < operatorList.size() && operatorIndex < 0; ++i)
            if (operatorList[i].compare(op, Qt::CaseInsensitive) == 0)
                operatorIndex = i;
    }

    if (operatorIndex >= 0) {
        FBinaryOperation = binary;
        pSimple->show();
        pExpression->hide();
        eLeftCol->setText(leftColumn->SimpleSQL(icIfNeed, opsSkipAll, nullptr, nullptr));
        eRightCol->setText(rightColumn->SimpleSQL(icIfNeed, opsSkipAll, nullptr, nullptr));
        cbOperator->clear();
        cbOperator->addItems(operatorList);
        cbOperator->setCurrentIndex(int(operatorIndex));
        FLoadedOperator = cbOperator->currentText();
        resize(width(), ObjectsHeight + SimpleHeight + ButtonsHeight);
        FFocusTarget = cbOperator;
        FSwapped = FLink->RightDatasource() && !IsBoundTo(rightColumn, FLink->RightDatasource());
    } else {
        pSimple->hide();
        pExpression->show();
        FLoadedExpression = FExpression ? FExpression->SimpleSQL(icIfNeed, opsSkipAll, nullptr, nullptr) : QString();
        eExpression->setText(FLoadedExpression);
        resize(width(), ObjectsHeight + ExpressionHeight + ButtonsHeight);
        FFocusTarget = eExpression;
    }

    FLeftDatasource = FSwapped ? FLink->RightDatasource() : FLink->LeftDatasource();
    FRightDatasource = FSwapped ? FLink->LeftDatasource() : FLink->RightDatasource();
    const TnvQueryBuilderLinkSideType leftType = FSwapped ? FLink->RightType() : FLink->LeftType();
    const TnvQueryBuilderLinkSideType rightType = FSwapped ? FLink->LeftType() : FLink->RightType();
    cbAllFromLeft->setChecked(leftType == ltOuter);
    cbAllFromRight->setChecked(rightType == ltOuter);
    eLeftObj->setText(FLeftDatasource ? FLeftDatasource->GetDataSourceName() : QString());
    eRightObj->setText(FRightDatasource ? FRightDatasource->GetDataSourceName() : QString());

    const bool inWhere = FLink->Place() == lpWhere;
    const bool enabled = !inWhere || provider->IsSupportOracleJoins();
    cbAllFromLeft->setEnabled(enabled);
    cbAllFromRight->setEnabled(enabled);
    // Joins written in WHERE cannot keep all rows of both sides.
    FExclusiveAllFrom = inWhere && enabled;
    FormResize();
}

void TnvLinkPropsForm::AllFromClicked(QCheckBox *clicked, QCheckBox *other)
{
    if (FExclusiveAllFrom && clicked->isChecked())
        other->setChecked(false);
}

void TnvLinkPropsForm::CheckCanClose()
{
    if (result() != QDialog::Accepted || !FLink || IsColumnView())
        return;
    // Only a check: the text is parsed again when it is saved.
    ParseJoinExpression();
}

TOwned<TSQLExpressionItem> TnvLinkPropsForm::ParseJoinExpression() const
{
    const QString text = eExpression->text();
    if (text.trimmed().isEmpty())
        throw Exception(QStringLiteral("The join expression is empty"));
    TnvBaseSyntaxProvider *provider = SyntaxProvider();
    if (TOwned<TSQLExpressionItem> expression = provider->ParseLogicalExpression(text, true))
        return expression;
    // The condition entry answers nil for a text it cannot read; the plain
    // expression entry raises the parser's error, which names the token at
    // fault.
    provider->ParseExpression(text);
    throw Exception(QStringLiteral("The join expression \"%1\" is no condition").arg(text));
}

void TnvLinkPropsForm::SaveProps()
{
    if (!FLink)
        return;
    TnvLink *link = FLink;
    if (IsColumnView()) {
        const QString op = cbOperator->currentText();
        if (op != FLoadedOperator) {
            if (FBinaryOperation->Operator)
                FBinaryOperation->Operator->Operator = op;
            else
                FBinaryOperation->Operator.reset(Create<TSQLOperator>(SyntaxProvider(), op));
            FLoadedOperator = op;
            link->NotifySQLUpdated();
        }
    } else if (eExpression->text() != FLoadedExpression) {
        // The typed condition takes the link's place: the link binds it to
        // the union part's data sources and works itself out again, so its
        // ends and owner may change.
        TOwned<TSQLExpressionItem> expression = ParseJoinExpression();
        FLoadedExpression = eExpression->text();
        FExpression = expression.get();
        link->SetLinkExpression(std::move(expression));
    }

    bool left = cbAllFromLeft->isChecked();
    bool right = cbAllFromRight->isChecked();
    if (FSwapped)
        std::swap(left, right);
    TastNodeClass kind = TSQLJoinKindInner::StaticClassType();
    if (left && right)
        kind = TSQLJoinKindFull::StaticClassType();
    else if (left)
        kind = TSQLJoinKindLeft::StaticClassType();
    else if (right)
        kind = TSQLJoinKindRight::StaticClassType();
    link->SetJoinKindClass(kind);
    if (TnvDatasourceBase *owner = link->OwnerDatasource())
        owner->NotifySQLUpdated();
}

void TnvLinkPropsForm::FormResize()
{
    const int width = pObjects->width();
    const int half = width / 2;
    pLeftObj->setGeometry(0, 0, half, pObjects->height());
    pRightObj->setGeometry(half, 0, width - half, pObjects->height());
    const int simpleWidth = pSimple->width();
    if (simpleWidth > 0) {
        const int leftWidth = simpleWidth / 2 - OperatorWidth / 2;
        pLeftCol->setGeometry(0, 0, leftWidth, pSimple->height());
        pOperator->setGeometry(leftWidth, 0, OperatorWidth, pSimple->height());
        pRightCol->setGeometry(leftWidth + OperatorWidth, 0, simpleWidth - leftWidth - OperatorWidth,
                               pSimple->height());
    }
}

void TnvLinkPropsForm::resizeEvent(QResizeEvent *event)
{
    TnvQBPropertiesForm::resizeEvent(event);
    FormResize();
}

void TnvLinkPropsForm::FitTexts()
{
    // The objects panel is shared in halves, each holding a check box: the
    // dialog is at least twice as wide as the wider one needs, whatever the
    // language made of their captions.
    const QMargins margins = pLeftObj->layout()->contentsMargins();
    const int half = std::max(cbAllFromLeft->sizeHint().width(), cbAllFromRight->sizeHint().width()) +
                     margins.left() + margins.right();
    if (minimumWidth() < 2 * half)
        setMinimumWidth(2 * half);
}

void TnvLinkPropsForm::showEvent(QShowEvent *event)
{
    FitTexts();
    TnvQBPropertiesForm::showEvent(event);
    FormResize();
    if (FFocusTarget)
        FFocusTarget->setFocus();
}

} // namespace nvqb
