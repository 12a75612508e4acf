#include <string>

#include <gtest/gtest.h>

#include "platform/rtl/Collection.h"

using namespace rtl;

namespace {

class TTestItem : public TCollectionItem {
public:
    explicit TTestItem(TCollection* c) : TCollectionItem(c), indexAtBirth(GetIndex()) {}
    void Assign(const TPersistent* source) override
    {
        if (auto* s = dynamic_cast<const TTestItem*>(source)) {
            SetValue(s->value_);
            return;
        }
        TCollectionItem::Assign(source);
    }
    int Value() const { return value_; }
    void SetValue(int v)
    {
        if (v == value_) return;
        value_ = v;
        Changed(false);
    }
    void ChangeAll() { Changed(true); }
    const int indexAtBirth;

private:
    int value_ = 0;
};

// Records every notice as text: "U:<value or *>" for Update, "+v" / "x" / "d" for Notify.
class TTestCollection : public TCollection {
public:
    TTestCollection() : TCollection(ItemClass<TTestItem>()) {}
    TTestItem* Item(int i) const { return static_cast<TTestItem*>(GetItem(i)); }
    std::vector<std::string> log;

protected:
    void Update(TCollectionItem* item) override
    {
        log.push_back(item ? "U:" + std::to_string(static_cast<TTestItem*>(item)->Value()) : "U:*");
    }
    void Notify(TCollectionItem*, TCollectionNotification action) override
    {
        // clang-format off
        log.push_back(action == cnAdded ? "added" : action == cnExtracting ? "extracting" : "deleting");
        // clang-format on
    }
};

std::vector<int> Values(const TTestCollection& c)
{
    std::vector<int> v;
    for (int i = 0; i < c.GetCount(); ++i) v.push_back(c.Item(i)->Value());
    return v;
}

using Log = std::vector<std::string>;

} // namespace

TEST(Collection, AddInsertDeleteWithNotices)
{
    TTestCollection c;
    auto* a = static_cast<TTestItem*>(c.Add());
    EXPECT_EQ(c.log, (Log{"added", "U:*"}));
    EXPECT_EQ(a->GetCollection(), &c);
    EXPECT_EQ(a->indexAtBirth, 0); // linked before the derived constructor ran
    a->SetValue(1);
    EXPECT_EQ(c.log.back(), "U:1"); // one item changed: Update(item)

    static_cast<TTestItem*>(c.Add())->SetValue(2);
    auto* first = static_cast<TTestItem*>(c.Insert(0));
    first->SetValue(9);
    EXPECT_EQ(Values(c), (std::vector<int>{9, 1, 2}));
    EXPECT_EQ(first->GetIndex(), 0);
    EXPECT_EQ(first->GetID(), 2); // IDs count creations, not positions
    EXPECT_EQ(c.FindItemID(1), c.Item(2));
    EXPECT_EQ(c.FindItemID(7), nullptr);

    c.log.clear();
    c.Delete(1);
    EXPECT_EQ(c.log, (Log{"deleting", "extracting", "U:*"}));
    EXPECT_EQ(Values(c), (std::vector<int>{9, 2}));
    EXPECT_THROW(c.Delete(2), EListError);

    // Moving an item changes the whole collection.
    c.log.clear();
    first->SetIndex(1);
    EXPECT_EQ(Values(c), (std::vector<int>{2, 9}));
    EXPECT_EQ(c.log, (Log{"U:*"}));
    first->SetIndex(1); // no move, no notice
    EXPECT_EQ(c.log.size(), 1u);

    // Deleting an item object takes it out of its collection.
    delete c.Item(0);
    EXPECT_EQ(Values(c), (std::vector<int>{9}));

    // Another item class than the factory's.
    auto* extra = c.Add<TTestItem>();
    EXPECT_EQ(extra->GetIndex(), 1);
}

