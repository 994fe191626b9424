// The load wizard driven through its buttons: the pages a container's
// providers leave to choose, the checks that keep the wizard on a page, the
// filter page's lines, the loading run's log and copy step, and whole runs
// against the SQLite file and the PostgreSQL server through the ODBC
// provider.
#include "adoprovider/ADOMetadataProvider.h"
#include "common/Eventually.h"
#include "adoprovider/OdbcDataset.h"
#include "adoprovider/OdbcTestSupport.h"
#include "builder/dialogs/MetadataContainerLoad.h"
#include "builder/model/ErrorReport.h"
#include "controls/DialogTestSupport.h"
#include "sql92/SQL92SyntaxProvider.h"
#include "sqlmodel/metadata/MetadataContainer.h"
#include "sqlmodel/metadata/MetadataFilter.h"
#include "sqlmodel/providers/EventMetadataProvider.h"
#include "sqlmodel/sql/QualifiedName.h"
#include "support/LanguageManager.h"
#include "support/LanguageSource.h"

#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSet>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QToolButton>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace nvqb;
using namespace nvqb::test;

namespace {

using TWizard = TfnvQBMetadataContainerLoad;

// Errors the wizard shows, recorded instead of a message box.
class ErrorRecorder {
public:
    ErrorRecorder()
    {
        FOld = SetErrorHandler([this](const QString &message) { Errors << message; });
    }
    ~ErrorRecorder() { SetErrorHandler(std::move(FOld)); }
    QStringList Errors;

private:
    TnvErrorHandler FOld;
};

QString PageOf(const TWizard &wizard) { return wizard.pcPages->currentWidget()->objectName(); }

void Click(QAbstractButton *button)
{
    ASSERT_TRUE(button->isVisible() && button->isEnabled()) << button->objectName().toStdString();
    QTest::mouseClick(button, Qt::LeftButton);
}

// Next or Load, whichever the wizard shows.
void Forward(TWizard &wizard) { Click(wizard.bLoad->isVisible() ? wizard.bLoad : wizard.bNext); }

QStringList LogLines(const TWizard &wizard) { return wizard.mLog->toPlainText().split(u'\n'); }

// A host's catalogue behind the event provider, with databases to choose
// from: "south" is the one the connection stands in.
class TFakeCatalogueProvider : public TnvEventMetadataProvider {
public:
    using TnvEventMetadataProvider::TnvEventMetadataProvider;
    QStringList DatabaseNames = {"north", "south", "west"};
    QString Current = QStringLiteral("south");

    void GetDatabasesList(TnvBaseSyntaxProvider *syntaxProvider, TSQLQualifiedNamesList *list) override
    {
        list->Clear();
        for (const QString &name : DatabaseNames)
            list->Add(name);
    }
    TOwned<TSQLQualifiedName> GetDefaultDatabaseName(TnvBaseSyntaxProvider *syntaxProvider) override
    {
        TSQLQualifiedNamesList names(syntaxProvider);
        names.Add(Current);
        return TOwned<TSQLQualifiedName>(names.Extract(names.First()));
    }
};

TnvGetObjectNamesEvent Names(const QStringList &names)
{
    return TnvGetObjectNamesEvent::FromCallable([names](TnvBaseMetadataProvider *, TSQLDatabaseObjectsList *list) {
        for (const QString &name : names)
            list->Add(name);
    });
}

class LoadWizardOfflineTest : public ::testing::Test {
protected:
    // From the welcome page over the databases page, one database checked,
    // to the filter page.
    static void ToTheFilterPage(TWizard &wizard)
    {
        Click(wizard.bNext);
        wizard.lDatabases->item(1)->setCheckState(Qt::Checked);
        Click(wizard.bNext);
    }

    void SetUp() override
    {
        Metadata.OnGetTables = Names({"dbo.Orders", "dbo.Lines"});
        Metadata.OnGetViews = Names({"dbo.OrderView"});
        Metadata.OnGetSystemTables = Names({"sys.Objects"});
        Metadata.OnGetSQLFieldNames = TnvGetSQLFieldNamesEvent::FromCallable(
            [this](TnvBaseMetadataProvider *, const QString &, TnvFieldsList *fields) {
                if (FieldDelayMs > 0)
                    QThread::msleep(FieldDelayMs);
                for (const QString &name : FieldNames)
                    fields->AddField(name, false);
            });
        Container->SetSyntaxProvider(&Syntax);
        Container->SetMetadataProvider(&Metadata);
    }

    // Goes from the welcome page to the loading page, checking the default
    // database; the pages passed by.
    QStringList RunToTheEnd(TWizard &wizard)
    {
        QStringList pages{PageOf(wizard)};
        while (wizard.CurrentPageIndex() < wizard.PageCount() - 1) {
            if (PageOf(wizard) == u"tsLoadOpts")
                for (int row = 0; row < wizard.lDatabases->count(); ++row)
                    if (wizard.lDatabases->item(row)->text().endsWith(u"(current database)"))
                        wizard.lDatabases->item(row)->setCheckState(Qt::Checked);
            const int before = wizard.CurrentPageIndex();
            Forward(wizard);
            if (wizard.CurrentPageIndex() == before)
                break;
            pages << PageOf(wizard);
        }
        return pages;
    }

