// The column model: binding, derived properties, widths, the collection and its change
// notices.
#include "controls/grid/DBGridExColumns.h"

#include <algorithm>
#include <climits>

#include "controls/grid/DBGridEx.h"
#include "controls/grid/DBGridExUtils.h"
#include "platform/rtl/Exception.h"
#include "platform/ui/Canvas.h"

namespace grid {

// ---- TColumnsExList

void TColumnsExList::checkIndex(int index) const
{
    if (index < 0 || index >= Count()) throw rtl::EListError("List index out of bounds (" + std::to_string(index) + ")");
}

TColumnEx* TColumnsExList::Items(int index) const
{
    checkIndex(index);
    return items_[static_cast<std::size_t>(index)];
}

int TColumnsExList::Add(TColumnEx* column)
{
    items_.push_back(column);
    return Count() - 1;
}

void TColumnsExList::Insert(int index, TColumnEx* column)
{
    if (index != Count()) checkIndex(index);
    items_.insert(items_.begin() + index, column);
}

void TColumnsExList::Delete(int index)
{
    checkIndex(index);
    items_.erase(items_.begin() + index);
}

int TColumnsExList::Remove(const TColumnEx* column)
{
    const int index = IndexOf(column);
    if (index >= 0) Delete(index);
    return index;
}

int TColumnsExList::IndexOf(const TColumnEx* column) const
{
    auto it = std::find(items_.begin(), items_.end(), column);
    return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

void TColumnsExList::Exchange(int index1, int index2)
{
    checkIndex(index1);
    checkIndex(index2);
    std::swap(items_[static_cast<std::size_t>(index1)], items_[static_cast<std::size_t>(index2)]);
}

// ---- TColumnEx: construction and binding

TColumnEx::TColumnEx(rtl::TCollection* collection) : rtl::TCollectionItem(collection)
{
    refreshFont();
    font_.OnChange = {this, &TColumnEx::fontChanged};
}

void TColumnEx::AfterConstruction()
{
    // Nothing the construction changes reaches the grid before the column is complete; the
    // collection's notice that the column was added lays the grid out afterwards.
    TCustomDBGridEx* grid = Grid();
    if (grid) grid->BeginLayout();
    try {
        title_.reset(CreateTitle());
        footer_.reset(CreateFooter());
        footers_.reset(CreateFooters());
        initWidth_ = GetWidth();
        editButtons_.reset(CreateEditButtons());
        editButtons_->OnChange = {this, &TColumnEx::editButtonsChanged};
        dropDownSpecRow_ = std::make_unique<editors::TSpecRowEx>(this);
        dropDownSpecRow_->OnChange = {this, &TColumnEx::SpecRowChanged};
        dropDownBox_ = std::make_unique<TColumnDropDownBoxEx>(this);
        mruList_ = std::make_unique<editors::TMRUListEx>(this);
        stFilter_.reset(CreateSTFilter());
    } catch (...) {
        if (grid) grid->UnlockLayout();
        throw;
    }
    if (grid) grid->UnlockLayout();
}

editors::TEditButtonsEx* TColumnEx::CreateEditButtons()
{
    return new editors::TEditButtonsEx(this);
}

TColumnFooterEx* TColumnEx::CreateFooter() { return new TColumnFooterEx(*this); }

TColumnFootersEx* TColumnEx::CreateFooters() { return new TColumnFootersEx(*this); }

TSTColumnFilterEx* TColumnEx::CreateSTFilter() { return new TSTColumnFilterEx(*this); }

TColumnTitleEx* TColumnEx::CreateTitle() { return new TColumnTitleEx(*this); }

TColumnEx::~TColumnEx()
{
    removeFromSortOrder();
    freeLookupGrid();
    dropDownSpecRow_.reset();
    title_.reset();
    pickList_.reset();
    footer_.reset();
    footers_.reset();
    keyList_.reset();
    editButtons_.reset();
    dropDownBox_.reset();
    stFilter_.reset();
    mruList_.reset();
    // A list that is being destroyed has already dropped its listeners.
    if (imageList_ && !imageList_->HasState(rtl::csDestroying))
        imageList_->ChangeListeners().Remove({this, &TColumnEx::imageListChanged});
}

TCustomDBGridEx* TColumnEx::Grid() const
{
    auto* columns = dynamic_cast<TDBGridColumnsEx*>(GetCollection());
    return columns ? &columns->Grid() : nullptr;
}

TColumnDefValuesEx* TColumnEx::defValues() const
{
    TCustomDBGridEx* grid = Grid();
    return grid ? &grid->ColumnDefValues() : nullptr;
}

bool TColumnEx::defaultFlag(bool (TColumnDefValuesEx::*get)() const) const
{
    const TColumnDefValuesEx* defaults = defValues();
    return defaults && (defaults->*get)();
}

bool TColumnEx::derivedFlag(TColumnAssignedValue flag, bool value, bool (TColumnDefValuesEx::*get)() const) const
{
    return assigned(flag) ? value : defaultFlag(get);
}

bool TColumnEx::flagStored(TColumnAssignedValue flag, bool value, bool (TColumnDefValuesEx::*get)() const) const
{
    return assigned(flag) && value != defaultFlag(get);
}

db::TField* TColumnEx::Field() const
{
    if (field_ || fieldName_.empty()) return field_;
    TCustomDBGridEx* grid = Grid();
    db::TDataSet* dataSet = grid ? grid->DataLink().DataSet() : nullptr;
    if (!dataSet) return nullptr;
    // A closed data set that makes its fields when it opens has none to bind yet.
    if (!dataSet->GetActive() && dataSet->DefaultFields()) return nullptr;
    if (db::TField* field = dataSet->FindField(fieldName_)) bindField(field);
    return field_;
}

void TColumnEx::bindField(db::TField* field) const
{
    field_ = field;
    fieldName_ = field->GetFieldName();
    // The column must hear when the field goes, whoever made the binding.
    if (TCustomDBGridEx* grid = Grid()) grid->FreeNotification(field);
    RefreshFooterSums();
}

void TColumnEx::SetField(db::TField* value)
{
    if (value == field_) return;
    if (value) bindField(value);
    else field_ = nullptr;
    if (IsDefaultColumn()) {
        if (!value) fieldName_.clear();
        RestoreDefaults();
        initWidth_ = GetWidth();
    }
    if (!value) RefreshFooterSums();
    Changed(false);
}

void TColumnEx::SetFieldName(const std::string& value)
{
    if (value == fieldName_) return;
    db::TField* found = nullptr;
    TCustomDBGridEx* grid = Grid();
    if (grid && !grid->IsLoading() && !value.empty())
        if (db::TDataSet* dataSet = grid->DataLink().DataSet()) found = dataSet->FindField(value);
    fieldName_ = value;
    SetField(found);
    initWidth_ = GetWidth();
    Changed(false);
}

db::TField* TColumnEx::writeThroughField() const
{
    if (!IsDefaultColumn()) return nullptr;
    TCustomDBGridEx* grid = Grid();
    return grid && grid->DataLink().Active() ? Field() : nullptr;
}

void TColumnEx::RefreshFooterSums() const
{
    if (footer_) footer_->BindSum();
    if (footers_)
        for (int i = 0; i < footers_->Count(); ++i) footers_->Items(i)->BindSum();
}

TColumnFooterEx* TColumnEx::FooterForRow(int row) const
{
    if (row >= 0 && row < footers_->Count()) return footers_->Items(row);
    return footer_.get();
}

// ---- TColumnEx: properties

rtl::TAlignment TColumnEx::GetAlignment() const
{
    if (assigned(cvAlignment)) return alignment_;
    db::TField* field = Field();
    return field ? field->GetAlignment() : rtl::taLeftJustify;
}

void TColumnEx::SetAlignment(rtl::TAlignment value)
{
    if (db::TField* field = writeThroughField()) {
        field->SetAlignment(value);
        return;
    }
    setDerived(cvAlignment, alignment_, value, true);
}

bool TColumnEx::IsAlignmentStored() const
{
    if (!assigned(cvAlignment)) return false;
    db::TField* field = Field();
    return alignment_ != (field ? field->GetAlignment() : rtl::taLeftJustify);
}

bool TColumnEx::GetAlwaysShowEditButton() const
{
    return derivedFlag(cvAlwaysShowEditButton, alwaysShowEditButton_, &TColumnDefValuesEx::GetAlwaysShowEditButton);
}

void TColumnEx::SetAlwaysShowEditButton(bool value)
{
    setDerived(cvAlwaysShowEditButton, alwaysShowEditButton_, value, true);
}

bool TColumnEx::IsAlwaysShowEditButtonStored() const
{
    return flagStored(cvAlwaysShowEditButton, alwaysShowEditButton_, &TColumnDefValuesEx::GetAlwaysShowEditButton);
}

bool TColumnEx::GetAutoDropDown() const
{
    return derivedFlag(cvAutoDropDown, autoDropDown_, &TColumnDefValuesEx::GetAutoDropDown);
}

void TColumnEx::SetAutoDropDown(bool value)
{
    setDerived(cvAutoDropDown, autoDropDown_, value, false);
}

bool TColumnEx::IsAutoDropDownStored() const
{
    return flagStored(cvAutoDropDown, autoDropDown_, &TColumnDefValuesEx::GetAutoDropDown);
}

void TColumnEx::SetAutoFitColWidth(bool value)
{
    if (value == autoFitColWidth_) return;
    autoFitColWidth_ = value;
    TCustomDBGridEx* grid = Grid();
    if (grid && grid->GetAutoFitColWidths() && !grid->IsLoading() && !grid->IsDesigning()) SetWidth(initWidth_);
    Changed(false);
}

void TColumnEx::SetButtonStyle(TColumnButtonStyleEx value)
{
    setPlain(buttonStyle_, value);
}

bool TColumnEx::GetCheckboxes() const
{
    if (assigned(cvCheckboxes)) return checkboxes_;
    db::TField* field = Field();
    return field && field->DataType() == db::ftBoolean;
}

void TColumnEx::SetCheckboxes(bool value)
{
    setDerived(cvCheckboxes, checkboxes_, value, true);
}

ui::TColor TColumnEx::GetColor() const
{
    if (assigned(cvColor)) return color_;
    TCustomDBGridEx* grid = Grid();
    return grid ? grid->Color() : ui::clWindow;
}

void TColumnEx::SetColor(ui::TColor value)
{
    setDerived(cvColor, color_, value, true);
}

bool TColumnEx::IsColorStored() const
{
    TCustomDBGridEx* grid = Grid();
    return assigned(cvColor) && color_ != (grid ? grid->Color() : ui::clWindow);
}

bool TColumnEx::GetDblClickNextVal() const
{
    return derivedFlag(cvDblClickNextVal, dblClickNextVal_, &TColumnDefValuesEx::GetDblClickNextVal);
}

void TColumnEx::SetDblClickNextVal(bool value)
{
    setDerived(cvDblClickNextVal, dblClickNextVal_, value, false);
}

bool TColumnEx::IsDblClickNextValStored() const
{
    return flagStored(cvDblClickNextVal, dblClickNextVal_, &TColumnDefValuesEx::GetDblClickNextVal);
}

void TColumnEx::SetDisplayFormat(const std::string& value)
{
    setPlain(displayFormat_, value);
}

void TColumnEx::SetDropDownRows(int value)
{
    if (value >= 0) setPlain(dropDownRows_, value);
}

bool TColumnEx::GetDropDownShowTitles() const
{
    return derivedFlag(cvDropDownShowTitles, dropDownShowTitles_, &TColumnDefValuesEx::GetDropDownShowTitles);
}

void TColumnEx::SetDropDownShowTitles(bool value)
{
    setDerived(cvDropDownShowTitles, dropDownShowTitles_, value, false);
}

bool TColumnEx::IsDropDownShowTitlesStored() const
{
    return flagStored(cvDropDownShowTitles, dropDownShowTitles_, &TColumnDefValuesEx::GetDropDownShowTitles);
}

bool TColumnEx::GetDropDownSizing() const
{
    return derivedFlag(cvDropDownSizing, dropDownSizing_, &TColumnDefValuesEx::GetDropDownSizing);
}

void TColumnEx::SetDropDownSizing(bool value)
{
    setDerived(cvDropDownSizing, dropDownSizing_, value, false);
}

bool TColumnEx::IsDropDownSizingStored() const
{
    return flagStored(cvDropDownSizing, dropDownSizing_, &TColumnDefValuesEx::GetDropDownSizing);
}

void TColumnEx::SetDropDownWidth(int value)
{
    setPlain(dropDownWidth_, value);
}

void TColumnEx::SetEditMask(const std::string& value)
{
    setPlain(editMask_, value);
}

bool TColumnEx::GetEndEllipsis() const
{
    return derivedFlag(cvEndEllipsis, endEllipsis_, &TColumnDefValuesEx::GetEndEllipsis);
}

void TColumnEx::SetEndEllipsis(bool value)
{
    setDerived(cvEndEllipsis, endEllipsis_, value, true);
}

bool TColumnEx::IsEndEllipsisStored() const
{
    return flagStored(cvEndEllipsis, endEllipsis_, &TColumnDefValuesEx::GetEndEllipsis);
}

void TColumnEx::refreshFont() const
{
    if (assigned(cvFont)) return;
    if (TCustomDBGridEx* grid = Grid()) TakeDerivedFont(font_, grid->Font(), copyingFont_);
}

ui::TFont& TColumnEx::GetFont()
{
    refreshFont();
    return font_;
}

const ui::TFont& TColumnEx::GetFont() const
{
    refreshFont();
    return font_;
}

void TColumnEx::SetFont(const ui::TFont& value)
{
    GetFont().Assign(value);
}

void TColumnEx::fontChanged(rtl::TObject*)
{
    if (copyingFont_) return;
    assign(cvFont);
    if (title_) title_->refreshFont();
    Changed(false);
}

void TColumnEx::SetImageList(ui::TCustomImageList* value)
{
    if (value == imageList_) return;
    const rtl::Delegate<void(rtl::TObject*)> listener{this, &TColumnEx::imageListChanged};
    if (imageList_ && !imageList_->HasState(rtl::csDestroying)) imageList_->ChangeListeners().Remove(listener);
    imageList_ = value;
    if (value) {
        value->ChangeListeners().Add(listener);
        if (TCustomDBGridEx* grid = Grid()) grid->FreeNotification(value);
    }
    invalidateGrid();
}

void TColumnEx::imageListChanged(rtl::TObject* sender)
{
    if (imageList_ && sender == static_cast<rtl::TObject*>(imageList_)) invalidateGrid();
}

TImeMode TColumnEx::GetImeMode() const
{
    if (assigned(cvImeMode)) return imeMode_;
    TCustomDBGridEx* grid = Grid();
    return grid ? grid->GetImeMode() : imeMode_;
}

void TColumnEx::SetImeMode(TImeMode value)
{
    setDerived(cvImeMode, imeMode_, value, true);
}

bool TColumnEx::IsImeModeStored() const
{
    TCustomDBGridEx* grid = Grid();
    return assigned(cvImeMode) && (!grid || imeMode_ != grid->GetImeMode());
}

std::string TColumnEx::GetImeName() const
{
    if (assigned(cvImeName)) return imeName_;
    TCustomDBGridEx* grid = Grid();
    return grid ? grid->GetImeName() : imeName_;
}

void TColumnEx::SetImeName(const std::string& value)
{
    setDerived(cvImeName, imeName_, value, true);
}

bool TColumnEx::IsImeNameStored() const
{
    TCustomDBGridEx* grid = Grid();
    return assigned(cvImeName) && (!grid || imeName_ != grid->GetImeName());
}

void TColumnEx::SetIncrement(double value)
{
    setPlain(increment_, value);
}

rtl::TStrings& TColumnEx::GetKeyList()
{
    if (!keyList_) {
        keyList_ = std::make_unique<rtl::TStringList>();
        keyList_->OnChange = {this, &TColumnEx::keyListChanged};
    }
    return *keyList_;
}

void TColumnEx::SetKeyList(const rtl::TStrings* value)
{
    if (!value) {
        if (!keyList_) return;
        keyList_.reset();
        invalidateGrid();
        return;
    }
    GetKeyList().Assign(value);
}

void TColumnEx::keyListChanged(rtl::TObject*)
{
    invalidateGrid();
}

std::string TColumnEx::GetLookupDisplayFields() const
{
    if (assigned(cvLookupDisplayFields)) return lookupDisplayFields_;
    db::TField* field = Field();
    return field ? field->GetLookupResultField() : std::string();
}

void TColumnEx::SetLookupDisplayFields(const std::string& value)
{
    setDerived(cvLookupDisplayFields, lookupDisplayFields_, value, true);
}

bool TColumnEx::IsLookupDisplayFieldsStored() const
{
    db::TField* field = Field();
    return assigned(cvLookupDisplayFields)
           && lookupDisplayFields_ != (field ? field->GetLookupResultField() : std::string());
}

void TColumnEx::SetMaxWidth(int value)
{
    value = std::min(value, MaxColumnWidth);
    if (value == maxWidth_) return;
    maxWidth_ = value;
    if (value > 0 && GetWidth() > value) SetWidth(value);
}

void TColumnEx::SetMinWidth(int value)
{
    value = std::min(value, MaxColumnWidth);
    if (value == minWidth_) return;
    minWidth_ = value;
    if (value > 0 && GetWidth() < value) SetWidth(value);
}

void TColumnEx::SetNotInKeyListIndex(int value)
{
    if (value == notInKeyListIndex_) return;
    notInKeyListIndex_ = value;
    invalidateGrid();
}

rtl::TStrings& TColumnEx::GetPickList()
{
    if (!pickList_) {
        pickList_ = std::make_unique<rtl::TStringList>();
        pickList_->OnChange = {this, &TColumnEx::pickListChanged};
    }
    return *pickList_;
}

void TColumnEx::SetPickList(const rtl::TStrings* value)
{
    if (!value) {
        if (!pickList_) return;
        pickList_.reset();
        Changed(false);
        return;
    }
    GetPickList().Assign(value);
}

void TColumnEx::pickListChanged(rtl::TObject*)
{
    Changed(false);
}

bool TColumnEx::GetReadOnly() const
{
    if (assigned(cvReadOnly)) return readOnly_;
    TCustomDBGridEx* grid = Grid();
    if (grid && grid->GetReadOnly()) return true;
    db::TField* field = Field();
    return field && field->GetReadOnly();
}

void TColumnEx::SetReadOnly(bool value)
{
    if (db::TField* field = writeThroughField()) {
        if (field->GetReadOnly() == value) return;
        field->SetReadOnly(value);
        Changed(false);
        return;
    }
    setDerived(cvReadOnly, readOnly_, value, true);
}

bool TColumnEx::IsReadOnlyStored() const
{
    if (!assigned(cvReadOnly)) return false;
    TCustomDBGridEx* grid = Grid();
    db::TField* field = Field();
    const bool derived = (grid && grid->GetReadOnly()) || (field && field->GetReadOnly());
    return readOnly_ != derived;
}

void TColumnEx::SetShowImageAndText(bool value)
{
    setPlain(showImageAndText_, value);
}

void TColumnEx::SetTag(int value)
{
    setPlain(tag_, value);
}

bool TColumnEx::GetToolTips() const
{
    return derivedFlag(cvToolTips, toolTips_, &TColumnDefValuesEx::GetToolTips);
}

void TColumnEx::SetToolTips(bool value)
{
    setDerived(cvToolTips, toolTips_, value, false);
}

bool TColumnEx::IsToolTipsStored() const
{
    return flagStored(cvToolTips, toolTips_, &TColumnDefValuesEx::GetToolTips);
}

void TColumnEx::SetVisible(bool value)
{
    if (value == visible_) return;
    visible_ = value;
    Changed(true);
}

namespace {

bool WrapsByType(const db::TField* field)
{
    if (!field) return false;
    switch (field->DataType()) {
    case db::ftString:
    case db::ftMemo:
    case db::ftFmtMemo:
    case db::ftWideString:
        return true;
    default:
        return false;
    }
}

} // namespace

bool TColumnEx::GetWordWrap() const
{
    if (assigned(cvWordWrap)) return wordWrap_;
    return WrapsByType(Field());
}

void TColumnEx::SetWordWrap(bool value)
{
    setDerived(cvWordWrap, wordWrap_, value, true);
}

bool TColumnEx::IsWordWrapStored() const
{
    return assigned(cvWordWrap) && wordWrap_ != WrapsByType(Field());
}

void TColumnEx::SetOnGetCellParams(const TGetColCellParamsEventEx& value)
{
    if (value == onGetCellParams_) return;
    onGetCellParams_ = value;
    invalidateGrid();
}

void TColumnEx::invalidateGrid() const
{
    if (TCustomDBGridEx* grid = Grid()) grid->Invalidate();
}

// ---- TColumnEx: widths

int TColumnEx::DefaultWidth() const
{
    TCustomDBGridEx* grid = Grid();
    if (!grid) return 64;
    db::TField* field = Field();
    if (!field) return grid->DefaultColWidth();
    ui::TCanvas canvas;
    canvas.Font().Assign(GetFont());
    const int overhang = canvas.TextMetrics().Overhang;
    const long long width = static_cast<long long>(canvas.TextWidth("0") - overhang) * field->GetDisplayWidth();
    return static_cast<int>(std::min<long long>(width + overhang + 4, MaxColumnWidth));
}

int TColumnEx::GetWidth() const
{
    return assigned(cvWidth) ? width_ : DefaultWidth();
}

bool TColumnEx::IsWidthStored() const
{
    return assigned(cvWidth) && width_ != DefaultWidth();
}

int TColumnEx::ClampWidth(int width) const
{
    if (maxWidth_ >= 1 && width > maxWidth_) width = maxWidth_;
    if (width < minWidth_) width = minWidth_;
    return std::min(width, MaxColumnWidth);
}

void TColumnEx::writeDisplayWidth(db::TField& field, int width) const
{
    TCustomDBGridEx* grid = Grid();
    if (!grid || !grid->HandleAllocated() || !grid->GetDisplayWidthWriteThrough()) return;
    ui::TCanvas canvas;
    canvas.Font().Assign(GetFont());
    const ui::TTextMetric metric = canvas.TextMetrics();
    const int zeroWidth = canvas.TextWidth("0");
    if (zeroWidth > 0) field.SetDisplayWidth((metric.AveCharWidth / 2 + width - metric.Overhang - 3) / zeroWidth);
}

void TColumnEx::SetWidth(int value)
{
    if (db::TField* field = writeThroughField()) {
        writeDisplayWidth(*field, std::min(value, MaxColumnWidth));
        if (Grid()->LayoutLocked() && !assigned(cvWidth)) return;
    }
    if (!assigned(cvWidth) && value == DefaultWidth()) {
        Changed(false);
        return;
    }
    if (value == -1) return;
    const int width = ClampWidth(value);
    if (assigned(cvWidth) && width == width_) return;
    width_ = width;
    assign(cvWidth);
    Changed(false);
}

void TColumnEx::OptimizeWidth()
{
    if (TCustomDBGridEx* grid = Grid()) grid->OptimizeColWidth(this);
}

// ---- TColumnEx: collection item

void TColumnEx::RestoreDefaults()
{
    const bool fontWasAssigned = assigned(cvFont);
    title_->RestoreDefaults();
    assignedValues_ = {};
    refreshFont();
    pickList_.reset();
    keyList_.reset();
    buttonStyle_ = cbsAuto;
    Changed(fontWasAssigned);
}

void TColumnEx::Assign(const rtl::TPersistent* source)
{
    const auto* src = dynamic_cast<const TColumnEx*>(source);
    if (!src) {
        rtl::TCollectionItem::Assign(source);
        return;
    }
    InUpdateBracket(GetCollection(), [&] {
        RestoreDefaults();
        SetFieldName(src->fieldName_);
        if (src->assigned(cvColor)) SetColor(src->color_);
        if (src->assigned(cvWidth)) SetWidth(src->width_);
        if (src->assigned(cvFont)) SetFont(src->font_);
        if (src->assigned(cvImeMode)) SetImeMode(src->imeMode_);
        if (src->assigned(cvImeName)) SetImeName(src->imeName_);
        if (src->assigned(cvAlignment)) SetAlignment(src->alignment_);
        if (src->assigned(cvReadOnly)) SetReadOnly(src->readOnly_);
        title_->Assign(src->title_.get());
        SetDropDownRows(src->dropDownRows_);
        SetButtonStyle(src->buttonStyle_);
        SetPickList(src->pickList_.get());
        SetPopupMenu(src->GetPopupMenu());
        initWidth_ = src->initWidth_;
        SetAutoFitColWidth(src->autoFitColWidth_);
        if (src->assigned(cvWordWrap)) SetWordWrap(src->wordWrap_);
        SetEndEllipsis(src->GetEndEllipsis());
        SetDropDownWidth(src->dropDownWidth_);
        if (src->assigned(cvLookupDisplayFields)) SetLookupDisplayFields(src->lookupDisplayFields_);
        SetAutoDropDown(src->GetAutoDropDown());
        SetAlwaysShowEditButton(src->GetAlwaysShowEditButton());
        SetWordWrap(src->GetWordWrap());
        footer_->Assign(src->footer_.get());
        SetKeyList(src->keyList_.get());
        if (src->assigned(cvCheckboxes)) SetCheckboxes(src->checkboxes_);
        SetIncrement(src->increment_);
        SetToolTips(src->GetToolTips());
        footers_->Assign(src->footers_.get());
        SetTag(src->tag_);
        SetVisible(src->visible_);
        SetImageList(src->imageList_);
        SetNotInKeyListIndex(src->notInKeyListIndex_);
        SetMinWidth(src->minWidth_);
        SetMaxWidth(src->maxWidth_);
        SetDblClickNextVal(src->GetDblClickNextVal());
        SetDropDownSizing(src->GetDropDownSizing());
        SetDropDownShowTitles(src->GetDropDownShowTitles());
        SetOnGetCellParams(src->onGetCellParams_);
        OnNotInList = src->OnNotInList;
        OnUpdateData = src->OnUpdateData;
        OnEditButtonClick = src->OnEditButtonClick;
        OnEditButtonDown = src->OnEditButtonDown;
        editButtons_->Assign(src->editButtons_.get());
        dropDownBox_->Assign(src->dropDownBox_.get());
        mruList_->Assign(src->mruList_.get());
        SetDisplayFormat(src->displayFormat_);
        SetEditMask(src->editMask_);
        SetShowImageAndText(src->showImageAndText_);
    });
}

std::string TColumnEx::GetDisplayName() const
{
    return fieldName_.empty() ? rtl::TCollectionItem::GetDisplayName() : fieldName_;
}

void TColumnEx::SetIndex(int value)
{
    // A default column follows its field's place in the data set: the field moves to
    // where the field of the column at the new place stands.
    if (db::TField* field = writeThroughField()) {
        auto* columns = static_cast<TDBGridColumnsEx*>(GetCollection());
        if (value >= 0 && value < columns->Count())
            if (db::TField* target = columns->Items(value)->Field()) field->SetIndex(target->GetIndex());
    }
    rtl::TCollectionItem::SetIndex(value);
}

void TColumnEx::SpecRowChanged(rtl::TObject*)
{
    Changed(false);
}

void TColumnEx::GetColCellParams(bool EditMode, TColCellParamsEx& Params)
{
    if (onGetCellParams_) onGetCellParams_(this, EditMode, Params);
}

// ---- TColumnEx: the lookup drop-down

void TColumnEx::LookupGridFreeNotification(rtl::TComponent* component)
{
    if (TCustomDBGridEx* grid = Grid()) grid->FreeNotification(component);
}

void TColumnEx::SetOnDropDownBoxCheckButton(const TCheckTitleExBtnEvent& value)
{
    onDropDownBoxCheckButton_ = value;
    HandDropDownBoxEventsToLookupGrid();
}

void TColumnEx::SetOnDropDownBoxDrawColumnCell(const TDrawColumnExCellEvent& value)
{
    onDropDownBoxDrawColumnCell_ = value;
    HandDropDownBoxEventsToLookupGrid();
}

void TColumnEx::SetOnDropDownBoxGetCellParams(const TGetCellExParamsEvent& value)
{
    onDropDownBoxGetCellParams_ = value;
    HandDropDownBoxEventsToLookupGrid();
}

void TColumnEx::SetOnDropDownBoxSortMarkingChanged(const rtl::TNotifyEvent& value)
{
    onDropDownBoxSortMarkingChanged_ = value;
    HandDropDownBoxEventsToLookupGrid();
}

void TColumnEx::SetOnDropDownBoxTitleBtnClick(const TTitleExClickEvent& value)
{
    onDropDownBoxTitleBtnClick_ = value;
    HandDropDownBoxEventsToLookupGrid();
}

// ---- TDBGridColumnsEx

TDBGridColumnsEx::TDBGridColumnsEx(TCustomDBGridEx& grid, ItemFactory itemClass)
    : rtl::TCollection(std::move(itemClass), &grid), grid_(grid)
{
}

TDBGridColumnsEx::~TDBGridColumnsEx()
{
    Clear();
}

TColumnEx* TDBGridColumnsEx::Add()
{
    return static_cast<TColumnEx*>(rtl::TCollection::Add());
}

TColumnEx* TDBGridColumnsEx::AddDefault()
{
    TColumnEx* column = nullptr;
    InUpdateBracket(this, [&] {
        column = Add();
        column->SetStored(false);
    });
    return column;
}

bool TDBGridColumnsEx::Customized() const
{
    return Count() > 0 && !Items(0)->IsDefaultColumn();
}

void TDBGridColumnsEx::Update(rtl::TCollectionItem* item)
{
    if (grid_.HasState(rtl::csDestroying) || grid_.IsLoading()) return;
    if (sortOrderStale_) normalizeSortOrder();
    if (item) updateItem(static_cast<TColumnEx&>(*item));
    else grid_.LayoutChanged();

    // A hidden current column gives the current cell to the first visible one.
    const int selected = grid_.SelectedIndex();
    if (selected >= 0 && selected < Count() && !Items(selected)->GetVisible()) {
        for (int i = 0; i < Count(); ++i) {
            if (!Items(i)->GetVisible()) continue;
            grid_.SetSelectedIndex(i);
            break;
        }
    }
    if (!grid_.InLayout()) grid_.RefreshHorzScrollBar();
}

void TDBGridColumnsEx::Notify(rtl::TCollectionItem* item, rtl::TCollectionNotification action)
{
    rtl::TCollection::Notify(item, action);
    if (action != rtl::cnAdded && !grid_.HasState(rtl::csDestroying)) grid_.Selection().Columns().ColumnRemoved(item);
}

void TDBGridColumnsEx::updateItem(TColumnEx& column)
{
    const int rawCol = grid_.DataToRawColumn(column.GetIndex());
    if (rawCol < 0 || rawCol >= grid_.ColCount()) return;
    grid_.InvalidateCol(rawCol);
    const int gridWidth = grid_.ColWidths(rawCol);
    if (!grid_.GetAutoFitColWidths() || grid_.IsDesigning()) {
        int target = column.GetWidth();
        if (!column.GetVisible()) target = grid_.GetOptions().Contains(dgColLines) ? -1 : 0;
        if (gridWidth != target) grid_.SetColWidths(rawCol, target);
        if (grid_.ColumnChangesNeedLayout()) grid_.LayoutChanged();
        return;
    }
    if (gridWidth == -1) return;
    // The new width rescales the column's share; what it gains or loses is taken from or
    // given to the next column, so that the other columns keep their places.
    const int oldInit = column.GetInitWidth();
    const int newInit = MulDivOr(oldInit, column.GetWidth(), gridWidth, oldInit);
    column.SetInitWidth(newInit);
    const int index = column.GetIndex();
    if (index < Count() - 1) {
        TColumnEx* next = Items(index + 1);
        next->SetInitWidth(std::max(0, next->GetInitWidth() + oldInit - newInit));
    }
    grid_.LayoutChanged();
}

void TDBGridColumnsEx::renumberSortOrder(const TColumnEx* changing)
{
    TColumnsExList& list = grid_.SortMarkedColumns();
    for (int i = 0; i < list.Count(); ++i) {
        TColumnEx* column = list.Items(i);
        TColumnTitleEx* title = column->Title();
        if (title->sortIndex_ == i + 1) continue;
        title->sortIndex_ = i + 1;
        if (column != changing) column->Changed(false);
    }
}

void TDBGridColumnsEx::normalizeSortOrder()
{
    sortOrderStale_ = false;
    std::vector<TColumnEx*> marked;
    for (int i = 0; i < Count(); ++i) {
        TColumnTitleEx* title = Items(i)->Title();
        if (title->sortMarker_ == smNoneEx) title->sortIndex_ = 0;
        else marked.push_back(Items(i));
    }
    // The stored places give the order; columns without one follow in collection order.
    auto place = [](const TColumnEx* c) { return c->Title()->sortIndex_ > 0 ? c->Title()->sortIndex_ : INT_MAX; };
    std::stable_sort(marked.begin(), marked.end(),
                     [&](const TColumnEx* a, const TColumnEx* b) { return place(a) < place(b); });
    if (!grid_.GetOptionsEx().Contains(dghMultiSortMarking) && marked.size() > 1) {
        for (std::size_t i = 1; i < marked.size(); ++i) {
            marked[i]->Title()->sortMarker_ = smNoneEx;
            marked[i]->Title()->sortIndex_ = 0;
        }
        marked.resize(1);
    }
    TColumnsExList& list = grid_.SortMarkedColumns();
    list.Clear();
    for (std::size_t i = 0; i < marked.size(); ++i) {
        list.Add(marked[i]);
        marked[i]->Title()->sortIndex_ = static_cast<int>(i) + 1;
    }
}

void TColumnEx::removeFromSortOrder()
{
    auto* columns = dynamic_cast<TDBGridColumnsEx*>(GetCollection());
    if (!columns) return;
    if (columns->Grid().SortMarkedColumns().Remove(this) >= 0) columns->renumberSortOrder(this);
}

} // namespace grid
