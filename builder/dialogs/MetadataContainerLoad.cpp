#include "builder/dialogs/MetadataContainerLoad.h"
#include "builder/dialogs/DialogWidgets.h"
#include "builder/dialogs/FormPosition.h"
#include "builder/model/ErrorReport.h"
#include "builder/model/ScopeExit.h"
#include "classlib/Exceptions.h"
#include "sqlmodel/ModelMessages.h"
#include "sqlmodel/metadata/MetadataContainer.h"
#include "sqlmodel/metadata/MetadataFilter.h"
#include "sqlmodel/providers/MetadataProvider.h"
#include "sqlmodel/providers/ProviderRegistries.h"
#include "sqlmodel/providers/SyntaxProvider.h"
#include "sqlmodel/sql/QualifiedName.h"
#include "support/LocalizerForm.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileDialog>
#include <QFrame>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStackedWidget>
#include <QTextCursor>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace nvqb {

namespace {
constexpr int ClientWidth = 527;
constexpr int ClientHeight = 395;
constexpr int MinWidth = 428;
constexpr int MinHeight = 330;
constexpr int ButtonsHeight = 40;
// The longest the window goes without painting while the loading run writes
// its log; painting more often than this would slow the run down.
constexpr int PaintIntervalMs = 50;

QLabel *NewCaption(QWidget *parent, const char *name, const QString &caption, QWidget *buddy)
{
    QLabel *label = NewLabel(parent, name, caption);
    label->setWordWrap(true);
    if (buddy)
        label->setBuddy(buddy);
    return label;
}

template <class T> bool Owns(const std::vector<TOwned<T>> &instances, const T *candidate)
{
    return candidate && std::any_of(instances.begin(), instances.end(),
                                    [candidate](const TOwned<T> &instance) { return instance.get() == candidate; });
}
} // namespace

TfnvQBMetadataContainerLoad::TfnvQBMetadataContainerLoad(QWidget *owner, TnvMetadataContainer *container,
                                                         bool saveToFile)
    : QDialog(owner), FContainer(container), FSaveToFile(saveToFile)
{
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setModal(true);
    setWindowTitle(QStringLiteral("Load Metadata Wizard"));
    setMinimumSize(MinWidth, MinHeight);
    resize(ClientWidth, ClientHeight);

    pcPages = new QStackedWidget(this);
    pcPages->setObjectName(QStringLiteral("pcPages"));

    QWidget *pButtons = NewPanel(this, "pButtons");
    pButtons->setFixedHeight(ButtonsHeight);
    {
        auto *layout = new QHBoxLayout(pButtons);
        layout->setContentsMargins(8, 6, 8, 6);
        layout->addStretch(1);
        bPrev = NewButton(pButtons, "bPrev", QStringLiteral("< &Back"));
        bNext = NewButton(pButtons, "bNext", QStringLiteral("&Next >"));
        bLoad = NewButton(pButtons, "bLoad", QStringLiteral("&Load"));
        bClose = NewButton(pButtons, "bClose", QStringLiteral("&Close"));
        for (QPushButton *button : {bPrev, bNext, bLoad, bClose}) {
            button->setAutoDefault(false);
            layout->addWidget(button);
        }
        layout->insertSpacing(layout->indexOf(bClose), 12);
        bNext->setDefault(true);
        bPrev->setEnabled(false);
        bLoad->setVisible(false);
    }
    connect(bNext, &QPushButton::clicked, this, [this] { nvQBCatchAll([this] { bNextClick(); }); });
    connect(bLoad, &QPushButton::clicked, this, [this] { nvQBCatchAll([this] { bNextClick(); }); });
    connect(bPrev, &QPushButton::clicked, this, [this] { nvQBCatchAll([this] { bPrevClick(); }); });
    connect(bClose, &QPushButton::clicked, this, [this] { bCloseClick(); });

    auto *line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(pcPages, 1);
    layout->addWidget(line);
    layout->addWidget(pButtons);

    FFilter = Create<TnvMetadataFilter>(nullptr);
    FDatabases = Create<TSQLQualifiedNamesList>(container ? container->SyntaxProvider() : nullptr);

    const bool hasSyntax = container && container->SyntaxProvider();
    CreateWelcomePage();
    AddPage(tsWelcome, &TfnvQBMetadataContainerLoad::ShowWelcome, nullptr, nullptr, true);
    if (!hasSyntax) {
        CreateSyntaxPage();
        AddPage(tsSyntax, &TfnvQBMetadataContainerLoad::ShowSyntax,
                &TfnvQBMetadataContainerLoad::CheckSyntaxSelected, nullptr, true);
    }
    if (!container || !container->MetadataProvider()) {
        CreateMetadataPage();
        AddPage(tsMetadata, &TfnvQBMetadataContainerLoad::ShowMetadata,
                &TfnvQBMetadataContainerLoad::CheckMetadataSelected, nullptr, true);
    }
    CreateMetadataOptsPage();
    AddPage(tsMetadataOpts, &TfnvQBMetadataContainerLoad::ShowMetadataOpts,
            &TfnvQBMetadataContainerLoad::CheckShowMetadataOpts, &TfnvQBMetadataContainerLoad::BeforeMetadataOpts,
            true);
    CreateLoadOptsPage();
    AddPage(tsLoadOpts, &TfnvQBMetadataContainerLoad::ShowLoadOpts, &TfnvQBMetadataContainerLoad::CheckLoadOpts,
            &TfnvQBMetadataContainerLoad::BeforeLoadOpts,
            hasSyntax && container->SyntaxProvider()->IsSupportDatabases());
    CreateFilterPage();
    AddPage(tsFilter, &TfnvQBMetadataContainerLoad::ShowFilter, nullptr, nullptr, true);
    if (FSaveToFile) {
        CreateSaveToFilePage();
        AddPage(tsSaveToFile, &TfnvQBMetadataContainerLoad::ShowSaveToFile,
                &TfnvQBMetadataContainerLoad::CheckSaveToFile, nullptr, true);
    }
    CreateLoadingPage();
    AddPage(tsLoading, &TfnvQBMetadataContainerLoad::ShowLoading, nullptr, nullptr, true);

    Localizer = TnvQBLocalizerForm::Create(this);
    QStringList paths = {"Caption", "pButtons.bPrev.Caption", "pButtons.bNext.Caption", "pButtons.bLoad.Caption",
                         "pButtons.bClose.Caption"};
    for (const TWizardPage &page : FPages) {
        const QString sheet = QStringLiteral("pcPages.") + page.Sheet->objectName();
        // Every caption the page holds, along its parent chain.
        for (QWidget *child : page.Sheet->findChildren<QWidget *>()) {
            if (child->objectName().isEmpty() || child->objectName().startsWith(QStringLiteral("qt_")))
                continue;
            QString path = child->objectName();
            for (QWidget *parent = child->parentWidget(); parent && parent != page.Sheet;
                 parent = parent->parentWidget())
                if (!parent->objectName().isEmpty())
                    path = parent->objectName() + u'.' + path;
            // A tool button shows its action's text: the action is translated.
            // A label without a caption is filled at run time (the error of
            // a failed run) and keeps what it was given.
            if (auto *label = qobject_cast<QLabel *>(child); label && label->text().isEmpty())
                continue;
            if (qobject_cast<QLabel *>(child) ||
                (qobject_cast<QAbstractButton *>(child) && !qobject_cast<QToolButton *>(child)) ||
                qobject_cast<QGroupBox *>(child))
                paths << sheet + u'.' + path + QStringLiteral(".Caption");
        }
    }
    for (const char *action : {"aAddNewItem", "aRemoveItem", "aClear"})
        paths << QString::fromLatin1(action) + QStringLiteral(".Caption");
    for (const QString &path : paths)
        Localizer->Properties()->Add(path.toLatin1());
    Localizer->Loaded();

    LoadUI();
    FCurrentPage = 0;
    pcPages->setCurrentWidget(tsWelcome);
    ShowWelcome();
    // The designed least size gives way where the texts of the language
    // need more room than it leaves the pages. The filter list's tool
    // buttons may give up their padding but not their captions.
    for (QToolButton *button : {sbAddNewItem, sbRemoveItem, sbClear})
        button->setMinimumWidth(QFontMetrics(button->font()).horizontalAdvance(button->text()) + 8);
    if (QLayout *whole = QWidget::layout())
        setMinimumSize(minimumSize().expandedTo(whole->totalMinimumSize()));
}

