#pragma once
// The property dialog of a data source: its FROM object as text and the
// alias to edit. An alias that another data source of the same SELECT goes
// by is refused with a message, and so is clearing an alias when the
// object's own name is taken.
#include "builder/dialogs/PropertiesForm.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace nvqb {

class TnvDatasource;
class TnvQBLocalizerForm;

class TnvDatasourcePropsForm : public TnvQBPropertiesForm {
    Q_OBJECT
    NV_DECLARE_FORM_CLASS(TnvDatasourcePropsForm)
public:
    explicit TnvDatasourcePropsForm(QWidget *parent = nullptr);
    ~TnvDatasourcePropsForm() override;

    ::nvqb::TClass ClassType() const override { return StaticClassType(); }

    TnvDatasource *Datasource() const { return FDatasource; }

    QWidget *pDatasource, *pButtons;
    QLabel *lObject, *lAlias;
    QLineEdit *eObj, *eAlias;
    QPushButton *bOk, *bCancel;
    TnvQBLocalizerForm *Localizer;

protected:
    void LoadProps() override;
    void SaveProps() override;
    void CheckCanClose() override;
    void showEvent(QShowEvent *event) override;

private:
    TnvDatasource *FDatasource = nullptr;
    QString FLoadedAlias;
};

} // namespace nvqb
