#pragma once
// Totals over the records of a data set (sums, averages, counts) kept current while the
// data set opens, closes, scrolls and its records are edited, inserted and deleted. A
// TDBSumListProducer takes over the data set's events for that; the totals are rebuilt
// by one walk over the records only when they must be (open, a change of the totals
// asked for, a new filter), and otherwise follow each post and delete.
//
// Totals are amounts scaled by 10000 (four decimals, DBSumAmount.h), so that adding and
// taking away the same values never drifts. A value is scaled by the decimal text a person
// reads for it: 2.675 is 26750, although the double nearest 2.675 lies a little below it.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "controls/grid/DBGridExTypes.h"
#include "controls/grid/DBSumAmount.h"
#include "platform/db/DataSet.h"
#include "platform/rtl/Collection.h"
#include "platform/rtl/Component.h"
#include "platform/rtl/SysUtils.h"

namespace grid {

class TDBSumListProducer;

// Whether totals add up the values of the field's type (numbers, dates and times).
bool IsSummedField(const db::TField& field);
// The amount a total takes from the field's value in the current record; 0 for Null.
TDBSumAmount FieldAmount(const db::TField& field);

// One total: the sum, the average or the count of a field (a count without a field
// counts the records).
class TDBSum : public rtl::TCollectionItem {
public:
    explicit TDBSum(rtl::TCollection* collection);

    using rtl::TCollectionItem::Assign;
    // The field name and the operation of another sum.
    void Assign(const rtl::TPersistent* source) override;

    const std::string& GetFieldName() const { return fieldName_; }
    void SetFieldName(const std::string& value);
    TGroupOperation GetGroupOperation() const { return groupOperation_; }
    void SetGroupOperation(TGroupOperation value);

    // The total, the average or the count (each × 10000).
    const TDBSumAmount& SumValue() const { return sumValue_; }
    // What an OnRecalcAll handler computes with ExternalRecalc.
    void SetSumValue(const TDBSumAmount& value) { sumValue_ = value; }

private:
    friend class TDBSumListProducer;

    // Counts or reads a field, so the walk and the updates visit it.
    bool IsWalked() const { return groupOperation_ == goCount || !fieldName_.empty(); }
    void ClearValues();

    std::string fieldName_;
    TGroupOperation groupOperation_ = goSum;
    TDBSumAmount sumValue_;
    // What the record being edited added before the edit, and whether its field was null.
    TDBSumAmount oldValue_;
    bool oldFieldNull_ = true;
    // Averages: the non-null values and their total.
    int count_ = 0;
    TDBSumAmount total_;
};

// The totals of a producer; any change of them makes the producer recalculate.
class TDBSumCollection : public rtl::TCollection {
public:
    explicit TDBSumCollection(TDBSumListProducer& producer);

    TDBSumListProducer& Producer() const { return producer_; }
    TDBSum* Items(int index) const { return static_cast<TDBSum*>(GetItem(index)); }
    TDBSum* Add() { return static_cast<TDBSum*>(rtl::TCollection::Add()); }
    int Count() const { return GetCount(); }
    // The total of the operation over the field (its name compared without regard to
    // case); none when there is no such total.
    TDBSum* Find(TGroupOperation operation, const std::string& fieldName) const;

protected:
    void Update(rtl::TCollectionItem* item) override;
    void Notify(rtl::TCollectionItem* item, rtl::TCollectionNotification action) override;

private:
    TDBSumListProducer& producer_;
};

// Keeps the totals of its sum collection over a data set. While active it holds the data
// set's AfterOpen, AfterClose, AfterInsert, AfterEdit, AfterPost, AfterCancel, BeforeDelete
// and AfterScroll (and its master's AfterScroll), and calls the handlers it replaced. When
// it goes it gives them back, also to another producer that chained after it; a handler
// that other code chains after it must be taken away first.
class TDBSumListProducer : public rtl::TPersistent {
public:
    explicit TDBSumListProducer(rtl::TComponent* owner);
    // Gives the data set its handlers back.
    ~TDBSumListProducer() override;
    TDBSumListProducer(const TDBSumListProducer&) = delete;
    TDBSumListProducer& operator=(const TDBSumListProducer&) = delete;

    using rtl::TPersistent::Assign;
    // ExternalRecalc, VirtualRecords and Active of another producer.
    void Assign(const rtl::TPersistent* source) override;

    // Passed as the sender of the events.
    rtl::TComponent* Owner() const { return owner_; }
    TDBSumCollection& SumCollection() const { return *sumCollection_; }

    // While active the producer holds the data set's events and keeps the totals.
    bool Active() const { return active_; }
    void SetActive(bool value);
    db::TDataSet* DataSet() const { return dataSet_; }
    void SetDataSet(db::TDataSet* value);
    // The totals are left to OnRecalcAll; the walk does not run.
    bool GetExternalRecalc() const { return externalRecalc_; }
    void SetExternalRecalc(bool value);
    // Numbers the records of a data set that does not number them itself.
    bool GetVirtualRecords() const { return virtualRecords_; }
    void SetVirtualRecords(bool value);
    // The walk over the records runs.
    bool Recalculating() const { return recalculating_; }

