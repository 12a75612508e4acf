// The grid's keys: moving through the records and columns, selecting with Shift, the
// keys that insert, delete and reach the clipboard, the search and find shortcuts, the
// step into the filter row, and the characters that step check boxes, feed a search or
// open the cell editor.
#include <algorithm>
#include <cstdlib>
#include <string>

#include "controls/grid/DBGridEx.h"
#include "controls/grid/DBGridExImpExp.h"
#include "controls/grid/DBGridExInplaceEdit.h"
#include "controls/grid/GridLibConsts.h"
#include "platform/db/DataSet.h"
#include "platform/rtl/UpdateScope.h"
#include "platform/ui/Clipboard.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/InputState.h"

namespace grid {

namespace {

constexpr ui::TShiftState KeyModifiers = ui::ssShift | ui::ssCtrl | ui::ssAlt;

} // namespace

bool TCustomDBGridEx::isCheckOrImage(const TColumnEx* column)
{
    return column && (column->GetColumnKind() == ckImageList || column->GetColumnKind() == ckCheckBox);
}

// ---- KeyDown

void TCustomDBGridEx::KeyDown(ui::Word& Key, ui::TShiftState Shift)
{
    Shift &= KeyModifiers;
    toggleSelection_ = (Shift & ui::ssCtrl) || !optionsEx_.Contains(dghClearSelection);
    ui::TControl::KeyDown(Key, Shift);
    if (Key == 0) return;
    if (filterRowKey(Key, Shift)) {
        Key = 0;
        return;
    }
    if (UseRightToLeftAlignment()) {
        if (Key == ui::VK_LEFT) Key = ui::VK_RIGHT;
        else if (Key == ui::VK_RIGHT) Key = ui::VK_LEFT;
    }
    if (!dataLink_->Active() || !CanGridAcceptKey(Key, Shift)) return;
    if (shortcutKey(Key, Shift) || ((Shift & ui::ssCtrl) ? ctrlKey(Key, Shift) : plainKey(Key, Shift))) {
        Key = 0;
        return;
    }
    // Delete clears a check box or an image cell.
    if (Key == ui::VK_DELETE && !(Shift & ui::ssCtrl) && checkOrImageColumn() && !options_.Contains(dgRowSelect)) {
        TColumnEx* column = selectedColumn();
        const db::TField* field = column->Field();
        if (field && !field->GetReadOnly() && column->CanModify(true)) {
            column->UpdateDataValues(std::string(), rtl::Null(), false);
            Key = 0;
        }
    }
}

bool TCustomDBGridEx::filterRowKey(ui::Word key, ui::TShiftState shift)
{
    if (key != ui::VK_UP || !stFilter_->GetVisible() || !dataLink_->Active()) return false;
    if (!dataLink_->DataSet()->Bof() && !(shift & ui::ssCtrl)) return false;
    int dataCol = SelectedIndex();
    if (options_.Contains(dgRowSelect)) {
        // From the filter row's own column on, within the columns on screen; else from
        // the first column on screen.
        auto hasFilterCell = [this](int i) {
            const TColumnEx* column = columns_->Items(i);
            return column->GetVisible() && column->STFilter()->GetVisible();
        };
        const int firstShown = RawToDataColumn(LeftCol());
        const int lastShown = RawToDataColumn(LeftCol() + VisibleColCount() - 1);
        dataCol = -1;
        for (int i = std::max(filterEditColumn_, firstShown); i <= lastShown && i < columns_->Count(); ++i)
            if (hasFilterCell(i)) {
                dataCol = i;
                break;
            }
        for (int i = std::max(0, firstShown); dataCol < 0 && i < columns_->Count(); ++i)
            if (hasFilterCell(i)) dataCol = i;
        if (dataCol < 0) return false;
    }
    StartFilterEdit(dataCol);
    return true;
}

bool TCustomDBGridEx::shortcutKey(ui::Word key, ui::TShiftState shift)
{
    const TDBGridExSettings& settings = DBGridExSettings();
    const ui::TShortCut shortCut = ui::ShortCut(key, shift);
    auto openFindDialog = [this] {
        if (ShowDBGridExFindDialogProc) ShowDBGridExFindDialogProc(*this, "", "", FindDialogModal(), {});
    };
    if (shortCut == settings.CopyFromAboveShortCut) {
        CopyValueFromAbove();
        return true;
    }
    if (shortCut == settings.IncSearchShortCut && optionsEx_.Contains(dghIncSearch)) {
        if (!incSearchActive_ || !optionsEx_.Contains(dghDialogFind) || settings.FindShortCut != settings.IncSearchShortCut) {
            StartIncSearch(std::string(), -1, isdFromTop);
        } else {
            StopIncSearch();
            openFindDialog();
        }
        return true;
    }
    if (shortCut == settings.FindShortCut && optionsEx_.Contains(dghDialogFind)) {
        openFindDialog();
        return true;
    }
    if (!incSearchActive_) return false;
    if (shift == 0 && (key == ui::VK_RETURN || key == ui::VK_ESCAPE || key == ui::VK_F2)) {
        StopIncSearch();
        return true;
    }
    if (shift == 0 && key == ui::VK_BACK) {
        if (!incSearchText_.empty()) incSearchText_.pop_back();
        InvalidateRow(Row());
        KillTimer(IncSearchTimerId);
        if (incSearchTimeOut_ >= 0) SetTimer(IncSearchTimerId, incSearchTimeOut_);
        return true;
    }
    if (shortCut == settings.NextMatchShortCut || shortCut == settings.PriorMatchShortCut) {
        StartIncSearch(std::string(), incSearchTimeOut_, shortCut == settings.NextMatchShortCut ? isdDown : isdUp);
        return true;
    }
    return false;
}

bool TCustomDBGridEx::plainKey(ui::Word key, ui::TShiftState shift)
{
    db::TDataSet& dataSet = *dataLink_->DataSet();
    const bool selecting = (shift & ui::ssShift) && options_.Contains(dgMultiSelect);
    const bool rowSelect = options_.Contains(dgRowSelect);
    const bool rectangleOff = !SelectionTypeAllowed(gstRectangle);
    switch (key) {
    case ui::VK_UP: PriorRow(selecting); return true;
    case ui::VK_DOWN: NextRow(selecting); return true;
    case ui::VK_TAB:
        if (shift & ui::ssAlt) return false;
        Tab(!(shift & ui::ssShift));
        return true;
    case ui::VK_RETURN:
        if (!optionsEx_.Contains(dghEnterAsTab)) return false;
        Tab(!(shift & ui::ssShift));
        return true;
    case ui::VK_ESCAPE:
        dataLink_->Reset();
        ClearSelection();
        if (!options_.Contains(dgAlwaysShowEditor)) HideEditor();
        // A sizing or a column move under way ends as a lost mouse ends it.
        if (GridState() != ui::gsNormal || mouseMode_ == mmTitleSizing) CaptureCancelled();
        return true;
    case ui::VK_PRIOR:
    case ui::VK_NEXT: {
        const int distance = key == ui::VK_PRIOR ? -VisibleDataRowCount() : VisibleDataRowCount();
        if (selecting) {
            MoveRecords(true, distance, rectangleOff, false);
        } else {
            ClearSelection();
            dataSet.MoveBy(distance);
        }
        return true;
    }
    case ui::VK_HOME:
    case ui::VK_END: {
        const bool home = key == ui::VK_HOME;
        if (visibleColumns_.Count() <= 1 || rowSelect) {
            if (selecting) {
                MoveRecords(true, home ? -1 : 1, rectangleOff, true);
            } else {
                ClearSelection();
                if (home) dataSet.First();
                else dataSet.Last();
            }
        } else {
            MoveCol(home ? indicatorOffset_ : ColCount() - 1, home ? 1 : -1, selecting);
        }
        return true;
    }
    case ui::VK_LEFT:
    case ui::VK_RIGHT: {
        const bool left = key == ui::VK_LEFT;
        if (!rowSelect) {
            if (!(shift & ui::ssShift)) ClearSelection();
            MoveCol(left ? Col() - 1 : Col() + 1, left ? -1 : 1, selecting);
        } else if (left && LeftCol() > FixedCols()) {
            SetLeftCol(LeftCol() - 1);
        } else if (!left && LeftCol() + VisibleColCount() < ColCount()) {
            SetLeftCol(LeftCol() + 1);
        }
        return true;
    }
    case ui::VK_INSERT:
        if (!(shift & ui::ssShift)) {
            insertRecord();
        } else if (incSearchActive_) {
            StartIncSearch(ui::Clipboard().AsText(), incSearchTimeOut_, isdFromTop);
        } else if (editActions_.Contains(geaPasteEx) && CanGridPaste(*this, false)) {
            GridPasteAction(*this, false);
        }
        return true;
    case ui::VK_DELETE:
        if (!(shift & ui::ssShift)) return false;
        if (editActions_.Contains(geaCutEx) && CanGridCut(*this, false)) GridCutAction(*this, false);
        return true;
    case ui::VK_F2: SetEditorMode(true); return true;
    case ui::VK_MULTIPLY:
    case ui::VK_ADD:
    case ui::VK_SUBTRACT: return memTableTreeKey(key);
    default: return false;
    }
}

bool TCustomDBGridEx::ctrlKey(ui::Word key, ui::TShiftState shift)
{
    db::TDataSet& dataSet = *dataLink_->DataSet();
    const bool selecting = (shift & ui::ssShift) && options_.Contains(dgMultiSelect);
    const bool rectangleOff = !SelectionTypeAllowed(gstRectangle);
    switch (key) {
    case ui::VK_PRIOR:
    case ui::VK_NEXT:
    case ui::VK_HOME:
    case ui::VK_END:
    case ui::VK_UP:
    case ui::VK_DOWN:
        if (!(shift & ui::ssShift)) ClearSelection();
        break;
    default: break;
    }
    switch (key) {
    case ui::VK_UP:
    case ui::VK_PRIOR:
    case ui::VK_DOWN:
    case ui::VK_NEXT: {
        // To the first or the last record of the window.
        const int distance = windowEdgeDistance(key == ui::VK_UP || key == ui::VK_PRIOR);
        if (selecting) MoveRecords(true, distance, rectangleOff, false);
        else dataSet.MoveBy(distance);
        return true;
    }
    case ui::VK_HOME:
    case ui::VK_END: {
        const bool home = key == ui::VK_HOME;
        if (selecting) MoveRecords(true, home ? -1 : 1, rectangleOff, true);
        else if (home) dataSet.First();
        else dataSet.Last();
        return true;
    }
    case ui::VK_LEFT: MoveCol(indicatorOffset_, 1, false); return true;
    case ui::VK_RIGHT: MoveCol(ColCount() - 1, -1, false); return true;
    case ui::VK_INSERT:
    case 'C':
        if (editActions_.Contains(geaCopyEx) && CanGridCopy(*this, false)) GridCopyAction(*this, false);
        return true;
    case ui::VK_DELETE: deleteRecords(); return true;
    case 'A':
        if (editActions_.Contains(geaSelectAllEx) && SelectionTypeAllowed(gstAll)) Selection().SelectAll();
        return true;
    case 'V': return plainKey(ui::VK_INSERT, ui::ssShift);
    case 'X': return plainKey(ui::VK_DELETE, ui::ssShift);
    default: return false;
    }
}

void TCustomDBGridEx::insertRecord()
{
    db::TDataSet& dataSet = *dataLink_->DataSet();
    if (!dataSet.CanModify() || readOnly_ || !options_.Contains(dgEditing)) return;
    if (allowedOperations_.Contains(alopInsertEx)) {
        ClearSelection();
        dataSet.Insert();
    } else if (allowedOperations_.Contains(alopAppendEx)) {
        ClearSelection();
        dataSet.Append();
    }
}

void TCustomDBGridEx::deleteRecords()
{
    if (editActions_.Contains(geaDeleteEx) && selection_->SelectionType() != gstNon) {
        if (CanGridDelete(*this, false)) GridDeleteAction(*this, false);
        return;
    }
    db::TDataSet& dataSet = *dataLink_->DataSet();
    if (readOnly_ || dataSet.IsEmpty() || !dataSet.CanModify() || !allowedOperations_.Contains(alopDeleteEx)) return;
    if (!ConfirmDelete()) return;
    if (SelectedRows().Count() == 0) dataSet.Delete();
    else SelectedRows().Delete();
}

bool TCustomDBGridEx::ConfirmDelete()
{
    const std::string text = SelectedRows().Count() < 2 ? msg::DeleteRecordQuestion : msg::DeleteSelectedRecordsQuestion;
    if (!options_.Contains(dgConfirmDelete)) return true;
    return ui::MessageDlg(text, ui::mtConfirmation, ui::mbOKCancel) != ui::mrCancel;
}

void TCustomDBGridEx::KeyUp(ui::Word& Key, ui::TShiftState Shift)
{
    ui::TCustomGrid::KeyUp(Key, Shift);
    if (Key != ui::VK_CONTROL || !sortByCtrl_) return;
    sortByCtrl_ = false;
    SortMarkingChanged();
}

// ---- moving

void TCustomDBGridEx::MoveCol(int ACol, int Direction, bool Select)
{
    db::TDataSet* dataSet = dataLink_->Active() ? dataLink_->DataSet() : nullptr;
    const bool rectangle =
        Select && dataSet && !options_.Contains(dgRowSelect) && SelectionTypeAllowed(gstRectangle);
    if (rectangle && selection_->SelectionType() != gstRectangle)
        Selection().Rect().Select(SelectedIndex(), dataSet->GetBookmark(), false);
    dataLink_->UpdateData();
    const int last = ColCount() - 1;
    if (last < indicatorOffset_) return;
    ACol = std::clamp(ACol, static_cast<int>(indicatorOffset_), last);
    if (Direction != 0)
        while (ColWidths(ACol) <= 0) {
            ACol += Direction;
            if (ACol < indicatorOffset_ || ACol > last) return;
        }
    if (ACol != Col()) {
        if (!inColExit_) {
            const int before = Col();
            {
                const rtl::TFlagScope exiting(inColExit_);
                ColExit();
            }
            if (Col() != before) return;
        }
        if (!options_.Contains(dgAlwaysShowEditor)) HideEditor();
        if (!options_.Contains(dgRowSelect)) MoveColRow(ACol, Row(), true, true);
        if (!checkOrImageColumn() && options_.Contains(dgAlwaysShowEditor) && !filterEditing_) ShowEditor();
        ColEnter();
    }
    if (rectangle) Selection().Rect().Select(SelectedIndex(), dataSet->GetBookmark(), true);
    if (incSearchActive_) StopIncSearch();
}

void TCustomDBGridEx::MoveRecords(bool Select, int Distance, bool RectangleOff, bool ToEnd)
{
    if (!dataLink_->Active()) return;
    db::TDataSet& dataSet = *dataLink_->DataSet();
    if (!RectangleOff && !options_.Contains(dgRowSelect)) {
        moveRectangle(Select, Distance, ToEnd);
    } else if (!options_.Contains(dgMultiSelect)) {
        // Nothing to select on the way: one move.
        TUpdateLock lock(*this);
        if (ToEnd && Distance == 1) dataSet.Last();
        else if (ToEnd) dataSet.First();
        else dataSet.MoveBy(Distance);
    } else {
        const bool select = Select && SelectionTypeAllowed(gstRecordBookmarks);
        const int direction = Distance < 0 ? -1 : 1;
        TUpdateLock lock(*this);
        for (int left = std::abs(Distance); ToEnd || left > 0; --left)
            if (!moveSelectingStep(select, direction)) break;
    }
    if (!UpdateLocked() && HandleAllocated()) Update();
}

void TCustomDBGridEx::moveRectangle(bool select, int distance, bool toEnd)
{
    db::TDataSet& dataSet = *dataLink_->DataSet();
    auto move = [&] {
        if (toEnd && distance == 1) dataSet.Last();
        else if (toEnd) dataSet.First();
        else dataSet.MoveBy(distance);
    };
    if (!select || !SelectionTypeAllowed(gstRectangle)) {
        move();
        return;
    }
    TUpdateLock lock(*this);
    if (selection_->SelectionType() != gstRectangle)
        Selection().Rect().Select(SelectedIndex(), dataSet.GetBookmark(), false);
    move();
    Selection().Rect().Select(SelectedIndex(), dataSet.GetBookmark(), true);
}

bool TCustomDBGridEx::moveSelectingStep(bool select, int direction)
{
    db::TDataSet& dataSet = *dataLink_->DataSet();
    bool markArrival = false;
    if (!select) {
        ClearSelection();
    } else if (!selectionAnchor_.Set) {
        selectionAnchor_ = {true, dataSet.GetBookmark(), SelectedRows().CurrentRowSelected()};
        SelectedRows().SetCurrentRowSelected(toggleSelection_ ? !selectionAnchor_.Selected : true);
        markArrival = true;
    } else if (compareWithCurrent(selectionAnchor_.Bookmark) == -direction) {
        // Going back towards the anchor: the row left gets its state back.
        SelectedRows().SetCurrentRowSelected(toggleSelection_ ? selectionAnchor_.Selected : false);
    } else {
        markArrival = true;
    }
    if (dataSet.MoveBy(direction) == 0) return false;
    if (markArrival) SelectedRows().SetCurrentRowSelected(toggleSelection_ ? !selectionAnchor_.Selected : true);
    return true;
}

int TCustomDBGridEx::compareWithCurrent(const db::TBookmark& bookmark) const
{
    db::TDataSet& dataSet = *dataLink_->DataSet();
    // Where the records stand on screen, which a sorted or edited data set can order
    // differently from their bookmarks.
    const int current = dataSet.GetRecNo();
    const int other = dataSet.RecNoOfBookmark(bookmark);
    if (current > 0 && other > 0) return current < other ? -1 : (current > other ? 1 : 0);
    const int compared = dataSet.CompareBookmarks(dataSet.GetBookmark(), bookmark);
    return compared < 0 ? -1 : (compared > 0 ? 1 : 0);
}

void TCustomDBGridEx::NextRow(bool Select)
{
    db::TDataSet& dataSet = *dataLink_->DataSet();
    if (dataSet.State() == db::dsInsert && !dataSet.Modified() && !dataLink_->IsModified()) {
        // An untouched new record: at the end it stays, elsewhere it goes.
        if (!dataSet.Eof()) dataSet.Cancel();
        return;
    }
    MoveRecords(Select, 1, !(Select && SelectionTypeAllowed(gstRectangle)), false);
    if (dataSet.Eof() && dataSet.CanModify() && !readOnly_ && options_.Contains(dgEditing)
        && allowedOperations_.Contains(alopAppendEx))
        dataSet.Append();
}

void TCustomDBGridEx::PriorRow(bool Select)
{
    db::TDataSet& dataSet = *dataLink_->DataSet();
    if (dataSet.State() == db::dsInsert && !dataSet.Modified() && dataSet.Eof() && !dataLink_->IsModified()) {
        dataSet.Cancel();
        return;
    }
    MoveRecords(Select, -1, !(Select && SelectionTypeAllowed(gstRectangle)), false);
}

bool TCustomDBGridEx::tabStopAt(int ACol) const
{
    const TColumnEx* column = columnAt(ACol);
    return column && ColWidths(ACol) > 0 && columnTabStop(*column);
}

bool TCustomDBGridEx::anyTabStop() const
{
    for (int c = indicatorOffset_; c < ColCount(); ++c)
        if (tabStopAt(c)) return true;
    return false;
}

unsigned TCustomDBGridEx::DialogCode() const
{
    const unsigned code = ui::TCustomGrid::DialogCode();
    if ((code & ui::DLGC_WANTTAB) && !anyTabStop()) return code & ~unsigned(ui::DLGC_WANTTAB);
    return code;
}

void TCustomDBGridEx::Tab(bool GoForward)
{
    ClearSelection();
    const int first = indicatorOffset_;
    const int last = ColCount() - 1;
    // Without any column to stop at, Tab would only walk the records (and append one).
    if (!anyTabStop()) return;
    TUpdateLock lock(*this);
    const int start = Col();
    int col = start;
    for (;;) {
        if (GoForward) {
            if (++col > last) {
                NextRow(false);
                col = first;
            }
        } else if (--col < first) {
            PriorRow(false);
            col = last;
        }
        if (col == start || tabStopAt(col)) break;
    }
    MoveCol(col, 0, false);
}

// ---- characters

bool TCustomDBGridEx::searchTakesCharacter(char key) const
{
    const auto ch = static_cast<unsigned char>(key);
    if ((ch < 32 && ch != 8) || !dataLink_->Active() || db::IsEditState(dataLink_->DataSet()->State())) return false;
    if (incSearchActive_) return true;
    TColumnEx* column = selectedColumn();
    const bool editable = column && column->CanModify(false) && options_.Contains(dgEditing);
    if (optionsEx_.Contains(dghIncSearch) && !editable) return true;
    const TDBGridInplaceEdit* editor = InplaceEdit();
    return optionsEx_.Contains(dghPreferIncSearch) && !options_.Contains(dgAlwaysShowEditor)
           && !(editor && editor->Visible());
}

void TCustomDBGridEx::KeyPress(char& Key)
{
    if (Key == ' ' && checkOrImageColumn() && !options_.Contains(dgRowSelect)) {
        ui::TControl::KeyPress(Key);
        if (Key == ' ') selectedColumn()->SetNextFieldValue(ui::KeyboardShiftState() & ui::ssShift ? -1.0 : 1.0);
        Key = 0;
        return;
    }
    // The tree's keys do not open the cell editor either.
    if (searchTakesCharacter(Key) || treeKeyCharacter(Key)) {
        DoKeyPress(Key);
        return;
    }
    ui::TCustomGrid::KeyPress(Key);
}

void TCustomDBGridEx::DoKeyPress(char& Key)
{
    if (optionsEx_.Contains(dghEnterAsTab) && Key == '\r') Key = '\t';
    if (Key == '\r' && !options_.Contains(dgAlwaysShowEditor)) dataLink_->UpdateData();
    ui::TCustomGrid::DoKeyPress(Key);
    if (static_cast<unsigned char>(Key) < 32 || !searchTakesCharacter(Key)) return;
    const int timeOut = incSearchActive_ ? incSearchTimeOut_ : DBGridExSettings().IncSearchTimeOut;
    StartIncSearch(std::string(1, Key), timeOut, isdFromTop);
    Key = 0;
}

} // namespace grid