TfnvQBMetadataContainerLoad::~TfnvQBMetadataContainerLoad()
{
    // The frame edits a connection that one of the provider instances may own.
    FreeConnectionFrame();
    ClearSelectConnectionTypeComboBox();
    ClearSelectSyntaxComboBox();
    if (FDatabases)
        FDatabases->Clear();
}

// --- Pages -------------------------------------------------------------------

QWidget *TfnvQBMetadataContainerLoad::NewPage(const char *name, const QString &header)
{
    QWidget *sheet = NewPanel(pcPages, name);
    auto *layout = new QVBoxLayout(sheet);
    layout->setContentsMargins(0, 0, 0, 8);
    layout->setSpacing(6);
    QWidget *pHeader = NewPanel(sheet, "pHeader");
    pHeader->setAutoFillBackground(true);
    QPalette palette = pHeader->palette();
    palette.setColor(QPalette::Window, palette.color(QPalette::Base));
    pHeader->setPalette(palette);
    auto *headerLayout = new QHBoxLayout(pHeader);
    headerLayout->setContentsMargins(12, 10, 12, 10);
    QLabel *lHeader = NewLabel(pHeader, "lHeader", header);
    QFont font = lHeader->font();
    font.setBold(true);
    lHeader->setFont(font);
    lHeader->setWordWrap(true);
    headerLayout->addWidget(lHeader);
    layout->addWidget(pHeader);
    return sheet;
}

namespace {
QVBoxLayout *PageBody(QWidget *sheet)
{
    auto *body = new QVBoxLayout;
    body->setContentsMargins(16, 4, 16, 0);
    body->setSpacing(6);
    static_cast<QVBoxLayout *>(sheet->layout())->addLayout(body, 1);
    return body;
}
} // namespace

void TfnvQBMetadataContainerLoad::CreateWelcomePage()
{
    tsWelcome = NewPage("tsWelcome", QStringLiteral("Welcome to the Norvane Query Builder Load Metadata Wizard"));
    QVBoxLayout *body = PageBody(tsWelcome);
    QLabel *lWelcome = NewCaption(
        tsWelcome, "lWelcome",
        QStringLiteral("This wizard loads the objects of a database (tables, views, procedures and synonyms) "
                       "and their fields into the metadata of the query builder.\n\n"
                       "Press \"Next\" to continue."),
        nullptr);
    cbClearBeforeLoading =
        new QCheckBox(QStringLiteral("Clear Metadata Container before Loading"), tsWelcome);
    cbClearBeforeLoading->setObjectName(QStringLiteral("cbClearBeforeLoading"));
    body->addWidget(lWelcome);
    body->addStretch(1);
    body->addWidget(cbClearBeforeLoading);
}

void TfnvQBMetadataContainerLoad::CreateSyntaxPage()
{
    tsSyntax = NewPage("tsSyntax", QStringLiteral("SQL Syntax Provider"));
    QVBoxLayout *body = PageBody(tsSyntax);
    cbSelectSyntax = new QComboBox(tsSyntax);
    cbSelectSyntax->setObjectName(QStringLiteral("cbSelectSyntax"));
    body->addWidget(NewCaption(tsSyntax, "lSelectSyntax", QStringLiteral("Select SQL Syntax Provider:"),
                               cbSelectSyntax));
    body->addWidget(cbSelectSyntax);
    body->addStretch(1);
    // Another dialect means other databases and another connection to set up.
    connect(cbSelectSyntax, &QComboBox::currentIndexChanged, this, [this] {
        SetShown(tsMetadataOpts, false);
        SetShown(tsLoadOpts, false);
    });
}

void TfnvQBMetadataContainerLoad::CreateMetadataPage()
{
    tsMetadata = NewPage("tsMetadata", QStringLiteral("Database Connection Type"));
    QVBoxLayout *body = PageBody(tsMetadata);
    cbSelectConnectionType = new QComboBox(tsMetadata);
    cbSelectConnectionType->setObjectName(QStringLiteral("cbSelectConnectionType"));
    body->addWidget(NewCaption(tsMetadata, "lSelectConnectionType", QStringLiteral("Select Connection Type:"),
                               cbSelectConnectionType));
    body->addWidget(cbSelectConnectionType);
    lbNoteVCL = NewCaption(tsMetadata, "lbNoteVCL",
                           QStringLiteral("Note: only the connection types that can make a connection of their "
                                          "own are listed. To use a connection of your application, assign a "
                                          "metadata provider to the metadata container before loading."),
                           nullptr);
    body->addWidget(lbNoteVCL);
    body->addStretch(1);
    connect(cbSelectConnectionType, &QComboBox::currentIndexChanged, this, [this] {
        SetShown(tsMetadataOpts, false);
        SetShown(tsLoadOpts, false);
    });
}

