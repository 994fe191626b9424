#include "builder/dialogs/MetadataContainerEditor.h"
#include "builder/dialogs/DialogWidgets.h"
#include "builder/dialogs/MetadataContainerLoad.h"
#include "builder/dialogs/MetadataEditorImages.h"
#include "builder/model/ErrorReport.h"
#include "builder/model/ScopeExit.h"
#include "classlib/Assert.h"
#include "sqlmodel/ModelMessages.h"
#include "sqlmodel/metadata/MetadataContainer.h"
#include "sqlmodel/metadata/MetadataObjects.h"
#include "sqlmodel/providers/SyntaxProvider.h"
#include "support/LocalizerForm.h"

#include <QApplication>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QToolButton>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QVBoxLayout>

namespace nvqb {

namespace {

constexpr int ClientWidth = 560;
constexpr int ClientHeight = 356;
constexpr int BarHeight = 28;
constexpr int ButtonsHeight = 36;
constexpr int LeftWidth = 200;

constexpr int KindRole = Qt::UserRole;
constexpr int DataRole = Qt::UserRole + 1;

// Qt's form of the filter "XML files (*.xml)|*.xml|All files (*.*)|*.*":
// on Linux "*.*" would leave out names without a dot.
const char *const XmlFileFilter = "XML files (*.xml);;All files (*)";

QToolButton *NewToolButton(QWidget *parent, const char *name, const QString &caption, const QString &hint,
                           bool toggle)
{
    auto *button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setText(caption);
    button->setToolTip(hint);
    button->setAutoRaise(true);
    if (toggle) {
        // Each button stands alone: no exclusive group.
        button->setCheckable(true);
        button->setChecked(true);
        button->setFixedSize(22, 22);
    }
    return button;
}

// A cross for the delete button, drawn so it needs no image file.
QIcon DeleteIcon()
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0xc0, 0x20, 0x20), 2.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(4, 4), QPointF(12, 12));
    p.drawLine(QPointF(12, 4), QPointF(4, 12));
    return QIcon(pixmap);
}

int ObjectImage(const TnvMetadataObject *object)
{
    if (object->Is<TnvMetadataTable>())
        return TfMetadataContainerEditor::iiTable;
    if (object->Is<TnvMetadataView>())
        return TfMetadataContainerEditor::iiView;
    if (object->Is<TnvMetadataProcedure>())
        return TfMetadataContainerEditor::iiProcedure;
    if (object->Is<TnvMetadataSynonym>())
        return TfMetadataContainerEditor::iiSynonym;
    return TfMetadataContainerEditor::iiTable;
}

} // namespace