    TnvSQL92SyntaxProvider Syntax{nullptr};
    TFakeCatalogueProvider Metadata{nullptr};
    TOwned<TnvMetadataContainer> Container = Create<TnvMetadataContainer>(nullptr);
    QStringList FieldNames = {"id", "name"};
    int FieldDelayMs = 0;
    ErrorRecorder Recorder;
};

TEST_F(LoadWizardOfflineTest, ChecksRaiseTheirMessageAndKeepTheWizardOnThePage)
{
    {
        SCOPED_TRACE("syntax provider");
        auto bare = Create<TnvMetadataContainer>(nullptr);
        TWizard wizard(nullptr, bare.get(), false);
        wizard.show();
        Click(wizard.bNext);
        ASSERT_EQ(PageOf(wizard), u"tsSyntax");
        ASSERT_GT(wizard.cbSelectSyntax->findText(QStringLiteral("ANSI SQL92")), -1);
        wizard.cbSelectSyntax->setCurrentIndex(-1);
        Click(wizard.bNext);
        EXPECT_EQ(Recorder.Errors, QStringList{"Please select Syntax Provider to proceed."});
        EXPECT_EQ(PageOf(wizard), u"tsSyntax");
        EXPECT_EQ(bare->SyntaxProvider(), nullptr);
        wizard.cbSelectSyntax->setCurrentIndex(wizard.cbSelectSyntax->findText(QStringLiteral("ANSI SQL92")));
        Click(wizard.bNext);
        EXPECT_EQ(PageOf(wizard), u"tsMetadata");
        EXPECT_GT(wizard.cbSelectConnectionType->findText(QStringLiteral("ADO Connection")), -1);
        ASSERT_NE(bare->SyntaxProvider(), nullptr);
        EXPECT_EQ(bare->SyntaxProvider()->ServerName(), u"ANSI SQL92");
    }
    {
        SCOPED_TRACE("databases");
        Recorder.Errors.clear();
        TWizard wizard(nullptr, Container.get(), false);
        wizard.show();
        Click(wizard.bNext);
        ASSERT_EQ(PageOf(wizard), u"tsLoadOpts");
        Click(wizard.bNext);
        EXPECT_EQ(Recorder.Errors, QStringList{"You must select one or more databases to load metadata from!"});
        EXPECT_EQ(PageOf(wizard), u"tsLoadOpts");
        wizard.lDatabases->item(0)->setCheckState(Qt::Checked);
        Click(wizard.bNext);
        EXPECT_EQ(PageOf(wizard), u"tsFilter");
    }
    {
        SCOPED_TRACE("file name");
        Recorder.Errors.clear();
        TWizard wizard(nullptr, Container.get(), true);
        wizard.show();
        for (const char *page : {"tsLoadOpts", "tsFilter", "tsSaveToFile"}) {
            if (PageOf(wizard) == u"tsLoadOpts")
                wizard.lDatabases->item(1)->setCheckState(Qt::Checked);
            Forward(wizard);
            ASSERT_EQ(PageOf(wizard), QString::fromLatin1(page));
        }
        EXPECT_TRUE(wizard.bLoad->isVisible());
        Click(wizard.bLoad);
        EXPECT_EQ(Recorder.Errors, QStringList{"You must specify File Name to save metadata!"});
        EXPECT_EQ(PageOf(wizard), u"tsSaveToFile");
        EXPECT_TRUE(wizard.mLog->toPlainText().isEmpty());

        // Browse... starts the save dialog at the edit's file; the file
        // chosen there goes into the edit, a cancelled dialog leaves it.
        QTemporaryDir folder;
        const QString first = folder.filePath(QStringLiteral("first.xml"));
        const QString second = folder.filePath(QStringLiteral("second.xml"));
        wizard.eXMLFileName->setText(first);
        QStringList offered;
        EXPECT_TRUE(RunModal<QFileDialog>([&] { Click(wizard.bBrowse); }, [&](QFileDialog *dialog) {
            offered = dialog->selectedFiles();
            TypeFileName(dialog, second);
            // As the dialog's Save button does.
            QMetaObject::invokeMethod(dialog, "accept");
        }));
        EXPECT_EQ(offered, QStringList{first});
        EXPECT_EQ(wizard.eXMLFileName->text(), second);
        EXPECT_TRUE(RunModal<QFileDialog>([&] { Click(wizard.bBrowse); }, [&](QFileDialog *dialog) {
            TypeFileName(dialog, first);
            dialog->reject();
        }));
        EXPECT_EQ(wizard.eXMLFileName->text(), second);
        EXPECT_EQ(PageOf(wizard), u"tsSaveToFile");
    }
}

TEST_F(LoadWizardOfflineTest, AContainerWithBothProvidersSkipsTheirPagesAndDisabledOnes)
{
    TWizard wizard(nullptr, Container.get(), false);
    wizard.show();
    EXPECT_EQ(wizard.windowTitle(), u"Load Metadata Wizard");
    EXPECT_EQ(wizard.size(), QSize(527, 395));
    EXPECT_EQ(wizard.minimumSize(), QSize(428, 330));
    EXPECT_EQ(wizard.findChild<QComboBox *>(QStringLiteral("cbSelectSyntax")), nullptr);
    EXPECT_EQ(wizard.findChild<QComboBox *>(QStringLiteral("cbSelectConnectionType")), nullptr);
    EXPECT_FALSE(wizard.bPrev->isEnabled());
    EXPECT_FALSE(wizard.bLoad->isVisible());
    EXPECT_FALSE(wizard.cbClearBeforeLoading->isEnabled());

    // The event provider offers no connection frame: its options page is passed by.
    Click(wizard.bNext);
    ASSERT_EQ(PageOf(wizard), u"tsLoadOpts");
    QStringList lines;
    for (int row = 0; row < wizard.lDatabases->count(); ++row) {
        lines << wizard.lDatabases->item(row)->text();
        EXPECT_EQ(wizard.lDatabases->item(row)->checkState(), Qt::Unchecked);
    }
    EXPECT_EQ(lines, (QStringList{"north", "south (current database)", "west"}));
    Click(wizard.bPrev);
    EXPECT_EQ(PageOf(wizard), u"tsWelcome");
    EXPECT_FALSE(wizard.bPrev->isEnabled());

    const QStringList pages = RunToTheEnd(wizard);
    EXPECT_EQ(pages, (QStringList{"tsWelcome", "tsLoadOpts", "tsFilter", "tsLoading"}));
    EXPECT_EQ(wizard.PageCount(), 5);
    EXPECT_EQ(Recorder.Errors, QStringList());
    // The container's own providers stay where they were.
    EXPECT_EQ(Container->SyntaxProvider(), &Syntax);
    EXPECT_EQ(Container->MetadataProvider(), &Metadata);
}

TEST_F(LoadWizardOfflineTest, NavigationSwapsNextAndLoadOnTheLastPageButOne)
{
    TWizard wizard(nullptr, Container.get(), false);
    wizard.show();
    ToTheFilterPage(wizard);
    ASSERT_EQ(PageOf(wizard), u"tsFilter");
    EXPECT_TRUE(wizard.bLoad->isVisible());
    EXPECT_FALSE(wizard.bNext->isVisible());
    Click(wizard.bPrev);
    EXPECT_EQ(PageOf(wizard), u"tsLoadOpts");
    EXPECT_TRUE(wizard.bNext->isVisible());
    EXPECT_FALSE(wizard.bLoad->isVisible());
    // The list keeps its marks over the way back.
    EXPECT_EQ(wizard.lDatabases->item(1)->checkState(), Qt::Checked);
    Click(wizard.bNext);
    Click(wizard.bLoad);
    EXPECT_EQ(PageOf(wizard), u"tsLoading");
    EXPECT_FALSE(wizard.bPrev->isEnabled());
    EXPECT_FALSE(wizard.bNext->isEnabled());
    EXPECT_FALSE(wizard.bLoad->isVisible());
    EXPECT_TRUE(wizard.bClose->isEnabled());
    Click(wizard.bClose);
    EXPECT_EQ(wizard.result(), QDialog::Accepted);
}

TEST_F(LoadWizardOfflineTest, FilterLinesFollowTheEditorsAndTheFilterReachesTheLoad)
{
    TWizard wizard(nullptr, Container.get(), false);
    wizard.show();
    ToTheFilterPage(wizard);
    ASSERT_EQ(PageOf(wizard), u"tsFilter");
    EXPECT_TRUE(wizard.cbDontLoadSystemObjects->isChecked());
    EXPECT_FALSE(wizard.gbFilterItem->isEnabled());

    Click(wizard.sbAddNewItem);
    ASSERT_EQ(wizard.lbFilterItems->count(), 1);
    // The default item: schema "%" and object "%" by the line rule.
    EXPECT_EQ(wizard.lbFilterItems->item(0)->text(), u"+ %.% (All)");
    EXPECT_TRUE(wizard.gbFilterItem->isEnabled());
    EXPECT_EQ(wizard.edFilterSchemaName->text(), u"%");

    wizard.edFilterSchemaName->selectAll();
    QTest::keyClicks(wizard.edFilterSchemaName, QStringLiteral("dbo"));
    wizard.edFilterObjectName->selectAll();
    QTest::keyClicks(wizard.edFilterObjectName, QStringLiteral("Ord%"));
    Click(wizard.cbFilterProcedures);
    Click(wizard.cbFilterSynonyms);
    EXPECT_EQ(wizard.lbFilterItems->item(0)->text(), u"+ dbo.Ord% (T,V)");
    Click(wizard.rbFilterExclude);
    EXPECT_EQ(wizard.lbFilterItems->item(0)->text(), u"- dbo.Ord% (T,V)");
    wizard.edFilterSchemaName->clear();
    EXPECT_EQ(wizard.lbFilterItems->item(0)->text(), u"- Ord% (T,V)");
    wizard.edFilterObjectName->clear();
    EXPECT_EQ(wizard.lbFilterItems->item(0)->text(), u"- % (T,V)");
    const TnvMetadataFilterItem *first = wizard.Filter()->Items(0);
    EXPECT_TRUE(first->Exclude);
    EXPECT_EQ(first->SchemaMask, QString());
    EXPECT_FALSE(first->ApplyFor.Contains(mfProcedures));

    // Filling the editors for another item writes nothing back.
    Click(wizard.sbAddNewItem);
    ASSERT_EQ(wizard.lbFilterItems->count(), 2);
    EXPECT_TRUE(wizard.rbFilterInclude->isChecked());
    QTest::mouseClick(wizard.lbFilterItems->viewport(), Qt::LeftButton, {},
                      wizard.lbFilterItems->visualItemRect(wizard.lbFilterItems->item(0)).center());
    EXPECT_TRUE(wizard.rbFilterExclude->isChecked());
    EXPECT_EQ(wizard.lbFilterItems->item(1)->text(), u"+ %.% (All)");
    EXPECT_EQ(wizard.lbFilterItems->item(0)->text(), u"- % (T,V)");
    Click(wizard.sbRemoveItem);
    EXPECT_EQ(wizard.Filter()->Count(), 1);
    EXPECT_EQ(wizard.lbFilterItems->count(), 1);
    EXPECT_EQ(wizard.lbFilterItems->item(0)->text(), u"+ %.% (All)");
    Click(wizard.sbClear);
    EXPECT_EQ(wizard.Filter()->Count(), 0);
    EXPECT_EQ(wizard.lbFilterItems->count(), 0);

    // A rule that keeps only the orders' tables and views reaches the load.
    Click(wizard.sbAddNewItem);
    wizard.edFilterSchemaName->setText(QStringLiteral("dbo"));
    wizard.edFilterObjectName->setText(QStringLiteral("Order%"));
    Click(wizard.bLoad);
    QStringList names;
    for (qsizetype i = 0; i < Container->Count(); ++i)
        names << Container->Items(i)->GetFullNameStrNotQuoted();
    names.sort();
    EXPECT_EQ(names, (QStringList{"dbo.OrderView", "dbo.Orders"}));
}

TEST_F(LoadWizardOfflineTest, TheLoadingRunLogsEachStepAndLeavesOutSystemObjects)
{
    TWizard wizard(nullptr, Container.get(), false);
    wizard.show();
    RunToTheEnd(wizard);
    EXPECT_EQ(Recorder.Errors, QStringList());
    EXPECT_EQ(LogLines(wizard), (QStringList{"",
                                             "Loading metadata from default database...",
                                             "Loading objects list...success",
                                             "3 objects found...",
                                             "Loading fields list for object dbo.Orders...success",
                                             "Loading fields list for object dbo.Lines...success",
                                             "Loading fields list for object dbo.OrderView...success",
                                             "Writing metadata to MetadataContainer...",
                                             "Loading completed successfully...",
                                             ""}));
    ASSERT_EQ(Container->Count(), 3);
    EXPECT_EQ(Container->FindObjectByFullName(QStringLiteral("sys.Objects")), nullptr);
    EXPECT_EQ(Container->Items(0)->GetFields()->Count(), 2);
    EXPECT_TRUE(Container->Items(0)->GetFields()->Loaded());
}

TEST_F(LoadWizardOfflineTest, LoadingTheSameDatabaseAgainReplacesTheObjectsOfEqualNames)
{
    // An earlier load left the orders with a field the table no longer has.
    TnvMetadataObject *stale = Container->AddTable(QStringLiteral("dbo"), QStringLiteral("Orders"));
    stale->GetFields()->AddField(QStringLiteral("gone"));
    Container->AddTable(QStringLiteral("dbo"), QStringLiteral("Kept"));

    TWizard wizard(nullptr, Container.get(), false);
    wizard.show();
    wizard.cbClearBeforeLoading->setChecked(false);
    ToTheFilterPage(wizard);
    Click(wizard.bLoad);
    FieldNames = {"id", "name", "added"};
    wizard.LoadMetadataIntoContainer(nullptr);

    QStringList names;
    for (qsizetype i = 0; i < Container->Count(); ++i)
        names << Container->Items(i)->GetFullNameStrNotQuoted();
    EXPECT_EQ(names, (QStringList{"dbo.Orders", "dbo.Kept", "dbo.Lines", "dbo.OrderView"}));
    TnvMetadataObject *orders = Container->FindObjectByFullName(QStringLiteral("dbo.Orders"));
    ASSERT_NE(orders, nullptr);
    EXPECT_EQ(orders->GetFields()->Count(), 3);
    EXPECT_LT(orders->GetFields()->FindFieldByName(QStringLiteral("gone")), 0);
    EXPECT_GE(orders->GetFields()->FindFieldByName(QStringLiteral("added")), 0);
}

// Records, for each paint of the log while the run goes on, how many lines
// the log held.
struct LogPaintSpy : QObject {
    TWizard *Wizard = nullptr;
    QList<int> PaintedAt;
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && Wizard->Loading())
            PaintedAt.append(Wizard->mLog->blockCount());
        return false;
    }
};

