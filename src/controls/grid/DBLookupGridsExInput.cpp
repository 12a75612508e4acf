// The lookup grid's keys, incremental search, mouse with its tracking timer, wheel and
// vertical scroll bar.
#include <algorithm>
#include <cstdint>
#include <limits>

#include "controls/editors/ToolCtrlsEx.h"
#include "controls/grid/DBLookupGridsEx.h"
#include "platform/db/DataSet.h"
#include "platform/rtl/Clock.h"

namespace grid {

namespace {

// The tick of the last search key, shared by every lookup grid.
std::uint32_t& LastSearchTick()
{
    static std::uint32_t tick = 0;
    return tick;
}

constexpr int ToFirst = std::numeric_limits<int>::min();
constexpr int ToLast = std::numeric_limits<int>::max();

} // namespace

// ---- moving the selection

bool TDBLookupGridEx::listAtFirst() const
{
    const db::TDataSet* list = ListDataSet();
    return list && (list->Bof() || list->GetRecNo() == 1);
}

void TDBLookupGridEx::MoveSelection(int Distance)
{
    if (Distance == 0 || !listActive_) return;
    searchText_.clear();
    db::TDataSet* list = ListDataSet();
    TGridDataLinkEx& link = DataLink();
    const bool backward = Distance < 0;
    if (backward && specRow_->GetVisible() && (specRowSelected_ || listAtFirst() || link.RecordCount() == 0)) {
        // Before the first record stands the special row.
        list->First();
        SelectKeyValue(specRow_->GetValue());
        return;
    }
    if (Distance == ToFirst) {
        list->First();
    } else if (Distance == ToLast) {
        list->Last();
    } else if (specRowSelected_) {
        // The first step down from the special row reaches the first record.
        list->First();
        if (Distance > 0) --Distance;
        list->MoveBy(Distance);
    } else {
        int keyRow = -1;
        for (int row = 0; row < link.RecordCount() && keyRow < 0; ++row)
            if (editors::VarEquals(RowKey(row), keyValue_)) keyRow = row;
        if (keyRow < 0) {
            // The key's record is not on screen: the list shows it first.
            UpdateDisplay();
            return;
        }
        list->MoveBy(keyRow - link.GetActiveRecord());
        list->MoveBy(Distance);
    }
    chooseCurrentRecord();
}

void TDBLookupGridEx::chooseCurrentRecord()
{
    const rtl::Variant key = fields_.ListKeyValue();
    if (specRowSelected_ || !editors::VarEquals(key, keyValue_)) SelectKeyValue(key);
}

// ---- keys

void TDBLookupGridEx::KeyDown(ui::Word& key, ui::TShiftState shift)
{
    if (!CanModify()) {
        TCustomDBGridEx::KeyDown(key, shift);
        return;
    }
    const int page = std::max(1, VisibleDataRowCount());
    const bool horzBar = ScrollBarShown(ui::sbHorizontal);
    int distance = 0;
    switch (key) {
    case ui::VK_PRIOR: distance = 1 - page; break;
    case ui::VK_NEXT: distance = page - 1; break;
    case ui::VK_UP: distance = -1; break;
    case ui::VK_DOWN: distance = 1; break;
    case ui::VK_LEFT: distance = horzBar ? 0 : -1; break;
    case ui::VK_RIGHT: distance = horzBar ? 0 : 1; break;
    case ui::VK_HOME: distance = ToFirst; break;
    case ui::VK_END: distance = ToLast; break;
    default: break;
    }
    if (distance == 0 && key != ui::VK_PRIOR && key != ui::VK_NEXT) {
        TCustomDBGridEx::KeyDown(key, shift);
        return;
    }
    if (OnKeyDown) OnKeyDown(this, key, shift);
    if (key == 0) return;
    key = 0;
    // A page of one row moves nowhere.
    if (distance != 0) MoveSelection(distance);
}

void TDBLookupGridEx::KeyPress(char& key)
{
    const auto ch = static_cast<unsigned char>(key);
    if (ch == ui::VK_BACK || ch == ui::VK_ESCAPE || ch >= 32) {
        ProcessSearchKey(key);
        if (ch >= 32) key = 0;
    }
    TCustomDBGridEx::KeyPress(key);
}

void TDBLookupGridEx::ProcessSearchKey(char Key)
{
    const db::TField* listField = fields_.ListField;
    if (!listActive_ || !fields_.ListFieldSearchable()) return;
    const auto ch = static_cast<unsigned char>(Key);
    if (ch == ui::VK_BACK || ch == ui::VK_ESCAPE) {
        searchText_.clear();
        return;
    }
    if (ch < 32 || !CanModify()) return;
    const std::uint32_t now = rtl::GetTickCount();
    if (now - LastSearchTick() > static_cast<std::uint32_t>(SearchResetMs)) searchText_.clear();
    LastSearchTick() = now;
    if (searchText_.size() >= static_cast<std::size_t>(SearchMaxLength)) return;
    const std::string text = searchText_ + Key;
    if (!ListDataSet()->Locate(listField->GetFieldName(), rtl::Variant(text), db::loCaseInsensitive | db::loPartialKey))
        return;
    searchText_ = text;
    SelectKeyValue(fields_.ListKeyValue());
}

unsigned TDBLookupGridEx::DialogCode() const
{
    return ui::DLGC_WANTARROWS | ui::DLGC_WANTCHARS;
}

void TDBLookupGridEx::FocusIn(ui::TControl* previous)
{
    searchText_.clear();
    TCustomDBGridEx::FocusIn(previous);
}

void TDBLookupGridEx::FocusOut(ui::TControl* next)
{
    searchText_.clear();
    TCustomDBGridEx::FocusOut(next);
}

// ---- mouse

int TDBLookupGridEx::RowAt(int y) const
{
    const ui::TGridCoord cell = MouseCoord(LayoutX(0), y);
    if (cell.Y < 0) return NoRow;
    if (cell.Y == SpecRowGridRow()) return SpecialRow;
    const int row = cell.Y - TitleOffset();
    if (row < 0 || row >= DataLink().RecordCount()) return NoRow;
    return row;
}

void TDBLookupGridEx::SelectRow(int row)
{
    if (row == SpecialRow) {
        if (!specRowSelected_) SelectKeyValue(specRow_->GetValue());
        return;
    }
    if (row < 0 || !listActive_) return;
    TGridDataLinkEx& link = DataLink();
    ListDataSet()->MoveBy(row - link.GetActiveRecord());
    chooseCurrentRecord();
}

void TDBLookupGridEx::MouseDown(ui::TMouseButton button, ui::TShiftState shift, int x, int y)
{
    const int row = RowAt(y);
    if (row == NoRow || x < 0 || x >= ClientWidth()) {
        TCustomDBGridEx::MouseDown(button, shift, x, y);
        return;
    }
    if (OnMouseDown) OnMouseDown(this, button, shift, x, y);
    if (button != ui::mbLeft) return;
    searchText_.clear();
    if (CanFocus() && !Focused()) {
        SetFocus();
        if (!Focused()) return;
    }
    if (!CanModify()) return;
    if (shift & ui::ssDouble) {
        const bool current = row == SpecialRow ? specRowSelected_
                                               : !specRowSelected_ && editors::VarEquals(RowKey(row), keyValue_);
        if (current) TCustomDBGridEx::DblClick();
        return;
    }
    tracking_ = true;
    mouseRowPos_ = y;
    SetMouseCapture(true);
    SelectRow(row);
}

void TDBLookupGridEx::DblClick()
{
    // Fired by the press on the current row (MouseDown).
}

void TDBLookupGridEx::MouseMove(ui::TShiftState shift, int x, int y)
{
    if (!tracking_) {
        TCustomDBGridEx::MouseMove(shift, x, y);
        return;
    }
    mouseRowPos_ = y;
    trackTo(y);
    if (OnMouseMove) OnMouseMove(this, shift, x, y);
}

void TDBLookupGridEx::trackTo(int y)
{
    const int height = ClientHeight();
    if (y >= 0 && y < height) {
        KillTimer(TrackTimerId);
        const int row = RowAt(y);
        if (row != NoRow) SelectRow(row);
        return;
    }
    // Beyond an edge the timer steps the list, the faster the further away.
    const int beyond = y < 0 ? -y : y - height + 1;
    const int interval = std::max(0, 200 - 15 * beyond);
    if (!TimerActive(TrackTimerId) || TimerInterval(TrackTimerId) != interval) SetTimer(TrackTimerId, interval);
}

void TDBLookupGridEx::TimerTick(int id)
{
    if (id != TrackTimerId) {
        TCustomDBGridEx::TimerTick(id);
        return;
    }
    if (!tracking_ || !listActive_) {
        KillTimer(TrackTimerId);
        return;
    }
    const int y = mouseRowPos_;
    if (y >= 0 && y < ClientHeight()) {
        KillTimer(TrackTimerId);
        return;
    }
    db::TDataSet* list = ListDataSet();
    if (y < 0 && specRow_->GetVisible() && (listAtFirst() || specRowSelected_)) {
        if (!specRowSelected_) SelectKeyValue(specRow_->GetValue());
        return;
    }
    const TGridDataLinkEx& link = DataLink();
    // One record beyond the rows on screen.
    if (y < 0) list->MoveBy(-link.GetActiveRecord() - 1);
    else list->MoveBy(link.RecordCount() - link.GetActiveRecord());
    chooseCurrentRecord();
    trackTo(y);
}

void TDBLookupGridEx::MouseUp(ui::TMouseButton button, ui::TShiftState shift, int x, int y)
{
    if (!tracking_) {
        TCustomDBGridEx::MouseUp(button, shift, x, y);
        return;
    }
    stopTracking();
    const int row = RowAt(y);
    if (y >= 0 && y < ClientHeight() && row != NoRow) SelectRow(row);
    if (OnMouseUp) OnMouseUp(this, button, shift, x, y);
}

void TDBLookupGridEx::stopTracking()
{
    if (!tracking_) return;
    tracking_ = false;
    KillTimer(TrackTimerId);
    if (MouseCapture()) SetMouseCapture(false);
}

void TDBLookupGridEx::CaptureCancelled()
{
    stopTracking();
    TCustomDBGridEx::CaptureCancelled();
}

// ---- wheel and scroll bar: the list moves, the key stays

bool TDBLookupGridEx::DoMouseWheelDown(ui::TShiftState, ui::TPoint)
{
    if (!listActive_) return false;
    searchText_.clear();
    const TGridDataLinkEx& link = DataLink();
    ListDataSet()->MoveBy(link.RecordCount() - link.GetActiveRecord());
    return true;
}

bool TDBLookupGridEx::DoMouseWheelUp(ui::TShiftState, ui::TPoint)
{
    if (!listActive_) return false;
    searchText_.clear();
    ListDataSet()->MoveBy(-DataLink().GetActiveRecord() - 1);
    return true;
}

void TDBLookupGridEx::Scroll(int Distance)
{
    TCustomDBGridEx::Scroll(Distance);
    UpdateScrollInfo();
}

void TDBLookupGridEx::UpdateScrollInfo()
{
    if (HasState(rtl::csDestroying)) return;
    UpdateScrollRange();
    UpdateScrollPos();
}

bool TDBLookupGridEx::GetVertScrollInfo(TScrollBarInfo& info) const
{
    info = TScrollBarInfo{};
    const TGridDataLinkEx& link = DataLink();
    if (!listActive_ || !link.Active()) return true;
    db::TDataSet* list = link.DataSet();
    const int records = link.RecordCount();
    const int active = link.GetActiveRecord();
    if (list->IsSequenced()) {
        const int count = list->RecordCount();
        info.Shown = count > records;
        info.Min = 1;
        info.Max = std::max(1, count);
        info.Page = std::max(1, records);
        info.Position = std::max(1, list->GetRecNo() - active);
        return true;
    }
    // Without record numbers the bar tells the start, the middle and the end.
    info.Shown = records >= link.GetBufferCount() && !(list->Bof() && list->Eof());
    info.Min = 0;
    info.Max = 4;
    info.Page = 1;
    info.Position = 2;
    if (list->Bof()) info.Position = 0;
    else if (list->Eof()) info.Position = 4;
    return true;
}

void TDBLookupGridEx::ScrollMessage(ui::TScrollBarKind kind, ui::TScrollCode code, int& pos)
{
    if (kind != ui::sbVertical || !listActive_) {
        TCustomDBGridEx::ScrollMessage(kind, code, pos);
        return;
    }
    searchText_.clear();
    db::TDataSet* list = ListDataSet();
    const TGridDataLinkEx& link = DataLink();
    const int r = link.RecordCount();
    const int a = link.GetActiveRecord();
    switch (code) {
    case ui::scLineUp: list->MoveBy(-a - 1); break;
    case ui::scLineDown: list->MoveBy(r - a); break;
    case ui::scPageUp: list->MoveBy(-a - r + 1); break;
    case ui::scPageDown: list->MoveBy(2 * r - a - 2); break;
    case ui::scTop: list->First(); break;
    case ui::scBottom: list->Last(); break;
    case ui::scTrack:
    case ui::scPosition:
        if (list->IsSequenced()) {
            list->SetRecNo(std::max(1, pos));
        } else if (code == ui::scPosition) {
            switch (pos) {
            case 0: list->First(); break;
            case 1: list->MoveBy(-a - r + 1); break;
            case 3: list->MoveBy(2 * r - a - 2); break;
            case 4: list->Last(); break;
            default: break;
            }
        }
        break;
    case ui::scEndScroll: break;
    }
    UpdateScrollInfo();
    TScrollBarInfo info;
    GetVertScrollInfo(info);
    pos = info.Position;
}

} // namespace grid
