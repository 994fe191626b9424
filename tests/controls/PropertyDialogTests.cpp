// The link and data-source property dialogs, opened the way the diagram
// opens them (the node's EditProps through the control factory) and driven
// with keys and clicks inside their modal loop.
#include "DialogTestSupport.h"
#include "common/Eventually.h"
#include "builder/JoinTestSupport.h"
#include "builder/dialogs/BuilderDialogs.h"
#include "builder/dialogs/DatasourcePropsForm.h"
#include "builder/dialogs/LinkPropsForm.h"
#include "builder/model/ErrorReport.h"
#include "builder/model/UnionSubQuery.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace nvqb::test {

namespace {

class PropertyDialogTest : public JoinTest {
protected:
    QStringList errors;
    TnvErrorHandler previousHandler;

    void SetUp() override
    {
        JoinTest::SetUp();
        RegisterBuilderDialogs(factory);
        previousHandler = SetErrorHandler([this](const QString &message) { errors.append(message); });
    }
    void TearDown() override
    {
        SetErrorHandler(previousHandler);
        JoinTest::TearDown();
    }

    bool EditLink(TnvLink *link, const std::function<void(TnvLinkPropsForm *)> &steps)
    {
        return RunModal<TnvLinkPropsForm>([link] { link->EditProps(poMainFormCenter); }, steps);
    }
    bool EditSource(TnvDatasource *datasource, const std::function<void(TnvDatasourcePropsForm *)> &steps)
    {
        return RunModal<TnvDatasourcePropsForm>([datasource] { datasource->EditProps(poMainFormCenter); }, steps);
    }
    static void Retype(QLineEdit *edit, const QString &text)
    {
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, text);
    }
};

} // namespace

TEST_F(PropertyDialogTest, TheDialectHandsOutTheDialogOfEachNode)
{
    Load(QStringLiteral("Select * From a Inner Join b On a.id = b.a_id"));
    EXPECT_EQ(p->GetEditPropsFormClass(Links()[0]), TnvLinkPropsForm::StaticClassType());
    EXPECT_EQ(p->GetEditPropsFormClass(Source(QStringLiteral("a"))), TnvDatasourcePropsForm::StaticClassType());
    EXPECT_EQ(p->GetEditPropsFormClass(Part()), nullptr);
    EXPECT_TRUE(TnvLinkPropsForm::StaticClassType()->InheritsFrom(TnvQBPropertiesForm::StaticClassType()));
}

TEST_F(PropertyDialogTest, AColumnComparisonOpensColumnByColumnAndTakesTheChosenOperator)
{
    Load(QStringLiteral("Select * From a Inner Join b On a.id = b.a_id"));
    EXPECT_TRUE(EditLink(Links()[0], [](TnvLinkPropsForm *form) {
        EXPECT_TRUE(form->pSimple->isVisible());
        EXPECT_FALSE(form->pExpression->isVisible());
        EXPECT_SQL(form->cbOperator->currentText(), "=");
        EXPECT_SQL(form->eLeftCol->text(), "a.id");
        EXPECT_SQL(form->eRightCol->text(), "b.a_id");
        EXPECT_SQL(form->eLeftObj->text(), "a");
        EXPECT_SQL(form->eRightObj->text(), "b");
        EXPECT_EQ(form->height(), form->pObjects->height() + form->pSimple->height() + form->pButtons->height());
        EXPECT_EVENTUALLY(form->focusWidget() == form->cbOperator);
        // The two object panels share the width, and the operator sits
        // between the column panels.
        EXPECT_EQ(form->pLeftObj->width(), form->pObjects->width() / 2);
        EXPECT_EQ(form->pRightCol->x(), form->pOperator->geometry().right() + 1);
        Screenshot(form, QStringLiteral("link-dialog-columns"));
        QTest::keyClick(form->cbOperator, Qt::Key_Down);
        EXPECT_SQL(form->cbOperator->currentText(), ">");
        QTest::mouseClick(form->bOk, Qt::LeftButton);
        EXPECT_FALSE(form->isVisible());
    }));
    EXPECT_SQL(SQL(), "Select * From a Inner Join b On a.id > b.a_id");
}