TEST_F(LoadWizardOfflineTest, TheWindowPaintsWhileTheLogGrowsButNotForEveryLine)
{
    {
        SCOPED_TRACE("slow lines");
        Metadata.OnGetTables = Names({"dbo.A", "dbo.B", "dbo.C", "dbo.D", "dbo.E", "dbo.F"});
        FieldDelayMs = 80;
        TWizard wizard(nullptr, Container.get(), false);
        wizard.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&wizard, EventuallyTimeoutMs));
        LogPaintSpy spy;
        spy.Wizard = &wizard;
        wizard.mLog->viewport()->installEventFilter(&spy);
        RunToTheEnd(wizard);
        wizard.mLog->viewport()->removeEventFilter(&spy);
        const QSet<int> distinct(spy.PaintedAt.begin(), spy.PaintedAt.end());
        EXPECT_GE(distinct.size(), 3) << "paints seen: " << spy.PaintedAt.size();
        for (int lines : spy.PaintedAt)
            EXPECT_LT(lines, LogLines(wizard).size());
        EXPECT_EQ(Container->Count(), 7);
    }
    {
        SCOPED_TRACE("fast lines");
        QStringList many;
        for (int i = 0; i < 400; ++i)
            many << QStringLiteral("dbo.T%1").arg(i);
        Metadata.OnGetTables = Names(many);
        FieldDelayMs = 0;
        TWizard wizard(nullptr, Container.get(), false);
        wizard.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&wizard, EventuallyTimeoutMs));
        wizard.cbClearBeforeLoading->setChecked(true);
        LogPaintSpy spy;
        spy.Wizard = &wizard;
        wizard.mLog->viewport()->installEventFilter(&spy);
        QElapsedTimer timer;
        timer.start();
        RunToTheEnd(wizard);
        const qint64 elapsed = timer.elapsed();
        wizard.mLog->viewport()->removeEventFilter(&spy);
        EXPECT_EQ(Container->Count(), 401);
        // One paint per interval of the run at most, not one per line (with
        // room for the first paint). The bound grows with the run's own
        // length, so a slow machine only widens it; how many lines fall
        // into one interval is the machine's speed and is not asserted.
        EXPECT_LE(spy.PaintedAt.size(), elapsed / 40 + 3) << elapsed << " ms";
    }
}

