// The cell editor's drop-downs: the pick list, the calendar and the calculator, what
// they hand over when they close, the keys they take while open, and the list of
// recently used texts under the text.
#include <algorithm>

#include <QCalendarWidget>
#include <QCoreApplication>
#include <QKeyEvent>

#include "controls/editors/CalculatorEx.h"
#include "controls/editors/DropDownPlacement.h"
#include "controls/editors/DropDownWindows.h"
#include "controls/editors/ItemSearch.h"
#include "controls/grid/DBGridEx.h"
#include "controls/grid/DBGridExInplaceEdit.h"
#include "controls/grid/DBLookupGridsEx.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/UpdateScope.h"
#include "platform/ui/Keys.h"
#include "platform/ui/Popup.h"

namespace grid {

namespace {

// A key as the keyboard would give it to a drop-down's own widget (a drop-down never has
// the focus: the editor hands it the keys that move in it).
void SendKey(QWidget* target, ui::Word key, ui::TShiftState shift)
{
    QKeyEvent press(QEvent::KeyPress, ui::QtKeyOf(key), ui::ModifiersOf(shift));
    QCoreApplication::sendEvent(target, &press);
}

} // namespace

// ---- the drop-downs, made on first use ----

editors::TPopupListboxEx* TDBGridInplaceEdit::pickList()
{
    if (pickList_) return pickList_;
    pickList_ = new editors::TPopupListboxEx(this);
    pickList_->Hide();
    pickList_->OnMouseUp = ui::TMouseEvent(this, &TDBGridInplaceEdit::pickListMouseUp);
    pickList_->OnGetItemImageIndex =
        editors::TListGetImageIndexEventEx(this, &TDBGridInplaceEdit::PickListGetItemImageIndex);
    return pickList_;
}

editors::TPopupMonthCalendarEx* TDBGridInplaceEdit::calendar()
{
    if (calendar_) return calendar_;
    calendar_ = new editors::TPopupMonthCalendarEx(this);
    calendar_->Hide();
    return calendar_;
}

editors::TPopupCalculatorEx* TDBGridInplaceEdit::calculator()
{
    if (calculator_) return calculator_;
    calculator_ = new editors::TPopupCalculatorEx(this);
    calculator_->Hide();
    calculator_->SetParent(this);
    return calculator_;
}

void TDBGridInplaceEdit::PickListGetItemImageIndex(rtl::TObject*, int, int&) {}

TPopupDataGridEx* TDBGridInplaceEdit::LookupGrid() const { return lookupGrid_.data(); }

// ---- opening ----

void TDBGridInplaceEdit::DropDown()
{
    TColumnEx* column = Column();
    if (listVisible_ || !dropDown_ || !column) return;
    if (MRUListDropped()) CloseUpMRUList(false);
    if (dropDown_ == pickList_) {
        dropDownPickList(*column);
        showDropDown(pickList_, column->GetDropDownSizing());
    } else if (dropDown_ == calendar_) {
        dropDownCalendar();
        showDropDown(calendar_, false);
    } else if (dropDown_ == calculator_) {
        dropDownCalculator();
        showDropDown(calculator_, false);
    } else if (lookupGrid_ && dropDown_ == lookupGrid_) {
        if (dropDownDataList(*column)) showDropDown(lookupGrid_, column->GetDropDownSizing());
    }
}

void TDBGridInplaceEdit::dropDownPickList(TColumnEx& column)
{
    editors::TPopupListboxEx* box = pickList_;
    box->SetColor(Color());
    box->Font().Assign(Font());
    ui::TCustomImageList* images = column.GetShowImageAndText() ? column.GetImageList() : nullptr;
    box->SetImageList(images);
    box->SetItemHeight(std::max(box->GetTextHeight(), images ? images->Height() : 0));
    // Only the lines that have a key are offered in a key pick list.
    const int count = pickListCount(column);
    const rtl::TStrings& lines = column.GetPickList();
    {
        const rtl::TUpdateScope update(box->Items());
        box->Items().Clear();
        for (int i = 0; i < count; ++i) box->Items().Add(lines[i]);
    }
    const db::TField* field = column.Field();
    box->SetItemIndex(field && !field->IsNull() ? box->Items().IndexOf(Text()) : -1);
    const int rows = std::min(count, column.GetDropDownRows());
    // At least as wide as the cell and as the widest line, and as the user last made it.
    const int width = std::max({Width(), box->WidthForItems(rows), column.GetDropDownWidth()});
    box->SetBounds(box->Left(), box->Top(), width, box->Height());
    box->SetRows(rows);
}

void TDBGridInplaceEdit::dropDownCalendar()
{
    rtl::TDateTime date = rtl::Date();
    const std::string text = rtl::Trim(Text());
    // A text that reads as no date opens today's.
    if (!text.empty() && !rtl::TryStrToDateTime(text, date)) date = rtl::Date();
    calendar_->SetDate(date);
}

void TDBGridInplaceEdit::dropDownCalculator()
{
    double value = 0;
    const std::string text = rtl::Trim(Text());
    if (!text.empty() && !rtl::TryStrToFloat(text, value)) value = 0;
    editors::IPopupValueEditorEx& popup = *calculator_;
    popup.SetValue(rtl::Variant(value));
    popup.SetFlat(grid_.GetFlat());
}

bool TDBGridInplaceEdit::dropDownDataList(TColumnEx& column)
{
    db::TDataSet* list = column.LookupListDataSet();
    const db::TField* field = column.Field();
    if (!list || !field || !list->GetActive()) return false;
    TPopupDataGridEx& grid = *lookupGrid_;
    grid.SetKeyValue(rtl::Null());
    grid.SetColor(column.GetColor());
    grid.SetFont(column.GetFont());
    grid.SpecRow().Assign(column.DropDownSpecRow());
    grid.SetShowTitles(column.GetDropDownShowTitles());
    int rows = column.GetDropDownRows();
    if (list->IsSequenced()) rows = std::max(1, std::min(rows, list->RecordCount()));
    listSource_.SetDataSet(list);
    grid.SetListSource(nullptr);
    grid.SetKeyField(field->GetLookupKeyFields());
    grid.SetListField(column.GetLookupDisplayFields());
    grid.SetListFieldIndex(column.LookupResultIndex());
    grid.SetListSource(&listSource_);
    grid.SetRowCount(rows);
    // -1 fits the columns to their content, 0 takes the cell's width; never narrower.
    int width = column.GetDropDownWidth();
    if (width == -1) {
        grid.OptimizeColWidths(grid.VisibleColumns());
        width = grid.WidthForColumns();
    }
    grid.SetBounds(grid.Left(), grid.Top(), std::max(width, Width()), grid.Height());
    // The cell's key: the one typed or chosen for its text, else the record's.
    const bool typedKey = !rtl::VarIsNull(grid_.EditKeyValue()) && grid_.EditKeyText() == Text();
    grid.SetKeyValue(typedKey ? grid_.EditKeyValue() : field->DataSet()->GetFieldValues(field->GetKeyFields()));
    grid.OnCloseUp = editors::TCloseUpEventEx(this, &TDBGridInplaceEdit::lookupGridCloseUp);
    grid.OnUserChange = rtl::TNotifyEvent(this, &TDBGridInplaceEdit::lookupGridChanged);
    return true;
}

void TDBGridInplaceEdit::showDropDown(ui::TControl* control, bool sizeGrip)
{
    const ui::TPoint at = editors::AlignDropDownWindowRect(editors::ScreenRect(this), control, editors::daLeft);
    control->SetBounds(at.X, at.Y, control->Width(), control->Height());
    ui::ShowPopupNoActivate(control);
    if (control == pickList_) {
        pickList_->SizeGrip()->SetGripVisible(sizeGrip);
        pickList_->SetSized(false);
    } else if (lookupGrid_ && control == lookupGrid_) {
        lookupGrid_->SizeGrip()->SetGripVisible(sizeGrip);
        lookupGrid_->SetResized(false);
    }
    listVisible_ = true;
    listColumn_ = Column();
    if (ButtonControlCount() > 0) EditButtonControl(0)->SetAlwaysDown(true);
    SetCaretVisible(false);
}

// ---- closing ----

void TDBGridInplaceEdit::CloseUp(bool Accept)
{
    ui::TControl* control = dropDown_;
    if (control && control->Focused() && grid_.CanFocus()) grid_.SetFocus();
    if (!listVisible_ || !control) return;
    if (ui::TControl* capture = ui::TControl::CaptureControl())
        if (capture == control || control->isAncestorOf(capture)) capture->SetMouseCapture(false);
    // What the list holds, and the size the user gave it with its grip.
    TPopupDataGridEx* lookup = control == lookupGrid_ ? lookupGrid_.data() : nullptr;
    const int index = control == pickList_ ? pickList_->ItemIndex() : -1;
    const rtl::Variant key = lookup ? lookup->GetKeyValue() : rtl::Null();
    const std::string text = lookup ? lookup->Text() : std::string();
    const bool specRowChosen = lookup && lookup->SpecRowSelected();
    const std::string specRowTexts = lookup ? lookup->SpecRow().GetCellsText() : std::string();
    bool resized = false;
    int rows = 0;
    if (control == pickList_ && pickList_->Sized()) {
        resized = true;
        rows = pickList_->RowCount();
    } else if (lookup && lookup->Resized()) {
        resized = true;
        rows = lookup->GetRowCount();
    }
    const int width = control->Width();
    control->Hide();
    listVisible_ = false;
    if (lookup) {
        lookup->OnCloseUp = nullptr;
        lookup->OnUserChange = nullptr;
        lookup->SetListSource(nullptr);
    }
    if (ButtonControlCount() > 0) EditButtonControl(0)->SetAlwaysDown(false);
    SetCaretVisible(true);
    Invalidate();
    // Closed for another cell's column (the grid moved on), it hands nothing over.
    TColumnEx* column = Column();
    if (!column || column != listColumn_) return;
    if (resized) {
        // The size the user gave the list with its grip is the column's from now on.
        column->SetDropDownRows(rows);
        column->SetDropDownWidth(width);
    }
    if (specRowChosen) column->DropDownSpecRow()->SetCellsText(specRowTexts);
    if (!Accept) {
        if (control == pickList_ || lookup) ShowText(grid_.CurrentEditText());
        return;
    }
    if (control == pickList_) acceptPickList(*column, index);
    else if (control == calendar_) acceptCalendar(*column);
    else if (control == calculator_) acceptCalculator(*column);
    else if (lookup) acceptDataList(*column, key, text);
}

void TDBGridInplaceEdit::acceptPickList(TColumnEx&, int index)
{
    if (index < 0 || index >= pickList_->Count() || !EditCanModify()) return;
    setOwnText(pickList_->Items().StringAt(index));
    if (Focused()) SelectAll();
    UpdateImageIndex();
}

void TDBGridInplaceEdit::acceptCalendar(TColumnEx& column)
{
    if (!column.CanModify(true) || !EditCanModify()) return;
    const rtl::TDateTime date = calendar_->Date();
    column.UpdateDataValues(rtl::DateToStr(date), rtl::Variant::FromDateTime(date), false);
    if (Focused()) SelectAll();
}

void TDBGridInplaceEdit::acceptCalculator(TColumnEx&)
{
    if (!EditCanModify()) return;
    const rtl::Variant value = static_cast<editors::IPopupValueEditorEx*>(calculator_)->GetValue();
    // An error of the calculator is no number.
    if (!value.IsNumeric()) return;
    setOwnText(rtl::FloatToStr(value.AsFloat()));
    if (Focused()) SelectAll();
}

void TDBGridInplaceEdit::acceptDataList(TColumnEx& column, const rtl::Variant& key, const std::string& text)
{
    if (!column.CanModify(true) || !EditCanModify()) return;
    grid_.DataLink().Modified();
    setOwnText(text);
    // The grid writes this key for the text.
    grid_.SetEditKeyValue(key, text);
    SelectAll();
}

void TDBGridInplaceEdit::lookupGridCloseUp(rtl::TObject*, bool accept) { CloseUp(accept); }

void TDBGridInplaceEdit::lookupGridChanged(rtl::TObject*)
{
    // The text of the row the user moved to; the grid keeps its edit text meanwhile.
    if (!listVisible_ || !lookupGrid_) return;
    if (lookupGrid_->Text() != Text()) ShowText(lookupGrid_->Text());
    SelectAll();
}

void TDBGridInplaceEdit::lookupGridDestroyed()
{
    lookupGrid_ = nullptr;
    if (editStyle_ != cesDataListEx) return;
    // Until the next refresh the editor has no list.
    editStyle_ = cesNoneEx;
    dropDown_ = nullptr;
    if (!listVisible_) return;
    listVisible_ = false;
    if (ButtonControlCount() > 0) EditButtonControl(0)->SetAlwaysDown(false);
    SetCaretVisible(true);
}

void TDBGridInplaceEdit::pickListMouseUp(rtl::TObject*, ui::TMouseButton button, ui::TShiftState, int x, int y)
{
    if (pickList_->MouseCapture()) pickList_->SetMouseCapture(false);
    CloseUp(button == ui::mbLeft && pickList_->ClientRect().Contains({x, y}));
}

// ---- keys while a drop-down is open ----

bool TDBGridInplaceEdit::routeListKey(ui::Word& key, ui::TShiftState shift)
{
    if (!listVisible_) return false;
    if (dropDown_ == calculator_) {
        // Enter and Esc are the calculator's; its characters come as they are typed.
        if (key == ui::VK_RETURN) {
            key = 0;
            calculator_->CalcKey('\r');
            return true;
        }
        if (key == ui::VK_ESCAPE) {
            SendKey(calculator_, key, shift);
            key = 0;
            return true;
        }
        return false;
    }
    bool moves = false;
    switch (key) {
    case ui::VK_UP:
    case ui::VK_DOWN:
    case ui::VK_PRIOR:
    case ui::VK_NEXT:
        moves = !(shift & ui::ssShift);
        break;
    case ui::VK_HOME:
    case ui::VK_END:
        moves = shift & ui::ssCtrl;
        // The first and the last line, as Home and End go there in the list itself.
        shift &= ~static_cast<ui::TShiftState>(ui::ssCtrl);
        break;
    case ui::VK_LEFT:
    case ui::VK_RIGHT:
        moves = dropDown_ == calendar_;
        break;
    default:
        break;
    }
    if (!moves) return false;
    if (dropDown_ == pickList_) {
        pickList_->KeyDownFromOwner(key, shift);
        showPickListItem();
    } else if (dropDown_ == calendar_) {
        QWidget* view = calendar_->CalendarWidget()->focusProxy();
        SendKey(view ? view : calendar_->CalendarWidget(), key, shift);
    } else if (lookupGrid_) {
        lookupGrid_->KeyDownFromOwner(key, shift);
        lookupGridChanged(lookupGrid_);
    }
    key = 0;
    return true;
}

void TDBGridInplaceEdit::showPickListItem()
{
    const int index = pickList_->ItemIndex();
    if (index < 0) return;
    const std::string& line = pickList_->Items().StringAt(index);
    // The grid keeps its edit text until the list closes accepting.
    if (line != Text()) ShowText(line);
    SelectAll();
}

bool TDBGridInplaceEdit::routeMRUKey(ui::Word& key, ui::TShiftState shift)
{
    if (!MRUListDropped()) return false;
    if (key == ui::VK_RETURN || key == ui::VK_ESCAPE) {
        const bool accept = key == ui::VK_RETURN;
        key = 0;
        CloseUpMRUList(accept);
        return true;
    }
    return mruListBox_->MoveByOwnerKey(key, shift);
}

// ---- recently used texts ----

bool TDBGridInplaceEdit::MRUListDropped() const { return mruListBox_ && mruListBox_->Visible(); }

editors::TMRUListboxEx* TDBGridInplaceEdit::mruListBox()
{
    if (mruListBox_) return mruListBox_;
    mruListBox_ = new editors::TMRUListboxEx(this);
    mruListBox_->SetCtl3D(false);
    mruListBox_->Hide();
    mruListBox_->OnMouseUp = ui::TMouseEvent(this, &TDBGridInplaceEdit::mruListMouseUp);
    mruListBox_->SizeGrip()->OnParentResized = rtl::TNotifyEvent(this, &TDBGridInplaceEdit::mruListResized);
    return mruListBox_;
}

void TDBGridInplaceEdit::updateMRUList()
{
    const TColumnEx* column = Column();
    if (!column) return;
    const std::string emptyText = IsMasked() ? Mask().EmptyText() : std::string();
    const bool empty = EditText() == emptyText;
    if (MRUListDropped() && empty) CloseUpMRUList(false);
    // Only while the user types here: the list does not open under a text the grid loads.
    else if (column->MRUList()->GetActive() && Showing() && Focused() && !listVisible_ && !empty) DropDownMRUList();
}

void TDBGridInplaceEdit::DropDownMRUList()
{
    TColumnEx* column = Column();
    if (!column) return;
    editors::TMRUListEx& list = *column->MRUList();
    editors::TMRUListboxEx* box = mruListBox();
    const bool sized = box->Sized();
    // A key waiting cuts the filtering short: the list goes on with what it found.
    if (!list.FilterItemsTo(box->Items(), Text()) && MRUListDropped()) CloseUpMRUList(false);
    const int rows = std::min(box->Count(), list.GetRows());
    const ui::TRect text = TextRect();
    const ui::TPoint origin = ClientToScreen(text.TopLeft());
    const ui::TRect host = ui::Bounds(origin.X, origin.Y, text.Width(), text.Height());
    if (MRUListDropped()) {
        box->PlaceUnder(host);
        box->SetSized(sized);
        if (box->Count() == 0) CloseUpMRUList(false);
        return;
    }
    if (box->Count() == 0) return;
    // The width the user gave it, when it is wider than the text.
    const int width = list.GetWidth() > host.Width() ? list.GetWidth() : host.Width();
    box->DropDownUnder(host, rows, width, *this);
    list.SetDroppedDown(true);
    box->SetSized(false);
}

void TDBGridInplaceEdit::CloseUpMRUList(bool Accept)
{
    if (!MRUListDropped()) return;
    editors::TMRUListboxEx* box = mruListBox_;
    if (box->MouseCapture()) box->SetMouseCapture(false);
    box->Hide();
    if (TColumnEx* column = Column()) column->MRUList()->SetDroppedDown(false);
    const int index = box->ItemIndex();
    if (!Accept || index < 0 || !EditCanModify()) return;
    setOwnText(box->Items().StringAt(index));
    if (Focused()) SelectAll();
}

void TDBGridInplaceEdit::mruListMouseUp(rtl::TObject*, ui::TMouseButton, ui::TShiftState, int x, int y)
{
    CloseUpMRUList(mruListBox_->ClientRect().Contains({x, y}));
}

void TDBGridInplaceEdit::mruListResized(rtl::TObject*)
{
    TColumnEx* column = Column();
    if (!MRUListDropped() || !column) return;
    column->MRUList()->SetRows(mruListBox_->RowCount());
    column->MRUList()->SetWidth(mruListBox_->Width());
}

} // namespace grid
