#pragma once
// TDataSet: the records of one source as controls and code walk and edit them.
//
// A data set has a current record (the cursor), a state (browse, edit, insert ...),
// and a window of buffered records around the cursor that data-aware controls show:
// BufferCount records (the largest count any link asks for), of which RecordCount are
// filled, ActiveRecord being the cursor's place in the window. Links are told when the
// window scrolls (and by how many records), when its records change, and when the
// state changes.
//
// Window rules:
//  - MoveBy/Next/Prior inside the window only change ActiveRecord (scroll distance 0);
//    past its edge the window moves just far enough (the cursor at that edge), and
//    links receive the distance. First puts the window at the start, Last at the end;
//    both are scrolls by the distance the window moved.
//  - GotoBookmark, Locate and RecNo jumps centre the cursor in the window unless it is
//    already inside; links receive a data-set-changed notice.
//  - Insert puts the new record at the cursor's place (the records below move down),
//    Append puts it last in the window; Post, Cancel and Delete keep the window where it
//    was as far as the records allow. Each of them sends a data-set-changed notice.
//  - An unchanged inserted record is dropped when the cursor leaves it; a changed one,
//    and an edited record, are posted (CheckBrowseMode).
//  - The window is kept full: when records run out below, it extends upwards.
//
// Rows come from a TRecordProvider (InternalOpen) fetched on demand, so opening a data
// set reads only the first window; RecordCount and Last read the rest.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/db/DBTypes.h"
#include "platform/db/Field.h"
#include "platform/db/FieldTypes.h"
#include "platform/db/RecordStore.h"
#include "platform/rtl/Component.h"
#include "platform/rtl/Exception.h"
#include "platform/rtl/Variant.h"

namespace db {

class TFilterExpression;

class TDataSet : public rtl::TComponent {
public:
    explicit TDataSet(rtl::TComponent* owner = nullptr);
    ~TDataSet() override;

    // --- opening
    void Open();
    void Close();
    bool GetActive() const { return state_ != dsInactive; }
    void SetActive(bool active) { active ? Open() : Close(); }
    TDataSetState State() const { return state_; }

    // --- fields. Fields added in code (persistent fields) are used as they are; without
    // any, one field per definition is created at Open and freed at Close.
    TFields& Fields() { return fields_; }
    const TFields& Fields() const { return fields_; }
    TFieldDefs& FieldDefs() { return fieldDefs_; }
    bool DefaultFields() const { return defaultFields_; }
    // Adds a persistent field owned by the data set (closed data set only); size -1
    // keeps the field's default.
    template <typename F>
    F* AddField(std::string name, TFieldKind kind = fkData, int size = -1)
    {
        checkNewField(name);
        F* field = new F(this);
        attachField(field, std::move(name), kind, size);
        return field;
    }
    TField* AddField(TFieldType type, std::string name, TFieldKind kind = fkData, int size = -1);
    // Closed data set only; frees the field when the data set owns it.
    void RemoveField(TField* field);
    TField* FindField(std::string_view name) const { return fields_.FindField(name); }
    TField* FieldByName(std::string_view name) const { return fields_.FieldByName(name); }
    // The fields of a ';'-separated list; raises "Field '%s' not found".
    std::vector<TField*> GetFieldList(std::string_view names) const;
    // The values of a ';'-list of fields: one value, or an array for several.
    rtl::Variant GetFieldValues(std::string_view names) const;
    void SetFieldValues(std::string_view names, const rtl::Variant& values);

    // --- navigation. Each first leaves edit or insert state (CheckBrowseMode).
    void First();
    void Last();
    void Next()
    {
        if (!quietNext()) MoveBy(1);
    }
    void Prior() { MoveBy(-1); }
    // Returns how many records the cursor moved (negative backwards).
    int MoveBy(int distance);
    bool Bof() const { return bof_; }
    bool Eof() const { return eof_; }
    bool IsEmpty() const { return recordCount_ == 0; }
    // 1-based position of the current record; -1 when there is none or it is being inserted.
    int GetRecNo() const;
    void SetRecNo(int recNo);
    // Records in the data set (reads all rows of an on-demand source).
    int RecordCount();
    // Whether RecNo and RecordCount number the records in sequence.
    virtual bool IsSequenced() const;

    // --- bookmarks: stable while the record exists. They compare in the order the records
    // were first fetched or posted, not in the order shown: a record inserted between two
    // others, a re-sorted or filtered view, change nothing in how two bookmarks compare.
    // So a list kept sorted by CompareBookmarks (a grid's selected rows) stays sorted and
    // searchable by halving while records come, go and move. A record being inserted has
    // none (""); the bookmark of a deleted record still compares by its place.
    TBookmark GetBookmark() const;
    void SetBookmark(const TBookmark& bookmark) { GotoBookmark(bookmark); }
    // Raises EDatabaseError "Record not found" for a bookmark that is not valid.
    void GotoBookmark(const TBookmark& bookmark);
    bool BookmarkValid(const TBookmark& bookmark);
    // <0, 0, >0; an empty bookmark comes before every other.
    int CompareBookmarks(const TBookmark& a, const TBookmark& b) const;
    // Where the bookmark's record stands among the records shown now, as RecNo counts
    // them (the order on screen, unlike CompareBookmarks); -1 when it is not shown.
    int RecNoOfBookmark(const TBookmark& bookmark);