TEST_F(LoadWizardOfflineTest, TheUnitRoutinesAnswerWhetherTheWizardEndedWithOK)
{
    bool loaded = true;
    RunModal<TWizard>([&] { loaded = LoadMetadataContainer(Container.get()); },
                      [](TWizard *wizard) { QTest::mouseClick(wizard->bClose, Qt::LeftButton); });
    EXPECT_FALSE(loaded);
    EXPECT_EQ(Container->Count(), 0);
    RunModal<TWizard>([&] { loaded = LoadMetadataContainer(Container.get()); },
                      [this](TWizard *wizard) {
                          RunToTheEnd(*wizard);
                          QTest::mouseClick(wizard->bClose, Qt::LeftButton);
                      });
    EXPECT_TRUE(loaded);
    EXPECT_EQ(Container->Count(), 3);
}

TEST_F(LoadWizardOfflineTest, TextsFollowTheCurrentLanguage)
{
    TnvQBLanguageManager *manager = nvQBLanguageManager();
    const qsizetype french = manager->AddLanguageFromString(
        "French", "[TfnvQBMetadataContainerLoad]\r\n"
                  "Caption=Assistant de chargement\r\n"
                  "pButtons.bNext.Caption=&Suivant >\r\n"
                  "pcPages.tsLoadOpts.pHeader.lHeader.Caption=Bases\r\n"
                  "pcPages.tsFilter.gbFilterItem.rbFilterExclude.Caption=&Exclure\r\n"
                  "aClear.Caption=Vider\r\n"
                  "[Norvane Query Builder]\r\n"
                  "nvQBMetadataTreeCurrentDatabase=(base courante)\r\n");
    manager->SetCurrentLanguageIndex(french);
    QStringList texts;
    {
        TWizard wizard(nullptr, Container.get(), false);
        wizard.show();
        Click(wizard.bNext);
        texts << wizard.windowTitle() << wizard.bNext->text() << wizard.rbFilterExclude->text()
              << wizard.sbClear->text() << wizard.lDatabases->item(1)->text()
              << wizard.tsLoadOpts->findChild<QLabel *>(QStringLiteral("lHeader"))->text();
    }
    manager->SetCurrentLanguageIndex(-1);
    manager->DeleteLanguage(french);
    EXPECT_EQ(texts, (QStringList{"Assistant de chargement", "&Suivant >", "&Exclure", "Vider",
                                  "south (base courante)", "Bases"}));
}

