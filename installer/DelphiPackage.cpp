#include "installer/DelphiPackage.h"
#include "installer/platform/FileNames.h"

namespace nvqb {

TDelphiPackage::TDelphiPackage(QString fileName, QString description)
    : FFileName(std::move(fileName)), FDescription(std::move(description))
{
    if (FDescription.isEmpty())
        FDescription = ExtractFileBaseName(FFileName);
}

QString TDelphiPackage::Name() const
{
    return ExtractFileName(FFileName);
}

TDelphiPackage *TDelphiPackageList::Add(const QString &fileName, const QString &description)
{
    FItems.push_back(std::make_unique<TDelphiPackage>(fileName, description));
    return FItems.back().get();
}

void TDelphiPackageList::Delete(qsizetype index)
{
    FItems.erase(FItems.begin() + index);
}

qsizetype TDelphiPackageList::IndexOf(const QString &fileName) const
{
    const QString name = ExtractFileName(fileName);
    for (size_t k = 0; k < FItems.size(); ++k)
        if (FItems[k]->Name().compare(name, Qt::CaseInsensitive) == 0)
            return qsizetype(k);
    return -1;
}

TDelphiPackage *TDelphiPackageList::Find(const QString &fileName) const
{
    const qsizetype index = IndexOf(fileName);
    return index < 0 ? nullptr : Items(index);
}

TDelphiPackage *TDelphiPackageList::FindByPrefix(const QString &prefix) const
{
    for (const auto &item : FItems)
        if (item->Name().startsWith(prefix, Qt::CaseInsensitive))
            return item.get();
    return nullptr;
}

} // namespace nvqb
