// Filter-row settings of the grid and of its columns.
#include "controls/grid/DBGridExFilter.h"

#include "controls/grid/DBGridEx.h"
#include "controls/grid/DBGridExColumns.h"

namespace grid {

// ---- TSTDBGridExFilter

TSTDBGridExFilter::TSTDBGridExFilter(TCustomDBGridEx& grid) : grid_(grid)
{
}

void TSTDBGridExFilter::Assign(const rtl::TPersistent* source)
{
    const auto* src = dynamic_cast<const TSTDBGridExFilter*>(source);
    if (!src) {
        rtl::TPersistent::Assign(source);
        return;
    }
    SetVisible(src->visible_);
    SetLocal(src->local_);
}

void TSTDBGridExFilter::SetVisible(bool value)
{
    if (value == visible_) return;
    visible_ = value;
    if (!value) grid_.StopFilterEdit();
    grid_.LayoutChanged();
    grid_.UpdateFilterEditor(false);
}

// ---- TSTColumnFilterEx

TSTColumnFilterEx::TSTColumnFilterEx(TColumnEx& column) : column_(column)
{
    listLink_.OnDataChange = {this, &TSTColumnFilterEx::ListDataChanged};
}

void TSTColumnFilterEx::Assign(const rtl::TPersistent* source)
{
    const auto* src = dynamic_cast<const TSTColumnFilterEx*>(source);
    if (!src) {
        rtl::TPersistent::Assign(source);
        return;
    }
    SetDataField(src->dataField_);
    SetVisible(src->visible_);
    SetKeyField(src->keyField_);
    SetListField(src->listField_);
    SetListSource(src->GetListSource());
}

void TSTColumnFilterEx::SetVisible(bool value)
{
    if (value == visible_) return;
    visible_ = value;
    column_.Changed(false);
}

std::string TSTColumnFilterEx::FilteredFieldName() const
{
    if (!dataField_.empty()) return dataField_;
    return HasListSource() ? std::string() : column_.GetFieldName();
}

rtl::Variant TSTColumnFilterEx::GetKeyValue() const
{
    return keyField_.empty() ? currentKeyValue_ : expression_.Operand1;
}

} // namespace grid