TEST_F(PropertyDialogTest, TheOperatorBoxTakesOnlyTheComparisonsItLists)
{
    Load(QStringLiteral("Select * From a Inner Join b On a.id = b.a_id"));
    EditLink(Links()[0], [](TnvLinkPropsForm *form) {
        QStringList listed;
        for (int i = 0; i < form->cbOperator->count(); ++i)
            listed.append(form->cbOperator->itemText(i));
        EXPECT_SQL(listed, "= | > | >= | < | <= | <> | != | !< | !>");
        // Typed text is no operator: it can only pick a listed entry.
        QTest::keyClicks(form->cbOperator, QStringLiteral("Like x Or 1"));
        EXPECT_TRUE(listed.contains(form->cbOperator->currentText())) << form->cbOperator->currentText().toStdString();
        form->cbOperator->setCurrentText(QStringLiteral("<>"));
        QTest::keyClicks(form->cbOperator, QStringLiteral("+ 1 = "));
        QTest::mouseClick(form->bOk, Qt::LeftButton);
    });
    const QString sql = SQL();
    EXPECT_TRUE(sql.startsWith(QStringLiteral("Select * From a Inner Join b On a.id "))) << sql.toStdString();
    EXPECT_TRUE(sql.endsWith(QStringLiteral(" b.a_id"))) << sql.toStdString();
    // Whatever was typed, what is left between the columns is one listed
    // comparison, and the text still loads.
    EXPECT_SQL(Load(sql), sql);
    EXPECT_TRUE(Links()[0]->IsSimple());
}

TEST_F(PropertyDialogTest, AnyOtherConditionIsEditedAsTextAndTheTypedTextBecomesTheLink)
{
    Load(QStringLiteral("Select * From a Inner Join b On a.x > b.y + 1"));
    EditLink(Links()[0], [](TnvLinkPropsForm *form) {
        EXPECT_FALSE(form->pSimple->isVisible());
        EXPECT_TRUE(form->pExpression->isVisible());
        EXPECT_SQL(form->eExpression->text(), "a.x > b.y + 1");
        EXPECT_EVENTUALLY(form->focusWidget() == form->eExpression);
        EXPECT_EQ(form->height(),
                  form->pObjects->height() + form->pExpression->height() + form->pButtons->height());
        Screenshot(form, QStringLiteral("link-dialog-expression"));
        Retype(form->eExpression, QStringLiteral("a.x = b.y"));
        QTest::mouseClick(form->bOk, Qt::LeftButton);
    });
    EXPECT_SQL(SQL(), "Select * From a Inner Join b On a.x = b.y");
    TnvLink *link = Links()[0];
    EXPECT_TRUE(link->IsSimple());
    EXPECT_SQL(link->LeftFieldName()->GetQualifiedName(), "x");
    EXPECT_SQL(link->RightFieldName()->GetQualifiedName(), "y");
}

TEST_F(PropertyDialogTest, AnExpressionThatDoesNotParseKeepsTheDialogOpenUntilCancelled)
{
    Load(QStringLiteral("Select * From a Inner Join b On a.x > b.y + 1"));
    EditLink(Links()[0], [this](TnvLinkPropsForm *form) {
        Retype(form->eExpression, QStringLiteral("a.x > > b.y"));
        QTest::mouseClick(form->bOk, Qt::LeftButton);
        EXPECT_TRUE(form->isVisible());
        ASSERT_EQ(errors.size(), 1);
        EXPECT_TRUE(errors[0].contains(QStringLiteral(">"))) << errors[0].toStdString();
        QTest::mouseClick(form->bCancel, Qt::LeftButton);
        EXPECT_FALSE(form->isVisible());
        EXPECT_EQ(errors.size(), 1);
    });
    EXPECT_SQL(SQL(), "Select * From a Inner Join b On a.x > b.y + 1");
}

TEST_F(PropertyDialogTest, TheCheckBoxesChooseTheJoinKind)
{
    Load(QStringLiteral("Select * From a Inner Join b On a.id = b.a_id"));
    EditLink(Links()[0], [](TnvLinkPropsForm *form) {
        EXPECT_FALSE(form->cbAllFromLeft->isChecked());
        EXPECT_FALSE(form->cbAllFromRight->isChecked());
        QTest::mouseClick(form->cbAllFromLeft, Qt::LeftButton);
        QTest::mouseClick(form->bOk, Qt::LeftButton);
    });
    EXPECT_SQL(SQL(), "Select * From a Left Join b On a.id = b.a_id");

    EditLink(Links()[0], [](TnvLinkPropsForm *form) {
        EXPECT_TRUE(form->cbAllFromLeft->isChecked());
        EXPECT_FALSE(form->cbAllFromRight->isChecked());
        QTest::mouseClick(form->cbAllFromRight, Qt::LeftButton);
        QTest::mouseClick(form->bOk, Qt::LeftButton);
    });
    EXPECT_SQL(SQL(), "Select * From a Full Join b On a.id = b.a_id");

    EditLink(Links()[0], [](TnvLinkPropsForm *form) {
        QTest::mouseClick(form->cbAllFromLeft, Qt::LeftButton);
        QTest::mouseClick(form->bCancel, Qt::LeftButton);
    });
    EXPECT_SQL(SQL(), "Select * From a Full Join b On a.id = b.a_id");

    EditLink(Links()[0], [](TnvLinkPropsForm *form) {
        QTest::mouseClick(form->cbAllFromLeft, Qt::LeftButton);
        QTest::mouseClick(form->cbAllFromRight, Qt::LeftButton);
        QTest::mouseClick(form->bOk, Qt::LeftButton);
    });
    EXPECT_SQL(SQL(), "Select * From a Inner Join b On a.id = b.a_id");
}