TfMetadataContainerEditor::TfMetadataContainerEditor(QWidget *parent, TnvMetadataContainer *container)
    : QDialog(parent), FEditedContainer(container), FImages(MetadataEditorImages())
{
    Assert(container != nullptr, "nvQBMetadataContainerEditor", "The container to edit is nil");
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setModal(true);
    setWindowTitle(QStringLiteral("Metadata Container Editor"));

    // Left: the properties of the selected object.
    pLeft = NewPanel(nullptr, "pLeft");
    {
        auto *layout = new QVBoxLayout(pLeft);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        pTopLeft = NewPanel(pLeft, "pTopLeft");
        pTopLeft->setFixedHeight(BarHeight);
        auto *top = new QHBoxLayout(pTopLeft);
        top->setContentsMargins(6, 2, 4, 2);
        lProperties = NewLabel(pTopLeft, "lProperties", QStringLiteral("Metadata Item Properties:"));
        top->addWidget(lProperties);
        top->addStretch(1);
        layout->addWidget(pTopLeft);

        lNoProperties = NewLabel(pLeft, "lNoProperties", QStringLiteral("No properties for this node"));
        lNoProperties->setAlignment(Qt::AlignCenter);
        lNoProperties->setWordWrap(true);
        layout->addWidget(lNoProperties, 1);

        pObjectProps = NewPanel(pLeft, "pObjectProps");
        auto *props = new QVBoxLayout(pObjectProps);
        props->setContentsMargins(6, 2, 4, 4);
        props->setSpacing(2);
        lObjectType = NewLabel(pObjectProps, "lObjectType", QStringLiteral("Object type:"));
        eObjectType = NewEdit(pObjectProps, "eObjectType", true);
        props->addWidget(lObjectType);
        props->addWidget(eObjectType);
        gbObjectName = new QGroupBox(QStringLiteral("Object Name"), pObjectProps);
        gbObjectName->setObjectName(QStringLiteral("gbObjectName"));
        auto *names = new QFormLayout(gbObjectName);
        names->setContentsMargins(6, 4, 6, 4);
        names->setVerticalSpacing(2);
        lDatabase = NewLabel(gbObjectName, "lDatabase", QStringLiteral("Database:"));
        eDatabase = NewEdit(gbObjectName, "eDatabase", true);
        lSchema = NewLabel(gbObjectName, "lSchema", QStringLiteral("Schema:"));
        eSchema = NewEdit(gbObjectName, "eSchema", true);
        lName = NewLabel(gbObjectName, "lName", QStringLiteral("Name:"));
        eName = NewEdit(gbObjectName, "eName", true);
        names->addRow(lDatabase, eDatabase);
        names->addRow(lSchema, eSchema);
        names->addRow(lName, eName);
        props->addWidget(gbObjectName);
        lDescription = NewLabel(pObjectProps, "lDescription", QStringLiteral("Description:"));
        eDescription = NewEdit(pObjectProps, "eDescription", false);
        lLongDescription = NewLabel(pObjectProps, "lLongDescription", QStringLiteral("Long Description:"));
        mLongDescription = new QPlainTextEdit(pObjectProps);
        mLongDescription->setObjectName(QStringLiteral("mLongDescription"));
        props->addWidget(lDescription);
        props->addWidget(eDescription);
        props->addWidget(lLongDescription);
        props->addWidget(mLongDescription, 1);
        layout->addWidget(pObjectProps, 1);
        pObjectProps->hide();
    }

    // Right: the tree and its bar.
    pRight = NewPanel(nullptr, "pRight");
    {
        auto *layout = new QVBoxLayout(pRight);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        pTopRight = NewPanel(pRight, "pTopRight");
        pTopRight->setFixedHeight(BarHeight);
        auto *top = new QHBoxLayout(pTopRight);
        top->setContentsMargins(4, 2, 4, 2);
        top->setSpacing(1);
        lContainer = NewLabel(pTopRight, "lContainer", QStringLiteral("Metadata Container:"));
        top->addWidget(lContainer);
        top->addStretch(1);
        sbUserObjects = NewToolButton(pTopRight, "sbUserObjects", QStringLiteral("U"),
                                      QStringLiteral("Show User Objects"), true);
        sbSystemObjects = NewToolButton(pTopRight, "sbSystemObjects", QStringLiteral("S"),
                                        QStringLiteral("Show System Objects"), true);
        sbTables = NewToolButton(pTopRight, "sbTables", QStringLiteral("T"), QStringLiteral("Show Tables"), true);
        sbViews = NewToolButton(pTopRight, "sbViews", QStringLiteral("V"), QStringLiteral("Show Views"), true);
        sbProcedures = NewToolButton(pTopRight, "sbProcedures", QStringLiteral("P"),
                                     QStringLiteral("Show Procedures"), true);
        sbSynonyms = NewToolButton(pTopRight, "sbSynonyms", QStringLiteral("S"), QStringLiteral("Show Synonyms"),
                                   true);
        sbDelete = NewToolButton(pTopRight, "sbDelete", QString(), QStringLiteral("Remove selected object/group"),
                                 false);
        sbDelete->setIcon(DeleteIcon());
        sbDelete->setFixedSize(22, 22);
        sbLoad = NewToolButton(pTopRight, "sbLoad", QStringLiteral("Load..."),
                               QStringLiteral("Load Metadata Wizard..."), false);
        for (QToolButton *button :
             {sbUserObjects, sbSystemObjects, sbTables, sbViews, sbProcedures, sbSynonyms, sbDelete, sbLoad}) {
            top->addWidget(button);
            if (button == sbSystemObjects || button == sbSynonyms)
                top->addSpacing(4);
        }
        layout->addWidget(pTopRight);

        tMetadata = new QTreeWidget(pRight);
        tMetadata->setObjectName(QStringLiteral("tMetadata"));
        tMetadata->setHeaderHidden(true);
        tMetadata->setColumnCount(1);
        tMetadata->setSelectionMode(QAbstractItemView::SingleSelection);
        tMetadata->setEditTriggers(QAbstractItemView::NoEditTriggers);
        tMetadata->setIconSize(QSize(16, 16));
        tMetadata->installEventFilter(this);
        layout->addWidget(tMetadata, 1);
    }

    Splitter = new QSplitter(Qt::Horizontal, this);
    Splitter->setChildrenCollapsible(false);
    Splitter->addWidget(pLeft);
    Splitter->addWidget(pRight);
    Splitter->setStretchFactor(0, 0);
    Splitter->setStretchFactor(1, 1);
    Splitter->setSizes({LeftWidth, ClientWidth - LeftWidth});

    pButtons = NewPanel(this, "pButtons");
    pButtons->setFixedHeight(ButtonsHeight);
    {
        auto *layout = new QHBoxLayout(pButtons);
        layout->setContentsMargins(6, 4, 6, 4);
        bSaveToXML = NewButton(pButtons, "bSaveToXML", QStringLiteral("Save Metadata to XML file..."));
        bLoadFromXML = NewButton(pButtons, "bLoadFromXML", QStringLiteral("Load Metadata from XML file..."));
        bOk = NewButton(pButtons, "bOk", QStringLiteral("OK"));
        bCancel = NewButton(pButtons, "bCancel", QStringLiteral("Cancel"));
        for (QPushButton *button : {bSaveToXML, bLoadFromXML, bCancel})
            button->setAutoDefault(false);
        bOk->setDefault(true);
        layout->addWidget(bSaveToXML);
        layout->addWidget(bLoadFromXML);
        layout->addStretch(1);
        layout->addWidget(bOk);
        layout->addWidget(bCancel);
    }

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(Splitter, 1);
    layout->addWidget(pButtons);
    resize(ClientWidth, ClientHeight);

    for (QToolButton *button : {sbUserObjects, sbSystemObjects, sbTables, sbViews, sbProcedures, sbSynonyms})
        connect(button, &QToolButton::clicked, this, [this] { nvQBCatchAll([this] { sbUserObjectsClick(); }); });
    connect(sbDelete, &QToolButton::clicked, this, [this] { nvQBCatchAll([this] { sbDeleteClick(); }); });
    connect(sbLoad, &QToolButton::clicked, this, [this] { nvQBCatchAll([this] { sbLoadClick(); }); });
    connect(bSaveToXML, &QPushButton::clicked, this, [this] { nvQBCatchAll([this] { bSaveToXMLClick(); }); });
    connect(bLoadFromXML, &QPushButton::clicked, this, [this] { nvQBCatchAll([this] { bLoadFromXMLClick(); }); });
    connect(bOk, &QPushButton::clicked, this, [this] { nvQBCatchAll([this] { bOkClick(); }); });
    connect(bCancel, &QPushButton::clicked, this, [this] { bCancelClick(); });
    connect(tMetadata, &QTreeWidget::currentItemChanged, this, [this] {
        if (!FTreeUpdating)
            nvQBCatchAll([this] { tMetadataChange(); });
    });
    connect(eDescription, &QLineEdit::textChanged, this, [this] { nvQBCatchAll([this] { eDescriptionChange(); }); });
    connect(mLongDescription, &QPlainTextEdit::textChanged, this,
            [this] { nvQBCatchAll([this] { eDescriptionChange(); }); });

    Localizer = TnvQBLocalizerForm::Create(this);
    for (const char *path :
         {"Caption", "pLeft.pTopLeft.lProperties.Caption", "pLeft.lNoProperties.Caption",
          "pLeft.pObjectProps.lObjectType.Caption", "pLeft.pObjectProps.gbObjectName.Caption",
          "pLeft.pObjectProps.gbObjectName.lDatabase.Caption", "pLeft.pObjectProps.gbObjectName.lSchema.Caption",
          "pLeft.pObjectProps.gbObjectName.lName.Caption", "pLeft.pObjectProps.lDescription.Caption",
          "pLeft.pObjectProps.lLongDescription.Caption", "pRight.pTopRight.lContainer.Caption",
          "pRight.pTopRight.sbUserObjects.Caption", "pRight.pTopRight.sbUserObjects.Hint",
          "pRight.pTopRight.sbSystemObjects.Caption", "pRight.pTopRight.sbSystemObjects.Hint",
          "pRight.pTopRight.sbTables.Caption", "pRight.pTopRight.sbTables.Hint", "pRight.pTopRight.sbViews.Caption",
          "pRight.pTopRight.sbViews.Hint", "pRight.pTopRight.sbProcedures.Caption",
          "pRight.pTopRight.sbProcedures.Hint", "pRight.pTopRight.sbSynonyms.Caption",
          "pRight.pTopRight.sbSynonyms.Hint", "pRight.pTopRight.sbDelete.Hint", "pRight.pTopRight.sbLoad.Caption",
          "pRight.pTopRight.sbLoad.Hint", "pButtons.bSaveToXML.Caption", "pButtons.bLoadFromXML.Caption",
          "pButtons.bOk.Caption", "pButtons.bCancel.Caption"})
        Localizer->Properties()->Add(path);
    Localizer->Loaded();

    // The working copy reaches the database through the edited container's
    // providers, so the wizard can load more into it.
    FWorkingCopy = Create<TnvMetadataContainer>(nullptr);
    FWorkingCopy->SetSyntaxProvider(container->SyntaxProvider());
    FWorkingCopy->Assign(container);
    FWorkingCopy->SetSyntaxProvider(container->SyntaxProvider());
    FWorkingCopy->SetMetadataProvider(container->MetadataProvider());

    LoadMetadataTree();
    UpdateButtonsState();
}

