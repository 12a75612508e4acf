#include "platform/db/DataSource.h"

#include <algorithm>

#include "platform/db/DBConsts.h"
#include "platform/db/DataSet.h"

namespace db {

// --- TDataSource

TDataSource::~TDataSource()
{
    std::vector<TDataLink*> links = links_;
    for (TDataLink* l : links) l->SetDataSource(nullptr);
    SetDataSet(nullptr);
}

void TDataSource::SetDataSet(TDataSet* dataSet)
{
    if (dataSet == dataSet_) return;
    if (dataSet_) {
        auto& list = dataSet_->dataSources_;
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
        dataSet_->updateBufferCount();
        // The links let go of the old data set before they meet the new one, even when
        // both are open.
        dataSet_ = nullptr;
        dataEvent(deUpdateState, 0);
    }
    dataSet_ = dataSet;
    if (dataSet_) {
        dataSet_->dataSources_.push_back(this);
        dataSet_->updateBufferCount();
    }
    dataEvent(deUpdateState, 0);
}

void TDataSource::Edit()
{
    if (autoEdit_ && state_ == dsBrowse && dataSet_) dataSet_->Edit();
}

void TDataSource::dataEvent(TDataEvent event, std::intptr_t info)
{
    if (event == deUpdateState) {
        state_ = dataSet_ ? dataSet_->State() : dsInactive;
    } else if (state_ == dsInactive) {
        return;
    }
    // Index loop: a link may detach itself while it is told.
    for (std::size_t i = 0; i < links_.size(); ++i) links_[i]->DataEvent(event, info);
}

void TDataSource::addLink(TDataLink* link)
{
    links_.push_back(link);
    if (dataSet_) dataSet_->updateBufferCount();
}

void TDataSource::removeLink(TDataLink* link)
{
    links_.erase(std::remove(links_.begin(), links_.end(), link), links_.end());
    if (dataSet_) dataSet_->updateBufferCount();
}

// --- TDataLink

TDataLink::~TDataLink()
{
    if (dataSource_) dataSource_->removeLink(this);
}

TDataSet* TDataLink::DataSet() const
{
    return dataSource_ ? dataSource_->GetDataSet() : nullptr;
}

void TDataLink::SetDataSource(TDataSource* dataSource)
{
    if (dataSource == dataSource_) return;
    if (dataSourceFixed_) TDataSet::DatabaseError("The data source of this link cannot be changed");
    if (dataSource_) dataSource_->removeLink(this);
    dataSource_ = dataSource;
    if (dataSource_) dataSource_->addLink(this);
    UpdateState();
}

void TDataLink::SetReadOnly(bool readOnly)
{
    if (readOnly == readOnly_) return;
    readOnly_ = readOnly;
    UpdateState();
}

void TDataLink::UpdateState()
{
    TDataSet* ds = DataSet();
    setActive(ds && ds->GetActive());
    setEditing(active_ && IsEditState(dataSource_->State()) && !readOnly_);
}

void TDataLink::setActive(bool active)
{
    if (active == active_) return;
    active_ = active;
    if (active_) updateRange();
    else firstRecord_ = 0;
    ActiveChanged();
}

void TDataLink::setEditing(bool editing)
{
    if (editing == editing_) return;
    editing_ = editing;
    EditingChanged();
}

void TDataLink::SetBufferCount(int count)
{
    if (count < 1) count = 1;
    if (count == bufferCount_) return;
    bufferCount_ = count;
    if (TDataSet* ds = DataSet()) {
        ds->updateBufferCount();
        if (active_) updateRange();
    }
}

// Keeps the link's window inside the data set's window and around the active record.
void TDataLink::updateRange()
{
    TDataSet* ds = DataSet();
    int low = std::max(0, ds->activeRecord_ - bufferCount_ + 1);
    int high = std::min(ds->bufferCount_ - bufferCount_, ds->activeRecord_);
    if (high < low) high = low;
    firstRecord_ = std::clamp(firstRecord_, low, high);
}

int TDataLink::GetActiveRecord() const
{
    return active_ ? DataSet()->activeRecord_ - firstRecord_ : 0;
}

void TDataLink::SetActiveRecord(int index)
{
    if (active_) DataSet()->SetActiveRecord(index + firstRecord_);
}

int TDataLink::RecordCount() const
{
    if (!active_) return 0;
    return std::clamp(DataSet()->recordCount_ - firstRecord_, 0, bufferCount_);
}

bool TDataLink::Bof() const
{
    return active_ && DataSet()->Bof();
}

bool TDataLink::Eof() const
{
    return active_ && DataSet()->Eof();
}

int TDataLink::MoveBy(int distance)
{
    return active_ ? DataSet()->MoveBy(distance) : 0;
}

bool TDataLink::Edit()
{
    if (!readOnly_ && dataSource_) dataSource_->Edit();
    return editing_;
}

void TDataLink::UpdateRecord()
{
    updating_ = true;
    try {
        UpdateData();
    } catch (...) {
        updating_ = false;
        throw;
    }
    updating_ = false;
}

void TDataLink::DataEvent(TDataEvent event, std::intptr_t info)
{
    if (event == deUpdateState) {
        UpdateState();
        return;
    }
    if (!active_) return;
    switch (event) {
    case deFieldChange:
    case deRecordChange:
        if (!updating_) RecordChanged(reinterpret_cast<TField*>(info));
        break;
    case deDataSetChange:
        updateRange();
        DataSetChanged();
        break;
    case deDataSetScroll: {
        // The data set's window moved by info records; keep the same records first, then clamp.
        int shift = static_cast<int>(info);
        int before = firstRecord_;
        firstRecord_ -= shift;
        updateRange();
        DataSetScrolled(firstRecord_ + shift - before);
        break;
    }
    case deLayoutChange:
        updateRange();
        LayoutChanged();
        break;
    case deUpdateRecord:
        UpdateRecord();
        break;
    case deCheckBrowseMode:
        CheckBrowseMode();
        break;
    case deFocusControl:
        FocusControl(*reinterpret_cast<TField**>(info));
        break;
    default:
        break;
    }
}

// --- TFieldDataLink

void TFieldDataLink::SetFieldName(std::string name)
{
    if (name == fieldName_) return;
    fieldName_ = std::move(name);
    updateField();
}

bool TFieldDataLink::CanModify() const
{
    return !GetReadOnly() && field_ && field_->CanModify();
}

void TFieldDataLink::updateField()
{
    TField* field = nullptr;
    if (Active() && !fieldName_.empty()) {
        field = DataSet()->FindField(fieldName_);
        if (!field) {
            std::string text = rtl::Format(msg::FieldNotFound, fieldName_);
            if (!controlName_.empty()) text = rtl::Format(msg::ComponentFieldNotFound, controlName_, fieldName_);
            field_ = nullptr;
            TDataSet::DatabaseError(text);
        }
    }
    if (field != field_) {
        field_ = field;
        updateFieldEditing();
        RecordChanged(nullptr);
    }
}

void TFieldDataLink::updateFieldEditing()
{
    bool editing = Editing() && field_ && field_->CanModify();
    if (editing == fieldEditing_) return;
    fieldEditing_ = editing;
    modified_ = false;
    if (OnEditingChange) OnEditingChange(this);
}

void TFieldDataLink::ActiveChanged()
{
    updateField();
    if (OnActiveChange) OnActiveChange(this);
}

void TFieldDataLink::EditingChanged()
{
    updateFieldEditing();
}

void TFieldDataLink::LayoutChanged()
{
    updateField();
    // The field's read-only state may have changed with the layout.
    updateFieldEditing();
}

void TFieldDataLink::RecordChanged(TField* field)
{
    if (field == nullptr || field == field_) {
        if (OnDataChange) OnDataChange(this);
        modified_ = false;
    }
}

void TFieldDataLink::UpdateData()
{
    if (modified_) {
        if (field_ && OnUpdateData) OnUpdateData(this);
        modified_ = false;
    }
}

} // namespace db