TEST_F(LoadWizardOfflineTest, EveryPageShowsItsTextsWholeInEveryLanguage)
{
    TnvQBLanguageManager *manager = nvQBLanguageManager();
    for (qsizetype language = -1; language < manager->GetLanguagesCount(); ++language) {
        manager->SetCurrentLanguageIndex(language);
        SCOPED_TRACE(language < 0 ? std::string("built-in") : manager->GetLanguage(language)->Name().toStdString());
        TWizard wizard(nullptr, Container.get(), false);
        wizard.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&wizard, EventuallyTimeoutMs));
        for (;;) {
            QApplication::processEvents();
            EXPECT_EQ(CutTexts(&wizard).join(QStringLiteral(" | ")).toStdString(), "") << PageOf(wizard).toStdString();
            if (PageOf(wizard) == u"tsLoadOpts")
                wizard.lDatabases->item(1)->setCheckState(Qt::Checked);
            const int before = wizard.CurrentPageIndex();
            if (before == wizard.PageCount() - 1)
                break;
            Forward(wizard);
            if (wizard.CurrentPageIndex() == before)
                break;
        }
    }
    manager->SetCurrentLanguageIndex(-1);
}

// --- Real databases ------------------------------------------------------------------

class LoadWizardDatabaseTest : public OdbcDatabaseTest {
protected:
    // What the sample holds: objects with their fields, and the relations
    // each referenced object carries.
    static QStringList Describe(const TnvMetadataContainer &container)
    {
        QStringList lines;
        for (qsizetype i = 0; i < container.Count(); ++i) {
            const TnvMetadataObject *object = container.Items(i);
            QStringList fields;
            for (qsizetype f = 0; f < object->GetFields()->Count(); ++f)
                fields << object->GetFields()->Items(f)->NameStrNotQuoted();
            QStringList relations;
            for (qsizetype r = 0; r < object->GetRelations()->Count(); ++r)
                relations << object->GetRelations()->Items(r)->GetChildNameStrNotQuoted();
            relations.sort();
            lines << QStringLiteral("%1 %2 [%3] {%4}")
                         .arg(object->ClassName(), object->GetNameStrNotQuoted(), fields.join(u','),
                              relations.join(u','));
        }
        lines.sort();
        return lines;
    }

    static QStringList Expected()
    {
        return {"TnvMetadataTable children [id,pa,pb,qa,qc,note] {items}",
                "TnvMetadataTable items [id,child_id,label,amount,placed,flag] {}",
                "TnvMetadataTable parents [a,b,c,name] {children,children}",
                "TnvMetadataView children_view [id,note] {}"};
    }

    // From the welcome page to the connection page: the SQL-92 dialect
    // chosen when the container has no dialect, the ODBC provider chosen and
    // the connection string typed into its frame.
    void ToTheConnectionPage(TWizard &wizard, const QString &connectionString)
    {
        Click(wizard.bNext);
        if (PageOf(wizard) == u"tsSyntax") {
            wizard.cbSelectSyntax->setCurrentIndex(wizard.cbSelectSyntax->findText(QStringLiteral("ANSI SQL92")));
            Click(wizard.bNext);
        }
        ASSERT_EQ(PageOf(wizard), u"tsMetadata");
        const int ado = wizard.cbSelectConnectionType->findText(QStringLiteral("ADO Connection"));
        ASSERT_GE(ado, 0);
        wizard.cbSelectConnectionType->setCurrentIndex(ado);
        Click(wizard.bNext);
        ASSERT_EQ(PageOf(wizard), u"tsMetadataOpts");
        auto *memo = wizard.pConnectionFrame->findChild<QPlainTextEdit *>(QStringLiteral("eConnectionString"));
        ASSERT_NE(memo, nullptr);
        memo->setPlainText(connectionString);
        Screenshot(&wizard, QStringLiteral("load-wizard-connection"));
    }

    // The body once per way of reading the catalogue: the provider's
    // rowsets, and on PostgreSQL the information_schema views as well.
    void OnEachPath(const std::function<void(bool informationSchema)> &body)
    {
        for (bool informationSchema : {false, true}) {
            if (informationSchema && !IsPostgres())
                continue;
            SCOPED_TRACE(informationSchema ? "information_schema" : "provider's rowsets");
            body(informationSchema);
            if (HasFatalFailure())
                return;
        }
    }