TEST_F(PropertyDialogTest, AJoinMadeOuterSpellsItAsTheStatementsOtherOuterJoins)
{
    Load(QStringLiteral("Select * From a Left Outer Join b On a.id = b.a_id Inner Join c On b.id = c.b_id"));
    TnvLink *inner = nullptr;
    for (TnvLink *link : Links())
        if (link->RightDatasource() == Source(QStringLiteral("c")))
            inner = link;
    ASSERT_NE(inner, nullptr);
    EditLink(inner, [](TnvLinkPropsForm *form) {
        QTest::mouseClick(form->cbAllFromLeft, Qt::LeftButton);
        QTest::mouseClick(form->bOk, Qt::LeftButton);
    });
    EXPECT_SQL(SQL(), "Select * From a Left Outer Join b On a.id = b.a_id Left Outer Join c On b.id = c.b_id");
    // Without OUTER in the statement a new outer join goes without it too.
    Load(QStringLiteral("Select * From a Left Join b On a.id = b.a_id Inner Join c On b.id = c.b_id"));
    EditLink(Links()[1], [](TnvLinkPropsForm *form) {
        QTest::mouseClick(form->cbAllFromRight, Qt::LeftButton);
        QTest::mouseClick(form->bOk, Qt::LeftButton);
    });
    EXPECT_SQL(SQL(), "Select * From a Left Join b On a.id = b.a_id Right Join c On b.id = c.b_id");
}

TEST_F(PropertyDialogTest, AJoinMadeInnerReadsBackAsItPrints)
{
    // b stood cross joined only because the outer join after it took it into
    // its side; made inner, the join tree is laid out as a load lays it out.
    Load(QStringLiteral("Select * From a Cross Join b Left Join c On b.id = c.b_id"));
    ASSERT_EQ(Links().size(), 1);
    EditLink(Links()[0], [](TnvLinkPropsForm *form) {
        QTest::mouseClick(form->cbAllFromLeft, Qt::LeftButton);
        QTest::mouseClick(form->bOk, Qt::LeftButton);
    });
    EXPECT_SQL(SQL(), "Select * From a, b Inner Join c On b.id = c.b_id");
    const QString sql = SQL();
    EXPECT_SQL(Load(sql), sql);
}

TEST_F(PropertyDialogTest, AConditionWrittenTheOtherWayRoundShowsItsSidesAsWritten)
{
    // The right column belongs to the link's left data source: the dialog
    // shows b on the left, as the condition reads, and maps the boxes back.
    Load(QStringLiteral("Select * From a Inner Join b On b.a_id = a.id"));
    EditLink(Links()[0], [](TnvLinkPropsForm *form) {
        EXPECT_TRUE(form->IsSwapped());
        EXPECT_SQL(form->eLeftCol->text(), "b.a_id");
        EXPECT_SQL(form->eLeftObj->text(), "b");
        EXPECT_SQL(form->eRightObj->text(), "a");
        QTest::mouseClick(form->cbAllFromRight, Qt::LeftButton);
        QTest::mouseClick(form->bOk, Qt::LeftButton);
    });
    EXPECT_SQL(SQL(), "Select * From a Left Join b On b.a_id = a.id");
}

TEST_F(PropertyDialogTest, LinksInWhereKeepAllRowsOnlyWhereTheDialectMarksOuterColumns)
{
    p->ANSIJoins = false;
    Load(QStringLiteral("Select * From a, b Where a.id = b.a_id"));
    EditLink(Links()[0], [](TnvLinkPropsForm *form) {
        EXPECT_FALSE(form->cbAllFromLeft->isEnabled());
        EXPECT_FALSE(form->cbAllFromRight->isEnabled());
    });
    p->OracleJoins = true;
    EditLink(Links()[0], [](TnvLinkPropsForm *form) {
        ASSERT_TRUE(form->cbAllFromLeft->isEnabled());
        QTest::mouseClick(form->cbAllFromLeft, Qt::LeftButton);
        QTest::mouseClick(form->cbAllFromRight, Qt::LeftButton);
        // Such joins cannot keep all rows of both sides.
        EXPECT_FALSE(form->cbAllFromLeft->isChecked());
        EXPECT_TRUE(form->cbAllFromRight->isChecked());
        QTest::mouseClick(form->bOk, Qt::LeftButton);
    });
    EXPECT_SQL(SQL(), "Select * From a, b Where a.id(+) = b.a_id");
}

