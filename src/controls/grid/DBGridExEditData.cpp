// What the grid writes into the data: the cell editor's text by the column's kind, the
// value copied from the record above, and what happens to an edit when the focus leaves.
#include <string>
#include <vector>

#include "controls/grid/DBGridEx.h"
#include "controls/grid/DBGridExInplaceEdit.h"
#include "controls/grid/DBGridExUtils.h"
#include "platform/db/DataSet.h"
#include "platform/db/DataSetScopes.h"

namespace grid {

namespace {

// Asks the column's OnNotInList about a text missing from its list; true when the handler
// wants the list looked at again.
bool NotInList(TColumnEx& column, const std::string& text)
{
    bool recheck = false;
    if (column.OnNotInList) column.OnNotInList(&column, text, recheck);
    return recheck;
}

// The key values of the record whose result field shows text (case ignored); Null when
// none does. The list keeps its current record.
rtl::Variant KeyOfText(db::TDataSet& list, const db::TField& lookup, const std::string& text)
{
    if (!list.GetActive()) return rtl::Null();
    const db::TDisableControlsScope quiet(list);
    const db::TBookmarkScope place(list);
    if (!list.Locate(lookup.GetLookupResultField(), rtl::Variant(text), db::loCaseInsensitive)) return rtl::Null();
    return list.GetFieldValues(lookup.GetLookupKeyFields());
}

} // namespace

void TCustomDBGridEx::UpdateEditorData()
{
    TColumnEx* column = selectedColumn();
    if (!column || !dataLink_->Active()) return;
    const std::string text = currentEditText_;
    switch (column->GetColumnKind()) {
    case ckPickList: writePickListText(*column, text); return;
    case ckKeyPickList: writeKeyPickListText(*column, text); return;
    case ckLookupField: writeLookupText(*column, text); return;
    default: column->UpdateDataValues(text, rtl::Variant(text), true); return;
    }
}

void TCustomDBGridEx::writePickListText(TColumnEx& column, const std::string& text)
{
    if (column.OnNotInList && column.GetPickList().IndexOf(text) < 0) NotInList(column, text);
    column.UpdateDataValues(text, rtl::Variant(text), true);
}

void TCustomDBGridEx::writeKeyPickListText(TColumnEx& column, const std::string& text)
{
    int index = column.GetPickList().IndexOf(text);
    if (index < 0 && !text.empty() && NotInList(column, text)) index = column.GetPickList().IndexOf(text);
    // A text the list does not hold, or none, leaves the field empty.
    if (index < 0 || index >= column.KeyListCount()) {
        column.UpdateDataValues(std::string(), rtl::Null(), false);
        return;
    }
    const std::string& line = column.GetKeyList()[index];
    const std::string key = line.substr(0, line.find(';'));
    column.UpdateDataValues(key, rtl::Variant(key), false);
}

void TCustomDBGridEx::writeLookupText(TColumnEx& column, const std::string& text)
{
    const db::TField& field = *column.Field();
    db::TDataSet* list = column.LookupListDataSet();
    rtl::Variant key = rtl::Null();
    if (!rtl::VarIsNull(editKeyValue_) && editKeyText_ == text) {
        key = editKeyValue_;
    } else if (!text.empty() && list) {
        key = KeyOfText(*list, field, text);
        if (rtl::VarIsNull(key) && NotInList(column, text)) key = KeyOfText(*list, field, text);
        // A text that names no record changes nothing.
        if (rtl::VarIsNull(key)) return;
    }
    const std::vector<db::TField*> keys = field.DataSet()->GetFieldList(field.GetKeyFields());
    if (keys.empty() || !FieldsCanModify(keys)) return;
    dataLink_->Edit();
    column.UpdateDataValues(text, key, false);
}

void TCustomDBGridEx::CopyValueFromAbove()
{
    TColumnEx* column = selectedColumn();
    const int current = currentRecordRow() - titleOffset_;
    if (!dataLink_->Active() || !column || !column->Field() || current <= 0) return;
    // The check puts the data set into edit.
    if (!column->CanModify(true)) return;
    db::TField& field = *column->Field();
    db::TDataSet& dataSet = *dataLink_->DataSet();
    const bool lookup = field.Lookup() && !field.GetKeyFields().empty();
    // Read without moving: moving would post or drop the record being edited.
    rtl::Variant value;
    {
        const TDataRowRead above(*this, current - 1);
        value = lookup ? dataSet.GetFieldValues(field.GetKeyFields()) : field.GetValue();
    }
    ClearSelection();
    column->UpdateDataValues(std::string(), value, false);
    ShowEditor();
    if (TDBGridInplaceEdit* editor = InplaceEdit(); editor && editor->Visible()) editor->SelectAll();
}

// ---- focus

void TCustomDBGridEx::DoExit()
{
    if (!GridFocused()) gridLeft();
    ui::TCustomGrid::DoExit();
}

void TCustomDBGridEx::editorExit(rtl::TObject*)
{
    if (!GridFocused()) gridLeft();
}

void TCustomDBGridEx::gridLeft()
{
    if (sortByCtrl_) {
        sortByCtrl_ = false;
        SortMarkingChanged();
    }
    if (!dataLink_ || !dataLink_->Active()) return;
    db::TDataSet& dataSet = *dataLink_->DataSet();
    if (options_.Contains(dgCancelOnExit) && dataSet.State() == db::dsInsert && !dataSet.Modified()
        && !dataLink_->IsModified())
        dataSet.Cancel();
    else
        dataLink_->UpdateData();
}

} // namespace grid
