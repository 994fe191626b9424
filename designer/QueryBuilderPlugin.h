#pragma once
// The query builder control as Qt Designer and Qt Creator see it: an entry of
// the widget box that makes a TnvQueryBuilder, whose properties the designer
// edits and stores in the .ui file; uic then includes the control's installed
// header, <nvQueryBuilder/builder/controls/QueryBuilder.h>.
#include <QObject>
#include <QtUiPlugin/QDesignerCustomWidgetInterface>

namespace nvqb {

class TnvQueryBuilderDesignerPlugin : public QObject, public QDesignerCustomWidgetInterface {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "org.qt-project.Qt.QDesignerCustomWidgetInterface")
    Q_INTERFACES(QDesignerCustomWidgetInterface)

public:
    explicit TnvQueryBuilderDesignerPlugin(QObject *parent = nullptr);

    QString name() const override;
    QString group() const override;
    QString toolTip() const override;
    QString whatsThis() const override;
    QString includeFile() const override;
    QIcon icon() const override;
    bool isContainer() const override;
    QWidget *createWidget(QWidget *parent) override;
    bool isInitialized() const override;
    void initialize(QDesignerFormEditorInterface *core) override;
    QString domXml() const override;

private:
    bool FInitialized = false;
};

} // namespace nvqb
