#pragma once
// The metadata container editor: browse, trim and reload a container on a
// working copy that OK copies back.
#include "builder/model/ImageList.h"
#include "classlib/ClassInfo.h"
#include "sqlmodel/ast/TrackedReference.h"

#include <QDialog>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSplitter;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace nvqb {

class TnvMetadataContainer;
class TnvMetadataObject;
class TnvQBLocalizerForm;

class TfMetadataContainerEditor : public QDialog {
    Q_OBJECT
public:
    // What a tree node stands for. Groups stand for nothing: the Fields and
    // Relations groups of an object (nkNone) and the database and schema
    // groups, which have kinds of their own so that an object named like a
    // schema is never taken for that schema's group.
    enum TNodeKind { nkNone, nkObject, nkField, nkRelation, nkDatabase, nkSchema };
    // The images of the tree, by index.
    enum TImageIndex {
        iiTable = 0,
        iiView = 1,
        iiProcedure = 2,
        iiGroup = 4,
        iiDatabase = 5,
        iiSchema = 6,
        iiItem = 7,
        iiSynonym = 8,
    };

    TfMetadataContainerEditor(QWidget *parent, TnvMetadataContainer *container);
    ~TfMetadataContainerEditor() override;

    TnvMetadataContainer *EditedContainer() const { return FEditedContainer; }
    TnvMetadataContainer *WorkingCopy() const { return FWorkingCopy.get(); }
    // The object whose properties are shown; nil when none is.
    TnvMetadataObject *CurrentObject() const { return FCurrentObject.get(); }

    // What the node stands for and the thing itself (an object, a field or a
    // relation of the working copy); a group's kind and nil for groups.
    static TNodeKind NodeKind(const QTreeWidgetItem *node);
    static void *NodeData(const QTreeWidgetItem *node);

    void LoadMetadataTree();
    void LoadObject(TnvMetadataObject *object);
    void DeleteSelectedMetadataItem();
    void UpdateButtonsState();
    void UpdatePropsWindow();
    void LoadObjectProps();
    void SaveObjectProps();

    void sbUserObjectsClick();
    void sbDeleteClick();
    void sbLoadClick();
    void bSaveToXMLClick();
    void bLoadFromXMLClick();
    void bOkClick();
    void bCancelClick();
    void tMetadataChange();
    void eDescriptionChange();

    QWidget *pLeft, *pRight, *pTopLeft, *pTopRight, *pObjectProps, *pButtons;
    QSplitter *Splitter;
    QLabel *lProperties, *lContainer, *lNoProperties, *lObjectType, *lDatabase, *lSchema, *lName, *lDescription,
        *lLongDescription;
    QLineEdit *eObjectType, *eDatabase, *eSchema, *eName, *eDescription;
    QPlainTextEdit *mLongDescription;
    QGroupBox *gbObjectName;
    QToolButton *sbUserObjects, *sbSystemObjects, *sbTables, *sbViews, *sbProcedures, *sbSynonyms, *sbDelete,
        *sbLoad;
    QTreeWidget *tMetadata;
    QPushButton *bSaveToXML, *bLoadFromXML, *bOk, *bCancel;
    TnvQBLocalizerForm *Localizer;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QTreeWidgetItem *AddNode(QTreeWidgetItem *parent, const QString &text, int image, TNodeKind kind = nkNone,
                             void *data = nullptr);
    // The group of the kind with the text among the parent's children.
    QTreeWidgetItem *FindNamedNode(QTreeWidgetItem *parent, const QString &text, TNodeKind kind) const;
    static bool IsGroup(const QTreeWidgetItem *node);
    QTreeWidgetItem *FindNodeByData(void *data) const;
    // Deletes the node by the deletion rule; true when the node went.
    bool DeleteNode(QTreeWidgetItem *node);
    // Removes the groups above Node that its deletion left empty; the node
    // to select instead of the highest one removed (Fallback when none was).
    QTreeWidgetItem *DeleteEmptiedGroups(QTreeWidgetItem *parent, QTreeWidgetItem *fallback);
    QString AskFileName(bool save);

    TnvMetadataContainer *FEditedContainer;
    TnvImageList FImages;
    TOwned<TnvMetadataContainer> FWorkingCopy;
    TnvTrackedRef<TnvMetadataObject> FCurrentObject;
    bool FLoading = false;
    bool FTreeUpdating = false;
};

// Opens the editor on the container (which must not be nil), modally; true
// when it closed with OK.
bool EditMetadataContainer(TnvMetadataContainer *container);

} // namespace nvqb
