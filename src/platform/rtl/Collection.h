#pragma once
// Collections of persistent items, such as grid columns, footers and edit buttons.
//
// A TCollection owns its TCollectionItem objects and creates them through its item
// factory (Add, Insert). Every change ends in a change notice, the virtual Update:
// Update(item) when one item changed, Update(nullptr) when the whole collection did
// (items added, removed or moved, or Changed(true) of an item). Between BeginUpdate
// and EndUpdate no notice is sent; the EndUpdate that brings the count back to 0 sends
// one Update(nullptr).
//
// Items are created by the collection (Add, Insert, Add<T>): the item's constructor
// links it into the collection (Index, ID and GetCollection work in derived
// constructors); once the item is fully constructed the collection calls its
// AfterConstruction, then announces it (Notify cnAdded, then the change notice).
#include <functional>
#include <string>
#include <vector>

#include "platform/rtl/Exception.h"
#include "platform/rtl/Persistent.h"

namespace rtl {

class TCollection;

// clang-format off
enum TCollectionNotification { cnAdded, cnExtracting, cnDeleting };
// clang-format on

class TCollectionItem : public TPersistent {
public:
    // Links the item into collection (may be nullptr: an item of no collection).
    explicit TCollectionItem(TCollection* collection);
    // Leaves the collection (cnExtracting and a change notice).
    ~TCollectionItem() override;
    TCollectionItem(const TCollectionItem&) = delete;
    TCollectionItem& operator=(const TCollectionItem&) = delete;

    TCollection* GetCollection() const { return collection_; }
    // Moves the item to another collection (or none), with notices on both sides.
    void SetCollection(TCollection* collection);
    // A number unique in its collection for the collection's lifetime.
    int GetID() const { return id_; }
    // Position in the collection; -1 without one.
    int GetIndex() const;
    // Moves the item within its collection (clamped to the list); then Changed(true).
    virtual void SetIndex(int index);
    // The name shown for the item; by default its class name.
    virtual std::string GetDisplayName() const;

protected:
    // The change notice of this item: Update(this), or Update(nullptr) with allItems.
    // Nothing while the collection is inside BeginUpdate/EndUpdate.
    void Changed(bool allItems);
    // Runs once the constructors of an item the collection made are done, before the
    // collection announces it: a virtual call made here reaches the most derived class,
    // which one made from a constructor does not. A failure here frees the item.
    virtual void AfterConstruction() {}

private:
    friend class TCollection;
    TCollection* collection_ = nullptr;
    int id_ = 0;
    bool announced_ = false; // cnAdded was sent
};

class TCollection : public TPersistent {
public:
    // Creates one item linked into the given collection (for example
    // [](TCollection* c) { return new TColumn(c); }).
    using ItemFactory = std::function<TCollectionItem*(TCollection*)>;

    template <typename T>
    static ItemFactory ItemClass()
    {
        return [](TCollection* c) -> TCollectionItem* { return new T(c); };
    }

    explicit TCollection(ItemFactory itemClass, TPersistent* owner = nullptr);
    // Frees the items without notices.
    ~TCollection() override;
    TCollection(const TCollection&) = delete;
    TCollection& operator=(const TCollection&) = delete;

    TPersistent* GetOwner() const { return owner_; }

    // A new item at the end (or at index), made by the item factory.
    TCollectionItem* Add();
    TCollectionItem* Insert(int index);
    // A new item of another class than the factory's.
    template <typename T>
    T* Add()
    {
        T* item = nullptr;
        AddWith([&item](TCollection* c) -> TCollectionItem* { return item = new T(c); });
        return item;
    }
    // Notify cnDeleting, then frees the item.
    void Delete(int index);
    // Frees every item inside an update bracket.
    void Clear();

    int GetCount() const { return static_cast<int>(items_.size()); }
    // EListError "List index out of bounds (%d)" outside the list.
    TCollectionItem* GetItem(int index) const;
    // Items[index].Assign(value).
    void SetItem(int index, const TCollectionItem* value);
    TCollectionItem* FindItemID(int id) const;

    void BeginUpdate();
    void EndUpdate();
    int GetUpdateCount() const { return updateCount_; }

    // Replaces the items by copies (Assign) of another collection's, in one update bracket.
    void Assign(const TPersistent* source) override;

protected:
    // The change notice (see above); does nothing here.
    virtual void Update(TCollectionItem* item);
    virtual void Notify(TCollectionItem* item, TCollectionNotification action);
    // Update(nullptr) unless inside an update bracket.
    void Changed();

private:
    friend class TCollectionItem;
    TCollectionItem* AddWith(const ItemFactory& factory);
    void Link(TCollectionItem* item);       // into the list, no notices
    void Announce(TCollectionItem* item);   // cnAdded and the change notice
    void RemoveItem(TCollectionItem* item); // cnExtracting (if announced), out, notice

    ItemFactory itemClass_;
    TPersistent* owner_;
    std::vector<TCollectionItem*> items_;
    int nextID_ = 0;
    int updateCount_ = 0;
};

} // namespace rtl
