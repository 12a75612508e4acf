// The grid object: construction and destruction, binding, locks, column mapping, edit
// rules, focus, removal notices, scaling and the events' firing operations.
#include "controls/grid/DBGridEx.h"

#include <QMenu>
#include <QVariant>

#include "controls/grid/DBGridExFilterEdit.h"
#include "controls/grid/DBGridExInplaceEdit.h"
#include "controls/grid/DBGridExUtils.h"
#include "platform/db/FieldTypes.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/InplaceEdit.h"

namespace grid {

TCustomDBGridEx::TCustomDBGridEx(ui::TControl* parent) : TCustomDBGridEx(parent, TDBGridExClasses{})
{
}

TCustomDBGridEx::TCustomDBGridEx(ui::TControl* parent, const TDBGridExClasses& classes) : ui::TCustomGrid(parent)
{
    applyBaseOptions();
    SetScrollBars(ui::ssHorizontal);

    columnDefValues_ = classes.ColumnDefValuesClass ? classes.ColumnDefValuesClass(*this)
                                                    : std::make_unique<TDBGridExColumnDefValuesEx>(*this);
    columns_ = std::make_unique<TDBGridColumnsEx>(*this, classes.ColumnClass);

    SetRowCount(2);
    SetColCount(2);
    dataLink_ = std::make_unique<TGridDataLinkEx>(*this);

    SetColor(ui::clWindow);
    footerColor_ = ui::clWindow;
    SetParentColor(false);

    titleFont_.OnChange = {this, &TCustomDBGridEx::titleFontChanged};

    HideEditor();
    titleTreeRoot_ = std::make_unique<THeadTreeNode>("Root", 0, 0);

    sumList_ = CreateSumList();
    horzScrollBar_ = std::make_unique<TDBGridExScrollBar>(*this, ui::sbHorizontal);
    vertScrollBar_ = std::make_unique<TVertDBGridExScrollBar>(*this);
    selection_ = CreateSelection();

    footerFont_.OnChange = {this, &TCustomDBGridEx::footerFontChanged};
    stFilter_ = std::make_unique<TSTDBGridExFilter>(*this);

    style_ = &DBGridExStyle();
    style_->AddGrid(this);
}

TCustomDBGridEx::~TCustomDBGridEx()
{
    // Notices raised while the parts go must not reach a grid that is half gone.
    Destroying();
    filterEditing_ = false;
    filterEditor_.reset();
    memTable_ = nullptr;
    if (style_) style_->RemoveGrid(this);
    selection_->Clear();
    columns_.reset();
    columnDefValues_.reset();
    visibleColumns_.Clear();
    sortMarkedColumns_.Clear();
    dataLink_.reset();
    horzScrollBar_.reset();
    vertScrollBar_.reset();
    if (titleImages_ && !titleImages_->HasState(rtl::csDestroying))
        titleImages_->ChangeListeners().Remove({this, &TCustomDBGridEx::titleImagesChanged});
    titleLeaves_.clear();
    titleTreeRoot_.reset();
    sumList_.reset();
    selection_.reset();
    stFilter_.reset();
}

// ---- binding

void TCustomDBGridEx::SetDataSource(db::TDataSource* value)
{
    if (value == GetDataSource()) return;
    ClearSelection();
    dataLink_->SetDataSource(value);
    if (value) FreeNotification(value);
    LinkActive(dataLink_->Active());
    sumList_->SetDataSet(value ? value->GetDataSet() : nullptr);
}

void TCustomDBGridEx::DefineFieldMap()
{
    db::TDataSet* dataSet = dataLink_->DataSet();
    if (!columns_->Customized()) {
        dataLink_->SetSparseMap(false);
        if (dataSet)
            for (db::TField* field : dataSet->Fields())
                if (field->GetVisible()) dataLink_->AddMapping(field->GetFieldName());
        return;
    }
    dataLink_->SetSparseMap(true);
    for (int i = 0; i < columns_->Count(); ++i) dataLink_->AddMapping(columns_->Items(i)->GetFieldName());
}

void TCustomDBGridEx::RecordChanged(db::TField* Field)
{
    if (!HandleAllocated()) return;
    if (Field) {
        // The row of the data set's current record, which a program or another control
        // may have moved away from the grid's cursor.
        const int row = currentRecordRow();
        for (int i = 0; i < columns_->Count(); ++i)
            if (columns_->Items(i)->Field() == Field) {
                if (row < RowCount()) InvalidateRow(row);
                break;
            }
    } else {
        Invalidate();
    }
    TColumnEx* column = selectedColumn();
    if (!column || (Field && Field != column->Field())) return;
    if (editorTextOf(*column) != currentEditText_) InvalidateEditor();
}

void TCustomDBGridEx::InvalidateIndicator()
{
    if (HandleAllocated() && options_.Contains(dgIndicator)) InvalidateCell(0, Row());
}

bool TCustomDBGridEx::FocusField(db::TField* Field)
{
    for (int i = 0; i < columns_->Count(); ++i) {
        const TColumnEx* column = columns_->Items(i);
        if (column->Field() != Field || !column->GetVisible()) continue;
        SetSelectedIndex(i);
        break;
    }
    // A grid that cannot take the focus leaves the request to the field's other controls.
    if (SelectedField() != Field || !CanFocus()) return false;
    SetFocus();
    SetEditorMode(true);
    return true;
}

void TCustomDBGridEx::Notification(rtl::TComponent* component, rtl::TOperation operation)
{
    ui::TCustomGrid::Notification(component, operation);
    // The component may be half destroyed: it is only compared, never asked.
    if (operation != rtl::opRemove || !columns_ || HasState(rtl::csDestroying)) return;
    if (component == titleImages_) titleImages_ = nullptr;
    if (component == memTableDataSet_) {
        memTable_ = nullptr;
        memTableDataSet_ = nullptr;
    }
    for (TDBGridExScrollBar* bar : {horzScrollBar_.get(), vertScrollBar_.get()})
        if (bar->GetExtScrollBar() && component == bar->GetExtScrollBar()) bar->SetExtScrollBar(nullptr);
    if (dataLink_ && component == GetDataSource()) SetDataSource(nullptr);
    bool fieldGone = false;
    for (int i = 0; i < columns_->Count(); ++i) {
        TColumnEx* column = columns_->Items(i);
        if (column->GetImageList() && component == column->GetImageList()) column->SetImageList(nullptr);
        TColumnDropDownBoxEx* box = column->DropDownBox();
        if (box->GetListSource() && component == box->GetListSource()) box->SetListSource(nullptr);
        if (column->BoundField() && component == column->BoundField()) fieldGone = true;
    }
    if (!fieldGone) return;
    TLayoutLock lock(*this);
    for (int i = 0; i < columns_->Count(); ++i)
        if (component == columns_->Items(i)->BoundField()) columns_->Items(i)->ForgetField();
    const db::TDataSet* dataSet = dataLink_ ? dataLink_->DataSet() : nullptr;
    if (dataSet && !dataSet->HasState(rtl::csDestroying)) lock.End();
    else lock.Defer();
}

void TCustomDBGridEx::Loaded()
{
    ui::TCustomGrid::Loaded();
    if (columns_->Count() > 0) SetColCount(DataToRawColumn(columns_->Count()));
    if (autoFitColWidths_ && !IsDesigning()) {
        InUpdateBracket(columns_.get(), [this] {
            for (int i = 0; i < columns_->Count(); ++i) columns_->Items(i)->SetInitWidth(columns_->Items(i)->GetWidth());
        });
        SetScrollBars(ui::ssNone);
    }
    BuildTitleTree();
    if (GetDataSource()) sumList_->SetActive(true);
    LayoutChanged();
    DeferLayout();
}

// ---- column mapping

void TCustomDBGridEx::SetSelectedIndex(int value)
{
    const int rawCol = DataToRawColumn(value);
    if (rawCol >= 0 && rawCol < ColCount()) SetCol(rawCol);
}

db::TField* TCustomDBGridEx::SelectedField() const
{
    const TColumnEx* column = selectedColumn();
    return column ? column->Field() : nullptr;
}

void TCustomDBGridEx::GetDataSetFields(std::vector<db::TField*>& List) const
{
    const db::TDataSet* dataSet = dataLink_->DataSet();
    if (!dataSet) return;
    const db::TFields& fields = dataSet->Fields();
    for (int i = 0; i < fields.Count(); ++i) List.push_back(fields[i]);
}

TColumnEx* TCustomDBGridEx::columnAt(int ACol) const
{
    const int index = RawToDataColumn(ACol);
    if (index < 0 || index >= columns_->Count()) return nullptr;
    return columns_->Items(index);
}

void TCustomDBGridEx::ColumnMoved(int FromIndex, int ToIndex)
{
    const int from = RawToDataColumn(FromIndex);
    const int to = RawToDataColumn(ToIndex);
    if (from < 0 || to < 0 || from >= columns_->Count() || to >= columns_->Count()) return;
    stFilter_->BeginUpdate();
    try {
        columns_->Items(from)->SetIndex(to);
        if (OnColumnMoved) OnColumnMoved(this, from, to);
    } catch (...) {
        stFilter_->EndUpdate();
        throw;
    }
    stFilter_->EndUpdate();
    filterEditColumn_ = SelectedIndex();
    refreshFilterEditor();
}

// ---- locks

void TCustomDBGridEx::BeginUpdate()
{
    ++updateLock_;
}

void TCustomDBGridEx::EndUpdate()
{
    if (updateLock_ > 0) --updateLock_;
}

void TCustomDBGridEx::BeginLayout()
{
    BeginUpdate();
    if (layoutLock_ == 0) columns_->BeginUpdate();
    ++layoutLock_;
}

void TCustomDBGridEx::UnlockLayout()
{
    if (layoutLock_ == 0) return;
    // The collection's notice at its bracket's end finds the layout lock still held.
    if (layoutLock_ == 1) columns_->EndUpdate();
    --layoutLock_;
    EndUpdate();
}

void TCustomDBGridEx::EndLayout()
{
    if (layoutLock_ == 0) return;
    const bool outermost = layoutLock_ == 1;
    try {
        if (outermost) InternalLayout();
    } catch (...) {
        UnlockLayout();
        throw;
    }
    UnlockLayout();
    // The editor hides while a layout holds the lock; it comes back on its cell.
    if (outermost && !IsLoading() && !HasState(rtl::csDestroying)) UpdateEdit();
}

bool TCustomDBGridEx::AcquireLayoutLock()
{
    if (updateLock_ != 0 || layoutLock_ != 0) return false;
    BeginLayout();
    return true;
}

void TCustomDBGridEx::LayoutChanged()
{
    if (AcquireLayoutLock()) EndLayout();
}

void TCustomDBGridEx::DeferLayout()
{
    // Holds no lock: the caller's own brackets are released by the caller.
    if (HandleAllocated()) PostMessageOnce(WM_DEFERLAYOUTEX);
}

void TCustomDBGridEx::WndProc(ui::TMessage& Message)
{
    if (Message.Msg != WM_DEFERLAYOUTEX) {
        ui::TCustomGrid::WndProc(Message);
        return;
    }
    if (AcquireLayoutLock()) EndLayout();
    else DeferLayout();
}

// ---- selection

void TCustomDBGridEx::ClearSelection()
{
    if (options_.Contains(dgMultiSelect) && optionsEx_.Contains(dghClearSelection)) selection_->ClearRows();
    selectionAnchor_.Set = false;
    if (selection_->SelectionType() != gstNon && optionsEx_.Contains(dghClearSelection)) {
        selection_->Clear();
        Invalidate();
        InvalidateEditor();
    }
}

// ---- edit rules

TDBGridInplaceEdit* TCustomDBGridEx::InplaceEdit() const
{
    return static_cast<TDBGridInplaceEdit*>(InplaceEditor());
}

ui::TInplaceEdit* TCustomDBGridEx::CreateEditor()
{
    auto* editor = new TDBGridInplaceEdit(*this);
    // The focus leaving the editor for another control leaves the grid.
    editor->OnExit = {this, &TCustomDBGridEx::editorExit};
    return editor;
}

bool TCustomDBGridEx::EditorMRUListInUse() const
{
    return InplaceEdit() && InplaceEdit()->MRUListInUse();
}

bool TCustomDBGridEx::CanEditShow()
{
    // The base grid asks already while the grid is being built, with editing off.
    // Without records there is no cell to edit.
    if (!ui::TCustomGrid::CanEditShow() || LayoutLocked() || !dataLink_->Active()) return false;
    const TColumnEx* column = selectedColumn();
    const bool selectionBlocks = selection_->SelectionType() != gstNon && optionsEx_.Contains(dghClearSelection)
                                 && SelectionTypeAllowed(gstRectangle);
    return column && !isCheckOrImage(column) && !selectionBlocks && !incSearchActive_;
}

bool TCustomDBGridEx::CanEditModify()
{
    TColumnEx* column = selectedColumn();
    if (!column || column->GetColumnKind() == ckCheckBox || incSearchActive_) return false;
    bool result = false;
    const TDBGridInplaceEdit* editor = InplaceEdit();
    if (editor && editor->ReadOnlySetByCellParams()) {
        // The cell hook made the cell editable whatever the column says; the data set
        // goes into edit only when it can be changed at all.
        if (editor->ReadOnly()) return false;
        const db::TDataSet* dataSet = dataLink_->DataSet();
        if (dataLink_->Active() && dataSet && dataSet->CanModify() && dataLink_->Edit()) dataLink_->Modified();
        result = true;
    }
    // Read-only grid, link or column, a field (or a lookup's key fields) that cannot be
    // changed, or nothing the operations allow.
    if (!column->CanModify(false)) return result;
    const db::TField* field = column->Field();
    if (field->IsBlob() && !(IsMemoField(*field) && drawMemoText_)) return result;
    dataLink_->Edit();
    result = dataLink_->Editing();
    if (result) dataLink_->Modified();
    return result;
}

bool TCustomDBGridEx::CanEditAcceptKey(char Key)
{
    const TDBGridInplaceEdit* editor = InplaceEdit();
    const bool cellDecides = editor && editor->ReadOnlySetByCellParams();
    const TColumnEx* column = selectedColumn();
    const db::TField* field = column ? column->Field() : nullptr;
    if (!dataLink_->Active() || !field) return cellDecides && !editor->ReadOnly();
    if (cellDecides && editor->ReadOnly()) return false;
    if (column->KeyListCount() > 0) return true;
    return field->IsValidChar(Key);
}

std::string TCustomDBGridEx::editorTextOf(const TColumnEx& column) const
{
    const db::TField* field = column.Field();
    if (!field) return {};
    if (IsMemoField(*field) && drawMemoText_) return field->GetAsString();
    if (column.GetColumnKind() == ckKeyPickList) return column.DisplayText();
    return field->GetText();
}

std::string TCustomDBGridEx::GetEditText(int ACol, int ARow)
{
    // What was typed into this cell and is not written yet stays what it edits: a layout
    // or a resize that reloads the editor must not lose it.
    const bool pending = dataLink_->IsModified() && dataLink_->Editing();
    if (pending && ACol == editTextCell_.X && ARow == editTextCell_.Y) return currentEditText_;
    SetEditKeyValue(rtl::Null(), std::string());
    currentEditText_.clear();
    if (!dataLink_->Active()) return {};
    TColumnEx* column = columnAt(ACol);
    db::TField* field = column ? column->Field() : nullptr;
    std::string text;
    rtl::Variant key = rtl::Null();
    if (field) {
        if (column->KeyListCount() > 0) {
            const int index = KeyListIndexOf(column->GetKeyList(), field->GetText());
            if (index >= 0 && index < column->PickListCount()) text = column->GetPickList()[index];
        } else {
            text = editorTextOf(*column);
        }
        if (field->Lookup() && !field->GetKeyFields().empty()) {
            const rtl::Variant value = field->DataSet()->GetFieldValues(field->GetKeyFields());
            db::TDataSet* list = column->LookupListDataSet();
            if (list && list->GetActive() && !rtl::VarIsNull(value) && !rtl::VarIsClear(value)
                && !rtl::VarIsNull(list->Lookup(field->GetLookupKeyFields(), value, field->GetLookupKeyFields())))
                key = value;
        }
    }
    if (column) {
        TDBGridInplaceEdit* editor = InplaceEdit();
        ui::TFont font(Font());
        TColCellParamsEx params;
        params.Text = text;
        params.Font = &font;
        params.ReadOnly = editor ? editor->ReadOnly() : column->GetReadOnly();
        const bool readOnly = params.ReadOnly;
        column->GetColCellParams(true, params);
        if (editor && params.ReadOnly != readOnly) editor->SetReadOnlyByCellParams(params.ReadOnly);
        text = params.Text;
    }
    currentEditText_ = text;
    if (!rtl::VarIsNull(key)) SetEditKeyValue(key, text);
    return text;
}

void TCustomDBGridEx::SetEditText(int ACol, int ARow, const std::string& Value)
{
    currentEditText_ = Value;
    editTextCell_ = {ACol, ARow};
}

void TCustomDBGridEx::SetEditKeyValue(const rtl::Variant& value, const std::string& ForText)
{
    editKeyValue_ = value;
    editKeyText_ = ForText;
}

int TCustomDBGridEx::GetEditLimit()
{
    const TColumnEx* column = selectedColumn();
    if (!column || column->KeyListCount() > 0) return 0;
    const db::TField* field = column->Field();
    return field && dynamic_cast<const db::TStringField*>(field) ? field->GetSize() : 0;
}

std::string TCustomDBGridEx::GetEditMask(int ACol, int)
{
    const TColumnEx* column = columnAt(ACol);
    if (!dataLink_->Active() || !column) return {};
    if (!column->GetEditMask().empty()) return column->GetEditMask();
    if (column->KeyListCount() > 0) return {};
    const db::TField* field = column->Field();
    return field ? field->GetEditMask() : std::string();
}

void TCustomDBGridEx::InvalidateEditor()
{
    TDBGridInplaceEdit* editor = InplaceEdit();
    if (editor && editor->ListVisible()) {
        editor->SetClosing(true);
        try {
            ui::TCustomGrid::InvalidateEditor();
        } catch (...) {
            editor->SetClosing(false);
            throw;
        }
        editor->SetClosing(false);
    } else {
        ui::TCustomGrid::InvalidateEditor();
    }
    if (filterEditing_) UpdateFilterEditor(true);
}

// ---- focus

bool TCustomDBGridEx::AcquireFocus()
{
    if (!acquireFocusOnClick_ || !CanFocus() || IsDesigning()) return true;
    if (!GridFocused()) SetFocus();
    // Asked of the window, not the application: a window that is not active keeps its
    // focus widget too.
    const QWidget* now = window()->focusWidget();
    const ui::TInplaceEdit* editor = InplaceEditor();
    if (now == this || (editor && now && (now == editor || editor->isAncestorOf(now)))) return true;
    return filterEditor_ && now && (now == filterEditor_.get() || filterEditor_->isAncestorOf(now));
}

bool TCustomDBGridEx::AlwaysShowEditor() const
{
    return options_.Contains(dgAlwaysShowEditor) && !filterEditing_;
}

// ---- context menu

void TCustomDBGridEx::DoContextPopup(ui::TPoint MousePos, bool& Handled)
{
    ui::TCustomGrid::DoContextPopup(MousePos, Handled);
    if (Handled || MousePos.X < 0 || MousePos.Y < 0) return;
    const ui::TGridCoord cell = MouseCoord(MousePos.X, MousePos.Y);
    if (cell.X < indicatorOffset_ || cell.Y < 0) return;
    const TColumnEx* column = columnAt(cell.X);
    QMenu* menu = column ? column->GetPopupMenu() : nullptr;
    if (!menu) return;
    CaptureCancelled();
    // The menu's actions find the grid they were called up on here.
    menu->setProperty("PopupComponent", QVariant::fromValue(static_cast<QObject*>(this)));
    const ui::TPoint screen = ClientToScreen(MousePos);
    menu->popup(QPoint(screen.X, screen.Y));
    Handled = true;
}

// ---- scaling

void TCustomDBGridEx::ChangeScale(int M, int D)
{
    if (M == D || D == 0) return;
    auto scale = [&](ui::TFont& font) { font.SetSize(rtl::MulDiv(font.Size(), M, D)); };
    // The title font takes the grid's own size, scaled.
    if (!ParentFont()) {
        titleFont_.SetSize(rtl::MulDiv(Font().Size(), M, D));
        scale(footerFont_);
    }
    InUpdateBracket(columns_.get(), [&] {
        int unscaledSum = 0;
        int scaledSum = 0;
        for (int i = 0; i < columns_->Count(); ++i) {
            TColumnEx* column = columns_->Items(i);
            const TColumnAssignedValues assigned = column->AssignedValues();
            if (assigned.Contains(cvFont)) scale(column->GetFont());
            if (assigned.Contains(cvTitleFont)) scale(column->Title()->GetFont());
            if (column->Footer()->IsFontStored()) scale(column->Footer()->GetFont());
            for (int row = 0; row < column->Footers()->Count(); ++row)
                if (column->Footers()->Items(row)->IsFontStored()) scale(column->Footers()->Items(row)->GetFont());
            // Each width becomes its share of the scaled running sum, so that rounding
            // does not add up along the columns.
            unscaledSum += column->GetWidth();
            const int target = rtl::MulDiv(unscaledSum, M, D);
            column->SetWidth(target - scaledSum);
            scaledSum = target;
        }
    });
    // Outside loading only the fonts scale; while loading the bounds do too.
    if (IsLoading())
        SetBounds(rtl::MulDiv(Left(), M, D), rtl::MulDiv(Top(), M, D), rtl::MulDiv(Width(), M, D),
                  rtl::MulDiv(Height(), M, D));
    if (!ParentFont()) scale(Font());
}

// ---- events

void TCustomDBGridEx::CellClick(TColumnEx* Column)
{
    if (OnCellClick) OnCellClick(Column);
}

void TCustomDBGridEx::ColEnter()
{
    const int rawCol = Col();
    for (int row = 0; row < TitleOffset() && row < RowCount(); ++row) InvalidateCell(rawCol, row);
    for (int row = RowCount() - footerRowCount_; row < RowCount(); ++row)
        if (row >= 0) InvalidateCell(rawCol, row);
    if (OnColEnter) OnColEnter(this);
}

void TCustomDBGridEx::ColExit()
{
    if (OnColExit) OnColExit(this);
}

void TCustomDBGridEx::DrawColumnCell(const ui::TRect& Rect, int DataCol, TColumnEx* Column,
                                     ui::TGridDrawState State)
{
    if (OnDrawColumnCell) OnDrawColumnCell(this, Rect, DataCol, Column, State);
}

void TCustomDBGridEx::DrawDataCell(const ui::TRect& Rect, db::TField* Field, ui::TGridDrawState State)
{
    if (OnDrawDataCell) OnDrawDataCell(this, Rect, Field, State);
}

void TCustomDBGridEx::EditButtonClick()
{
    if (OnEditButtonClick) OnEditButtonClick(this);
}

// ---- repaints

bool TCustomDBGridEx::CanEditData() const
{
    if (!dataLink_->Active()) return false;
    const db::TDataSet* dataSet = dataLink_->DataSet();
    const bool updating = allowedOperations_.Contains(alopUpdateEx) || dataSet->State() == db::dsInsert;
    const bool hasRecords = !dataSet->IsEmpty() || allowedOperations_.Contains(alopInsertEx)
                            || allowedOperations_.Contains(alopAppendEx);
    return updating && hasRecords;
}

void TCustomDBGridEx::InvalidateColumn(int DataCol)
{
    const int rawCol = DataToRawColumn(DataCol);
    if (rawCol >= 0 && rawCol < ColCount()) InvalidateCol(rawCol);
}

void TCustomDBGridEx::InvalidateField(db::TField* Field)
{
    if (!Field) return;
    for (int i = 0; i < columns_->Count(); ++i)
        if (columns_->Items(i)->Field() == Field) InvalidateColumn(i);
}

} // namespace grid
