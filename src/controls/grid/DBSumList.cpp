// Totals over a data set's records, kept by a producer that holds the data set's events.
#include "controls/grid/DBSumList.h"

#include <algorithm>

#include "platform/db/DataSetScopes.h"
#include "platform/db/DataSource.h"
#include "platform/rtl/UpdateScope.h"

namespace grid {

// ---- TDBSum

TDBSum::TDBSum(rtl::TCollection* collection) : rtl::TCollectionItem(collection)
{
}

void TDBSum::Assign(const rtl::TPersistent* source)
{
    const auto* src = dynamic_cast<const TDBSum*>(source);
    if (!src) {
        rtl::TCollectionItem::Assign(source);
        return;
    }
    SetFieldName(src->fieldName_);
    SetGroupOperation(src->groupOperation_);
}

void TDBSum::SetFieldName(const std::string& value)
{
    if (value == fieldName_) return;
    fieldName_ = value;
    Changed(false);
}

void TDBSum::SetGroupOperation(TGroupOperation value)
{
    if (value == groupOperation_) return;
    groupOperation_ = value;
    Changed(false);
}

void TDBSum::ClearValues()
{
    sumValue_ = oldValue_ = total_ = {};
    oldFieldNull_ = true;
    count_ = 0;
}

// ---- TDBSumCollection

TDBSumCollection::TDBSumCollection(TDBSumListProducer& producer)
    : rtl::TCollection(ItemClass<TDBSum>()), producer_(producer)
{
}

TDBSum* TDBSumCollection::Find(TGroupOperation operation, const std::string& fieldName) const
{
    for (int i = 0; i < Count(); ++i) {
        TDBSum* sum = Items(i);
        if (sum->GetGroupOperation() == operation && rtl::AnsiSameText(sum->GetFieldName(), fieldName)) return sum;
    }
    return nullptr;
}

void TDBSumCollection::Update(rtl::TCollectionItem*)
{
    if (!producer_.ownerLoading() && !producer_.ownerDestroying() && !producer_.freeingSum_) producer_.RecalcAll();
}

void TDBSumCollection::Notify(rtl::TCollectionItem* item, rtl::TCollectionNotification action)
{
    rtl::TCollection::Notify(item, action);
    if (action != rtl::cnAdded) producer_.SumRemoving(item);
}

// ---- reading the records

namespace {

// How a field's value becomes an amount: whole numbers and fixed-point amounts exactly,
// other numbers by their decimal text; text and the rest of the types are not summed.
// Every number type is summed, large integers too, and dates as their day numbers: the
// list keeps every total asked of it; which types a footer or an export shows a total
// of is theirs to say (SumAmountText, TDBGridExExport::FooterTotalText).
enum class TValueKind { Whole,
                        Fixed,
                        Float,
                        None };

TValueKind KindOf(const db::TField& field)
{
    switch (field.DataType()) {
    case db::ftSmallint:
    case db::ftInteger:
    case db::ftWord:
    case db::ftAutoInc:
    case db::ftLargeint: return TValueKind::Whole;
    case db::ftBCD:
    case db::ftFMTBcd: return TValueKind::Fixed;
    case db::ftFloat:
    case db::ftCurrency:
    case db::ftDate:
    case db::ftTime:
    case db::ftDateTime:
    case db::ftTimeStamp: return TValueKind::Float;
    default: return TValueKind::None;
    }
}

// A field's value in the current record.
struct TReading {
    bool Null = true;
    TDBSumAmount Value;
};

inline __attribute__((always_inline)) TDBSumAmount AmountOf(const db::TField& field, TValueKind kind)
{
    switch (kind) {
    case TValueKind::Whole: return TDBSumAmount::FromInteger(field.GetAsLargeInt());
    case TValueKind::Fixed: return TDBSumAmount::FromCurrency(field.GetAsCurrency());
    case TValueKind::Float: return TDBSumAmount::FromDouble(field.GetAsFloat());
    case TValueKind::None: break;
    }
    return {};
}

TReading Read(const db::TField* field)
{
    TReading reading;
    if (!field || field->IsNull()) return reading;
    reading.Null = false;
    reading.Value = AmountOf(*field, KindOf(*field));
    return reading;
}

const TDBSumAmount kOneRecord = TDBSumAmount::FromInteger(1);

// A total's field for the updates between walks; a field the data set lacks is reported by
// the walk, not by every edit, post and delete (the post has already been written).
const db::TField* UpdatedField(const db::TDataSet& dataSet, const std::string& fieldName, bool& missing)
{
    const db::TField* field = fieldName.empty() ? nullptr : dataSet.FindField(fieldName);
    missing = !fieldName.empty() && !field;
    return field;
}

// A field the walk reads once per record: the total and the number of its values, from
// which every sum, average and count over it follows.
struct TWalkField {
    const db::TField* Field;
    TValueKind Kind;
    TDBSumAmount Total;
    std::int64_t Values = 0;
};

} // namespace

bool IsSummedField(const db::TField& field)
{
    return KindOf(field) != TValueKind::None;
}

TDBSumAmount FieldAmount(const db::TField& field)
{
    return Read(&field).Value;
}

// ---- TDBSumListProducer

// Hears when the data set or its master goes away.
class TDBSumListProducer::TWatcher : public rtl::TComponent {
public:
    explicit TWatcher(TDBSumListProducer& producer) : rtl::TComponent(nullptr), producer_(producer) {}
    void Notification(rtl::TComponent* component, rtl::TOperation operation) override
    {
        rtl::TComponent::Notification(component, operation);
        if (operation == rtl::opRemove) producer_.dataSetGone(component);
    }

private:
    TDBSumListProducer& producer_;
};

TDBSumListProducer::TDBSumListProducer(rtl::TComponent* owner)
{
    owner_ = owner;
    sumCollection_ = std::make_unique<TDBSumCollection>(*this);
    watcher_ = std::make_unique<TWatcher>(*this);
}

TDBSumListProducer::~TDBSumListProducer()
{
    for (THook& hook : hooks_) unhook(hook);
    watcher_.reset();
    sumCollection_.reset();
}

// Every hook of every producer, so that one that goes can give its saved handler to the
// producer that chained its own after it.
std::vector<TDBSumListProducer::THook*>& TDBSumListProducer::HookRegistry()
{
    static std::vector<THook*> hooks;
    return hooks;
}

void TDBSumListProducer::Assign(const rtl::TPersistent* source)
{
    const auto* src = dynamic_cast<const TDBSumListProducer*>(source);
    if (!src) {
        rtl::TPersistent::Assign(source);
        return;
    }
    SetExternalRecalc(src->externalRecalc_);
    SetVirtualRecords(src->virtualRecords_);
    SetActive(src->active_);
}

bool TDBSumListProducer::ownerLoading() const
{
    return owner_ && owner_->HasState(rtl::csLoading);
}

bool TDBSumListProducer::ownerDestroying() const
{
    return owner_ && owner_->HasState(rtl::csDestroying);
}

void TDBSumListProducer::fire(const rtl::TNotifyEvent& event)
{
    if (event && !ownerDestroying()) event(owner_);
}

void TDBSumListProducer::SumsChanged()
{
    fire(SumListChanged);
}

void TDBSumListProducer::SumRemoving(const rtl::TCollectionItem*)
{
}

void TDBSumListProducer::FreeSum(TDBSum* sum)
{
    const rtl::TFlagScope freeing(freeingSum_);
    delete sum;
}

void TDBSumListProducer::SetActive(bool value)
{
    if (!value) {
        if (!active_ && !hooked_) return;
        active_ = false;
        deactivate();
        return;
    }
    active_ = true;
    if (!ownerLoading()) activate();
}

void TDBSumListProducer::activate()
{
    if (!dataSet_ || hooked_) return;
    SetDataSetEvents();
    RecalcAll();
}

void TDBSumListProducer::deactivate()
{
    ResetDataSetEvents();
    bookmarks_.clear();
    pendingInsert_ = recalcPending_ = false;
    ClearSumValues();
}

void TDBSumListProducer::SetDataSet(db::TDataSet* value)
{
    if (value == dataSet_) return;
    if (!ownerLoading()) deactivate();
    if (dataSet_) watcher_->RemoveFreeNotification(dataSet_);
    dataSet_ = value;
    if (dataSet_) watcher_->FreeNotification(dataSet_);
    if (active_ && !ownerLoading()) activate();
}

void TDBSumListProducer::dataSetGone(rtl::TComponent* component)
{
    // The data set is half destroyed: its events are forgotten, not written.
    auto forget = [](THook& hook) {
        std::erase(HookRegistry(), &hook);
        hook = THook{};
    };
    if (component == masterDataSet_) {
        forget(hooks_[hkMasterAfterScroll]);
        masterDataSet_ = nullptr;
    }
    if (component != dataSet_) return;
    for (THook& hook : hooks_)
        if (hook.DataSet == dataSet_) forget(hook);
    ResetDataSetEvents();
    dataSet_ = nullptr;
    bookmarks_.clear();
    ClearSumValues();
}

void TDBSumListProducer::SetExternalRecalc(bool value)
{
    if (value == externalRecalc_) return;
    externalRecalc_ = value;
    RecalcAll();
}

void TDBSumListProducer::SetVirtualRecords(bool value)
{
    if (value == virtualRecords_) return;
    virtualRecords_ = value;
    if (value) RecalcAll();
}

// ---- the data set's events

void TDBSumListProducer::hook(THookIndex index, db::TDataSet& dataSet, db::TDataSetNotifyEvent db::TDataSet::*event,
                              void (TDBSumListProducer::*handler)(db::TDataSet*))
{
    THook& hook = hooks_[index];
    hook.DataSet = &dataSet;
    hook.Event = event;
    hook.Own = db::TDataSetNotifyEvent(this, handler);
    hook.Saved = dataSet.*event;
    dataSet.*event = hook.Own;
    HookRegistry().push_back(&hook);
}

void TDBSumListProducer::unhook(THook& hook)
{
    if (!hook.DataSet) return;
    db::TDataSetNotifyEvent& event = hook.DataSet->*hook.Event;
    if (event == hook.Own) {
        event = hook.Saved;
    } else {
        // Another producer chained its handler after this one: it calls the saved one now.
        for (THook* other : HookRegistry())
            if (other != &hook && other->DataSet == hook.DataSet && other->Event == hook.Event
                && other->Saved == hook.Own) {
                other->Saved = hook.Saved;
                break;
            }
    }
    std::erase(HookRegistry(), &hook);
    hook = THook{};
}

void TDBSumListProducer::SetDataSetEvents()
{
    if (hooked_ || !dataSet_) return;
    db::TDataSet& ds = *dataSet_;
    using P = TDBSumListProducer;
    hook(hkAfterOpen, ds, &db::TDataSet::AfterOpen, &P::DataSetAfterOpen);
    hook(hkAfterClose, ds, &db::TDataSet::AfterClose, &P::DataSetAfterClose);
    hook(hkAfterInsert, ds, &db::TDataSet::AfterInsert, &P::DataSetAfterInsert);
    hook(hkAfterEdit, ds, &db::TDataSet::AfterEdit, &P::DataSetAfterEdit);
    hook(hkAfterPost, ds, &db::TDataSet::AfterPost, &P::DataSetAfterPost);
    hook(hkAfterCancel, ds, &db::TDataSet::AfterCancel, &P::DataSetAfterCancel);
    hook(hkBeforeDelete, ds, &db::TDataSet::BeforeDelete, &P::DataSetBeforeDelete);
    hook(hkAfterScroll, ds, &db::TDataSet::AfterScroll, &P::DataSetAfterScroll);
    const db::TDataSource* master = ds.GetMasterSource();
    if (master && master->GetDataSet()) {
        masterDataSet_ = master->GetDataSet();
        watcher_->FreeNotification(masterDataSet_);
        hook(hkMasterAfterScroll, *masterDataSet_, &db::TDataSet::AfterScroll, &P::MasterDataSetAfterScroll);
    }
    hooked_ = true;
}

void TDBSumListProducer::ResetDataSetEvents()
{
    for (THook& hook : hooks_) unhook(hook);
    if (masterDataSet_) watcher_->RemoveFreeNotification(masterDataSet_);
    masterDataSet_ = nullptr;
    hooked_ = false;
}

void TDBSumListProducer::callSaved(THookIndex index, db::TDataSet* dataSet) const
{
    const db::TDataSetNotifyEvent saved = hooks_[index].Saved;
    if (saved) saved(dataSet);
}

template <typename F>
void TDBSumListProducer::thenSaved(THookIndex index, db::TDataSet* dataSet, F update)
{
    const rtl::TScopeExit saved([&] { callSaved(index, dataSet); });
    if (active_) update();
}

void TDBSumListProducer::DataSetAfterOpen(db::TDataSet* DataSet)
{
    thenSaved(hkAfterOpen, DataSet, [this] { RecalcAll(); });
}

void TDBSumListProducer::DataSetAfterClose(db::TDataSet* DataSet)
{
    thenSaved(hkAfterClose, DataSet, [this] {
        recalculating_ = false;
        pendingInsert_ = recalcPending_ = false;
        bookmarks_.clear();
        ClearSumValues();
    });
}

void TDBSumListProducer::DataSetAfterEdit(db::TDataSet* DataSet)
{
    thenSaved(hkAfterEdit, DataSet, [this] {
        editedSlot_ = dataSet_->CurrentRecord().slot;
        editedBookmark_ = dataSet_->GetBookmark();
        for (int i = 0; i < sumCollection_->Count(); ++i) {
            TDBSum& sum = *sumCollection_->Items(i);
            bool missing;
            const db::TField* field = UpdatedField(*dataSet_, sum.fieldName_, missing);
            if (!sum.IsWalked() || missing) continue;
            const TReading now = Read(field);
            sum.oldFieldNull_ = now.Null;
            if (sum.groupOperation_ == goCount) sum.oldValue_ = field && now.Null ? TDBSumAmount() : kOneRecord;
            else sum.oldValue_ = now.Value;
        }
    });
}

void TDBSumListProducer::DataSetAfterInsert(db::TDataSet* DataSet)
{
    thenSaved(hkAfterInsert, DataSet, [this] {
        editedSlot_ = dataSet_->CurrentRecord().slot;
        editedBookmark_.clear();
        // The new record is in no total yet.
        for (int i = 0; i < sumCollection_->Count(); ++i) {
            TDBSum& sum = *sumCollection_->Items(i);
            sum.oldValue_ = {};
            sum.oldFieldNull_ = true;
        }
        // It joins the virtual records when it is posted, so that a cancelled one never does.
        pendingInsert_ = virtualRecordsInUse();
    });
}

void TDBSumListProducer::DataSetAfterPost(db::TDataSet* DataSet)
{
    thenSaved(hkAfterPost, DataSet, [this] {
        if (recalcPending_) {
            RecalcAll();
            return;
        }
        // A record the data set's filter no longer accepts has left it.
        const bool present = editedSlot_ != db::kNoSlot && dataSet_->CurrentRecord().slot == editedSlot_;
        addPosted(present);
        if (virtualRecordsInUse()) {
            if (pendingInsert_ && present) insertBookmark(dataSet_->GetBookmark());
            if (!present && !editedBookmark_.empty()) removeBookmark(editedBookmark_);
        }
        pendingInsert_ = false;
        editedSlot_ = db::kNoSlot;
        SumsChanged();
    });
}

void TDBSumListProducer::addPosted(bool present)
{
    for (int i = 0; i < sumCollection_->Count(); ++i) {
        TDBSum& sum = *sumCollection_->Items(i);
        bool missing;
        const db::TField* field = UpdatedField(*dataSet_, sum.fieldName_, missing);
        if (!sum.IsWalked() || missing) continue;
        const TReading now = present ? Read(field) : TReading{};
        switch (sum.groupOperation_) {
        case goSum:
            sum.sumValue_ -= sum.oldValue_;
            sum.sumValue_ += now.Value;
            sum.oldValue_ = now.Value;
            break;
        case goAvg:
            if (now.Null) {
                if (!sum.oldFieldNull_) --sum.count_;
            } else if (sum.oldFieldNull_) {
                ++sum.count_;
            }
            sum.total_ -= sum.oldValue_;
            sum.total_ += now.Value;
            sum.sumValue_ = sum.total_.DividedBy(sum.count_);
            sum.oldValue_ = now.Value;
            break;
        case goCount: {
            const bool counted = present && !(field && now.Null);
            sum.sumValue_ -= sum.oldValue_;
            sum.oldValue_ = counted ? kOneRecord : TDBSumAmount();
            sum.sumValue_ += sum.oldValue_;
            break;
        }
        }
        sum.oldFieldNull_ = now.Null;
    }
}

void TDBSumListProducer::DataSetAfterCancel(db::TDataSet* DataSet)
{
    callSaved(hkAfterCancel, DataSet);
    if (!active_) return;
    pendingInsert_ = false;
    editedSlot_ = db::kNoSlot;
    if (recalcPending_) RecalcAll();
}

void TDBSumListProducer::DataSetBeforeDelete(db::TDataSet* DataSet)
{
    callSaved(hkBeforeDelete, DataSet);
    if (!active_ || recalcPending_) return;
    takeOutCurrent();
    if (virtualRecordsInUse()) removeBookmark(dataSet_->GetBookmark());
    SumsChanged();
}

void TDBSumListProducer::takeOutCurrent()
{
    // A record deleted while it is edited is in the totals as it was before the edit.
    const bool edited = dataSet_->State() == db::dsEdit && editedSlot_ != db::kNoSlot;
    for (int i = 0; i < sumCollection_->Count(); ++i) {
        TDBSum& sum = *sumCollection_->Items(i);
        bool missing;
        const db::TField* field = UpdatedField(*dataSet_, sum.fieldName_, missing);
        if (!sum.IsWalked() || missing) continue;
        TReading was = edited ? TReading{sum.oldFieldNull_, sum.oldValue_} : Read(field);
        switch (sum.groupOperation_) {
        case goSum: sum.sumValue_ -= was.Value; break;
        case goAvg:
            if (!was.Null) {
                sum.total_ -= was.Value;
                --sum.count_;
            }
            sum.sumValue_ = sum.total_.DividedBy(sum.count_);
            break;
        case goCount:
            if (edited) sum.sumValue_ -= sum.oldValue_;
            else if (!(field && was.Null)) sum.sumValue_ -= kOneRecord;
            break;
        }
        sum.oldValue_ = {};
        sum.oldFieldNull_ = true;
    }
    editedSlot_ = db::kNoSlot;
}

void TDBSumListProducer::DataSetAfterScroll(db::TDataSet* DataSet)
{
    callSaved(hkAfterScroll, DataSet);
    if (!active_ || recalculating_ || !dataSet_) return;
    if (recalcPending_) {
        if (!db::IsEditState(dataSet_->State())) RecalcAll();
        return;
    }
    const bool filtered = dataSet_->GetFiltered();
    if ((filtered && dataSet_->GetFilter() != filterText_) || filtered != filtered_) RecalcAll();
}

void TDBSumListProducer::MasterDataSetAfterScroll(db::TDataSet* DataSet)
{
    callSaved(hkMasterAfterScroll, DataSet);
    if (active_ && !recalculating_) RecalcAll();
}

// ---- recalculation

void TDBSumListProducer::ClearSumValues()
{
    for (int i = 0; i < sumCollection_->Count(); ++i) sumCollection_->Items(i)->ClearValues();
    SumsChanged();
}

void TDBSumListProducer::RecalcAll()
{
    if (ownerLoading() || !active_ || !dataSet_ || !dataSet_->GetActive() || !hooked_ || recalculating_) return;
    // Moving off a record that is being edited would post it: the totals wait for it.
    if (db::IsEditState(dataSet_->State())) {
        recalcPending_ = true;
        return;
    }
    recalcPending_ = false;
    ClearSumValues();
    cachedIndex_ = -1;
    fire(OnRecalcAll);
    try {
        walkAndAnnounce();
    } catch (...) {
        // The totals of a walk that failed are not shown.
        ClearSumValues();
        throw;
    }
    SumsChanged();
}

void TDBSumListProducer::walkAndAnnounce()
{
    // Whatever happens, the flag goes down and the filter the totals were made for is
    // remembered (so that a failing walk is not repeated on every scroll).
    const rtl::TScopeExit end([this] {
        recalculating_ = false;
        if (dataSet_) {
            filterText_ = dataSet_->GetFilter();
            filtered_ = dataSet_->GetFiltered();
        }
    });
    if (!externalRecalc_) walk();
    fire(OnAfterRecalcAll);
}

void TDBSumListProducer::walk()
{
    db::TDataSet& ds = *dataSet_;
    const bool collectBookmarks = virtualRecords_ && !ds.IsSequenced();
    std::vector<TDBSum*> sums;
    for (int i = 0; i < sumCollection_->Count(); ++i)
        if (sumCollection_->Items(i)->IsWalked()) sums.push_back(sumCollection_->Items(i));
    if (sums.empty() && !collectBookmarks) return;

    db::TDisableControlsScope controls(ds);
    // This list passes its data set's scrolls by while it walks: the walk gives the data
    // set the handler it had, so that it moves on without calling this one.
    struct TWalkScrolls {
        db::TDataSet& dataSet;
        const THook& hook;
        const bool swapped = dataSet.AfterScroll == hook.Own;
        TWalkScrolls(db::TDataSet& d, const THook& h) : dataSet(d), hook(h)
        {
            if (swapped) dataSet.AfterScroll = hook.Saved;
        }
        ~TWalkScrolls()
        {
            if (swapped) dataSet.AfterScroll = hook.Own;
        }
    } scrolls(ds, hooks_[hkAfterScroll]);
    bookmarks_.clear();
    recalculating_ = true;
    // Each field is read once per record, whatever the number of totals over it.
    std::vector<TWalkField> fields;
    std::vector<int> fieldOfSum;
    for (TDBSum* sum : sums) {
        const db::TField* field = sum->fieldName_.empty() ? nullptr : ds.FieldByName(sum->fieldName_);
        auto known = std::find_if(fields.begin(), fields.end(), [&](const TWalkField& f) { return f.Field == field; });
        if (!field) fieldOfSum.push_back(-1);
        else if (known != fields.end()) fieldOfSum.push_back(static_cast<int>(known - fields.begin()));
        else {
            fieldOfSum.push_back(static_cast<int>(fields.size()));
            fields.push_back({field, KindOf(*field), {}});
        }
    }

    db::TBookmarkScope position(ds);
    bool inOrder = true;
    std::int64_t records = 0;
    for (ds.First(); !ds.Eof(); ds.Next()) {
        ++records;
        for (TWalkField& field : fields)
            if (!field.Field->IsNull()) {
                ++field.Values;
                field.Total += AmountOf(*field.Field, field.Kind);
            }
        if (collectBookmarks) {
            bookmarks_.push_back(ds.GetBookmark());
            const std::size_t n = bookmarks_.size();
            if (n > 1 && ds.CompareBookmarks(bookmarks_[n - 2], bookmarks_[n - 1]) >= 0) inOrder = false;
        }
    }
    ds.First();
    position.Release();
    if (!inOrder)
        std::sort(bookmarks_.begin(), bookmarks_.end(),
                  [&ds](const db::TBookmark& a, const db::TBookmark& b) { return ds.CompareBookmarks(a, b) < 0; });
    for (std::size_t i = 0; i < sums.size(); ++i) {
        TDBSum& sum = *sums[i];
        const TWalkField* field = fieldOfSum[i] < 0 ? nullptr : &fields[static_cast<std::size_t>(fieldOfSum[i])];
        switch (sum.groupOperation_) {
        case goSum: sum.sumValue_ = field ? field->Total : TDBSumAmount(); break;
        case goAvg:
            sum.total_ = field ? field->Total : TDBSumAmount();
            sum.count_ = field ? static_cast<int>(field->Values) : 0;
            sum.sumValue_ = sum.total_.DividedBy(sum.count_);
            break;
        case goCount: sum.sumValue_ = TDBSumAmount::FromInteger(field ? field->Values : records); break;
        }
    }
}

// ---- virtual records

bool TDBSumListProducer::virtualRecordsInUse() const
{
    return active_ && virtualRecords_ && dataSet_ && !dataSet_->IsSequenced();
}

int TDBSumListProducer::IndexOfBookmark(const db::TBookmark& bookmark) const
{
    if (!dataSet_ || bookmark.empty() || bookmarks_.empty()) return -1;
    const int count = static_cast<int>(bookmarks_.size());
    if (cachedIndex_ >= 0 && cachedIndex_ < count && bookmarks_[static_cast<std::size_t>(cachedIndex_)] == bookmark)
        return cachedIndex_;
    const db::TDataSet& ds = *dataSet_;
    const auto at = std::lower_bound(bookmarks_.begin(), bookmarks_.end(), bookmark,
                                     [&ds](const db::TBookmark& a, const db::TBookmark& b) {
                                         return ds.CompareBookmarks(a, b) < 0;
                                     });
    if (at == bookmarks_.end() || ds.CompareBookmarks(*at, bookmark) != 0) return -1;
    cachedIndex_ = static_cast<int>(at - bookmarks_.begin());
    return cachedIndex_;
}

void TDBSumListProducer::insertBookmark(const db::TBookmark& bookmark)
{
    if (bookmark.empty()) return;
    const db::TDataSet& ds = *dataSet_;
    const auto at = std::lower_bound(bookmarks_.begin(), bookmarks_.end(), bookmark,
                                     [&ds](const db::TBookmark& a, const db::TBookmark& b) {
                                         return ds.CompareBookmarks(a, b) < 0;
                                     });
    if (at != bookmarks_.end() && ds.CompareBookmarks(*at, bookmark) == 0) return;
    cachedIndex_ = static_cast<int>(bookmarks_.insert(at, bookmark) - bookmarks_.begin());
}

void TDBSumListProducer::removeBookmark(const db::TBookmark& bookmark)
{
    const int index = IndexOfBookmark(bookmark);
    if (index < 0) return;
    bookmarks_.erase(bookmarks_.begin() + index);
    cachedIndex_ = -1;
}

int TDBSumListProducer::RecNo() const
{
    if (!dataSet_) return -1;
    if (!virtualRecordsInUse()) return dataSet_->GetRecNo();
    return IndexOfBookmark(dataSet_->GetBookmark()) + 1;
}

void TDBSumListProducer::SetRecNo(int recNo)
{
    if (!dataSet_) return;
    if (!virtualRecordsInUse()) {
        dataSet_->SetRecNo(recNo);
        return;
    }
    if (recNo >= 1 && recNo <= static_cast<int>(bookmarks_.size()))
        dataSet_->GotoBookmark(bookmarks_[static_cast<std::size_t>(recNo - 1)]);
}

int TDBSumListProducer::RecordCount() const
{
    if (!dataSet_ || !dataSet_->GetActive()) return 0;
    if (virtualRecordsInUse()) return static_cast<int>(bookmarks_.size());
    return dataSet_->RecordCount();
}

bool TDBSumListProducer::IsSequenced() const
{
    if (!dataSet_) return false;
    if (dataSet_->IsSequenced()) return true;
    return active_ && virtualRecords_ && (!bookmarks_.empty() || (dataSet_->Bof() && dataSet_->Eof()));
}

} // namespace grid