TfMetadataContainerEditor::~TfMetadataContainerEditor()
{
    // The tree's nodes point into the working copy: they go first.
    FTreeUpdating = true;
    tMetadata->clear();
    FCurrentObject.reset();
}

TfMetadataContainerEditor::TNodeKind TfMetadataContainerEditor::NodeKind(const QTreeWidgetItem *node)
{
    return node ? TNodeKind(node->data(0, KindRole).toInt()) : nkNone;
}

void *TfMetadataContainerEditor::NodeData(const QTreeWidgetItem *node)
{
    return node ? reinterpret_cast<void *>(node->data(0, DataRole).value<quintptr>()) : nullptr;
}

QTreeWidgetItem *TfMetadataContainerEditor::AddNode(QTreeWidgetItem *parent, const QString &text, int image,
                                                    TNodeKind kind, void *data)
{
    auto *node = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(tMetadata);
    node->setText(0, text);
    if (image >= 0 && image < FImages.size())
        node->setIcon(0, FImages[image]);
    node->setData(0, KindRole, int(kind));
    node->setData(0, DataRole, QVariant::fromValue(reinterpret_cast<quintptr>(data)));
    return node;
}

QTreeWidgetItem *TfMetadataContainerEditor::FindNamedNode(QTreeWidgetItem *parent, const QString &text,
                                                          TNodeKind kind) const
{
    const int count = parent ? parent->childCount() : tMetadata->topLevelItemCount();
    for (int i = 0; i < count; ++i) {
        QTreeWidgetItem *node = parent ? parent->child(i) : tMetadata->topLevelItem(i);
        if (NodeKind(node) == kind && node->text(0) == text)
            return node;
    }
    return nullptr;
}

