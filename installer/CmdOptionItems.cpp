#include "installer/CmdOptionItems.h"

#include <QFileInfo>

namespace nvqb {

TItem::TItem(QString name, QString description) : FName(std::move(name)), FDescription(std::move(description)) {}

TItem::~TItem() = default;

bool TItem::Read(const QString &)
{
    return false;
}

TBoolItem::TBoolItem(QString name, QString description, bool &value)
    : TItem(std::move(name), std::move(description)), FValue(value)
{
}

bool TBoolItem::Read(const QString &parameter)
{
    if (parameter.compare(Name(), Qt::CaseInsensitive) == 0) {
        FValue = true;
        return true;
    }
    if (parameter.compare(Name() + QLatin1Char('-'), Qt::CaseInsensitive) == 0) {
        FValue = false;
        return true;
    }
    return false;
}

TStringItem::TStringItem(QString name, QString description, QString &value)
    : TItem(std::move(name), std::move(description)), FValue(value)
{
}

bool TStringItem::Read(const QString &parameter)
{
    if (!parameter.startsWith(Name(), Qt::CaseInsensitive))
        return false;
    FValue = parameter.mid(Name().size());
    return true;
}

bool TDirItem::Read(const QString &parameter)
{
    if (!parameter.startsWith(Name(), Qt::CaseInsensitive))
        return false;
    const QString folder = parameter.mid(Name().size());
    if (QFileInfo(folder).isDir())
        FValue = folder;
    return true;
}

} // namespace nvqb