    // A wizard on the container, shown and led to its connection page with
    // the string typed in; nil after a fatal failure on the way.
    std::unique_ptr<TWizard> OpenAtTheConnectionPage(TnvMetadataContainer *container, const QString &connectionString)
    {
        auto wizard = std::make_unique<TWizard>(nullptr, container, false);
        wizard->show();
        ToTheConnectionPage(*wizard, connectionString);
        if (HasFatalFailure())
            return nullptr;
        return wizard;
    }

    // The whole way from the welcome page into the loading run, on the
    // provider's rowsets or the information_schema views; nil after a fatal
    // failure on the way.
    std::unique_ptr<TWizard> LoadThroughTheWizard(TnvMetadataContainer *container, bool informationSchema,
                                                  const std::function<void(TWizard &)> &beforeLoad = {})
    {
        std::unique_ptr<TWizard> wizard = OpenAtTheConnectionPage(container, ConnectionString());
        if (!wizard)
            return nullptr;
        TWizard *shown = wizard.get();
        FromTheConnectionPageToTheEnd(*wizard, informationSchema, {}, [&] {
            if (beforeLoad)
                beforeLoad(*shown);
        });
        if (HasFatalFailure())
            return nullptr;
        return wizard;
    }

    // From the connection page to the end: the current database checked,
    // a rule for the test's schema on PostgreSQL, the file name in
    // save-to-file mode.
    void FromTheConnectionPageToTheEnd(TWizard &wizard, bool informationSchema, const QString &fileName = {},
                                       const std::function<void()> &beforeLoad = {})
    {
        if (informationSchema)
            static_cast<TnvSQL92SyntaxProvider *>(wizard.Container()->SyntaxProvider())->SetUseInformationSchema(true);
        Click(wizard.bNext);
        FLoadedFrom = QStringLiteral("Loading metadata from default database...");
        if (PageOf(wizard) == u"tsLoadOpts") {
            // The dialect reading information_schema knows the connection's
            // database and marks it; the provider's rowsets list the
            // databases without naming the current one, so that one is
            // chosen by its name and loaded as a named database.
            const QString database = Connection->DefaultDatabase();
            int chosen = -1;
            for (int row = 0; row < wizard.lDatabases->count(); ++row) {
                const QString text = wizard.lDatabases->item(row)->text();
                if (text == database + QStringLiteral(" (current database)") ||
                    (!informationSchema && text == database))
                    chosen = row;
            }
            ASSERT_GE(chosen, 0) << "the connection's database is not listed";
            if (!wizard.lDatabases->item(chosen)->text().endsWith(u")"))
                FLoadedFrom = QStringLiteral("Loading metadata from database %1...").arg(database);
            wizard.lDatabases->item(chosen)->setCheckState(Qt::Checked);
            Click(wizard.bNext);
        }
        ASSERT_EQ(PageOf(wizard), u"tsFilter");
        if (IsPostgres()) {
            Click(wizard.sbAddNewItem);
            wizard.edFilterSchemaName->setText(Schema());
            EXPECT_EQ(wizard.lbFilterItems->item(0)->text(), QStringLiteral("+ ") + Schema() + QStringLiteral(".% (All)"));
            Screenshot(&wizard, QStringLiteral("load-wizard-filter"));
        }
        if (wizard.SaveToFile()) {
            Click(wizard.bNext);
            ASSERT_EQ(PageOf(wizard), u"tsSaveToFile");
            wizard.eXMLFileName->setText(fileName);
        }
        if (beforeLoad)
            beforeLoad();
        Click(wizard.bLoad);
        ASSERT_EQ(PageOf(wizard), u"tsLoading");
    }

    void ExpectLoadLog(const TWizard &wizard)
    {
        const QStringList log = LogLines(wizard);
        for (const QString &line : {FLoadedFrom, QStringLiteral("Loading objects list...success"),
                                    QStringLiteral("4 objects found..."),
                                    QStringLiteral("Writing metadata to MetadataContainer..."),
                                    QStringLiteral("Loading completed successfully...")})
            EXPECT_TRUE(log.contains(line)) << line.toStdString() << "\n" << log.join(u'\n').toStdString();
        EXPECT_EQ(log.filter(QStringLiteral("Loading fields list for object ")).size(), 4);
        EXPECT_EQ(log.filter(QStringLiteral("...success")).size(), 5);
    }

    ErrorRecorder Recorder;
    QString FLoadedFrom;
};

TEST_P(LoadWizardDatabaseTest, ThroughEveryPageIntoTheContainer)
{
    OnEachPath([&](bool informationSchema) {
        auto container = Create<TnvMetadataContainer>(nullptr);
        {
            std::unique_ptr<TWizard> opened = OpenAtTheConnectionPage(container.get(), ConnectionString());
            if (!opened)
                return;
            TWizard &wizard = *opened;

            QString shown;
            WhenModalArrives([&](QWidget *window) {
                if (auto *box = qobject_cast<QMessageBox *>(window))
                    shown = box->text();
                window->close();
            });
            Click(wizard.bConnectionTest);
            EXPECT_EQ(shown, u"Test Connection Successful!");

            FromTheConnectionPageToTheEnd(wizard, informationSchema);
            if (HasFatalFailure())
                return;
            EXPECT_EQ(Recorder.Errors, QStringList());
            ExpectLoadLog(wizard);
            EXPECT_EQ(Describe(*container), Expected());
            Screenshot(&wizard, QStringLiteral("load-wizard-") + (IsPostgres() ? "pg" : "sqlite"));
            Click(wizard.bClose);
            EXPECT_EQ(wizard.result(), QDialog::Accepted);
        }
        // The providers were the wizard's: they went with it, the objects stay.
        EXPECT_EQ(container->SyntaxProvider(), nullptr);
        EXPECT_EQ(container->MetadataProvider(), nullptr);
        EXPECT_EQ(container->Count(), 4);
    });
}