bool TfMetadataContainerEditor::IsGroup(const QTreeWidgetItem *node)
{
    const TNodeKind kind = NodeKind(node);
    return kind == nkNone || kind == nkDatabase || kind == nkSchema;
}

QTreeWidgetItem *TfMetadataContainerEditor::FindNodeByData(void *data) const
{
    if (!data)
        return nullptr;
    for (QTreeWidgetItemIterator it(tMetadata); *it; ++it)
        if (NodeData(*it) == data)
            return *it;
    return nullptr;
}

void TfMetadataContainerEditor::LoadMetadataTree()
{
    void *selected = NodeData(tMetadata->currentItem());
    {
        FTreeUpdating = true;
        tMetadata->setUpdatesEnabled(false);
        TnvScopeExit close([this] {
            tMetadata->setUpdatesEnabled(true);
            FTreeUpdating = false;
        });
        tMetadata->clear();
        for (qsizetype i = 0; i < FWorkingCopy->Count(); ++i) {
            TnvMetadataObject *object = FWorkingCopy->Items(i);
            if (object->System() ? !sbSystemObjects->isChecked() : !sbUserObjects->isChecked())
                continue;
            if ((object->Is<TnvMetadataTable>() && sbTables->isChecked()) ||
                (object->Is<TnvMetadataView>() && sbViews->isChecked()) ||
                (object->Is<TnvMetadataProcedure>() && sbProcedures->isChecked()) ||
                (object->Is<TnvMetadataSynonym>() && sbSynonyms->isChecked()))
                LoadObject(object);
        }
        tMetadata->setCurrentItem(FindNodeByData(selected));
    }
    tMetadataChange();
}

