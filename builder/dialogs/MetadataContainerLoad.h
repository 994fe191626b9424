#pragma once
// The load wizard: fills a metadata container from a live database, or
// writes what it loads to an XML file. It walks through its pages with its
// own navigation (not QWizard's): a page's Check may refuse to leave it, the
// pages after it may switch themselves off, and the last page but one shows
// Load in place of Next.
#include "classlib/ClassInfo.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QPointer>
#include <QString>
#include <vector>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QStackedWidget;
class QToolButton;

namespace nvqb {

class TnvBaseMetadataProvider;
class TnvBaseSyntaxProvider;
class TnvMetadataContainer;
class TnvMetadataFilter;
class TnvMetadataFilterItem;
class TnvQBLocalizerForm;
class TSQLQualifiedName;
class TSQLQualifiedNamesList;

class TfnvQBMetadataContainerLoad : public QDialog {
    Q_OBJECT
public:
    using TPageProc = void (TfnvQBMetadataContainerLoad::*)();

    // The container is not owned. In save-to-file mode the wizard asks for a
    // file name and writes what it loaded there.
    TfnvQBMetadataContainerLoad(QWidget *owner, TnvMetadataContainer *container, bool saveToFile);
    ~TfnvQBMetadataContainerLoad() override;

    TnvMetadataContainer *Container() const { return FContainer; }
    TnvMetadataFilter *Filter() const { return FFilter.get(); }
    TSQLQualifiedNamesList *Databases() const { return FDatabases.get(); }
    bool SaveToFile() const { return FSaveToFile; }
    QString GetXMLFileName() const;

    // The page table.
    int PageCount() const { return int(FPages.size()); }
    int CurrentPageIndex() const { return FCurrentPage; }
    QWidget *Page(int index) const { return FPages.at(size_t(index)).Sheet; }
    bool PageEnabled(int index) const { return FPages.at(size_t(index)).Enabled; }
    // True while the loading run goes on.
    bool Loading() const { return FLoading; }

    void bNextClick();
    void bPrevClick();
    void bCloseClick();
    void bConnectionTestClick();
    void bBrowseClick();
    void aAddNewItemExecute();
    void aRemoveItemExecute();
    void aClearExecute();

    // Loads one database (nil: the default one) into a scratch container
    // and copies the result into the target, logging each step.
    void LoadMetadataIntoContainer(const TSQLQualifiedName *database);
    // The first half: the database's objects and their fields in a new
    // scratch container, logged. Raises what the providers raise while the
    // objects are listed, and what a field load raises (a lost connection);
    // an object whose fields cannot be queried is logged FAILED.
    TOwned<TnvMetadataContainer> LoadDatabase(const TSQLQualifiedName *database);
    // The second half: the scratch container's objects copied into the
    // target, each in place of one of an equal name.
    void WriteIntoContainer(TnvMetadataContainer *scratch);
    // Adds a line to the log.
    void WriteMetadataLoadingLog(const QString &text);
    // Appends to the last line of the log, or adds a line to an empty log.
    void AppendMetadataLoadingLog(const QString &text);

    // The filter page's line for an item: "+ " or "- ", the schema mask and
    // "." when there is one, the object mask ("%" when empty), and the kinds
    // in brackets ("All", or the letters T, V, P, S).
    static QString FilterItemText(const TnvMetadataFilterItem *item);

    // Pages and controls, named as the localizer and the tests find them.
    QStackedWidget *pcPages;
    QWidget *tsWelcome = nullptr, *tsSyntax = nullptr, *tsMetadata = nullptr, *tsMetadataOpts = nullptr,
            *tsLoadOpts = nullptr, *tsFilter = nullptr, *tsSaveToFile = nullptr, *tsLoading = nullptr;
    QCheckBox *cbClearBeforeLoading = nullptr;
    QComboBox *cbSelectSyntax = nullptr;
    QComboBox *cbSelectConnectionType = nullptr;
    QLabel *lbNoteVCL = nullptr;
    QWidget *pConnectionFrame = nullptr;
    QPushButton *bConnectionTest = nullptr;
    QListWidget *lDatabases = nullptr;
    QListWidget *lbFilterItems = nullptr;
    QToolButton *sbAddNewItem = nullptr, *sbRemoveItem = nullptr, *sbClear = nullptr;
    QGroupBox *gbFilterItem = nullptr;
    QRadioButton *rbFilterInclude = nullptr, *rbFilterExclude = nullptr;
    QLineEdit *edFilterSchemaName = nullptr, *edFilterObjectName = nullptr;
    QCheckBox *cbFilterTables = nullptr, *cbFilterViews = nullptr, *cbFilterProcedures = nullptr,
              *cbFilterSynonyms = nullptr;
    QLabel *lbFilterHelpOne = nullptr, *lbFilterHelpMany = nullptr;
    QCheckBox *cbDontLoadSystemObjects = nullptr;
    QLineEdit *eXMLFileName = nullptr;
    QPushButton *bBrowse = nullptr;
    QPlainTextEdit *mLog = nullptr;
    // The error that ended a loading run; hidden otherwise.
    QLabel *lLoadingError = nullptr;
    QPushButton *bPrev, *bNext, *bLoad, *bClose;
    TnvQBLocalizerForm *Localizer;