TEST_P(LoadWizardDatabaseTest, FetchMetadataToFileWritesWhatItLoaded)
{
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("metadata.xml"));
    QString loadedXml;
    QString fileName;
    bool fetched = false;
    RunModal<TWizard>([&] { fetched = FetchMetadataToFile(fileName); },
                      [&](TWizard *wizard) {
                          ToTheConnectionPage(*wizard, ConnectionString());
                          if (HasFatalFailure())
                              return;
                          FromTheConnectionPageToTheEnd(*wizard, false, target);
                          if (HasFatalFailure())
                              return;
                          ExpectLoadLog(*wizard);
                          EXPECT_EQ(Describe(*wizard->Container()), Expected());
                          loadedXml = wizard->Container()->GetXML();
                          QTest::mouseClick(wizard->bClose, Qt::LeftButton);
                      });
    EXPECT_TRUE(fetched);
    EXPECT_EQ(fileName, target);
    EXPECT_EQ(Recorder.Errors, QStringList());
    TnvSQL92SyntaxProvider syntax(nullptr);
    auto fresh = Create<TnvMetadataContainer>(nullptr);
    fresh->SetSyntaxProvider(&syntax);
    fresh->LoadFromXMLFile(target);
    EXPECT_EQ(Describe(*fresh), Expected());
    EXPECT_EQ(fresh->GetXML(), loadedXml);
}

TEST_P(LoadWizardDatabaseTest, AFailingConnectionKeepsTheConnectionPage)
{
    // A wrong password and a role the server does not know are refused by
    // the server; the closed port is one just given back by a listener of
    // our own.
    QString unknownRole = ConnectionString();
    unknownRole.replace(QRegularExpression(QStringLiteral("UID=[^;]*")), QStringLiteral("UID=nvqb_no_such_role"));
    QString wrongPassword = ConnectionString();
    wrongPassword.replace(QRegularExpression(QStringLiteral("PWD=[^;]*")), QStringLiteral("PWD=not-the-password"));
    quint16 closedPort = 0;
    {
        const int listener = socket(AF_INET, SOCK_STREAM, 0);
        ASSERT_GE(listener, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        const bool bound = bind(listener, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0 &&
                           getsockname(listener, reinterpret_cast<sockaddr *>(&address), &length) == 0;
        close(listener);
        ASSERT_TRUE(bound);
        closedPort = ntohs(address.sin_port);
    }
    const QString unreachable =
        QStringLiteral("Driver=PostgreSQL Unicode;Servername=127.0.0.1;Port=%1;Database=x;UID=x;PWD=x").arg(closedPort);
    struct Case {
        QString ConnectionString;
        QString Message;
    };
    QList<Case> cases{{unreachable, QStringLiteral("refused")}};
    if (IsPostgres())
        cases << Case{unknownRole, QStringLiteral("nvqb_no_such_role")}
              << Case{wrongPassword, QStringLiteral("password authentication failed")};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.ConnectionString.toStdString());
        Recorder.Errors.clear();
        TnvSQL92SyntaxProvider syntax(nullptr);
        auto container = Create<TnvMetadataContainer>(nullptr);
        container->SetSyntaxProvider(&syntax);
        container->AddTable(QString(), QStringLiteral("kept"));
        const QStringList before = Describe(*container);
        std::unique_ptr<TWizard> opened = OpenAtTheConnectionPage(container.get(), c.ConnectionString);
        if (!opened)
            return;
        TWizard &wizard = *opened;
        // Each is refused at once, in its own words; a connection that
        // waited instead would end with the login timeout's.
        Click(wizard.bNext);
        ASSERT_EQ(Recorder.Errors.size(), 1);
        EXPECT_TRUE(Recorder.Errors[0].contains(c.Message)) << Recorder.Errors[0].toStdString();
        EXPECT_EQ(PageOf(wizard), u"tsMetadataOpts");
        EXPECT_TRUE(wizard.bNext->isEnabled());
        EXPECT_EQ(Describe(*container), before);
    }
}

INSTANTIATE_TEST_SUITE_P(Databases, LoadWizardDatabaseTest, ::testing::Values(Backend::SQLite, Backend::PostgreSQL),
                         BackendName);

// Tables made with quoted names on the PostgreSQL server: one name in mixed
// case, the same in lower case, and in upper case, side by side; the
// wizard's dialect at its default (not case sensitive).
class LoadWizardPostgresTest : public LoadWizardDatabaseTest {
protected:
    QStringList SchemaStatements() override
    {
        return {"create table \"OrderLines\" (\"OrderId\" integer, \"Qty\" integer)",
                "create table orderlines (orderid integer, note varchar(20))",
                "create table \"ORDERLINES\" (\"LINE\" integer)"};
    }
};

TEST_P(LoadWizardPostgresTest, NamesThatDifferOnlyInCaseStayApart)
{
    OnEachPath([&](bool informationSchema) {
        auto container = Create<TnvMetadataContainer>(nullptr);
        std::unique_ptr<TWizard> loaded = LoadThroughTheWizard(container.get(), informationSchema);
        if (!loaded)
            return;
        TWizard &wizard = *loaded;
        const QStringList log = LogLines(wizard);
        EXPECT_TRUE(log.contains(QStringLiteral("3 objects found..."))) << log.join(u'\n').toStdString();
        EXPECT_EQ(log.filter(QStringLiteral("FAILED")), QStringList());
        EXPECT_TRUE(log.contains(QStringLiteral("Loading completed successfully...")));
        // The names that need quotes carry them, in the log as in SQL.
        for (const char *name : {"\"OrderLines\"", "orderlines", "\"ORDERLINES\""})
            EXPECT_EQ(log.filter(QStringLiteral(".%1.%2...success").arg(Schema(), QLatin1String(name))).size(), 1)
                << name << "\n" << log.join(u'\n').toStdString();
        EXPECT_EQ(Describe(*container), (QStringList{"TnvMetadataTable ORDERLINES [LINE] {}",
                                                     "TnvMetadataTable OrderLines [OrderId,Qty] {}",
                                                     "TnvMetadataTable orderlines [orderid,note] {}"}));
        EXPECT_EQ(Recorder.Errors, QStringList());
        Click(wizard.bClose);
        EXPECT_EQ(wizard.result(), QDialog::Accepted);
    });
}