void TfMetadataContainerEditor::LoadObject(TnvMetadataObject *object)
{
    QString database = object->GetDatabaseStrNotQuoted();
    if (database.isEmpty())
        database = nvQBMessage("nvQBMetadataTreeCurrentDatabase", QStringLiteral("(current database)"));
    QTreeWidgetItem *parent = FindNamedNode(nullptr, database, nkDatabase);
    if (!parent) {
        parent = AddNode(nullptr, database, iiDatabase, nkDatabase);
        parent->setExpanded(true);
    }

    QString schema = object->GetSchemaStrNotQuoted();
    if (schema.isEmpty())
        if (const TnvBaseSyntaxProvider *provider = FWorkingCopy->SyntaxProvider();
            provider && provider->IsSupportSchemas())
            schema = provider->GetEmptySchemaName();
    if (!schema.isEmpty()) {
        QTreeWidgetItem *group = FindNamedNode(parent, schema, nkSchema);
        if (!group) {
            group = AddNode(parent, schema, iiSchema, nkSchema);
            group->setExpanded(true);
        }
        parent = group;
    }

    QTreeWidgetItem *node = AddNode(parent, object->GetNameStrNotQuoted(), ObjectImage(object), nkObject, object);
    QTreeWidgetItem *fieldsNode = AddNode(node, nvQBMessage("nvQBFields", QStringLiteral("Fields")), iiGroup);
    if (TnvMetadataFieldsList *fields = object->GetFields())
        for (qsizetype i = 0; i < fields->Count(); ++i)
            AddNode(fieldsNode, fields->Items(i)->NameStrNotQuoted(), iiItem, nkField, fields->Items(i));
    fieldsNode->setExpanded(false);
    TnvMetadataRelationsList *relations = object->GetRelations();
    if (relations && relations->Count() > 0) {
        QTreeWidgetItem *relationsNode =
            AddNode(node, nvQBMessage("nvQBRelations", QStringLiteral("Relations")), iiGroup);
        for (qsizetype i = 0; i < relations->Count(); ++i)
            AddNode(relationsNode, relations->Items(i)->GetChildTableStrNotQuoted(), iiItem, nkRelation,
                    relations->Items(i));
    }
}

