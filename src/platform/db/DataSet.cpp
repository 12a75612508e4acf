// TDataSet: opening and closing, fields, state, editing and notices.
// Navigation and the record window are in DataSetNavigation.cpp, searching and
// filtering in DataSetSearch.cpp.
#include "platform/db/DataSet.h"

#include <algorithm>

#include "platform/db/DBConsts.h"
#include "platform/db/DataSource.h"
#include "platform/db/FilterExpression.h"

namespace db {

using rtl::Format;

TDataSet::TDataSet(rtl::TComponent* owner) : rtl::TComponent(owner) {}

TDataSet::~TDataSet()
{
    Destroying();
    // A subclass closes in its own destructor (InternalClose is no longer reachable here).
    if (GetActive()) {
        state_ = dsInactive;
        store_.Close();
    }
    std::vector<TDataSource*> sources = dataSources_;
    for (TDataSource* s : sources) s->SetDataSet(nullptr);
    for (TField* f : fields_.list_) {
        f->dataSet_ = nullptr;
        f->ref_ = nullptr;
    }
    fields_.list_.clear();
    calcFields_.clear();
    DestroyComponents(); // owned fields go while this object is still whole
}

void TDataSet::DatabaseError(const std::string& message)
{
    throw rtl::EDatabaseError(message);
}

void TDataSet::CheckActive() const
{
    if (state_ == dsInactive) DatabaseError(msg::DataSetClosed);
}

void TDataSet::checkCanModify() const
{
    if (!CanModify()) DatabaseError(msg::DataSetReadOnly);
}

// --- fields

void TDataSet::checkNewField(const std::string& name) const
{
    if (GetActive()) DatabaseError(msg::DataSetOpen);
    if (FindField(name)) DatabaseError(Format(msg::DuplicateFieldName, name));
}

void TDataSet::attachField(TField* field, std::string name, TFieldKind kind, int size)
{
    field->fieldName_ = std::move(name);
    field->fieldKind_ = kind;
    if (size >= 0) field->size_ = size;
    field->dataSet_ = this;
    field->ref_ = &read_;
    fields_.list_.push_back(field);
}

TField* TDataSet::AddField(TFieldType type, std::string name, TFieldKind kind, int size)
{
    checkNewField(name);
    TField* field = CreateFieldOfType(type, this);
    attachField(field, std::move(name), kind, size);
    return field;
}

void TDataSet::RemoveField(TField* field)
{
    if (GetActive()) DatabaseError(msg::DataSetOpen);
    if (field->GetOwner() == this) delete field;
    else field->SetDataSet(nullptr);
}

void TDataSet::fieldDestroyed(TField* field)
{
    auto& list = fields_.list_;
    list.erase(std::remove(list.begin(), list.end(), field), list.end());
    for (TField*& f : calcFields_)
        if (f == field) f = nullptr;
    field->dataSet_ = nullptr;
    field->ref_ = nullptr;
}

std::vector<TField*> TDataSet::GetFieldList(std::string_view names) const
{
    std::vector<TField*> out;
    for (const std::string& n : SplitFieldNames(names)) out.push_back(FieldByName(n));
    return out;
}

rtl::Variant TDataSet::GetFieldValues(std::string_view names) const
{
    std::vector<TField*> list = GetFieldList(names);
    if (list.size() == 1) return list[0]->GetValue();
    std::vector<rtl::Variant> values;
    for (TField* f : list) values.push_back(f->GetValue());
    return rtl::VarArrayOf(values);
}

void TDataSet::SetFieldValues(std::string_view names, const rtl::Variant& values)
{
    std::vector<TField*> list = GetFieldList(names);
    if (list.size() == 1) {
        list[0]->SetValue(values);
        return;
    }
    if (!values.IsArray() || values.ElementCount() != static_cast<int>(list.size()))
        DatabaseError(Format("%d values expected for the fields '%s'", static_cast<int>(list.size()), names));
    for (std::size_t i = 0; i < list.size(); ++i)
        list[i]->SetValue(values[values.LowBound() + static_cast<int>(i)]);
}

void TDataSet::bindFields()
{
    if (fields_.list_.empty()) {
        for (int i = 0; i < fieldDefs_.Count(); ++i) {
            const TFieldDef& def = fieldDefs_[i];
            TField* f = CreateFieldOfType(def.DataType, this);
            if (StorageOf(def.DataType) == TStorage::String || def.DataType == ftBCD || def.DataType == ftFMTBcd)
                f->size_ = def.Size;
            if (def.Precision > 0) f->precision_ = def.Precision;
            f->required_ = def.Required;
            attachField(f, def.Name, fkData, -1);
        }
        defaultFields_ = true;
    }
    for (TField* f : fields_.list_) {
        f->column_ = -1;
        f->calcIndex_ = -1;
        if (f->fieldKind_ != fkData) continue;
        int idx = fieldDefs_.IndexOf(f->fieldName_);
        if (idx < 0) DatabaseError(Format(msg::FieldNotFound, f->fieldName_));
        TFieldType actual = fieldDefs_[idx].DataType;
        if (StorageOf(actual) != StorageOf(f->dataType_))
            DatabaseError(Format(msg::FieldTypeMismatch, f->fieldName_, FieldTypeName(f->dataType_),
                                 FieldTypeName(actual)));
        f->column_ = idx;
    }
}

void TDataSet::releaseFields()
{
    if (defaultFields_) {
        std::vector<TField*> list = fields_.list_;
        for (TField* f : list) delete f;
        defaultFields_ = false;
    }
    for (TField* f : fields_.list_) {
        f->column_ = -1;
        f->calcIndex_ = -1;
        f->stored_ = nullptr;
    }
    calcFields_.clear();
}

void TDataSet::prepareCalcFields()
{
    calcFields_.clear();
    for (TField* f : fields_.list_) {
        if (f->fieldKind_ == fkData) continue;
        if (f->fieldKind_ == fkLookup) {
            if (f->keyFields_.empty() || !f->lookupDataSet_ || f->lookupKeyFields_.empty()
                || f->lookupResultField_.empty())
                DatabaseError(Format(msg::LookupInfoError, f->DisplayName()));
            if (f->lookupDataSet_ == this) DatabaseError(msg::CircularDataLink);
            GetFieldList(f->keyFields_);
        }
        f->calcIndex_ = static_cast<int>(calcFields_.size());
        calcFields_.push_back(f);
    }
}

// --- opening

void TDataSet::Open()
{
    if (GetActive()) return;
    fire(BeforeOpen);
    try {
        TRecordProvider* provider = InternalOpen();
        bindFields();
        prepareCalcFields();
        store_.Open(fieldDefs_, provider);
        for (TField* f : fields_.list_)
            if (f->column_ >= 0) f->stored_ = &store_.ColumnAt(f->column_);
        if (filtered_ && filterExpr_) filterExpr_->Bind(*this);
        filterActive_ = filtered_;
        filteredRows_.clear();
        filterScanned_ = 0;
        editSlot_ = returnSlot_ = kNoSlot;
        state_ = dsBrowse;
        modified_ = false;
        read_ = TRecordRef{};
        read_.store = &store_;
        updateBufferCount();
        calcBufs_.assign(static_cast<std::size_t>(bufferCount_), CalcBuffer{});
        clearWindow();
        if (viewFetch(0)) placeWindow(0, Place::Keep);
        bof_ = true;
        eof_ = recordCount_ == 0;
        syncRead();
    } catch (...) {
        state_ = dsInactive;
        store_.Close();
        releaseFields();
        clearWindow();
        read_ = TRecordRef{};
        InternalClose();
        throw;
    }
    state_ = dsInactive;
    setState(dsBrowse);
    fire(AfterOpen);
    fire(AfterScroll);
}

void TDataSet::Close()
{
    if (!GetActive()) return;
    fire(BeforeClose);
    editSlot_ = returnSlot_ = kNoSlot;
    setState(dsInactive);
    clearWindow();
    rowReads_.clear();
    read_ = TRecordRef{};
    editBuf_.clear();
    editCalc_.clear();
    calcBufs_.clear();
    filteredRows_.clear();
    filterScanned_ = 0;
    store_.Close();
    InternalClose();
    releaseFields();
    bof_ = eof_ = true;
    fire(AfterClose);
}

// --- state and notices

void TDataSet::setState(TDataSetState state)
{
    if (state_ == state) return;
    state_ = state;
    modified_ = false;
    syncRead();
    DataEvent(deUpdateState, 0);
}

void TDataSet::DataEvent(TDataEvent event, std::intptr_t info)
{
    if (event == deFieldChange) {
        TField* f = reinterpret_cast<TField*>(info);
        if (f->fieldKind_ == fkData) modified_ = true;
        recalcEditRecord();
    }
    if (disableCount_ == 0) {
        // Index loop: a handler may attach or detach data sources.
        for (std::size_t i = 0; i < dataSources_.size(); ++i) dataSources_[i]->dataEvent(event, info);
    } else if (event == deLayoutChange || (event == deUpdateState && state_ == dsInactive)) {
        enableEvent_ = deLayoutChange;
    }
}

void TDataSet::SetMasterSource(TDataSource* source)
{
    if (source == masterSource_) return;
    if (source && source->GetDataSet() == this) DatabaseError(msg::CircularDataLink);
    if (masterSource_) RemoveFreeNotification(masterSource_);
    masterSource_ = source;
    if (source) FreeNotification(source);
}

void TDataSet::Notification(rtl::TComponent* component, rtl::TOperation operation)
{
    rtl::TComponent::Notification(component, operation);
    if (operation == rtl::opRemove && component == masterSource_) masterSource_ = nullptr;
}

void TDataSet::notifyLayout(bool layout)
{
    DataEvent(layout ? deLayoutChange : deDataSetChange, 0);
}

void TDataSet::DisableControls()
{
    if (disableCount_ == 0) {
        disableState_ = state_;
        enableEvent_ = deDataSetChange;
        for (std::size_t i = 0; i < dataSources_.size(); ++i) dataSources_[i]->dataEvent(deDisabledStateChange, 0);
    }
    ++disableCount_;
}

void TDataSet::EnableControls()
{
    if (disableCount_ == 0) return;
    if (--disableCount_ > 0) return;
    for (std::size_t i = 0; i < dataSources_.size(); ++i) dataSources_[i]->dataEvent(deDisabledStateChange, 1);
    if (disableState_ != state_) DataEvent(deUpdateState, 0);
    if (disableState_ != dsInactive && state_ != dsInactive) DataEvent(enableEvent_, 0);
}

// --- editing

void TDataSet::setFieldData(TField& field, const rtl::Variant& value)
{
    if (field.fieldKind_ != fkData) {
        if (state_ != dsCalcFields || !read_.calc) {
            if (field.fieldKind_ == fkLookup && IsEditState(state_))
                DatabaseError(Format(msg::FieldReadOnly, field.DisplayName()));
            DatabaseError(msg::NotEditing);
        }
        read_.calc[field.calcIndex_] = value;
        return;
    }
    if (!IsEditState(state_)) DatabaseError(msg::NotEditing);
    if (field.readOnly_ && state_ != dsSetKey) DatabaseError(Format(msg::FieldReadOnly, field.DisplayName()));
    if (read_.values != editBuf_.data()) DatabaseError(msg::NotEditing); // another buffered record is read
    editBuf_[static_cast<std::size_t>(field.column_)] = value;
    DataEvent(deFieldChange, reinterpret_cast<std::intptr_t>(&field));
}

void TDataSet::checkRequiredFields()
{
    for (TField* f : fields_.list_) {
        if (f->fieldKind_ == fkData && f->required_ && !f->readOnly_ && f->IsNull()) {
            f->FocusControl();
            DatabaseError(Format(msg::FieldRequired, f->DisplayName()));
        }
    }
}

void TDataSet::UpdateRecord()
{
    if (!IsEditState(state_)) DatabaseError(msg::NotEditing);
    DataEvent(deUpdateRecord, 0);
}

void TDataSet::CheckBrowseMode()
{
    CheckActive();
    DataEvent(deCheckBrowseMode, 0);
    if (state_ == dsEdit || state_ == dsInsert) {
        UpdateRecord();
        if (modified_) Post();
        else Cancel();
    }
}

void TDataSet::Edit()
{
    if (state_ == dsEdit || state_ == dsInsert) return;
    CheckActive();
    if (recordCount_ == 0) {
        Insert();
        return;
    }
    CheckBrowseMode();
    checkCanModify();
    fire(BeforeEdit);
    editSlot_ = viewSlot(cursor());
    readSlot(editSlot_, editBuf_);
    editCalc_.assign(calcFields_.size(), rtl::Null());
    setState(dsEdit);
    recalcEditRecord();
    DataEvent(deRecordChange, 0);
    fire(AfterEdit);
}

void TDataSet::Insert()
{
    beginInsert(false);
}

void TDataSet::Append()
{
    beginInsert(true);
}

void TDataSet::beginInsert(bool append)
{
    CheckBrowseMode();
    checkCanModify();
    fire(BeforeInsert);
    fire(BeforeScroll);
    returnSlot_ = recordCount_ > 0 ? viewSlot(cursor()) : kNoSlot;
    std::size_t pos;
    if (append) {
        viewFetchAll();
        pos = viewCount();
    } else {
        pos = recordCount_ > 0 ? cursor() : 0;
    }
    TSlot slot = store_.NewSlot();
    viewInsert(pos, slot);
    editSlot_ = slot;
    editBuf_.assign(static_cast<std::size_t>(store_.ColumnCount()), rtl::Null());
    editCalc_.assign(calcFields_.size(), rtl::Null());
    std::size_t n = static_cast<std::size_t>(bufferCount_);
    if (append) {
        first_ = pos + 1 > n ? pos + 1 - n : 0;
    } else if (recordCount_ == 0) {
        first_ = pos;
    }
    activeRecord_ = static_cast<int>(pos - first_);
    recordCount_ = static_cast<int>(std::min(n, viewCount() - first_));
    ++calcVersion_;
    bof_ = false;
    eof_ = append;
    setState(dsInsert);
    try {
        recalcEditRecord();
        DoOnNewRecord();
    } catch (...) {
        discardInsert();
        setState(dsBrowse);
        DataEvent(deDataSetChange, 0);
        throw;
    }
    modified_ = false;
    DataEvent(deDataSetChange, 0);
    fire(AfterInsert);
    fire(AfterScroll);
}

// Takes the record being inserted out again; the cursor returns to where it was.
void TDataSet::discardInsert()
{
    TSlot slot = editSlot_;
    editSlot_ = kNoSlot;
    std::size_t pos = viewIndexOf(slot);
    if (pos != TRecordStore::npos) viewErase(pos);
    store_.FreeSlot(slot);
    std::size_t target = returnSlot_ != kNoSlot ? viewIndexOf(returnSlot_) : TRecordStore::npos;
    returnSlot_ = kNoSlot;
    if (target == TRecordStore::npos) target = pos;
    resyncAt(target);
    bof_ = eof_ = recordCount_ == 0;
}

void TDataSet::Post()
{
    UpdateRecord();
    DataEvent(deCheckBrowseMode, 0);
    fire(BeforePost);
    checkRequiredFields();
    TSlot slot = editSlot_;
    TRecordProvider* provider = store_.Provider();
    if (state_ == dsInsert) {
        if (provider) provider->ApplyInsert(editBuf_);
        store_.Write(slot, editBuf_);
        store_.AssignId(slot);
    } else {
        std::vector<rtl::Variant> old;
        store_.Read(slot, old);
        if (provider) provider->ApplyUpdate(old, editBuf_);
        store_.Write(slot, editBuf_);
    }
    editSlot_ = returnSlot_ = kNoSlot;
    ++calcVersion_;
    std::size_t target = viewIndexOf(slot);
    if (filterActive_ && target != TRecordStore::npos && !filterAccepts(slot)) filteredRows_.erase(filteredRows_.begin() + static_cast<std::ptrdiff_t>(target));
    if (target == TRecordStore::npos) target = cursor();
    resyncAt(target);
    bof_ = eof_ = recordCount_ == 0;
    setState(dsBrowse);
    DataEvent(deDataSetChange, 0);
    fire(AfterPost);
}

void TDataSet::Cancel()
{
    if (state_ != dsEdit && state_ != dsInsert) return;
    DataEvent(deCheckBrowseMode, 0);
    fire(BeforeCancel);
    if (state_ == dsInsert) {
        discardInsert();
    } else {
        editSlot_ = kNoSlot;
        resyncAt(cursor());
    }
    setState(dsBrowse);
    DataEvent(deDataSetChange, 0);
    fire(AfterCancel);
}

void TDataSet::Delete()
{
    CheckActive();
    if (state_ == dsInsert || state_ == dsSetKey) {
        Cancel();
        return;
    }
    if (recordCount_ == 0) DatabaseError(msg::DataSetEmpty);
    DataEvent(deCheckBrowseMode, 0);
    fire(BeforeDelete);
    fire(BeforeScroll);
    std::size_t pos = cursor();
    TSlot slot = viewSlot(pos);
    if (TRecordProvider* provider = store_.Provider()) {
        std::vector<rtl::Variant> values;
        store_.Read(slot, values);
        provider->ApplyDelete(values);
    }
    editSlot_ = kNoSlot;
    viewErase(pos);
    store_.FreeSlot(slot);
    ++calcVersion_;
    if (!viewFetch(pos) && pos > 0) pos = viewCount() > 0 ? viewCount() - 1 : 0;
    resyncAt(pos);
    bof_ = eof_ = recordCount_ == 0;
    setState(dsBrowse);
    DataEvent(deDataSetChange, 0);
    fire(AfterDelete);
    fire(AfterScroll);
}

} // namespace db