    // Rebuilds every total.
    virtual void RecalcAll();
    // Zeroes every total.
    virtual void ClearSumValues();
    // The current record's number, from 1; with virtual records its place among them (0
    // when it is not there).
    virtual int RecNo() const;
    virtual void SetRecNo(int recNo);
    virtual int RecordCount() const;
    // The records are numbered in sequence (by the data set or as virtual records).
    virtual bool IsSequenced() const;

    rtl::TNotifyEvent OnRecalcAll;
    rtl::TNotifyEvent OnAfterRecalcAll;
    // Any total changed.
    rtl::TNotifyEvent SumListChanged;

protected:
    // The place of the bookmark among the virtual records; -1 when it is not there.
    virtual int IndexOfBookmark(const db::TBookmark& bookmark) const;

    // The handlers put in place of the data set's own; each also calls the one it replaced.
    virtual void DataSetAfterCancel(db::TDataSet* DataSet);
    virtual void DataSetAfterClose(db::TDataSet* DataSet);
    virtual void DataSetAfterEdit(db::TDataSet* DataSet);
    virtual void DataSetAfterInsert(db::TDataSet* DataSet);
    virtual void DataSetAfterOpen(db::TDataSet* DataSet);
    virtual void DataSetAfterPost(db::TDataSet* DataSet);
    virtual void DataSetAfterScroll(db::TDataSet* DataSet);
    virtual void DataSetBeforeDelete(db::TDataSet* DataSet);
    void MasterDataSetAfterScroll(db::TDataSet* DataSet);

    // Takes over the data set's events (and the master data set's AfterScroll), once.
    virtual void SetDataSetEvents();
    // Gives every replaced handler back.
    virtual void ResetDataSetEvents();

    // A sum is leaving the collection (it may be half destroyed: compare it only).
    virtual void SumRemoving(const rtl::TCollectionItem* sum);
    // Frees a total without recalculating the others, which it does not change.
    void FreeSum(TDBSum* sum);
    bool FreeingSum() const { return freeingSum_; }
    void SumsChanged();

private:
    friend class TDBSumCollection;
    class TWatcher;
    struct THook {
        db::TDataSet* DataSet = nullptr;
        db::TDataSetNotifyEvent db::TDataSet::*Event = nullptr;
        db::TDataSetNotifyEvent Own;
        db::TDataSetNotifyEvent Saved;
    };
    enum THookIndex {
        hkAfterOpen,
        hkAfterClose,
        hkAfterInsert,
        hkAfterEdit,
        hkAfterPost,
        hkAfterCancel,
        hkBeforeDelete,
        hkAfterScroll,
        hkMasterAfterScroll,
        hkCount
    };
    static std::vector<THook*>& HookRegistry();

    bool ownerLoading() const;
    bool ownerDestroying() const;
    void hook(THookIndex index, db::TDataSet& dataSet, db::TDataSetNotifyEvent db::TDataSet::*event,
              void (TDBSumListProducer::*handler)(db::TDataSet*));
    void unhook(THook& hook);
    void callSaved(THookIndex index, db::TDataSet* dataSet) const;
    // Runs update, then the replaced handler, which also runs when update fails.
    template <typename F>
    void thenSaved(THookIndex index, db::TDataSet* dataSet, F update);
    void fire(const rtl::TNotifyEvent& event);
    void activate();
    void deactivate();
    void dataSetGone(rtl::TComponent* component);
    bool virtualRecordsInUse() const;
    void walk();
    // The walk (unless the recalculation is external) and OnAfterRecalcAll; the
    // recalculation is over afterwards, also when they fail.
    void walkAndAnnounce();
    // The record being posted or deleted changes the totals.
    void takeOutCurrent();
    void addPosted(bool present);
    void insertBookmark(const db::TBookmark& bookmark);
    void removeBookmark(const db::TBookmark& bookmark);

    rtl::TComponent* owner_ = nullptr;
    std::unique_ptr<TDBSumCollection> sumCollection_;
    std::unique_ptr<TWatcher> watcher_;
    db::TDataSet* dataSet_ = nullptr;
    db::TDataSet* masterDataSet_ = nullptr;
    bool active_ = false;
    bool externalRecalc_ = false;
    bool virtualRecords_ = false;
    bool recalculating_ = false;
    bool hooked_ = false;
    bool freeingSum_ = false;
    // A recalculation asked for while a record was edited waits for its post or cancel.
    bool recalcPending_ = false;
    // An inserted record joins the virtual records when it is posted.
    bool pendingInsert_ = false;
    // The record being edited or inserted, to tell whether the post kept it in view.
    db::TSlot editedSlot_ = db::kNoSlot;
    db::TBookmark editedBookmark_;
    std::string filterText_;
    bool filtered_ = false;
    // The virtual records' bookmarks in bookmark order.
    std::vector<db::TBookmark> bookmarks_;
    mutable int cachedIndex_ = -1;
    std::array<THook, hkCount> hooks_{};
};

} // namespace grid
