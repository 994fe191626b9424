#pragma once
// The Add Object dialog: the tables, views, procedures and synonyms the
// query builder's metadata knows, one page each, optionally narrowed to one
// schema, added to the union part being edited. Its look comes from the
// query builder's TnvAddObjectFormOptions, which it hands its size while it
// exists and gives its final size back when it hides.
#include "builder/model/AddObjectFormOptions.h"
#include "classlib/ClassInfo.h"

#include <QDialog>
#include <QList>
#include <QPointer>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QTabWidget;

namespace nvqb {

class TnvQueryBuilderModel;
class TnvMetadataContainer;
class TSQLQualifiedName;
class TnvQBLocalizerForm;

class TnvAddObjectForm : public QDialog, public InvAddObjectForm {
    Q_OBJECT
public:
    enum TPage { pgTables, pgViews, pgProcedures, pgSynonyms };

    TnvAddObjectForm(TnvQueryBuilderModel *queryBuilder, TnvMetadataContainer *container, QWidget *parent = nullptr);
    ~TnvAddObjectForm() override;

    TnvQueryBuilderModel *QueryBuilder() const { return FQueryBuilder; }
    TnvMetadataContainer *MetadataContainer() const { return FMetadataContainer; }

    // Loads options, schemas and lists, then runs the dialog modally.
    int ShowModal();
    // What ShowModal does before the modal loop.
    void Prepare();
    void LoadOptions();
    void LoadSchemas();
    void LoadMetadata();
    void UpdateAddObjectState();
    bool CanFilterObjects() const;
    // The chosen schema; nil for "(All objects)".
    const TSQLQualifiedName *GetCurrentSchema() const;
    // Reloads the options after a change.
    void NotifyOptionsChanged();

    QListWidget *ListOfPage(TPage page) const;
    QListWidget *CurrentList() const;

    QSize FormSize() const override { return size(); }
    void SetFormSize(const QSize &size) override { resize(size); }

    QWidget *pTop, *pButtons, *tsTables, *tsViews, *tsProcedures, *tsSynonyms;
    QLabel *lInstruction, *lSchemas;
    QComboBox *cbSchemas;
    QTabWidget *pcObjects;
    QListWidget *lvTables, *lvViews, *lvProcedures, *lvSynonyms;
    QCheckBox *cbAddFK;
    QPushButton *bAdd, *bClose;
    TnvQBLocalizerForm *Localizer;

    void bAddClick();
    void bCloseClick();
    void lListViewDblClick();
    void lListViewChange();
    void pcObjectsChange();
    void cbSchemasChange();

protected:
    void hideEvent(QHideEvent *event) override;

private:
    void FormHide();
    void OptionsChanged(TObject *sender);
    int ImageIndexOfPage(TPage page) const;
    void FillPage(TPage page);

    TnvQueryBuilderModel *FQueryBuilder;
    TnvMetadataContainer *FMetadataContainer;
    TnvAddObjectFormOptions *FOptions;
    // The schema names of the drop-down list after "(All objects)", owned.
    std::vector<TOwned<TSQLQualifiedName>> FSchemas;
    // Per page, the qualified name of each list row, owned.
    std::vector<TOwned<TSQLQualifiedName>> FNames[4];
    bool FWritingBack = false;
};

// The dialog as the query builder keeps it between showings (made with the
// query builder's window as its parent, which frees it should it go first).
class TnvAddObjectFormHolder : public TnvAddObjectFormHandle {
public:
    explicit TnvAddObjectFormHolder(TnvQueryBuilderModel *queryBuilder);
    ~TnvAddObjectFormHolder() override;
    void ShowModal() override;
    TnvAddObjectForm *Form() const { return FForm.data(); }

private:
    TnvQueryBuilderModel *FQueryBuilder;
    QPointer<TnvAddObjectForm> FForm;
};

} // namespace nvqb