TEST_F(PropertyDialogTest, TheDataSourceDialogRenamesAndADerivedTableKeepsAName)
{
    Load(QStringLiteral("Select * From a Inner Join (Select * From b) q On a.id = q.a_id"));
    EXPECT_TRUE(EditSource(Source(QStringLiteral("q")), [](TnvDatasourcePropsForm *form) {
        EXPECT_SQL(form->eObj->text(), "(Select * From b)");
        EXPECT_SQL(form->eAlias->text(), "q");
        EXPECT_EVENTUALLY(form->focusWidget() == form->eAlias);
        EXPECT_EQ(form->height(), form->pDatasource->height() + form->pButtons->height());
        Screenshot(form, QStringLiteral("datasource-dialog"));
        QTest::keyClick(form->eAlias, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(form->eAlias, Qt::Key_Delete);
        QTest::keyClick(form->eAlias, Qt::Key_Return);
        EXPECT_FALSE(form->isVisible());
    }));
    EXPECT_SQL(SQL(), "Select * From a Inner Join (Select * From b) Query1 On a.id = Query1.a_id");

    EditSource(Source(QStringLiteral("a")), [](TnvDatasourcePropsForm *form) {
        EXPECT_SQL(form->eObj->text(), "a");
        QTest::keyClicks(form->eAlias, QStringLiteral("t"));
        QTest::mouseClick(form->bOk, Qt::LeftButton);
    });
    EXPECT_SQL(SQL(), "Select * From a t Inner Join (Select * From b) Query1 On t.id = Query1.a_id");
}

TEST_F(PropertyDialogTest, AnAliasAnotherSourceGoesByIsRefusedWithAMessage)
{
    const QString sql = QStringLiteral("Select * From a Inner Join b x On a.id = x.a_id, b, (Select * From c) Query1, "
                                       "(Select * From c) q");
    EXPECT_SQL(Load(sql), sql);
    // Taken as the alias of another source, as the name of an object without
    // alias (in any case), or given up when the object's name is taken.
    const QList<std::pair<QString, QString>> refused = {
        {QStringLiteral("x"), QStringLiteral("a")}, {QStringLiteral("a"), QStringLiteral("x")},
        {QStringLiteral("B"), QStringLiteral("a")}, {QStringLiteral(""), QStringLiteral("x")},
        {QStringLiteral("Query1"), QStringLiteral("q")}};
    for (const auto &[alias, source] : refused) {
        SCOPED_TRACE(alias.toStdString());
        errors.clear();
        EXPECT_TRUE(EditSource(Source(source), [&](TnvDatasourcePropsForm *form) {
            Retype(form->eAlias, alias);
            QTest::mouseClick(form->bOk, Qt::LeftButton);
            EXPECT_TRUE(form->isVisible());
            ASSERT_EQ(errors.size(), 1);
            EXPECT_SQL(errors[0], QStringLiteral("The name \"%1\" is already used by another object of this query.")
                                      .arg(alias.isEmpty() ? QStringLiteral("b") : alias));
            QTest::mouseClick(form->bCancel, Qt::LeftButton);
        }));
        EXPECT_SQL(SQL(), sql);
    }
    // Its own name, or one no other source goes by, is taken.
    errors.clear();
    EditSource(Source(QStringLiteral("x")), [](TnvDatasourcePropsForm *form) {
        Retype(form->eAlias, QStringLiteral("X"));
        QTest::mouseClick(form->bOk, Qt::LeftButton);
    });
    EXPECT_TRUE(SQL().startsWith(QStringLiteral("Select * From a Inner Join b X On a.id = X.a_id"))) << SQL().toStdString();
    // A derived table left without alias takes the first free name.
    EditSource(Source(QStringLiteral("q")), [](TnvDatasourcePropsForm *form) {
        Retype(form->eAlias, QString());
        QTest::mouseClick(form->bOk, Qt::LeftButton);
    });
    EXPECT_TRUE(SQL().endsWith(QStringLiteral("(Select * From c) Query1, (Select * From c) Query2")))
        << SQL().toStdString();
    EXPECT_TRUE(errors.isEmpty());
}

} // namespace nvqb::test
