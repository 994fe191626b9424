#pragma once
// The base of the property dialogs of model nodes (links, data sources).
// Edit stores the node and the syntax provider, fills the controls
// (LoadProps), runs the dialog modally and, when the user accepts, writes
// the controls back (SaveProps). Before the dialog closes, whichever button
// closed it, CheckCanClose may refuse by raising: the dialog stays open and
// shows the message.
#include "builder/dialogs/FormClass.h"

#include <QDialog>

namespace nvqb {

class TObject;
class TnvBaseSyntaxProvider;
class TnvMetadataContainer;

class TnvQBPropertiesForm : public QDialog {
    Q_OBJECT
    NV_DECLARE_FORM_CLASS(TnvQBPropertiesForm)
public:
    explicit TnvQBPropertiesForm(QWidget *parent = nullptr);
    ~TnvQBPropertiesForm() override;

    virtual ::nvqb::TClass ClassType() const { return StaticClassType(); }

    // The query builder's container; the node's EditProps sets it before
    // Edit runs. Not owned.
    TnvMetadataContainer *MetadataContainer() const { return FMetadataContainer; }
    void SetMetadataContainer(TnvMetadataContainer *container) { FMetadataContainer = container; }
    TObject *EditedObject() const { return FObject; }
    TnvBaseSyntaxProvider *SyntaxProvider() const { return FSyntaxProvider; }

    // Runs the dialog modally; true when it was accepted (and saved).
    bool Edit(TObject *object, TnvBaseSyntaxProvider *provider);
    // The first half of Edit without the modal loop: stores both and loads
    // the controls. The dialog then saves when it is accepted.
    void Start(TObject *object, TnvBaseSyntaxProvider *provider);

    void done(int result) override;

protected:
    virtual void LoadProps() {}
    virtual void SaveProps() {}
    // Raises to keep the dialog open; the result it is closing with is
    // result().
    virtual void CheckCanClose() {}
    // The edited object as T; raises, naming what the dialog edits ("link"),
    // when the dialog was given something else.
    template <class T> T *EditedObjectAs(const QString &what) const
    {
        if (T *object = As<T>(FObject))
            return object;
        RaiseWrongObject(what);
    }

private:
    [[noreturn]] static void RaiseWrongObject(const QString &what);

    TnvMetadataContainer *FMetadataContainer = nullptr;
    TObject *FObject = nullptr;
    TnvBaseSyntaxProvider *FSyntaxProvider = nullptr;
    bool FStarted = false;
};

} // namespace nvqb