    // --- master: the data source of the master data set in a master-detail pair; what
    // follows this data set (a grid's sum list) follows the master's scrolling through it.
    // A source of this data set itself: "Circular datalinks are not allowed".
    TDataSource* GetMasterSource() const { return masterSource_; }
    void SetMasterSource(TDataSource* source);
    void Notification(rtl::TComponent* component, rtl::TOperation operation) override;

    // --- editing
    void Edit();   // an empty data set inserts instead
    void Insert(); // a new record before the current one
    void Append(); // a new record after the last one (Eof is then True)
    void Post();
    void Cancel(); // an inserted record disappears
    void Delete(); // in insert state: Cancel
    // Posts a changed record, cancels an unchanged one (called before every move).
    void CheckBrowseMode();
    // Asks the controls to write their pending values into the fields.
    void UpdateRecord();
    bool Modified() const { return modified_; }
    bool CanModify() const { return GetActive() && GetCanModify(); }

    // --- controls. While disabled (nested), links hear nothing; the last
    // EnableControls sends one data-set-changed (or layout-changed) notice.
    void DisableControls();
    void EnableControls();
    bool ControlsDisabled() const { return disableCount_ > 0; }

    // --- searching. Key fields are a ';'-list; several keys are a Variant array.
    // loPartialKey: string fields start with the key; loCaseInsensitive: letters of
    // either case match. Locate makes the first match current; Lookup leaves the
    // cursor where it is and returns the result field(s) (Null when not found).
    bool Locate(std::string_view keyFields, const rtl::Variant& keyValues, TLocateOptions options = 0);
    rtl::Variant Lookup(std::string_view keyFields, const rtl::Variant& keyValues, std::string_view resultFields);

    // --- filtering. While Filtered, only records that the Filter text accepts (field
    // comparisons "NAME = 'x' AND (N > 2 OR N IS NULL)") and OnFilterRecord accepts are seen.
    const std::string& GetFilter() const { return filterText_; }
    void SetFilter(std::string text);
    bool GetFiltered() const { return filtered_; }
    void SetFiltered(bool filtered);

    // --- the record window (see above)
    int BufferCount() const { return bufferCount_; }
    // Index of the record fields read now within the window. Setting it reads another
    // buffered record without moving anything; callers set it back afterwards.
    int GetActiveRecord() const { return activeRecord_; }
    void SetActiveRecord(int index);
    // Buffered records in the window.
    int WindowRecordCount() const { return recordCount_; }

    // --- events
    TDataSetNotifyEvent BeforeOpen, AfterOpen, BeforeClose, AfterClose;
    TDataSetNotifyEvent BeforeInsert, AfterInsert, BeforeEdit, AfterEdit;
    TDataSetNotifyEvent BeforePost, AfterPost, BeforeCancel, AfterCancel;
    TDataSetNotifyEvent BeforeDelete, AfterDelete, BeforeScroll, AfterScroll;
    TDataSetNotifyEvent OnNewRecord, OnCalcFields;
    TFilterRecordEvent OnFilterRecord;

    // Where the fields read their values now.
    const TRecordRef& CurrentRecord() const { return read_; }
    const TRecordStore& Store() const { return store_; }

    void CheckActive() const;
    [[noreturn]] static void DatabaseError(const std::string& message);

protected:
    // Describes the rows (FieldDefs) and returns their provider (not owned; null for
    // rows that only live in memory). Called by Open.
    virtual TRecordProvider* InternalOpen() = 0;
    virtual void InternalClose() {}
    virtual bool GetCanModify() const { return true; }
    // For a data set that numbers its rows and reads any of them itself (IMemTableEx):
    // the rows fetched so far and the 1-based row of the current record (0: none), both
    // with a record being inserted where it stands; fetching up to count more rows (how
    // many came); and the fields reading a row as if it were current until EndReadRow
    // (nested reads end in reverse order; false, with nothing to end, outside the rows).
    int FetchedRowCount() const;
    int CurrentRow() const;
    int FetchRows(int count);
    bool BeginReadRow(int row);
    void EndReadRow();
    // Sends a notice to the data sources and their links.
    void DataEvent(TDataEvent event, std::intptr_t info);

    // clang-format off
    virtual void DoOnNewRecord() { if (OnNewRecord) OnNewRecord(this); }
    virtual void DoOnCalcFields() { if (OnCalcFields) OnCalcFields(this); }
    // clang-format on

private:
    friend class TField;
    friend class TDataSource;
    friend class TDataLink;
    friend class TFilterExpression;