void TfnvQBMetadataContainerLoad::CreateMetadataOptsPage()
{
    tsMetadataOpts = NewPage("tsMetadataOpts", QStringLiteral("Database Connection Options"));
    QVBoxLayout *body = PageBody(tsMetadataOpts);
    pConnectionFrame = NewPanel(tsMetadataOpts, "pConnectionFrame");
    auto *frameLayout = new QVBoxLayout(pConnectionFrame);
    frameLayout->setContentsMargins(0, 0, 0, 0);
    bConnectionTest = NewButton(tsMetadataOpts, "bConnectionTest", QStringLiteral("Test Connection"));
    bConnectionTest->setAutoDefault(false);
    body->addWidget(pConnectionFrame, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(bConnectionTest);
    body->addLayout(buttons);
    connect(bConnectionTest, &QPushButton::clicked, this,
            [this] { nvQBCatchAll([this] { bConnectionTestClick(); }); });
}

void TfnvQBMetadataContainerLoad::CreateLoadOptsPage()
{
    tsLoadOpts = NewPage("tsLoadOpts", QStringLiteral("Databases"));
    QVBoxLayout *body = PageBody(tsLoadOpts);
    lDatabases = new QListWidget(tsLoadOpts);
    lDatabases->setObjectName(QStringLiteral("lDatabases"));
    body->addWidget(NewCaption(tsLoadOpts, "lSelectDatabases",
                               QStringLiteral("Select Databases from which you want to load Metadata Information:"),
                               lDatabases));
    body->addWidget(lDatabases, 1);
}

void TfnvQBMetadataContainerLoad::CreateFilterPage()
{
    tsFilter = NewPage("tsFilter", QStringLiteral("Additional Metadata Filtration"));
    QVBoxLayout *body = PageBody(tsFilter);

    auto *top = new QHBoxLayout;
    auto *left = new QVBoxLayout;
    lbFilterItems = new QListWidget(tsFilter);
    lbFilterItems->setObjectName(QStringLiteral("lbFilterItems"));
    lbFilterItems->setSelectionMode(QAbstractItemView::ExtendedSelection);
    auto *tools = new QHBoxLayout;
    auto action = [this](const char *name, const QString &caption, void (TfnvQBMetadataContainerLoad::*handler)()) {
        auto *act = new QAction(caption, this);
        act->setObjectName(QString::fromLatin1(name));
        connect(act, &QAction::triggered, this, [this, handler] { nvQBCatchAll([this, handler] { (this->*handler)(); }); });
        return act;
    };
    QAction *aAddNewItem = action("aAddNewItem", QStringLiteral("Add"), &TfnvQBMetadataContainerLoad::aAddNewItemExecute);
    QAction *aRemoveItem =
        action("aRemoveItem", QStringLiteral("Remove"), &TfnvQBMetadataContainerLoad::aRemoveItemExecute);
    QAction *aClear = action("aClear", QStringLiteral("Clear"), &TfnvQBMetadataContainerLoad::aClearExecute);
    auto tool = [this, tools](const char *name, QAction *act) {
        auto *button = new QToolButton(tsFilter);
        button->setObjectName(QString::fromLatin1(name));
        button->setDefaultAction(act);
        button->setToolButtonStyle(Qt::ToolButtonTextOnly);
        tools->addWidget(button);
        return button;
    };
    sbAddNewItem = tool("sbAddNewItem", aAddNewItem);
    sbRemoveItem = tool("sbRemoveItem", aRemoveItem);
    sbClear = tool("sbClear", aClear);
    tools->addStretch(1);
    left->addLayout(tools);
    left->addWidget(lbFilterItems, 1);
    top->addLayout(left, 1);

    gbFilterItem = new QGroupBox(QStringLiteral("Metadata Filter Item"), tsFilter);
    gbFilterItem->setObjectName(QStringLiteral("gbFilterItem"));
    {
        auto *grid = new QGridLayout(gbFilterItem);
        grid->setContentsMargins(8, 6, 8, 6);
        rbFilterInclude = new QRadioButton(QStringLiteral("&Include range"), gbFilterItem);
        rbFilterInclude->setObjectName(QStringLiteral("rbFilterInclude"));
        rbFilterExclude = new QRadioButton(QStringLiteral("&Exclude range"), gbFilterItem);
        rbFilterExclude->setObjectName(QStringLiteral("rbFilterExclude"));
        edFilterSchemaName = NewEdit(gbFilterItem, "edFilterSchemaName", false);
        edFilterObjectName = NewEdit(gbFilterItem, "edFilterObjectName", false);
        auto check = [this](const char *name, const QString &caption) {
            auto *box = new QCheckBox(caption, gbFilterItem);
            box->setObjectName(QString::fromLatin1(name));
            return box;
        };
        cbFilterTables = check("cbFilterTables", QStringLiteral("Tables"));
        cbFilterViews = check("cbFilterViews", QStringLiteral("Views"));
        cbFilterProcedures = check("cbFilterProcedures", QStringLiteral("Procedures"));
        cbFilterSynonyms = check("cbFilterSynonyms", QStringLiteral("Synonyms"));
        lbFilterHelpOne = NewCaption(gbFilterItem, "lbFilterHelpOne", QStringLiteral("\"_\" - any single character"),
                                     nullptr);
        lbFilterHelpMany = NewCaption(gbFilterItem, "lbFilterHelpMany",
                                      QStringLiteral("\"%\" - any sequence of characters"), nullptr);
        grid->addWidget(rbFilterInclude, 0, 0);
        grid->addWidget(rbFilterExclude, 0, 1);
        grid->addWidget(NewCaption(gbFilterItem, "lFilterSchemaName", QStringLiteral("Schema:"), edFilterSchemaName),
                        1, 0);
        grid->addWidget(edFilterSchemaName, 1, 1);
        grid->addWidget(NewCaption(gbFilterItem, "lFilterObjectName", QStringLiteral("Object:"), edFilterObjectName),
                        2, 0);
        grid->addWidget(edFilterObjectName, 2, 1);
        grid->addWidget(cbFilterTables, 3, 0);
        grid->addWidget(cbFilterViews, 3, 1);
        grid->addWidget(cbFilterProcedures, 4, 0);
        grid->addWidget(cbFilterSynonyms, 4, 1);
        grid->addWidget(lbFilterHelpOne, 5, 0, 1, 2);
        grid->addWidget(lbFilterHelpMany, 6, 0, 1, 2);
        grid->setRowStretch(7, 1);
    }
    top->addWidget(gbFilterItem, 1);
    body->addLayout(top, 1);

    cbDontLoadSystemObjects = new QCheckBox(QStringLiteral("Do not load System metadata objects"), tsFilter);
    cbDontLoadSystemObjects->setObjectName(QStringLiteral("cbDontLoadSystemObjects"));
    cbDontLoadSystemObjects->setChecked(true);
    body->addWidget(cbDontLoadSystemObjects);

    connect(lbFilterItems, &QListWidget::currentRowChanged, this,
            [this] { nvQBCatchAll([this] { LoadFilterItemEditors(); }); });
    auto changed = [this] { nvQBCatchAll([this] { FilterItemEditorsChange(); }); };
    connect(rbFilterInclude, &QRadioButton::toggled, this, changed);
    connect(edFilterSchemaName, &QLineEdit::textChanged, this, changed);
    connect(edFilterObjectName, &QLineEdit::textChanged, this, changed);
    for (QCheckBox *box : {cbFilterTables, cbFilterViews, cbFilterProcedures, cbFilterSynonyms})
        connect(box, &QCheckBox::toggled, this, changed);
}

void TfnvQBMetadataContainerLoad::CreateSaveToFilePage()
{
    tsSaveToFile = NewPage("tsSaveToFile", QStringLiteral("Saving Metadata to XML File"));
    QVBoxLayout *body = PageBody(tsSaveToFile);
    eXMLFileName = NewEdit(tsSaveToFile, "eXMLFileName", false);
    bBrowse = NewButton(tsSaveToFile, "bBrowse", QStringLiteral("Browse..."));
    bBrowse->setAutoDefault(false);
    body->addWidget(NewCaption(tsSaveToFile, "lXMLFileName", QStringLiteral("Enter file name:"), eXMLFileName));
    auto *line = new QHBoxLayout;
    line->addWidget(eXMLFileName, 1);
    line->addWidget(bBrowse);
    body->addLayout(line);
    body->addStretch(1);
    connect(bBrowse, &QPushButton::clicked, this, [this] { nvQBCatchAll([this] { bBrowseClick(); }); });
}

void TfnvQBMetadataContainerLoad::CreateLoadingPage()
{
    tsLoading = NewPage("tsLoading", QStringLiteral("Loading Metadata Process"));
    QVBoxLayout *body = PageBody(tsLoading);
    mLog = new QPlainTextEdit(tsLoading);
    mLog->setObjectName(QStringLiteral("mLog"));
    mLog->setReadOnly(true);
    mLog->setLineWrapMode(QPlainTextEdit::NoWrap);
    body->addWidget(NewCaption(tsLoading, "lLoading",
                               QStringLiteral("Please wait while Norvane Query builder loads Metadata Information..."),
                               nullptr));
    body->addWidget(mLog, 1);
    lLoadingError = NewCaption(tsLoading, "lLoadingError", QString(), nullptr);
    lLoadingError->setWordWrap(true);
    lLoadingError->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QPalette palette = lLoadingError->palette();
    palette.setColor(QPalette::WindowText, QColor(192, 0, 0));
    lLoadingError->setPalette(palette);
    lLoadingError->hide();
    body->addWidget(lLoadingError);
}

// --- Page table and navigation ------------------------------------------------

void TfnvQBMetadataContainerLoad::AddPage(QWidget *sheet, TPageProc show, TPageProc check, TPageProc before,
                                          bool enabled)
{
    pcPages->addWidget(sheet);
    FPages.push_back({sheet, show, check, before, enabled, false});
}

int TfnvQBMetadataContainerLoad::IndexOfPage(const QWidget *sheet) const
{
    for (size_t i = 0; i < FPages.size(); ++i)
        if (sheet && FPages[i].Sheet == sheet)
            return int(i);
    return -1;
}

bool TfnvQBMetadataContainerLoad::FirstShow(const QWidget *sheet) const
{
    const int index = IndexOfPage(sheet);
    return index >= 0 && !FPages[size_t(index)].Shown;
}

void TfnvQBMetadataContainerLoad::SetShown(const QWidget *sheet, bool shown)
{
    if (const int index = IndexOfPage(sheet); index >= 0)
        FPages[size_t(index)].Shown = shown;
}

void TfnvQBMetadataContainerLoad::SetPageEnabled(const QWidget *sheet, bool enabled)
{
    if (const int index = IndexOfPage(sheet); index >= 0)
        FPages[size_t(index)].Enabled = enabled;
}

void TfnvQBMetadataContainerLoad::ActivatePage(QWidget *sheet) { pcPages->setCurrentWidget(sheet); }

void TfnvQBMetadataContainerLoad::ShowError(const QString &message) { nvQBShowError(message); }

void TfnvQBMetadataContainerLoad::bNextClick()
{
    if (FLoading || FCurrentPage >= PageCount() - 1)
        return;
    // A Check that raises keeps the wizard where it is.
    if (TPageProc check = FPages[size_t(FCurrentPage)].Check)
        (this->*check)();
    int next = FCurrentPage + 1;
    for (; next < PageCount(); ++next) {
        if (TPageProc before = FPages[size_t(next)].Before)
            (this->*before)();
        if (FPages[size_t(next)].Enabled)
            break;
    }
    if (next >= PageCount())
        return;
    FCurrentPage = next;
    const bool more = FCurrentPage < PageCount() - 1;
    bPrev->setEnabled(true);
    bNext->setEnabled(more);
    bLoad->setEnabled(more);
    const bool lastButOne = FCurrentPage == PageCount() - 2;
    bNext->setVisible(!lastButOne);
    bLoad->setVisible(lastButOne);
    (lastButOne ? bLoad : bNext)->setDefault(true);
    (this->*FPages[size_t(FCurrentPage)].Show)();
}

void TfnvQBMetadataContainerLoad::bPrevClick()
{
    if (FLoading || FCurrentPage <= 0)
        return;
    int previous = FCurrentPage - 1;
    while (previous > 0 && !FPages[size_t(previous)].Enabled)
        --previous;
    FCurrentPage = previous;
    bPrev->setEnabled(FCurrentPage > 0);
    bNext->setEnabled(true);
    bLoad->setEnabled(true);
    bLoad->setVisible(false);
    bNext->setVisible(true);
    bNext->setDefault(true);
    (this->*FPages[size_t(FCurrentPage)].Show)();
}

void TfnvQBMetadataContainerLoad::bCloseClick() { done(FCloseResult); }

void TfnvQBMetadataContainerLoad::reject()
{
    if (!FLoading)
        done(FCloseResult);
}

void TfnvQBMetadataContainerLoad::closeEvent(QCloseEvent *event)
{
    if (FLoading) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

// --- Welcome ------------------------------------------------------------------

void TfnvQBMetadataContainerLoad::ShowWelcome()
{
    ActivatePage(tsWelcome);
    const bool hasObjects = FContainer && FContainer->Count() > 0;
    cbClearBeforeLoading->setChecked(hasObjects);
    cbClearBeforeLoading->setEnabled(hasObjects);
}

// --- Syntax provider ------------------------------------------------------------

void TfnvQBMetadataContainerLoad::ClearSelectSyntaxComboBox()
{
    if (FContainer && Owns(FSyntaxProviders, FContainer->SyntaxProvider()))
        FContainer->SetSyntaxProvider(nullptr);
    if (FDatabases && Owns(FSyntaxProviders, FDatabases->SyntaxProvider()))
        FDatabases->SetSyntaxProvider(nullptr);
    if (cbSelectSyntax) {
        const QSignalBlocker blocker(cbSelectSyntax);
        cbSelectSyntax->clear();
    }
    FSyntaxProviders.clear();
}

void TfnvQBMetadataContainerLoad::ShowSyntax()
{
    ActivatePage(tsSyntax);
    if (!FirstShow(tsSyntax))
        return;
    ClearSelectSyntaxComboBox();
    TnvSyntaxProvidersList *registry = SyntaxProvidersList();
    std::vector<TOwned<TnvBaseSyntaxProvider>> instances;
    for (qsizetype i = 0; i < registry->GetCount(); ++i) {
        const TComponentClass cls = registry->GetItems(i);
        if (!cls || cls->IsAbstract())
            continue;
        instances.emplace_back(static_cast<TnvBaseSyntaxProvider *>(CreateComponent(cls, nullptr)));
    }
    std::stable_sort(instances.begin(), instances.end(), [](const auto &a, const auto &b) {
        return QString::localeAwareCompare(a->ServerName(), b->ServerName()) < 0;
    });
    FSyntaxProviders = std::move(instances);
    {
        const QSignalBlocker blocker(cbSelectSyntax);
        for (const auto &provider : FSyntaxProviders)
            cbSelectSyntax->addItem(provider->ServerName());
        cbSelectSyntax->setCurrentIndex(cbSelectSyntax->count() > 0 ? 0 : -1);
    }
    SetShown(tsSyntax);
}

void TfnvQBMetadataContainerLoad::CheckSyntaxSelected()
{
    const int index = cbSelectSyntax->currentIndex();
    if (index < 0 || size_t(index) >= FSyntaxProviders.size())
        throw Exception(QStringLiteral("Please select Syntax Provider to proceed."));
    TnvBaseSyntaxProvider *provider = FSyntaxProviders[size_t(index)].get();
    if (FContainer->SyntaxProvider() != provider) {
        FContainer->SetSyntaxProvider(provider);
        SetShown(tsLoadOpts, false);
    }
    SetPageEnabled(tsLoadOpts, provider->IsSupportDatabases());
    FDatabases->SetSyntaxProvider(provider);
}

// --- Connection type ------------------------------------------------------------

void TfnvQBMetadataContainerLoad::FreeConnectionFrame()
{
    delete FConnectionFrame.data();
    FConnectionFrame = nullptr;
    FFrameProvider = nullptr;
}

void TfnvQBMetadataContainerLoad::ClearSelectConnectionTypeComboBox()
{
    if (Owns(FMetadataProviders, FFrameProvider))
        FreeConnectionFrame();
    if (FContainer && Owns(FMetadataProviders, FContainer->MetadataProvider()))
        FContainer->SetMetadataProvider(nullptr);
    FChosenMetadataProvider = nullptr;
    if (cbSelectConnectionType) {
        const QSignalBlocker blocker(cbSelectConnectionType);
        cbSelectConnectionType->clear();
    }
    FMetadataProviders.clear();
}

void TfnvQBMetadataContainerLoad::ShowMetadata()
{
    ActivatePage(tsMetadata);
    if (!FirstShow(tsMetadata))
        return;
    ClearSelectConnectionTypeComboBox();
    TnvMetadataProvidersList *registry = MetadataProvidersList();
    std::vector<TOwned<TnvBaseMetadataProvider>> instances;
    for (qsizetype i = 0; i < registry->GetCount(); ++i) {
        const TComponentClass cls = registry->GetItems(i);
        if (!cls || cls->IsAbstract() || !cls->InheritsFrom(TnvBaseMetadataProvider::StaticClassType()))
            continue;
        TOwned<TnvBaseMetadataProvider> instance(
            static_cast<TnvBaseMetadataProvider *>(CreateComponent(cls, nullptr)));
        if (instance->CanCreateInternalConnection())
            instances.push_back(std::move(instance));
    }
    std::stable_sort(instances.begin(), instances.end(), [](const auto &a, const auto &b) {
        return QString::localeAwareCompare(a->GetConnectionDescription(), b->GetConnectionDescription()) < 0;
    });
    FMetadataProviders = std::move(instances);
    {
        const QSignalBlocker blocker(cbSelectConnectionType);
        for (const auto &provider : FMetadataProviders)
            cbSelectConnectionType->addItem(provider->GetConnectionDescription());
        cbSelectConnectionType->setCurrentIndex(cbSelectConnectionType->count() > 0 ? 0 : -1);
    }
    SetShown(tsMetadata);
}

void TfnvQBMetadataContainerLoad::CheckMetadataSelected()
{
    const int index = cbSelectConnectionType->currentIndex();
    if (index < 0 || size_t(index) >= FMetadataProviders.size())
        throw Exception(QStringLiteral("Please select Connection Type to proceed."));
    TnvBaseMetadataProvider *provider = FMetadataProviders[size_t(index)].get();
    if (provider != FChosenMetadataProvider) {
        FChosenMetadataProvider = provider;
        SetShown(tsMetadataOpts, false);
        SetShown(tsLoadOpts, false);
    }
}

// --- Connection options -----------------------------------------------------------

void TfnvQBMetadataContainerLoad::BeforeMetadataOpts()
{
    if (FChosenMetadataProvider && FChosenMetadataProvider != FContainer->MetadataProvider()) {
        FContainer->SetMetadataProvider(FChosenMetadataProvider);
        if (!FChosenMetadataProvider->GetConnectionObjectsCreated())
            FChosenMetadataProvider->CreateAndBindInternalConnectionObj();
    }
    TnvBaseMetadataProvider *provider = FContainer->MetadataProvider();
    if (!FConnectionFrame || FFrameProvider != provider) {
        FreeConnectionFrame();
        if (provider) {
            if (QWidget *frame = provider->CreateConnectionEditFrame(pConnectionFrame)) {
                FConnectionFrame = frame;
                FFrameProvider = provider;
                pConnectionFrame->layout()->addWidget(frame);
                frame->show();
            }
        }
    }
    SetPageEnabled(tsMetadataOpts, FConnectionFrame != nullptr);
}

void TfnvQBMetadataContainerLoad::ShowMetadataOpts()
{
    ActivatePage(tsMetadataOpts);
    SetShown(tsMetadataOpts);
}

void TfnvQBMetadataContainerLoad::CheckShowMetadataOpts()
{
    FContainer->CheckMetadataProvider();
    if (!FContainer->MetadataProvider()->Connected())
        FContainer->MetadataProvider()->Connect();
}

void TfnvQBMetadataContainerLoad::bConnectionTestClick()
{
    FContainer->CheckMetadataProvider();
    TnvBaseMetadataProvider *provider = FContainer->MetadataProvider();
    provider->Disconnect();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    {
        TnvScopeExit restore([] { QApplication::restoreOverrideCursor(); });
        provider->Connect();
    }
    QMessageBox::information(this, windowTitle(), QStringLiteral("Test Connection Successful!"));
}

// --- Databases ----------------------------------------------------------------------

void TfnvQBMetadataContainerLoad::LoadDatabasesList()
{
    FDatabases->Clear();
    FDefaultDatabase = -1;
    lDatabases->clear();
    TnvBaseSyntaxProvider *syntax = FContainer->SyntaxProvider();
    TnvBaseMetadataProvider *metadata = FContainer->MetadataProvider();
    if (metadata && syntax && syntax->IsSupportDatabases()) {
        FDatabases->SetSyntaxProvider(syntax);
        // The names listed follow the dialect's case rule, which may follow the server's.
        syntax->ConnectionChanged(metadata);
        syntax->GetDatabasesList(metadata, FDatabases.get());
        TOwned<TSQLQualifiedName> current = syntax->GetDefaultDatabaseName(metadata);
        if (!IsQualifiedNameEmpty(current.get()))
            FDefaultDatabase = FDatabases->FindByName(current.get());
    }
    const QString currentText =
        nvQBMessage("nvQBMetadataTreeCurrentDatabase", QStringLiteral("(current database)"));
    for (qsizetype i = 0; i < FDatabases->GetCount(); ++i) {
        QString text = FDatabases->GetItems(i)->GetQualifiedNameWithoutQuotes();
        if (i == FDefaultDatabase)
            text += u' ' + currentText;
        auto *item = new QListWidgetItem(text, lDatabases);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
}

void TfnvQBMetadataContainerLoad::BeforeLoadOpts()
{
    if (FirstShow(tsLoadOpts))
        LoadDatabasesList();
    SetPageEnabled(tsLoadOpts, FDatabases->GetCount() > 0);
}

void TfnvQBMetadataContainerLoad::ShowLoadOpts()
{
    ActivatePage(tsLoadOpts);
    SetShown(tsLoadOpts);
}

void TfnvQBMetadataContainerLoad::CheckLoadOpts()
{
    for (int row = 0; row < lDatabases->count(); ++row)
        if (lDatabases->item(row)->checkState() == Qt::Checked)
            return;
    throw Exception(QStringLiteral("You must select one or more databases to load metadata from!"));
}

// --- Filter ---------------------------------------------------------------------------

QString TfnvQBMetadataContainerLoad::FilterItemText(const TnvMetadataFilterItem *item)
{
    QString text = item->Exclude ? QStringLiteral("- ") : QStringLiteral("+ ");
    if (!item->SchemaMask.isEmpty())
        text += item->SchemaMask + u'.';
    text += item->ObjectMask.isEmpty() ? QStringLiteral("%") : item->ObjectMask;
    QString kinds;
    if (item->ApplyFor == nvQBMetadataFilterApplyForAll) {
        kinds = QStringLiteral("All");
    } else {
        QStringList letters;
        const std::pair<TnvMetadataFilterApplyFor, const char *> names[] = {
            {mfTables, "T"}, {mfViews, "V"}, {mfProcedures, "P"}, {mfSynonyms, "S"}};
        for (const auto &[kind, letter] : names)
            if (item->ApplyFor.Contains(kind))
                letters << QString::fromLatin1(letter);
        kinds = letters.join(u',');
    }
    return text + QStringLiteral(" (") + kinds + u')';
}

void TfnvQBMetadataContainerLoad::LoadUI()
{
    const int keep = lbFilterItems->currentRow();
    {
        const QSignalBlocker blocker(lbFilterItems);
        lbFilterItems->clear();
        for (qsizetype i = 0; i < FFilter->Count(); ++i)
            lbFilterItems->addItem(FilterItemText(FFilter->Items(i)));
        lbFilterItems->setCurrentRow(keep >= 0 && keep < lbFilterItems->count() ? keep : -1);
    }
    LoadFilterItemEditors();
}

TnvMetadataFilterItem *TfnvQBMetadataContainerLoad::SelectedFilterItem() const
{
    const int row = lbFilterItems->currentRow();
    return row >= 0 && row < FFilter->Count() ? FFilter->Items(row) : nullptr;
}

void TfnvQBMetadataContainerLoad::LoadFilterItemEditors()
{
    const TnvMetadataFilterItem *item = SelectedFilterItem();
    FLoadingUI = true;
    TnvScopeExit done([this] { FLoadingUI = false; });
    gbFilterItem->setEnabled(item != nullptr);
    sbRemoveItem->setEnabled(item != nullptr);
    const TnvMetadataFilterItem blank;
    const TnvMetadataFilterItem *shown = item ? item : &blank;
    rbFilterInclude->setChecked(!shown->Exclude);
    rbFilterExclude->setChecked(shown->Exclude);
    edFilterSchemaName->setText(item ? shown->SchemaMask : QString());
    edFilterObjectName->setText(item ? shown->ObjectMask : QString());
    cbFilterTables->setChecked(shown->ApplyFor.Contains(mfTables));
    cbFilterViews->setChecked(shown->ApplyFor.Contains(mfViews));
    cbFilterProcedures->setChecked(shown->ApplyFor.Contains(mfProcedures));
    cbFilterSynonyms->setChecked(shown->ApplyFor.Contains(mfSynonyms));
}

void TfnvQBMetadataContainerLoad::FilterItemEditorsChange()
{
    if (FLoadingUI)
        return;
    TnvMetadataFilterItem *item = SelectedFilterItem();
    if (!item)
        return;
    item->Exclude = rbFilterExclude->isChecked();
    item->SchemaMask = edFilterSchemaName->text();
    item->ObjectMask = edFilterObjectName->text();
    TnvMetadataFilterApplyForSet kinds;
    const std::pair<TnvMetadataFilterApplyFor, QCheckBox *> boxes[] = {{mfTables, cbFilterTables},
                                                                       {mfViews, cbFilterViews},
                                                                       {mfProcedures, cbFilterProcedures},
                                                                       {mfSynonyms, cbFilterSynonyms}};
    for (const auto &[kind, box] : boxes)
        if (box->isChecked())
            kinds.Include(kind);
    item->ApplyFor = kinds;
    lbFilterItems->item(lbFilterItems->currentRow())->setText(FilterItemText(item));
}

void TfnvQBMetadataContainerLoad::aAddNewItemExecute()
{
    FFilter->Add();
    LoadUI();
    lbFilterItems->setCurrentRow(lbFilterItems->count() - 1);
    lbFilterItems->clearSelection();
    lbFilterItems->item(lbFilterItems->count() - 1)->setSelected(true);
}

void TfnvQBMetadataContainerLoad::aRemoveItemExecute()
{
    QList<int> rows;
    for (int row = 0; row < lbFilterItems->count(); ++row)
        if (lbFilterItems->item(row)->isSelected())
            rows << row;
    if (rows.isEmpty() && lbFilterItems->currentRow() >= 0)
        rows << lbFilterItems->currentRow();
    for (qsizetype i = rows.size() - 1; i >= 0; --i)
        if (rows[i] < FFilter->Count())
            FFilter->Delete(rows[i]);
    {
        const QSignalBlocker blocker(lbFilterItems);
        lbFilterItems->setCurrentRow(-1);
    }
    LoadUI();
}

void TfnvQBMetadataContainerLoad::aClearExecute()
{
    FFilter->Clear();
    LoadUI();
}

void TfnvQBMetadataContainerLoad::ShowFilter() { ActivatePage(tsFilter); }

// --- Save to file ---------------------------------------------------------------------

QString TfnvQBMetadataContainerLoad::GetXMLFileName() const
{
    return eXMLFileName ? eXMLFileName->text() : QString();
}

void TfnvQBMetadataContainerLoad::ShowSaveToFile() { ActivatePage(tsSaveToFile); }

void TfnvQBMetadataContainerLoad::CheckSaveToFile()
{
    if (eXMLFileName->text().trimmed().isEmpty())
        throw Exception(QStringLiteral("You must specify File Name to save metadata!"));
}

void TfnvQBMetadataContainerLoad::bBrowseClick()
{
    QFileDialog dialog(this, windowTitle(), eXMLFileName->text(),
                       QStringLiteral("XML Files (*.xml);;All Files (*.*)"));
    dialog.setObjectName(QStringLiteral("SaveDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("xml"));
    if (!eXMLFileName->text().isEmpty())
        dialog.selectFile(eXMLFileName->text());
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
        eXMLFileName->setText(dialog.selectedFiles().constFirst());
}

// --- Loading ----------------------------------------------------------------------------

void TfnvQBMetadataContainerLoad::LetWindowPaint()
{
    // The run holds the event loop: the log and the window are painted from
    // here, with the user's input left waiting, at most every interval.
    if (FPaintTimer.isValid() && FPaintTimer.elapsed() < PaintIntervalMs)
        return;
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    FPaintTimer.restart();
}

void TfnvQBMetadataContainerLoad::WriteMetadataLoadingLog(const QString &text)
{
    // Through a cursor: the memo's own append drops a blank first line, and
    // the run's log starts with one.
    QTextCursor cursor(mLog->document());
    cursor.movePosition(QTextCursor::End);
    if (!FLogEmpty)
        cursor.insertBlock();
    cursor.insertText(text);
    FLogEmpty = false;
    mLog->verticalScrollBar()->setValue(mLog->verticalScrollBar()->maximum());
    LetWindowPaint();
}

void TfnvQBMetadataContainerLoad::AppendMetadataLoadingLog(const QString &text)
{
    if (FLogEmpty) {
        WriteMetadataLoadingLog(text);
        return;
    }
    QTextCursor cursor(mLog->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(text);
    LetWindowPaint();
}

void TfnvQBMetadataContainerLoad::ShowLoading()
{
    ActivatePage(tsLoading);
    bPrev->setEnabled(false);
    bNext->setEnabled(false);
    bLoad->setEnabled(false);
    bLoad->setVisible(false);
    bNext->setVisible(true);
    lLoadingError->hide();
    FLoading = true;
    TnvScopeExit done([this] { FLoading = false; });
    FPaintTimer.invalidate();
    LetWindowPaint();

    // Every database is read whole before the container changes at all: a
    // run that fails half-way (the server gone, a catalogue that cannot be
    // read) leaves the container as it was, the clearing asked for included.
    std::vector<TOwned<TnvMetadataContainer>> loaded;
    try {
        TnvBaseSyntaxProvider *syntax = FContainer->SyntaxProvider();
        if (syntax && syntax->IsSupportDatabases() && FDatabases->GetCount() > 0) {
            for (int row = 0; row < lDatabases->count() && row < FDatabases->GetCount(); ++row)
                if (lDatabases->item(row)->checkState() == Qt::Checked)
                    loaded.push_back(LoadDatabase(row == FDefaultDatabase ? nullptr : FDatabases->GetItems(row)));
        } else {
            loaded.push_back(LoadDatabase(nullptr));
        }
    } catch (...) {
        LoadingFailed(CurrentExceptionMessage());
        return;
    }
    if (cbClearBeforeLoading->isChecked())
        FContainer->Clear();
    for (const auto &scratch : loaded)
        WriteIntoContainer(scratch.get());
    if (FSaveToFile)
        FContainer->SaveToXMLFile(GetXMLFileName());
    FCloseResult = QDialog::Accepted;
    bClose->setDefault(true);
}

void TfnvQBMetadataContainerLoad::LoadingFailed(const QString &message)
{
    AppendMetadataLoadingLog(QStringLiteral("FAILED"));
    for (const QString &line : QString(message).remove(u'\r').split(u'\n', Qt::SkipEmptyParts))
        WriteMetadataLoadingLog(line);
    WriteMetadataLoadingLog(QStringLiteral("Loading failed: the MetadataContainer is left as it was."));
    WriteMetadataLoadingLog(QString());
    lLoadingError->setText(message);
    lLoadingError->show();
    // Back leads to the connection and the choices again for another run;
    // Close ends the wizard without success.
    bPrev->setEnabled(true);
    bClose->setDefault(true);
}

TOwned<TnvMetadataContainer> TfnvQBMetadataContainerLoad::LoadDatabase(const TSQLQualifiedName *database)
{
    FContainer->CheckSyntaxProvider();
    FContainer->CheckMetadataProvider();
    TOwned<TnvMetadataContainer> scratch = Create<TnvMetadataContainer>(nullptr);
    scratch->SetSyntaxProvider(FContainer->SyntaxProvider());
    scratch->SetMetadataProvider(FContainer->MetadataProvider());

    WriteMetadataLoadingLog(QString());
    if (!IsQualifiedNameEmpty(database))
        WriteMetadataLoadingLog(QStringLiteral("Loading metadata from database ") +
                                database->GetQualifiedNameWithoutQuotes() + QStringLiteral("..."));
    else
        WriteMetadataLoadingLog(QStringLiteral("Loading metadata from default database..."));
    WriteMetadataLoadingLog(QStringLiteral("Loading objects list..."));
    scratch->LoadMetadataByFilter(FFilter.get(), database);
    AppendMetadataLoadingLog(QStringLiteral("success"));

    if (cbDontLoadSystemObjects->isChecked())
        for (qsizetype i = scratch->Count() - 1; i >= 0; --i)
            if (scratch->Items(i)->System())
                scratch->Delete(i);

    WriteMetadataLoadingLog(QString::number(scratch->Count()) + QStringLiteral(" objects found..."));
    for (qsizetype i = 0; i < scratch->Count(); ++i) {
        TnvMetadataObject *object = scratch->Items(i);
        WriteMetadataLoadingLog(QStringLiteral("Loading fields list for object ") + object->GetFullNameStr() +
                                QStringLiteral("..."));
        // An object whose fields cannot be queried is FAILED and the run
        // goes on; what the provider raises (a lost connection) ends it.
        object->LoadFields();
        const TnvMetadataFieldsList *fields = object->GetFields();
        AppendMetadataLoadingLog(fields && fields->Loaded() ? QStringLiteral("success") : QStringLiteral("FAILED"));
    }
    return scratch;
}

void TfnvQBMetadataContainerLoad::WriteIntoContainer(TnvMetadataContainer *scratch)
{
    WriteMetadataLoadingLog(QStringLiteral("Writing metadata to MetadataContainer..."));
    if (!scratch->Loaded()) {
        AppendMetadataLoadingLog(QStringLiteral("FAILED"));
        return;
    }
    {
        TnvUpdateScope scope(FContainer);
        if (IsQualifiedNameEmpty(FContainer->DefaultDatabaseName()) &&
            !IsQualifiedNameEmpty(scratch->DefaultDatabaseName()))
            FContainer->SetDefaultDatabaseName(scratch->DefaultDatabaseName());
        if (FContainer->DefaultSchemaNames()->GetCount() == 0 && scratch->DefaultSchemaNames()->GetCount() > 0)
            FContainer->SetDefaultSchemaNames(scratch->DefaultSchemaNames());
        for (qsizetype i = 0; i < scratch->Count(); ++i) {
            TOwned<TnvMetadataObject> copy = scratch->Items(i)->CloneAs<TnvMetadataObject>(FContainer);
            const TnvMetadataObject *object = copy.get();
            // Loading the same database again brings the same objects: each
            // takes the place of the one loaded before, so none is listed twice.
            TnvMetadataObject *existing =
                FContainer->FindObjectByName(object->Name(), object->Schema(), object->Database());
            if (existing)
                FContainer->SetItems(FContainer->IndexOf(existing), std::move(copy));
            else
                FContainer->Add(std::move(copy));
            if ((i & 63) == 63)
                LetWindowPaint();
        }
    }
    WriteMetadataLoadingLog(QStringLiteral("Loading completed successfully..."));
    WriteMetadataLoadingLog(QString());
}

void TfnvQBMetadataContainerLoad::LoadMetadataIntoContainer(const TSQLQualifiedName *database)
{
    TOwned<TnvMetadataContainer> scratch = LoadDatabase(database);
    WriteIntoContainer(scratch.get());
}

// --- Unit routines -------------------------------------------------------------------------

bool LoadMetadataContainer(TnvMetadataContainer *container)
{
    if (!container)
        return false;
    bool accepted = false;
    nvQBCatchAll([&] {
        TfnvQBMetadataContainerLoad form(QApplication::activeWindow(), container, false);
        PlaceForm(&form, poMainFormCenter);
        accepted = form.exec() == QDialog::Accepted;
    });
    return accepted;
}

bool FetchMetadataToFile(QString &fileName)
{
    bool accepted = false;
    nvQBCatchAll([&] {
        // The wizard goes first: it takes its providers back out of the container.
        TOwned<TnvMetadataContainer> container = Create<TnvMetadataContainer>(nullptr);
        TfnvQBMetadataContainerLoad form(QApplication::activeWindow(), container.get(), true);
        PlaceForm(&form, poMainFormCenter);
        accepted = form.exec() == QDialog::Accepted;
        fileName = form.GetXMLFileName();
    });
    return accepted;
}

} // namespace nvqb