TEST(Collection, UpdateBracketSendsOneNotice)
{
    TTestCollection c;
    c.BeginUpdate();
    c.BeginUpdate();
    for (int i = 1; i <= 3; ++i) static_cast<TTestItem*>(c.Add())->SetValue(i);
    c.Item(0)->ChangeAll();
    c.Item(2)->SetIndex(0);
    c.EndUpdate();
    EXPECT_EQ(c.log, (Log{"added", "added", "added"})); // Notify still runs, Update waits
    c.EndUpdate();
    EXPECT_EQ(c.log, (Log{"added", "added", "added", "U:*"}));
    c.EndUpdate(); // unbalanced: ignored
    EXPECT_EQ(c.log.size(), 4u);

    c.log.clear();
    c.Clear();
    EXPECT_EQ(c.log, (Log{"extracting", "extracting", "extracting", "U:*"}));
    EXPECT_EQ(c.GetCount(), 0);
    c.log.clear();
    c.Clear(); // nothing to clear: no notice
    EXPECT_TRUE(c.log.empty());
}

TEST(Collection, AssignCopiesItemsAndMovesBetweenCollections)
{
    TTestCollection a, b;
    for (int i = 1; i <= 3; ++i) static_cast<TTestItem*>(a.Add())->SetValue(i);
    b.Add();
    b.log.clear();
    b.Assign(&a);
    EXPECT_EQ(Values(b), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(std::count(b.log.begin(), b.log.end(), "U:*"), 1);
    EXPECT_EQ(b.log.back(), "U:*");

    TTestItem* moved = a.Item(0);
    moved->SetCollection(&b);
    EXPECT_EQ(Values(a), (std::vector<int>{2, 3}));
    EXPECT_EQ(Values(b), (std::vector<int>{1, 2, 3, 1}));
    EXPECT_EQ(moved->GetIndex(), 3);

    b.SetItem(0, a.Item(1));
    EXPECT_EQ(b.Item(0)->Value(), 3);
    EXPECT_THROW(b.Assign(nullptr), EConvertError);

    // An item of no collection.
    TTestItem loose(nullptr);
    EXPECT_EQ(loose.GetIndex(), -1);
    EXPECT_EQ(loose.GetDisplayName(), "TTestItem");
    loose.SetValue(5); // no collection to tell
}

namespace {

// An item whose base asks a virtual after construction what to be: the derived answer counts.
class TKindItem : public TCollectionItem {
public:
    using TCollectionItem::TCollectionItem;
    std::string kind;
    int finished = 0;

protected:
    virtual std::string Kind() const { return "base"; }
    void AfterConstruction() override
    {
        kind = Kind();
        ++finished;
    }
};

class TDerivedKindItem : public TKindItem {
public:
    using TKindItem::TKindItem;
    static inline bool fail = false;

protected:
    std::string Kind() const override { return "derived"; }
    void AfterConstruction() override
    {
        if (fail) throw EInvalidOperation("no parts");
        TKindItem::AfterConstruction();
    }
};

// Notes the kind of every item it announces.
class TKindCollection : public TCollection {
public:
    TKindCollection() : TCollection(ItemClass<TDerivedKindItem>()) {}
    std::vector<std::string> announced;

protected:
    void Notify(TCollectionItem* item, TCollectionNotification action) override
    {
        if (action == cnAdded) announced.push_back(static_cast<TKindItem*>(item)->kind);
    }
};

} // namespace

TEST(Collection, AnItemIsFinishedAsItsMostDerivedClassBeforeItIsAnnounced)
{
    TKindCollection c;
    auto* item = static_cast<TKindItem*>(c.Add());
    EXPECT_EQ(item->kind, "derived");
    EXPECT_EQ(item->finished, 1);
    EXPECT_EQ(c.Add<TKindItem>()->kind, "base");
    EXPECT_EQ(static_cast<TKindItem*>(c.Insert(0))->kind, "derived");
    EXPECT_EQ(c.announced, (std::vector<std::string>{"derived", "base", "derived"}));

    // An item that cannot be finished is not kept.
    TDerivedKindItem::fail = true;
    EXPECT_THROW(c.Add(), EInvalidOperation);
    TDerivedKindItem::fail = false;
    EXPECT_EQ(c.GetCount(), 3);
}
