#include "builder/model/MenuItemData.h"
#include "classlib/Exceptions.h"

namespace nvqb {

NV_IMPLEMENT_CLASS(TnvMenuItemData, TObject)

TnvMenuItemData::~TnvMenuItemData() = default;

TObject *TnvMenuItemData::Sender() const
{
    if (FSenderTracked && !FSenderGuard)
        return nullptr;
    return FSender;
}

TnvMenuItemData *TnvMenuItemData::Items(qsizetype index) const
{
    if (index < 0 || index >= Count())
        ListIndexError(index);
    return FItems[size_t(index)].get();
}

TnvMenuItemData *TnvMenuItemData::Add(const QString &caption, int data, bool enabled, bool checked, bool isDefault,
                                      TNotifyEvent handler, TObject *sender)
{
    TOwned<TnvMenuItemData> item = Create<TnvMenuItemData>();
    item->FCaption = caption;
    item->FData = data;
    item->FEnabled = enabled;
    item->FChecked = checked;
    item->FDefault = isDefault;
    item->FHandler = std::move(handler);
    item->FSender = sender;
    if (auto *target = dynamic_cast<TnvRefTarget *>(sender)) {
        item->FSenderGuard.reset(target);
        item->FSenderTracked = true;
    }
    item->FParent = this;
    FItems.push_back(std::move(item));
    return FItems.back().get();
}

void TnvMenuItemData::Clear()
{
    // The last first, as the class library deletes menu items.
    while (!FItems.empty())
        FItems.pop_back();
}

TnvMenuItemData *TnvMenuItemData::Find(const QString &caption) const
{
    for (const auto &item : FItems)
        if (item->FCaption == caption)
            return item.get();
    return nullptr;
}

void TnvMenuItemData::Click()
{
    if (IsSeparator() || !FEnabled || !FHandler)
        return;
    if (FSenderTracked && !FSenderGuard)
        return;
    FHandler(this);
}

} // namespace nvqb