void TfMetadataContainerEditor::UpdateButtonsState()
{
    sbDelete->setEnabled(tMetadata->currentItem() != nullptr && FWorkingCopy->Loaded());
}

void TfMetadataContainerEditor::tMetadataChange()
{
    UpdatePropsWindow();
    UpdateButtonsState();
}

void TfMetadataContainerEditor::UpdatePropsWindow()
{
    QTreeWidgetItem *node = tMetadata->currentItem();
    if (NodeKind(node) == nkObject) {
        FCurrentObject.reset(static_cast<TnvMetadataObject *>(NodeData(node)));
        LoadObjectProps();
        lNoProperties->hide();
        pObjectProps->show();
    } else {
        FCurrentObject.reset();
        pObjectProps->hide();
        lNoProperties->show();
    }
}

void TfMetadataContainerEditor::LoadObjectProps()
{
    TnvMetadataObject *object = FCurrentObject.get();
    if (!object)
        return;
    FLoading = true;
    TnvScopeExit done([this] { FLoading = false; });
    QString type;
    if (object->Is<TnvMetadataTable>())
        type = nvQBMessage("nvQBObjectTypeTable", QStringLiteral("Table"));
    else if (object->Is<TnvMetadataView>())
        type = nvQBMessage("nvQBObjectTypeView", QStringLiteral("View"));
    else if (object->Is<TnvMetadataProcedure>())
        type = nvQBMessage("nvQBObjectTypeProcedure", QStringLiteral("Procedure"));
    else if (object->Is<TnvMetadataSynonym>())
        type = nvQBMessage("nvQBObjectTypeSynonym", QStringLiteral("Synonym"));
    else
        type = nvQBMessage("nvQBObjectTypeUnknown", QStringLiteral("Unknown"));
    eObjectType->setText(type);
    eDatabase->setText(object->GetDatabaseStrNotQuoted());
    eSchema->setText(object->GetSchemaStrNotQuoted());
    eName->setText(object->GetNameStrNotQuoted());
    eDescription->setText(object->ShortDescription());
    mLongDescription->setPlainText(object->LongDescription());
}

void TfMetadataContainerEditor::eDescriptionChange()
{
    if (!FLoading)
        SaveObjectProps();
}

void TfMetadataContainerEditor::SaveObjectProps()
{
    if (TnvMetadataObject *object = FCurrentObject.get()) {
        object->SetShortDescription(eDescription->text());
        object->SetLongDescription(mLongDescription->toPlainText());
    }
}

void TfMetadataContainerEditor::sbUserObjectsClick()
{
    LoadMetadataTree();
    UpdateButtonsState();
}

bool TfMetadataContainerEditor::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == tMetadata && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Delete && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            nvQBCatchAll([this] { DeleteSelectedMetadataItem(); });
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TfMetadataContainerEditor::sbDeleteClick() { DeleteSelectedMetadataItem(); }

bool TfMetadataContainerEditor::DeleteNode(QTreeWidgetItem *node)
{
    if (NodeKind(node) == nkObject) {
        auto *object = static_cast<TnvMetadataObject *>(NodeData(node));
        // The node's fields and relations point into the object: it goes
        // before the object does.
        delete node;
        FWorkingCopy->Remove(object);
        return true;
    }
    for (int i = node->childCount() - 1; i >= 0; --i)
        DeleteNode(node->child(i));
    if (IsGroup(node) && node->childCount() == 0) {
        delete node;
        return true;
    }
    return false;
}

QTreeWidgetItem *TfMetadataContainerEditor::DeleteEmptiedGroups(QTreeWidgetItem *parent, QTreeWidgetItem *fallback)
{
    // Only database and schema groups hold objects, so only they can be
    // left empty by a deletion below them.
    QTreeWidgetItem *select = fallback;
    while (parent && IsGroup(parent) && parent->childCount() == 0) {
        QTreeWidgetItem *above = parent->parent();
        const int index = above ? above->indexOfChild(parent) : tMetadata->indexOfTopLevelItem(parent);
        const int count = above ? above->childCount() : tMetadata->topLevelItemCount();
        auto sibling = [&](int i) { return above ? above->child(i) : tMetadata->topLevelItem(i); };
        select = index + 1 < count ? sibling(index + 1) : index > 0 ? sibling(index - 1) : above;
        delete parent;
        parent = above;
    }
    return select;
}