// The server gone in the middle of a run: the session is ended from another
// one while the fields of the eleventh of forty tables are to be read.
class LoadWizardLostServerTest : public LoadWizardDatabaseTest {
protected:
    static constexpr int Tables = 40;
    QStringList SchemaStatements() override
    {
        QStringList statements;
        for (int i = 0; i < Tables; ++i)
            statements << QStringLiteral("create table t%1 (id integer, name varchar(20))").arg(i, 2, 10, QLatin1Char('0'));
        return statements;
    }

    // Ends the wizard's session when the log asks for the fields of the
    // object of that number (from 1).
    void EndTheSessionAt(TWizard &wizard, int object)
    {
        auto pidSet = Create<TADODataSet>(nullptr);
        auto *metadata = static_cast<TnvADOMetadataProvider *>(wizard.Container()->MetadataProvider());
        pidSet->SetConnection(metadata->Connection());
        pidSet->SetCommandText(QStringLiteral("select pg_backend_pid() as pid"));
        pidSet->Open();
        const int pid = pidSet->FieldByName(QStringLiteral("pid"))->AsInteger();
        QObject::connect(wizard.mLog, &QPlainTextEdit::textChanged, &wizard, [this, &wizard, pid, object] {
            const QString log = wizard.mLog->toPlainText();
            if (log.count(QStringLiteral("Loading fields list for object")) == object && !log.endsWith(u"success") &&
                !Ended) {
                Ended = true;
                Connection->Execute(QStringLiteral("select pg_terminate_backend(%1)").arg(pid));
            }
        });
    }
    bool Ended = false;
};

TEST_P(LoadWizardLostServerTest, ALostConnectionEndsTheRunAndLeavesTheContainerAsItWas)
{
    TnvSQL92SyntaxProvider syntax(nullptr);
    auto container = Create<TnvMetadataContainer>(nullptr);
    container->SetSyntaxProvider(&syntax);
    container->AddTable(QString(), QStringLiteral("kept"));
    std::unique_ptr<TWizard> loaded = LoadThroughTheWizard(container.get(), false, [&](TWizard &shown) {
        // Asked to clear before loading: a failed run clears nothing either.
        EXPECT_TRUE(shown.cbClearBeforeLoading->isChecked());
        EndTheSessionAt(shown, 11);
    });
    if (!loaded)
        return;
    TWizard &wizard = *loaded;
    ASSERT_TRUE(Ended);

    const QStringList log = LogLines(wizard);
    EXPECT_TRUE(log.contains(QStringLiteral("40 objects found...")));
    EXPECT_EQ(log.filter(QStringLiteral("...success")).size(), 11); // the list and ten objects
    const QStringList failed = log.filter(QStringLiteral("FAILED"));
    ASSERT_EQ(failed.size(), 1) << log.join(u'\n').toStdString();
    EXPECT_TRUE(failed[0].endsWith(QStringLiteral(".%1.t10...FAILED").arg(Schema()))) << failed[0].toStdString();
    EXPECT_FALSE(log.contains(QStringLiteral("Loading completed successfully...")));
    EXPECT_FALSE(log.contains(QStringLiteral("Writing metadata to MetadataContainer...")));
    EXPECT_TRUE(log.contains(QStringLiteral("Loading failed: the MetadataContainer is left as it was.")));
    EXPECT_TRUE(wizard.lLoadingError->isVisible());
    EXPECT_TRUE(wizard.lLoadingError->text().contains(QStringLiteral("terminating connection")))
        << wizard.lLoadingError->text().toStdString();
    Screenshot(&wizard, QStringLiteral("load-wizard-connection-lost"));
    EXPECT_EQ(Describe(*container), QStringList{"TnvMetadataTable kept [] {}"});

    // Back leads to another run, on a new session; it loads everything.
    EXPECT_TRUE(wizard.bPrev->isEnabled());
    Click(wizard.bPrev);
    EXPECT_EQ(PageOf(wizard), u"tsFilter");
    Forward(wizard);
    EXPECT_TRUE(LogLines(wizard).contains(QStringLiteral("Loading completed successfully...")));
    EXPECT_EQ(container->Count(), Tables);
    EXPECT_EQ(container->FindObjectByName(QStringLiteral("kept"), QString(), QString()), nullptr);
    EXPECT_EQ(Recorder.Errors, QStringList());
    Click(wizard.bClose);
    EXPECT_EQ(wizard.result(), QDialog::Accepted);
}

TEST_P(LoadWizardLostServerTest, AFailedRunEndsTheWizardWithoutSuccess)
{
    auto container = Create<TnvMetadataContainer>(nullptr);
    bool accepted = true;
    RunModal<TWizard>([&] { accepted = LoadMetadataContainer(container.get()); },
                      [&](TWizard *wizard) {
                          ToTheConnectionPage(*wizard, ConnectionString());
                          if (HasFatalFailure())
                              return;
                          FromTheConnectionPageToTheEnd(*wizard, false, {}, [&] { EndTheSessionAt(*wizard, 1); });
                          EXPECT_TRUE(Ended);
                          EXPECT_FALSE(LogLines(*wizard).contains(QStringLiteral("Loading completed successfully...")));
                          QTest::mouseClick(wizard->bClose, Qt::LeftButton);
                      });
    EXPECT_FALSE(accepted);
    EXPECT_EQ(container->Count(), 0);
}

INSTANTIATE_TEST_SUITE_P(PostgreSQL, LoadWizardPostgresTest, ::testing::Values(Backend::PostgreSQL), BackendName);
INSTANTIATE_TEST_SUITE_P(PostgreSQL, LoadWizardLostServerTest, ::testing::Values(Backend::PostgreSQL), BackendName);

} // namespace
