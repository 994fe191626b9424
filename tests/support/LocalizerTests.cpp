// Standalone and form localizers over the global language manager.
#include "classlib/Exceptions.h"
#include "support/Charsets.h"
#include "support/LanguageManager.h"
#include "support/LocalizerForm.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <QWidget>
#include <gtest/gtest.h>

using namespace nvqb;

namespace nvqb::test {

// A small dialog: a caption, a button panel, a tab page with a check box, a
// combo box, a line edit and an action.
class TnvSampleForm : public QDialog {
    Q_OBJECT
public:
    TnvSampleForm()
    {
        setWindowTitle("Sample");
        auto *buttons = new QWidget(this);
        buttons->setObjectName("pButtons");
        ok = new QPushButton("OK", buttons);
        ok->setObjectName("bOk");
        ok->setToolTip("Accept");
        cancel = new QPushButton("Cancel", buttons);
        cancel->setObjectName("bCancel");
        tabs = new QTabWidget(this);
        tabs->setObjectName("pcMain");
        auto *page = new QWidget;
        page->setObjectName("tsOptions");
        tabs->addTab(page, "Options");
        check = new QCheckBox("Add foreign keys", page);
        check->setObjectName("cbAddFK");
        combo = new QComboBox(this);
        combo->setObjectName("cbStyle");
        combo->addItems({"Flat", "Raised", "Sunken"});
        combo->setCurrentIndex(1);
        edit = new QLineEdit("typed", this);
        edit->setObjectName("eName");
        label = new QLabel("Unlisted", this);
        label->setObjectName("lNote");
        refresh = new QAction("Refresh", this);
        refresh->setObjectName("actRefresh");

        localizer = TnvQBLocalizerForm::Create(this);
        for (const char *path : {"Caption", "pButtons.bOk.Caption", "PBUTTONS.BOK.HINT", "pcMain.tsOptions.Caption",
                                 "pcMain.tsOptions.cbAddFK.Caption", "cbStyle.Items", "actRefresh.Caption"})
            localizer->Properties()->Add(path);
        localizer->Loaded();
    }
    QPushButton *ok, *cancel;
    QTabWidget *tabs;
    QCheckBox *check;
    QComboBox *combo;
    QLineEdit *edit;
    QLabel *label;
    QAction *refresh;
    TnvQBLocalizerForm *localizer;
};

} // namespace nvqb::test

using nvqb::test::TnvSampleForm;

namespace {

constexpr char SampleLanguage[] = "[General Settings]\r\n"
                                  "CharSet=HEBREW_CHARSET\r\n"
                                  "[TnvSampleForm]\r\n"
                                  "Caption=Muster\r\n"
                                  "pButtons.bOk.Caption=Gut\r\n"
                                  "pButtons.bOk.Hint=Annehmen\r\n"
                                  "pButtons.bCancel.Caption=never used\r\n"
                                  "pcMain.tsOptions.Caption=Optionen\r\n"
                                  "pcMain.tsOptions.cbAddFK.Caption.0=Fremdschluessel\r\n"
                                  "pcMain.tsOptions.cbAddFK.Caption.1=hinzufuegen\r\n"
                                  "cbStyle.Items.Item0=Flach\r\n"
                                  "cbStyle.Items.Item1=Erhaben\r\n"
                                  "actRefresh.Caption=Auffrischen\r\n"
                                  "lNote.Caption=never used\r\n"
                                  "[Messages]\r\n"
                                  "Hello=Hallo\r\n";

class LocalizerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        FIndex = nvQBLanguageManager()->AddLanguageFromString("Sample", SampleLanguage);
    }
    void TearDown() override
    {
        TnvQBLanguageManager *m = nvQBLanguageManager();
        m->SetCurrentLanguageIndex(-1);
        while (m->GetLanguagesCount() > 9)
            m->DeleteLanguage(m->GetLanguagesCount() - 1);
    }
    void Choose() { nvQBLanguageManager()->SetCurrentLanguageIndex(FIndex); }
    qsizetype FIndex = -1;
};

struct Recorder {
    QStringList *Log;
    QString Tag;
    void Note(TObject *) { Log->append(Tag); }
};

} // namespace

