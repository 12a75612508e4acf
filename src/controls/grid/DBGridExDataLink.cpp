#include "controls/grid/DBGridExDataLink.h"

#include "controls/grid/DBGridEx.h"
#include "controls/grid/DBGridExUtils.h"
#include "controls/grid/GridLibConsts.h"
#include "platform/db/DataSet.h"
#include "platform/rtl/UpdateScope.h"

namespace grid {

TGridDataLinkEx::TGridDataLinkEx(TCustomDBGridEx& grid) : grid_(grid)
{
    SetVisualControl(true);
}

bool TGridDataLinkEx::AddMapping(const std::string& fieldName)
{
    if (FieldCount() >= MaxMapSize) RaiseGridError(msg::TooManyColumns);
    db::TDataSet* dataSet = DataSet();
    db::TField* field = nullptr;
    if (dataSet) field = sparseMap_ ? dataSet->FindField(fieldName) : dataSet->FieldByName(fieldName);
    if (field) {
        fieldMap_.push_back(field->GetIndex());
        grid_.FreeNotification(field);
    } else {
        fieldMap_.push_back(-1);
    }
    return true;
}

void TGridDataLinkEx::ClearMapping()
{
    fieldMap_.clear();
}

int TGridDataLinkEx::FieldIndex(int index) const
{
    if (index < 0 || index >= FieldCount()) return -1;
    return fieldMap_[static_cast<std::size_t>(index)];
}

db::TField* TGridDataLinkEx::Fields(int index) const
{
    const int fieldIndex = FieldIndex(index);
    db::TDataSet* dataSet = DataSet();
    if (fieldIndex < 0 || !dataSet || fieldIndex >= dataSet->Fields().Count()) return nullptr;
    return dataSet->Fields()[fieldIndex];
}

bool TGridDataLinkEx::DefaultFields() const
{
    bool result = true;
    // A closed data set without fields makes them when it opens.
    if (const db::TDataSet* dataSet = DataSet())
        result = dataSet->DefaultFields() || (!dataSet->GetActive() && dataSet->Fields().Count() == 0);
    if (result && sparseMap_)
        for (int entry : fieldMap_)
            if (entry < 0) return false;
    return result;
}

void TGridDataLinkEx::Reset()
{
    if (modified_) {
        RecordChanged(nullptr);
    } else if (db::TDataSet* dataSet = DataSet()) {
        dataSet->Cancel();
    }
}

void TGridDataLinkEx::UpdateData()
{
    if (inUpdateData_) return;
    {
        const rtl::TFlagScope updating(inUpdateData_);
        if (modified_) grid_.UpdateEditorData();
    }
    modified_ = false;
}

void TGridDataLinkEx::ActiveChanged()
{
    grid_.LinkActive(Active());
    modified_ = false;
}

void TGridDataLinkEx::DataSetChanged()
{
    grid_.RefreshLayout();
    modified_ = false;
}

void TGridDataLinkEx::DataSetScrolled(int distance)
{
    grid_.Scroll(distance);
}

void TGridDataLinkEx::EditingChanged()
{
    grid_.InvalidateIndicator();
}

void TGridDataLinkEx::FocusControl(db::TField*& field)
{
    if (field && grid_.FocusField(field)) field = nullptr;
}

void TGridDataLinkEx::LayoutChanged()
{
    grid_.BeginLayout();
    grid_.EndLayout();
    db::TDataLink::LayoutChanged();
}

void TGridDataLinkEx::RecordChanged(db::TField* field)
{
    // The grid reloads its editor from the record: no change of the grid's is pending.
    modified_ = false;
    grid_.RecordChanged(field);
}

} // namespace grid
