// The filter row: its cells, the editor laid over one of them, the keys that move the
// editor between cells, and applying the conditions to the data set.
#include <algorithm>

#include <QCoreApplication>
#include <QLineEdit>
#include <QMouseEvent>

#include "controls/editors/ButtonPainting.h"
#include "controls/grid/DBGridEx.h"
#include "controls/grid/DBGridExDataService.h"
#include "controls/grid/DBGridExFilterEdit.h"
#include "controls/grid/DBGridExText.h"
#include "platform/db/DataSet.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/UpdateScope.h"

namespace grid {

void TCustomDBGridEx::TFilterEditorDeleter::operator()(TInplaceFilterEditEx* editor) const
{
    delete editor;
}

bool TCustomDBGridEx::HasFilterCell(int DataCol) const
{
    if (DataCol < 0 || DataCol >= columns_->Count()) return false;
    const TColumnEx* column = columns_->Items(DataCol);
    return column->GetVisible() && column->STFilter()->GetVisible();
}

ui::TColor TCustomDBGridEx::FilterRowColor() const
{
    const ui::TColor fixed = ui::ColorToRGB(FixedColor());
    const auto lighter = [](int c) { return static_cast<int>(std::min<std::int64_t>(255, c + rtl::Round(c / 8.0))); };
    return ui::RGB(lighter(ui::GetRValue(fixed)), lighter(ui::GetGValue(fixed)), lighter(ui::GetBValue(fixed)));
}

TInplaceFilterEditEx* TCustomDBGridEx::CreateFilterEditor()
{
    return new TInplaceFilterEditEx(*this);
}

bool TCustomDBGridEx::CanShowFilterEditor()
{
    return filterEditing_ && selection_->SelectionType() == gstNon;
}

int TCustomDBGridEx::nextFilterColumn(int DataCol, bool forward) const
{
    const int count = columns_->Count();
    for (int step = 1; step < count; ++step) {
        const int col = ((DataCol + (forward ? step : -step)) % count + count) % count;
        if (HasFilterCell(col)) return col;
    }
    return DataCol;
}

// ---- opening and closing

void TCustomDBGridEx::StartFilterEdit(int DataCol)
{
    if (!stFilter_->GetVisible() || !HasFilterCell(DataCol)) return;
    if (dataLink_->Active()) dataLink_->DataSet()->CheckBrowseMode();
    if (!filterEditor_) {
        filterEditor_.reset(CreateFilterEditor());
        filterEditor_->OnKeyDown = {this, &TCustomDBGridEx::filterEditKeyDown};
        filterEditor_->OnKeyPress = {this, &TCustomDBGridEx::filterEditKeyPress};
    }
    // What was typed is stored first, also when the same cell is opened again.
    if (filterEditing_ && filterEditor_->Visible()) closeFilterEditor();
    filterEditColumn_ = DataCol;
    filterEditing_ = true;
    HideEditor();
    {
        TLayoutLock lock(*this);
        if (options_.Contains(dgRowSelect)) ClampInView(DataToRawColumn(DataCol), Row());
        else SetSelectedIndex(DataCol);
    }
    InitFilterEditor(DataCol);
    UpdateFilterEditor(true);
    if (filterEditor_->Visible()) {
        filterEditor_->SetFocus();
        filterEditor_->SelectAll();
    }
}

void TCustomDBGridEx::StopFilterEdit()
{
    if (stFilter_->UpdateCount() > 0) return;
    closeFilterEditor();
}

void TCustomDBGridEx::closeFilterEditor()
{
    if (!filterEditor_ || !filterEditing_ || closingFilterEditor_) return;
    TInplaceFilterEditEx& editor = *filterEditor_;
    {
        const rtl::TFlagScope closing(closingFilterEditor_);
        try {
            StoreFilterText(filterEditColumn_);
        } catch (...) {
            // What does not read stays in the open editor, to be put right.
            if (editor.Visible() && !editor.Focused()) editor.SetFocus();
            throw;
        }
        if (editor.Visible() && editor.Focused() && Visible() && CanFocus()) SetFocus();
        editor.Hide();
        if (stFilter_->GetVisible()) InvalidateCell(DataToRawColumn(filterEditColumn_), titleOffset_ - 1);
        filterEditing_ = false;
    }
    if (options_.Contains(dgAlwaysShowEditor)) ShowEditor();
    else HideEditor();
}

void TCustomDBGridEx::UpdateFilterEditor(bool Show)
{
    if (!filterEditor_ || !filterEditing_) return;
    if (!stFilter_->GetVisible() || !HasFilterCell(filterEditColumn_) || !CanShowFilterEditor()) {
        // The editor's column went away, or the grid shows no editor now.
        closeFilterEditor();
        return;
    }
    ui::TRect rect = CellRect(DataToRawColumn(filterEditColumn_), titleOffset_ - 1);
    ++rect.Left;
    TInplaceFilterEditEx& editor = *filterEditor_;
    if (rect.Width() <= 0 || rect.Height() <= 0) {
        // Scrolled out of view.
        if (editor.Focused() && CanFocus()) SetFocus();
        editor.Hide();
        return;
    }
    editor.SetBoundsRect(rect);
    if (!Show) return;
    editor.Show();
    editor.SelectAll();
}

// ---- the editor and the column's condition

void TCustomDBGridEx::InitFilterEditor(int DataCol)
{
    TSTColumnFilterEx& filter = *columns_->Items(DataCol)->STFilter();
    TInplaceFilterEditEx& editor = *filterEditor_;
    editor.SetColor(FilterRowColor());
    if (!filter.HasListSource()) {
        editor.BindList(nullptr, std::string(), std::string());
        editor.GetEditButton()->SetVisible(false);
        editor.SetText(filter.ExpressionText());
        return;
    }
    // Picked only from the list with a key field; else the list's texts are their own keys
    // and any condition may be typed.
    const bool keyed = !filter.GetKeyField().empty();
    editor.SetStyle(keyed ? csDropDownListEx : csDropDownEx);
    editor.BindList(filter.GetListSource(), keyed ? filter.GetKeyField() : filter.GetListField(),
                    filter.GetListField());
    editor.GetEditButton()->SetVisible(true);
    editor.SetValue(filter.CurrentKeyValue());
    // A picked record's text follows its key (several records may show the same text).
    if (!keyed) editor.SetText(filter.ExpressionText());
}

void TCustomDBGridEx::StoreFilterText(int DataCol)
{
    if (!filterEditor_ || DataCol < 0 || DataCol >= columns_->Count()) return;
    TSTColumnFilterEx& filter = *columns_->Items(DataCol)->STFilter();
    const std::string text = filterEditor_->Text();
    // The shown condition is not read again (a quoted text holding a quote would not read).
    if (text == filter.ExpressionText()) return;
    if (!filter.HasListSource()) {
        filter.SetExpressionFromText(text);
        return;
    }
    // A text that is in no record has no key: it is read as a condition.
    filter.SetExpressionFromKeyValue(text.empty() ? rtl::Null() : filterEditor_->GetKeyValue(), text);
}

void TCustomDBGridEx::FilterSettingsChanged(TColumnEx& Column)
{
    if (stFilter_->GetVisible()) InvalidateRow(titleOffset_ - 1);
    if (filterEditor_ && filterEditing_ && Column.GetIndex() == filterEditColumn_ && filterEditor_->Visible()) {
        InitFilterEditor(filterEditColumn_);
        UpdateFilterEditor(false);
    }
}

// ---- applying

void TCustomDBGridEx::ApplyFilter()
{
    if (filterEditor_ && filterEditing_ && filterEditor_->Visible()) StoreFilterText(filterEditColumn_);
    const int leftCol = LeftCol();
    if (OnApplyFilter) OnApplyFilter(this);
    else DefaultApplyFilter();
    SetLeftCol(leftCol);
    UpdateFilterEditor(true);
    if (sumList_->Active()) sumList_->RecalcAll();
    Invalidate();
}

void TCustomDBGridEx::DefaultApplyFilter()
{
    TLayoutLock lock(*this);
    DBGridExDataService().ApplyFilter(*this);
    lock.End();
}

// ---- drawing

void TCustomDBGridEx::DrawFilterCell(int ACol, int ARow, const ui::TRect& Rect, ui::TGridDrawState State)
{
    ui::TCanvas& canvas = Canvas();
    const int dataCol = RawToDataColumn(ACol);
    const TCellArea area = GetCellType(ACol, ARow);
    const bool selected = dataCol >= 0 && selection_->IsColumnSelected(dataCol);
    if (!stFilter_->GetVisible() || !HasFilterCell(dataCol)) {
        ui::TColor background = FixedColor();
        GetFixedCellHighlight(canvas.Font(), background, selected, State, area);
        canvas.Brush().SetColor(background);
        canvas.FillRect(Rect);
        return;
    }
    TColumnEx& column = *columns_->Items(dataCol);
    canvas.Pen().SetColor(ui::clBlack);
    canvas.Font().Assign(Font());
    canvas.Font().SetColor(ui::clBlue);
    ui::TColor background = FilterRowColor();
    GetFixedCellHighlight(canvas.Font(), background, selected, State, area);
    canvas.Brush().SetColor(background);
    canvas.FillRect(Rect);

    ui::TRect textRect = Rect;
    if (column.STFilter()->HasListSource()) {
        const int width = EditButtonWidth();
        ui::TRect button{std::max(Rect.Left, Rect.Right - width), Rect.Top, Rect.Right,
                         std::min(Rect.Bottom, Rect.Top + EditButtonHeight())};
        textRect.Right = button.Left;
        editors::PaintButtonControlEx(canvas, button, background, ui::csUnchecked, true, false, flat_, 0,
                                      editors::bpkDropDownEx);
        if (flat_) {
            canvas.MoveTo(button.Left - 1, Rect.Top);
            canvas.LineTo(button.Left - 1, Rect.Bottom);
            textRect.Right = button.Left - 1;
        }
    }
    const ui::TClipScope clip(canvas, textRect);
    canvas.Brush().SetColor(background);
    canvas.TextRect(textRect, textRect.Left + 1, textRect.Top + 1, column.STFilter()->FilterText());
}

// ---- keys, mouse and focus

void TCustomDBGridEx::filterEditKeyDown(rtl::TObject*, ui::Word& Key, ui::TShiftState Shift)
{
    TInplaceFilterEditEx* editor = filterEditor_.get();
    if (!editor || !filterEditing_ || editor->ListVisible()) return;
    const ui::TShiftState keys = Shift & (ui::ssShift | ui::ssAlt | ui::ssCtrl);
    const int length = static_cast<int>(editor->Text().size());
    const bool caretAlone = editor->SelLength() == 0;
    const bool atStart = caretAlone && editor->SelStart() == 0;
    const bool atEnd = caretAlone && editor->SelStart() == length;
    int target = -1;
    switch (Key) {
    case ui::VK_LEFT:
    case ui::VK_HOME:
        if (keys == 0 && atStart) target = nextFilterColumn(filterEditColumn_, false);
        break;
    case ui::VK_RIGHT:
    case ui::VK_END:
        if (keys == 0 && atEnd) target = nextFilterColumn(filterEditColumn_, true);
        break;
    case ui::VK_TAB:
        if (options_.Contains(dgTabs) && (keys & ~ui::ssShift) == 0)
            target = nextFilterColumn(filterEditColumn_, keys == 0);
        break;
    case ui::VK_UP:
        if (keys != ui::ssShift) Key = 0;
        return;
    case ui::VK_DOWN:
        if ((keys == 0 || keys == ui::ssCtrl) && dataLink_->Active()) {
            Key = 0;
            SetSelectedIndex(filterEditColumn_);
            if (keys == 0) dataLink_->MoveBy(-dataLink_->GetActiveRecord());
            closeFilterEditor();
        }
        return;
    case ui::VK_F2:
        Key = 0;
        editor->SetSelStart(length);
        editor->SetSelLength(0);
        return;
    default:
        return;
    }
    if (target < 0) return;
    Key = 0;
    if (target != filterEditColumn_) StartFilterEdit(target);
}

void TCustomDBGridEx::filterEditKeyPress(rtl::TObject*, char& Key)
{
    if (Key != '\r' || !filterEditor_ || filterEditor_->ListVisible()) return;
    Key = 0;
    ApplyFilter();
}

bool TCustomDBGridEx::FilterRowMouseDown(ui::TMouseButton Button, ui::TShiftState, int X, int Y)
{
    if (!stFilter_->GetVisible()) return false;
    const ui::TGridCoord cell = MouseCoord(X, Y);
    if (cell.Y != titleOffset_ - 1 || cell.X < 0) return false;
    if (filterEditing_) StopFilterEdit();
    const int dataCol = RawToDataColumn(cell.X);
    if ((Button != ui::mbLeft && Button != ui::mbRight) || !HasFilterCell(dataCol)) return false;
    selection_->Clear();
    StartFilterEdit(dataCol);
    if (Button != ui::mbLeft || !filterEditing_ || !filterEditor_->Visible()) return true;
    // The press lands on what lies under it: in the text the caret goes there (a text
    // that is only picked from a list drops the list), on the drop-down button the list
    // drops.
    TInplaceFilterEditEx& editor = *filterEditor_;
    QWidget* target = editor.EditWindow();
    const ui::TPoint offset = ClientOffset();
    const QPoint inGrid(X + offset.X, Y + offset.Y);
    for (int i = 0; i < editor.ButtonControlCount(); ++i) {
        QWidget* button = editor.EditButtonControl(i);
        if (button->isVisible() && button->rect().contains(button->mapFrom(this, inGrid))) target = button;
    }
    const QPointF at = target->mapFrom(this, inGrid);
    const QPointF global = mapToGlobal(QPointF(inGrid));
    QMouseEvent press(QEvent::MouseButtonPress, at, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &release);
    return true;
}

void TCustomDBGridEx::FocusIn(ui::TControl* Previous)
{
    ui::TCustomGrid::FocusIn(Previous);
    // The focus coming back from the grid's own editors leaves filter editing on.
    for (ui::TControl* control = Previous; control; control = control->Parent())
        if (control == this) return;
    if (filterEditing_) StopFilterEdit();
}

void TCustomDBGridEx::CancelMode(ui::TControl* Sender)
{
    ui::TCustomGrid::CancelMode(Sender);
    if (filterEditor_ && filterEditor_->Visible()) ui::SendCancelMode(filterEditor_.get(), Sender);
}

void TCustomDBGridEx::refreshFilterEditor()
{
    if (stFilter_->UpdateCount() == 0) UpdateFilterEditor(filterEditing_);
}

} // namespace grid