TEST_F(LocalizerTest, StandaloneReadsItsSectionOrTheDefault)
{
    auto localizer = Create<TnvQBLocalizerStandalone>(nullptr);
    localizer->SetSectionName("Messages");
    EXPECT_EQ(localizer->GetSectionName(), "Messages");
    EXPECT_EQ(localizer->ReadString("Hello", "Hi"), "Hi");
    EXPECT_EQ(localizer->ReadString("Norvane Query Builder", "nvQBRemove", "Remove"), "Remove");
    Choose();
    EXPECT_EQ(localizer->ReadString("Hello", "Hi"), "Hallo");
    EXPECT_EQ(localizer->ReadWideString("Missing", "Fallback"), "Fallback");
    EXPECT_EQ(localizer->ReadString("TnvSampleForm", "Caption", ""), "Muster");
    EXPECT_EQ(localizer->ReadStringFromLanguage(nullptr, "Messages", "Hello", "Hi"), "Hi");
    EXPECT_THROW(localizer->ReadString("", "x"), EAssertionFailed);

    auto defaults = Create<TWideStringList>();
    defaults->Add("one");
    auto result = Create<TWideStringList>();
    localizer->ReadWideStrings("List", result.get(), defaults.get());
    EXPECT_EQ(result->ToQStringList(), QStringList({"one"}));
    nvQBLanguageManager()->SetCurrentLanguageIndex(-1);
    localizer->ReadWideStrings("List", result.get(), nullptr);
    EXPECT_EQ(result->Count(), 0);
}

TEST_F(LocalizerTest, WritingNeedsALanguage)
{
    auto localizer = Create<TnvQBLocalizerStandalone>(nullptr);
    localizer->SetSectionName("Messages");
    EXPECT_THROW(localizer->WriteString("Hello", "x"), EAssertionFailed);
    EXPECT_THROW(localizer->ClearString("Hello"), EAssertionFailed);
    Choose();
    localizer->WriteWideString("Hello", "Servus\nWien");
    EXPECT_EQ(localizer->ReadWideString("Hello", ""), "Servus\r\nWien");
    localizer->ClearString("Hello");
    EXPECT_EQ(localizer->ReadString("Hello", "gone"), "gone");
}

TEST_F(LocalizerTest, NotificationsRunInOrderBeforeOnLocalize)
{
    QStringList log;
    Recorder a{&log, "a"}, b{&log, "b"};
    auto localizer = Create<TnvQBLocalizerStandalone>(nullptr);
    const TNotifyEvent na = TNotifyEvent::Bind<&Recorder::Note>(&a);
    const TNotifyEvent nb = TNotifyEvent::Bind<&Recorder::Note>(&b);
    localizer->RegisterLocalizeNotification(na);
    localizer->RegisterLocalizeNotification(nb);
    localizer->RegisterLocalizeNotification(na);
    localizer->OnLocalize = TNotifyEvent::FromCallable([&](TObject *sender) {
        EXPECT_EQ(sender, localizer.get());
        log << "event";
    });
    Choose();
    EXPECT_EQ(log, QStringList({"a", "b", "a", "event"}));

    log.clear();
    localizer->UnregisterLocalizeNotification(na); // the last equal entry goes
    Recorder other{&log, "other"};
    localizer->UnregisterLocalizeNotification(TNotifyEvent::Bind<&Recorder::Note>(&other)); // not registered
    localizer->Localize();
    EXPECT_EQ(log, QStringList({"a", "b", "event"}));
}

TEST_F(LocalizerTest, ANotificationOfADestroyedObjectIsNotCalled)
{
    QStringList log;
    Recorder r{&log, "guarded"};
    auto localizer = Create<TnvQBLocalizerStandalone>(nullptr);
    auto *guard = new QObject;
    localizer->RegisterLocalizeNotification(TNotifyEvent::Bind<&Recorder::Note>(&r), guard);
    localizer->Localize();
    EXPECT_EQ(log, QStringList({"guarded"}));
    delete guard;
    localizer->Localize();
    EXPECT_EQ(log, QStringList({"guarded"}));
    EXPECT_EQ(localizer->LocalizeNotificationCount(), 0);
}

