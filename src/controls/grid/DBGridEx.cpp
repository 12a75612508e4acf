// The grid object: construction and destruction, binding, locks, column mapping, edit
// rules, removal notices and the property setters.
#include "controls/grid/DBGridEx.h"

#include "controls/grid/DBGridExUtils.h"
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

    sumList_ = CreateSumList();
    horzScrollBar_ = std::make_unique<TDBGridExScrollBar>(*this, ui::sbHorizontal);
    vertScrollBar_ = std::make_unique<TVertDBGridExScrollBar>(*this);
    selection_ = CreateSelection();
    stFilter_ = std::make_unique<TSTDBGridExFilter>(*this);

    style_ = &DBGridExStyle();
    style_->AddGrid(this);
}

TCustomDBGridEx::~TCustomDBGridEx()
{
    // Notices raised while the parts go must not reach a grid that is half gone.
    Destroying();
    if (style_) style_->RemoveGrid(this);
    selection_->Clear();
    columns_.reset();
    columnDefValues_.reset();
    visibleColumns_.Clear();
    sortMarkedColumns_.Clear();
    dataLink_.reset();
    horzScrollBar_.reset();
    vertScrollBar_.reset();
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

void TCustomDBGridEx::Notification(rtl::TComponent* component, rtl::TOperation operation)
{
    ui::TCustomGrid::Notification(component, operation);
    // The component may be half destroyed: it is only compared, never asked.
    if (operation != rtl::opRemove || !columns_ || HasState(rtl::csDestroying)) return;
    if (component == titleImages_) titleImages_ = nullptr;
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
    BeginLayout();
    for (int i = 0; i < columns_->Count(); ++i)
        if (component == columns_->Items(i)->BoundField()) columns_->Items(i)->ForgetField();
    const db::TDataSet* dataSet = dataLink_ ? dataLink_->DataSet() : nullptr;
    if (dataSet && !dataSet->HasState(rtl::csDestroying)) {
        EndLayout();
    } else {
        UnlockLayout();
        DeferLayout();
    }
}

// ---- column mapping

void TCustomDBGridEx::SetSelectedIndex(int value)
{
    const int rawCol = DataToRawColumn(value);
    if (rawCol >= 0 && rawCol < ColCount()) SetCol(rawCol);
}

db::TField* TCustomDBGridEx::SelectedField() const
{
    const int index = SelectedIndex();
    if (index < 0 || index >= columns_->Count()) return nullptr;
    return columns_->Items(index)->Field();
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
    try {
        if (layoutLock_ == 1) InternalLayout();
    } catch (...) {
        UnlockLayout();
        throw;
    }
    UnlockLayout();
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

// ---- properties

void TCustomDBGridEx::SetReadOnly(bool value)
{
    if (value == readOnly_) return;
    readOnly_ = value;
    Invalidate();
}

void TCustomDBGridEx::SetDrawMemoText(bool value)
{
    if (value == drawMemoText_) return;
    drawMemoText_ = value;
    Invalidate();
}

void TCustomDBGridEx::SetFlat(bool value)
{
    if (value == flat_) return;
    flat_ = value;
    LayoutChanged();
}

void TCustomDBGridEx::applyBaseOptions()
{
    ui::TGridOptions base = Options()
        & ~(ui::goFixedVertLine | ui::goVertLine | ui::goFixedHorzLine | ui::goHorzLine | ui::goColSizing
            | ui::goColMoving | ui::goTabs | ui::goEditing | ui::goAlwaysShowEditor | ui::goRowSelect);
    if (options_.Contains(dgColLines)) base |= ui::goFixedVertLine | ui::goVertLine;
    if (options_.Contains(dgRowLines)) base |= ui::goFixedHorzLine | ui::goHorzLine;
    if (options_.Contains(dgColumnResize)) base |= ui::goColSizing | ui::goColMoving;
    if (options_.Contains(dgTabs)) base |= ui::goTabs;
    if (options_.Contains(dgEditing)) base |= ui::goEditing;
    if (options_.Contains(dgAlwaysShowEditor)) base |= ui::goAlwaysShowEditor;
    if (options_.Contains(dgRowSelect)) base |= ui::goRowSelect;
    ui::TCustomGrid::SetOptions(base);
}

void TCustomDBGridEx::SetOptions(TDBGridOptions value)
{
    if (value.Contains(dgRowSelect)) value.Exclude(dgEditing).Exclude(dgAlwaysShowEditor);
    if (value == options_) return;
    const TDBGridOptions changed = (value - options_) | (options_ - value);
    const bool multiSelectRemoved = options_.Contains(dgMultiSelect) && !value.Contains(dgMultiSelect);
    options_ = value;
    applyBaseOptions();
    if (multiSelectRemoved) ClearSelection();
    const TDBGridOptions layoutOptions = {dgEditing, dgAlwaysShowEditor, dgTitles, dgIndicator, dgColLines,
                                          dgRowLines, dgRowSelect, dgAlwaysShowSelection};
    if (!(changed & layoutOptions).IsEmpty()) LayoutChanged();
    if (InplaceEditor() && InplaceEditor()->Visible()) InvalidateEditor();
}

void TCustomDBGridEx::SetOptionsEx(TDBGridExOptions value)
{
    if (value == optionsEx_) return;
    const bool multiSortRemoved = optionsEx_.Contains(dghMultiSortMarking) && !value.Contains(dghMultiSortMarking);
    optionsEx_ = value;
    if (multiSortRemoved) {
        // The first sorted column keeps its marker; the others lose theirs.
        std::vector<TColumnEx*> rest(sortMarkedColumns_.begin(), sortMarkedColumns_.end());
        if (!rest.empty()) rest.erase(rest.begin());
        for (TColumnEx* column : rest) column->Title()->SetSortMarker(smNoneEx);
    }
    LayoutChanged();
}

void TCustomDBGridEx::SetAutoFitColWidths(bool value)
{
    if (value == autoFitColWidths_) return;
    autoFitColWidths_ = value;
    if (IsDesigning()) return;
    if (value) {
        if (!IsLoading())
            for (int i = 0; i < columns_->Count(); ++i) columns_->Items(i)->SetInitWidth(columns_->Items(i)->GetWidth());
        SetScrollBars(ui::ssNone);
    } else {
        InUpdateBracket(columns_.get(), [this] {
            for (int i = 0; i < columns_->Count(); ++i) columns_->Items(i)->SetWidth(columns_->Items(i)->GetInitWidth());
        });
        SetScrollBars(ui::ssHorizontal);
    }
    LayoutChanged();
}

void TCustomDBGridEx::SetUseMultiTitle(bool value)
{
    if (value == useMultiTitle_) return;
    useMultiTitle_ = value;
    LayoutChanged();
}

void TCustomDBGridEx::SetStyle(TDBGridExStyle* value)
{
    if (value == style_) return;
    if (style_) style_->RemoveGrid(this);
    style_ = value;
    if (style_) style_->AddGrid(this);
    LayoutChanged();
}

void TCustomDBGridEx::titleFontChanged(rtl::TObject*)
{
    if (options_.Contains(dgTitles)) LayoutChanged();
}

void TCustomDBGridEx::SetEditText(int, int, const std::string& Value)
{
    currentEditText_ = Value;
}

// ---- edit rules and repaints

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
