#include "platform/rtl/Collection.h"

#include <algorithm>

#include "platform/rtl/UpdateScope.h"

namespace rtl {

// ===========================================================================
// TCollectionItem

TCollectionItem::TCollectionItem(TCollection* collection)
{
    if (collection) collection->Link(this);
}

TCollectionItem::~TCollectionItem()
{
    if (collection_) collection_->RemoveItem(this);
}

void TCollectionItem::SetCollection(TCollection* collection)
{
    if (collection == collection_) return;
    if (collection_) collection_->RemoveItem(this);
    if (collection) {
        collection->Link(this);
        collection->Announce(this);
    }
}

int TCollectionItem::GetIndex() const
{
    if (!collection_) return -1;
    const auto& items = collection_->items_;
    return static_cast<int>(std::find(items.begin(), items.end(), this) - items.begin());
}

void TCollectionItem::SetIndex(int index)
{
    const int current = GetIndex();
    if (current < 0) return;
    auto& items = collection_->items_;
    index = std::clamp(index, 0, static_cast<int>(items.size()) - 1);
    if (index == current) return;
    items.erase(items.begin() + current);
    items.insert(items.begin() + index, this);
    Changed(true);
}

std::string TCollectionItem::GetDisplayName() const { return ClassName(); }

void TCollectionItem::Changed(bool allItems)
{
    if (collection_ && collection_->updateCount_ == 0) collection_->Update(allItems ? nullptr : this);
}

// ===========================================================================
// TCollection

TCollection::TCollection(ItemFactory itemClass, TPersistent* owner)
    : itemClass_(std::move(itemClass)), owner_(owner)
{
}

TCollection::~TCollection()
{
    updateCount_ = 1; // no notices while going away
    while (!items_.empty()) delete items_.back();
}

TCollectionItem* TCollection::AddWith(const ItemFactory& factory)
{
    if (!factory) throw EInvalidOperation("The collection has no item class");
    TCollectionItem* item = factory(this);
    if (!item) throw EInvalidOperation("The item class made no item");
    if (item->collection_ != this) {
        // A factory that made an item of no collection: take it in.
        if (item->collection_) item->collection_->RemoveItem(item);
        Link(item);
    }
    try {
        item->AfterConstruction();
    } catch (...) {
        delete item;
        throw;
    }
    Announce(item);
    return item;
}

TCollectionItem* TCollection::Add() { return AddWith(itemClass_); }

TCollectionItem* TCollection::Insert(int index)
{
    TCollectionItem* item = Add();
    item->SetIndex(index);
    return item;
}

void TCollection::Delete(int index)
{
    TCollectionItem* item = GetItem(index);
    Notify(item, cnDeleting);
    delete item;
}

void TCollection::Clear()
{
    if (items_.empty()) return;
    const TUpdateScope update(*this);
    while (!items_.empty()) delete items_.back();
}

TCollectionItem* TCollection::GetItem(int index) const
{
    if (index < 0 || index >= GetCount())
        throw EListError("List index out of bounds (" + std::to_string(index) + ")");
    return items_[static_cast<std::size_t>(index)];
}

void TCollection::SetItem(int index, const TCollectionItem* value)
{
    GetItem(index)->Assign(value);
}

TCollectionItem* TCollection::FindItemID(int id) const
{
    for (TCollectionItem* item : items_)
        if (item->id_ == id) return item;
    return nullptr;
}

void TCollection::BeginUpdate() { ++updateCount_; }

void TCollection::EndUpdate()
{
    if (updateCount_ == 0) return;
    --updateCount_;
    Changed();
}

void TCollection::Assign(const TPersistent* source)
{
    if (const auto* src = dynamic_cast<const TCollection*>(source)) {
        if (src == this) return;
        const TUpdateScope update(*this);
        Clear();
        for (TCollectionItem* item : src->items_) Add()->Assign(item);
        return;
    }
    TPersistent::Assign(source);
}

void TCollection::Update(TCollectionItem* item) { (void)item; }

void TCollection::Notify(TCollectionItem* item, TCollectionNotification action)
{
    (void)item;
    (void)action;
}

void TCollection::Changed()
{
    if (updateCount_ == 0) Update(nullptr);
}

void TCollection::Link(TCollectionItem* item)
{
    items_.push_back(item);
    item->collection_ = this;
    item->id_ = nextID_++;
    item->announced_ = false;
}

void TCollection::Announce(TCollectionItem* item)
{
    item->announced_ = true;
    Notify(item, cnAdded);
    Changed();
}

void TCollection::RemoveItem(TCollectionItem* item)
{
    const bool announced = item->announced_;
    if (announced) Notify(item, cnExtracting);
    items_.erase(std::remove(items_.begin(), items_.end(), item), items_.end());
    item->collection_ = nullptr;
    item->announced_ = false;
    if (announced) Changed();
}

} // namespace rtl