TEST_F(LocalizerTest, AFormIsTranslatedAndRestored)
{
    TnvSampleForm form;
    EXPECT_EQ(form.localizer->GetSectionName(), "TnvSampleForm");
    EXPECT_EQ(form.localizer->Name(), "Localizer");
    EXPECT_EQ(form.windowTitle(), "Sample");
    // A notification runs before the form's own texts change.
    QString seen;
    form.localizer->RegisterLocalizeNotification(
        TNotifyEvent::FromCallable([&](TObject *) { seen = form.windowTitle(); }));

    Choose();
    EXPECT_EQ(seen, "Sample");
    EXPECT_EQ(form.windowTitle(), "Muster");
    EXPECT_EQ(form.ok->text(), "Gut");
    EXPECT_EQ(form.ok->toolTip(), "Annehmen");
    EXPECT_EQ(form.cancel->text(), "Cancel"); // in the language, but not listed
    EXPECT_EQ(form.tabs->tabText(0), "Optionen");
    EXPECT_EQ(form.check->text(), "Fremdschluessel\r\nhinzufuegen");
    EXPECT_EQ(form.combo->count(), 3);
    EXPECT_EQ(form.combo->itemText(0), "Flach");
    EXPECT_EQ(form.combo->itemText(1), "Erhaben");
    EXPECT_EQ(form.combo->itemText(2), "Sunken");
    EXPECT_EQ(form.combo->currentIndex(), 1);
    EXPECT_EQ(form.refresh->text(), "Auffrischen");
    EXPECT_EQ(form.label->text(), "Unlisted");
    EXPECT_EQ(form.edit->text(), "typed");
    // Every widget reached reads right to left in a Hebrew text.
    EXPECT_EQ(form.layoutDirection(), Qt::RightToLeft);
    EXPECT_EQ(form.label->layoutDirection(), Qt::RightToLeft);
    EXPECT_EQ(form.check->layoutDirection(), Qt::RightToLeft);

    nvQBLanguageManager()->SetCurrentLanguageIndex(-1);
    EXPECT_EQ(form.windowTitle(), "Sample");
    EXPECT_EQ(form.ok->text(), "OK");
    EXPECT_EQ(form.ok->toolTip(), "Accept");
    EXPECT_EQ(form.tabs->tabText(0), "Options");
    EXPECT_EQ(form.check->text(), "Add foreign keys");
    EXPECT_EQ(form.combo->itemText(0), "Flat");
    EXPECT_EQ(form.combo->itemText(1), "Raised");
    EXPECT_EQ(form.refresh->text(), "Refresh");
    EXPECT_EQ(form.layoutDirection(), Qt::LeftToRight);
    EXPECT_EQ(form.check->layoutDirection(), Qt::LeftToRight);
}

TEST_F(LocalizerTest, TheWalkNamesEveryPathOnce)
{
    TnvSampleForm form;
    QStringList paths;
    int objects = 0;
    TraverseLocalazibleEntities(
        &form, QByteArray(),
        [&](QObject *, const TnvPropInfo &, const QByteArray &path) {
            paths << QString::fromLatin1(path);
            return true;
        },
        [&](QObject *, const QByteArray &) {
            ++objects;
            return true;
        });
    for (const char *p : {"Caption", "Hint", "pButtons.bOk.Caption", "pButtons.bCancel.Hint",
                          "pcMain.tsOptions.Caption", "pcMain.tsOptions.cbAddFK.Caption", "cbStyle.Items",
                          "eName.Text", "lNote.Caption", "actRefresh.Caption", "actRefresh.Hint"})
        EXPECT_EQ(paths.count(p), 1) << p;
    EXPECT_EQ(paths.removeDuplicates(), 0);
    EXPECT_GT(objects, 8);

    // An object callback that answers false keeps the walk out of that object.
    paths.clear();
    TraverseLocalazibleEntities(
        &form, QByteArray(),
        [&](QObject *, const TnvPropInfo &, const QByteArray &path) {
            paths << QString::fromLatin1(path);
            return true;
        },
        [&](QObject *object, const QByteArray &) { return object->objectName() != "pButtons"; });
    EXPECT_FALSE(paths.contains("pButtons.bOk.Caption"));
    EXPECT_TRUE(paths.contains("cbStyle.Items"));
}

TEST_F(LocalizerTest, TheFormOwnsItsLocalizer)
{
    const qsizetype before = nvQBLanguageManager()->LocalizersCount();
    auto *form = new TnvSampleForm;
    EXPECT_EQ(nvQBLanguageManager()->LocalizersCount(), before + 1);
    delete form;
    EXPECT_EQ(nvQBLanguageManager()->LocalizersCount(), before);

    // Freeing the localizer first detaches it from its form.
    TnvSampleForm other;
    TObject::Free(other.localizer);
    EXPECT_EQ(nvQBLanguageManager()->LocalizersCount(), before);
    EXPECT_EQ(other.findChild<QObject *>("Localizer"), nullptr);
    EXPECT_THROW(TnvQBLocalizerForm::Create(nullptr), EAssertionFailed);
}

TEST_F(LocalizerTest, NothingIsSavedOrTranslatedWhileDesigning)
{
    QWidget widget;
    widget.setWindowTitle("Design");
    TnvQBLocalizerForm *localizer = TnvQBLocalizerForm::Create(&widget);
    localizer->Properties()->Add("Caption");
    localizer->SetDesigning(true);
    localizer->Loaded();
    EXPECT_FALSE(localizer->IsWStrHaveDefValue("Caption"));
}

#include "LocalizerTests.moc"
