#include "designer/QueryBuilderPlugin.h"
#include "builder/controls/QueryBuilder.h"
#include "builder/model/ErrorReport.h"

#include <QIcon>

namespace nvqb {

TnvQueryBuilderDesignerPlugin::TnvQueryBuilderDesignerPlugin(QObject *parent) : QObject(parent) {}

// The class name as a form file and uic write it.
QString TnvQueryBuilderDesignerPlugin::name() const { return QStringLiteral("nvqb::TnvQueryBuilder"); }

QString TnvQueryBuilderDesignerPlugin::group() const { return QStringLiteral("nvQueryBuilder"); }

QString TnvQueryBuilderDesignerPlugin::toolTip() const { return QStringLiteral("Visual SQL query builder"); }

QString TnvQueryBuilderDesignerPlugin::whatsThis() const
{
    return QStringLiteral("Builds a SELECT statement from tables dragged onto a diagram. Give it a syntax "
                          "provider (and a metadata provider) in code; its SQL is set at run time.");
}

// As an application includes the installed header: the package's targets
// add the include folder that holds nvQueryBuilder/.
QString TnvQueryBuilderDesignerPlugin::includeFile() const
{
    return QStringLiteral("nvQueryBuilder/builder/controls/QueryBuilder.h");
}

QIcon TnvQueryBuilderDesignerPlugin::icon() const { return {}; }

bool TnvQueryBuilderDesignerPlugin::isContainer() const { return false; }

QWidget *TnvQueryBuilderDesignerPlugin::createWidget(QWidget *parent)
{
    // The designer is the host here: what the control raises is shown and
    // an empty widget stands in its place.
    QWidget *widget = nullptr;
    if (!nvQBCatchAll([&] { widget = new TnvQueryBuilder(parent); }))
        widget = new QWidget(parent);
    return widget;
}

bool TnvQueryBuilderDesignerPlugin::isInitialized() const { return FInitialized; }

void TnvQueryBuilderDesignerPlugin::initialize(QDesignerFormEditorInterface *) { FInitialized = true; }

QString TnvQueryBuilderDesignerPlugin::domXml() const
{
    return QStringLiteral(R"(<ui language="c++">
 <widget class="nvqb::TnvQueryBuilder" name="queryBuilder">
  <property name="geometry">
   <rect><x>0</x><y>0</y><width>480</width><height>360</height></rect>
  </property>
 </widget>
</ui>
)");
}

} // namespace nvqb