void TfMetadataContainerEditor::DeleteSelectedMetadataItem()
{
    QTreeWidgetItem *selected = tMetadata->currentItem();
    if (!selected)
        return;
    if (selected == tMetadata->topLevelItem(0)) {
        const QString question = nvQBMessage("nvQBClearMetadataContainer", QStringLiteral("Clear Metadata Container?"));
        if (QMessageBox::question(this, windowTitle(), question, QMessageBox::Yes | QMessageBox::No,
                                  QMessageBox::No) != QMessageBox::Yes)
            return;
        FWorkingCopy->Clear();
        LoadMetadataTree();
        UpdateButtonsState();
        return;
    }

    QTreeWidgetItem *select = nullptr;
    {
        FTreeUpdating = true;
        tMetadata->setUpdatesEnabled(false);
        TnvScopeExit close([this] {
            tMetadata->setUpdatesEnabled(true);
            FTreeUpdating = false;
        });
        QTreeWidgetItem *parent = selected->parent();
        const int index = parent ? parent->indexOfChild(selected) : tMetadata->indexOfTopLevelItem(selected);
        const int count = parent ? parent->childCount() : tMetadata->topLevelItemCount();
        auto sibling = [&](int i) { return parent ? parent->child(i) : tMetadata->topLevelItem(i); };
        select = index + 1 < count ? sibling(index + 1) : index > 0 ? sibling(index - 1) : parent;
        FCurrentObject.reset();
        if (DeleteNode(selected)) {
            // A database or schema group left without objects goes too.
            select = DeleteEmptiedGroups(parent, select);
            tMetadata->setCurrentItem(select);
        } else {
            // A group that kept some of its nodes stays selected.
            tMetadata->setCurrentItem(selected);
        }
    }
    tMetadataChange();
}

void TfMetadataContainerEditor::sbLoadClick()
{
    TnvScopeExit reload([this] {
        LoadMetadataTree();
        UpdateButtonsState();
    });
    LoadMetadataContainer(FWorkingCopy.get());
}

QString TfMetadataContainerEditor::AskFileName(bool save)
{
    QFileDialog dialog(this, save ? bSaveToXML->text() : bLoadFromXML->text());
    dialog.setNameFilter(QString::fromLatin1(XmlFileFilter));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

void TfMetadataContainerEditor::bSaveToXMLClick()
{
    const QString fileName = AskFileName(true);
    if (!fileName.isEmpty())
        FWorkingCopy->SaveToXMLFile(fileName);
}

void TfMetadataContainerEditor::bLoadFromXMLClick()
{
    const QString fileName = AskFileName(false);
    if (fileName.isEmpty())
        return;
    TnvScopeExit reload([this] {
        LoadMetadataTree();
        UpdateButtonsState();
    });
    FWorkingCopy->LoadFromXMLFile(fileName);
}

void TfMetadataContainerEditor::bOkClick()
{
    // The copy brings the working copy's syntax provider along (the wizard
    // may have chosen another); the edited container keeps its own.
    TnvBaseSyntaxProvider *provider = FEditedContainer->SyntaxProvider();
    {
        TnvScopeExit restore([this, provider] { FEditedContainer->SetSyntaxProvider(provider); });
        FEditedContainer->Assign(FWorkingCopy.get());
    }
    accept();
}

void TfMetadataContainerEditor::bCancelClick() { reject(); }

bool EditMetadataContainer(TnvMetadataContainer *container)
{
    Assert(container != nullptr, "nvQBMetadataContainerEditor", "EditMetadataContainer: the container is nil");
    TfMetadataContainerEditor editor(QApplication::activeWindow(), container);
    return editor.exec() == QDialog::Accepted;
}

} // namespace nvqb