    // Escape and the window's close box end the wizard as Close does, but
    // not while a loading run is copying objects.
    void reject() override;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    struct TWizardPage {
        QWidget *Sheet;
        TPageProc Show;
        TPageProc Check;
        TPageProc Before;
        bool Enabled;
        bool Shown;
    };

    void AddPage(QWidget *sheet, TPageProc show, TPageProc check, TPageProc before, bool enabled);
    int IndexOfPage(const QWidget *sheet) const;
    bool FirstShow(const QWidget *sheet) const;
    void SetShown(const QWidget *sheet, bool shown = true);
    void SetPageEnabled(const QWidget *sheet, bool enabled);
    void ActivatePage(QWidget *sheet);
    void ShowError(const QString &message);

    QWidget *NewPage(const char *name, const QString &header);
    void CreateWelcomePage();
    void CreateSyntaxPage();
    void CreateMetadataPage();
    void CreateMetadataOptsPage();
    void CreateLoadOptsPage();
    void CreateFilterPage();
    void CreateSaveToFilePage();
    void CreateLoadingPage();

    void ShowWelcome();
    void ShowSyntax();
    void CheckSyntaxSelected();
    void ShowMetadata();
    void CheckMetadataSelected();
    void BeforeMetadataOpts();
    void ShowMetadataOpts();
    void CheckShowMetadataOpts();
    void BeforeLoadOpts();
    void ShowLoadOpts();
    void CheckLoadOpts();
    void ShowFilter();
    void ShowSaveToFile();
    void CheckSaveToFile();
    void ShowLoading();
    // Ends a loading run that raised: the error in the log and on the page.
    void LoadingFailed(const QString &message);

    void ClearSelectSyntaxComboBox();
    void ClearSelectConnectionTypeComboBox();
    void FreeConnectionFrame();
    void LoadDatabasesList();
    void LoadUI();
    void LoadFilterItemEditors();
    void FilterItemEditorsChange();
    TnvMetadataFilterItem *SelectedFilterItem() const;
    void LetWindowPaint();

    TnvMetadataContainer *FContainer;
    bool FSaveToFile;
    // Provider instances offered by the combo boxes, one per item, in item
    // order; the wizard owns them.
    std::vector<TOwned<TnvBaseSyntaxProvider>> FSyntaxProviders;
    std::vector<TOwned<TnvBaseMetadataProvider>> FMetadataProviders;
    TnvBaseMetadataProvider *FChosenMetadataProvider = nullptr;
    QPointer<QWidget> FConnectionFrame;
    TnvBaseMetadataProvider *FFrameProvider = nullptr;
    TOwned<TnvMetadataFilter> FFilter;
    TOwned<TSQLQualifiedNamesList> FDatabases;
    qsizetype FDefaultDatabase = -1;
    // Set while the form fills the filter editors, so their change handlers
    // do not write back what they are being given.
    bool FLoadingUI = false;
    bool FLoading = false;
    bool FLogEmpty = true;
    int FCloseResult = QDialog::Rejected;
    QElapsedTimer FPaintTimer;
    std::vector<TWizardPage> FPages;
    int FCurrentPage = 0;
};

// Opens the wizard on the container, modally; true when it closed with OK.
bool LoadMetadataContainer(TnvMetadataContainer *container);

// Loads into a scratch container and saves it as XML. fileName receives the
// wizard's file name whatever the result; true when it closed with OK.
bool FetchMetadataToFile(QString &fileName);

} // namespace nvqb