    // Reads another record (and state) until it goes out of scope.
    struct ReadScope {
        TDataSet& ds;
        TDataSetState savedState;
        TRecordRef savedRead;
        explicit ReadScope(TDataSet& d) : ds(d), savedState(d.state_), savedRead(d.read_) {}
        // clang-format off
        ~ReadScope() { ds.state_ = savedState; ds.read_ = savedRead; }
        // clang-format on
        ReadScope(const ReadScope&) = delete;
        ReadScope& operator=(const ReadScope&) = delete;
    };

    struct CalcBuffer {
        TSlot slot = kNoSlot;
        std::uint64_t version = 0;
        std::vector<rtl::Variant> values;
    };

    // clang-format off
    void fire(const TDataSetNotifyEvent& e) { if (e) e(this); }
    // clang-format on
    // Next when nobody listens and nothing is calculated: the same step without the
    // notices. False when the general path must run.
    bool quietNext()
    {
        if (state_ != dsBrowse || eof_ || recordCount_ == 0 || !calcFields_.empty() || BeforeScroll || AfterScroll
            || (disableCount_ == 0 && !dataSources_.empty()))
            return false;
        std::size_t target = cursor() + 1;
        if (!viewFetch(target)) return false;
        bof_ = false;
        if (activeRecord_ + 1 < recordCount_) ++activeRecord_;
        else ++first_;
        read_.slot = viewSlot(target);
        return true;
    }
    void checkNewField(const std::string& name) const;
    void attachField(TField* field, std::string name, TFieldKind kind, int size);
    void fieldDestroyed(TField* field);
    void setState(TDataSetState state);
    void checkCanModify() const;
    void bindFields();
    void releaseFields();
    void prepareCalcFields();
    void notifyLayout(bool layout);
    void setFieldData(TField& field, const rtl::Variant& value);
    void checkRequiredFields();
    void beginInsert(bool append);
    void discardInsert();

    // visible rows
    std::size_t viewCount() const { return filterActive_ ? filteredRows_.size() : store_.Count(); }
    TSlot viewSlot(std::size_t i) const { return filterActive_ ? filteredRows_[i] : store_.SlotAt(i); }
    bool viewFetch(std::size_t i) { return filterActive_ ? viewFetchFiltered(i) : store_.Fetch(i); }
    bool viewFetchFiltered(std::size_t i);
    void viewFetchAll();
    std::size_t viewIndexOf(TSlot slot);
    void viewInsert(std::size_t i, TSlot slot);
    void viewErase(std::size_t i); // the row leaves the data set
    void rebuildFilter();
    void refilter();
    bool filterAccepts(TSlot slot);

    // the window
    std::size_t cursor() const { return first_ + static_cast<std::size_t>(activeRecord_); }
    // clang-format off
    enum class Place { Keep, Centre };
    // clang-format on
    // Puts target (a view index) in the window; returns how far the window moved.
    std::ptrdiff_t placeWindow(std::size_t target, Place place);
    void resyncAt(std::size_t target);
    void clearWindow();
    void syncRead();
    void updateBufferCount();
    void readSlot(TSlot slot, std::vector<rtl::Variant>& values) const;

    // calculated fields
    rtl::Variant* ensureCalc(int bufferIndex);
    // The calculated values of the record read now, computed first when they are due.
    rtl::Variant* dueCalc();
    void calculate(TSlot slot, const rtl::Variant* values, std::vector<rtl::Variant>& calc);
    void recalcEditRecord();

    // searching
    std::ptrdiff_t findRecord(const std::vector<TField*>& fields, const rtl::Variant& keyValues,
                              TLocateOptions options);
    void gotoView(std::size_t index);

    TFields fields_;
    TFieldDefs fieldDefs_;
    bool defaultFields_ = false;
    std::vector<TField*> calcFields_; // calculated and lookup fields, by calc index

    TDataSetState state_ = dsInactive;
    bool bof_ = true;
    bool eof_ = true;
    bool modified_ = false;
    TRecordStore store_;

    std::string filterText_;
    bool filtered_ = false;
    bool filterActive_ = false;
    std::unique_ptr<TFilterExpression> filterExpr_;
    std::vector<TSlot> filteredRows_;
    std::size_t filterScanned_ = 0; // store rows already judged

    std::size_t first_ = 0;
    int recordCount_ = 0;
    int activeRecord_ = 0;
    int bufferCount_ = 1;

    TSlot editSlot_ = kNoSlot;   // the record in edit or insert state
    TSlot returnSlot_ = kNoSlot; // current before Insert/Append (for Cancel)
    std::vector<rtl::Variant> editBuf_;
    std::vector<rtl::Variant> editCalc_;

    std::vector<CalcBuffer> calcBufs_;
    std::uint64_t calcVersion_ = 1;
    TRecordRef read_;

    // The record windows BeginReadRow stepped away from.
    struct TWindowPlace {
        std::size_t First;
        int RecordCount;
        int ActiveRecord;
    };
    std::vector<TWindowPlace> rowReads_;

    int disableCount_ = 0;
    TDataSetState disableState_ = dsInactive;
    TDataEvent enableEvent_ = deDataSetChange;
    std::vector<TDataSource*> dataSources_;
    TDataSource* masterSource_ = nullptr;
};

} // namespace db
