// The data link and the data side of the edit base: binding, value and text, posting,
// read-only state and the properties. The window side is in DBCtrlsExWindow.cpp.
#include "controls/editors/DBCtrlsEx.h"

#include <algorithm>

#include <QLineEdit>

#include "controls/editors/DropDownWindows.h"
#include "controls/editors/ToolCtrlsEx.h"
#include "platform/db/DataSet.h"
#include "platform/db/FieldTypes.h"
#include "platform/rtl/UpdateScope.h"

namespace editors {

namespace {

// A Variant as the editor shows it: an array shows nothing.
std::string VariantText(const rtl::Variant& value)
{
    return value.IsArray() ? std::string() : rtl::VarToStr(value);
}

bool IsMemo(const db::TField* field) { return dynamic_cast<const db::TMemoField*>(field) != nullptr; }

} // namespace

// ---- TFieldDataLinkEx ----

TFieldDataLinkEx::TFieldDataLinkEx(ui::TControl* control) : control_(control) { SetVisualControl(true); }

void TFieldDataLinkEx::SetDataSource(db::TDataSource* source)
{
    if (source != GetDataSource()) db::TDataLink::SetDataSource(source);
    // Also after the data source left on its own (it detaches its links as it goes).
    UpdateDataIndependent();
}

void TFieldDataLinkEx::SetFieldName(const std::string& name)
{
    if (name == fieldName_) return;
    fieldName_ = name;
    UpdateDataIndependent();
    UpdateFields();
}

void TFieldDataLinkEx::SetMultiFields(bool value)
{
    if (value == multiFields_) return;
    multiFields_ = value;
    UpdateFields();
}

void TFieldDataLinkEx::UpdateDataIndependent()
{
    const bool independent = !GetDataSource() && fieldName_.empty();
    if (independent == dataIndependent_) return;
    dataIndependent_ = independent;
    keptValue_ = rtl::Null();
    if (independent && editing_) {
        editing_ = false;
        if (OnEditingChange) OnEditingChange(this);
    }
    UpdateFields();
    if (independent) RecordChanged(nullptr);
}

bool TFieldDataLinkEx::IsBound(const db::TField* field) const
{
    return field && std::find(fields_.begin(), fields_.end(), field) != fields_.end();
}

void TFieldDataLinkEx::UpdateFields()
{
    std::vector<db::TField*> fields;
    if (Active() && !fieldName_.empty()) {
        const db::TDataSet& dataSet = *DataSet();
        if (multiFields_) {
            FieldsByNamesToList(fields, dataSet, control_, fieldName_);
        } else {
            db::TField* field = dataSet.FindField(fieldName_);
            if (!field) {
                setFields({});
                FieldNotFoundError(control_, fieldName_);
            }
            fields.push_back(field);
        }
    }
    setFields(std::move(fields));
}

void TFieldDataLinkEx::setFields(std::vector<db::TField*> fields)
{
    fields_ = std::move(fields);
    updateEditing();
    RecordChanged(nullptr);
}

bool TFieldDataLinkEx::CanModify() const
{
    if (GetReadOnly()) return false;
    if (dataIndependent_) return true;
    if (fields_.empty()) return false;
    return std::all_of(fields_.begin(), fields_.end(), [](const db::TField* f) { return f->CanModify(); });
}

void TFieldDataLinkEx::updateEditing()
{
    // Data-independent editing starts with Edit and ends with UpdateData.
    if (dataIndependent_) return;
    const bool editing = db::TDataLink::Editing() && CanModify();
    if (editing == editing_) return;
    editing_ = editing;
    modified_ = false;
    if (OnEditingChange) OnEditingChange(this);
}

bool TFieldDataLinkEx::Edit()
{
    if (dataIndependent_) {
        if (!editing_ && !GetReadOnly()) {
            editing_ = true;
            modified_ = false;
            if (OnEditingChange) OnEditingChange(this);
        }
        return editing_;
    }
    if (CanModify()) db::TDataLink::Edit();
    return editing_;
}

bool TFieldDataLinkEx::PrepareWrite(bool Designing)
{
    if (dataIndependent_) return true;
    if (Designing) return false;
    if (db::TDataSet* dataSet = DataSet()) dataSet->Edit();
    return true;
}

void TFieldDataLinkEx::SetText(const std::string& text)
{
    if (dataIndependent_) {
        keptValue_ = rtl::Variant(text);
        RecordChanged(nullptr);
        return;
    }
    db::TField* field = Field();
    if (!field) return;
    if (IsMemo(field)) field->SetAsString(text);
    else field->SetText(text);
}

void TFieldDataLinkEx::SetValue(const rtl::Variant& value)
{
    if (dataIndependent_) {
        keptValue_ = value;
        RecordChanged(nullptr);
        return;
    }
    if (fields_.size() >= 2) {
        if (value.IsNull()) {
            for (db::TField* field : fields_) field->SetAsVariant(rtl::Null());
            return;
        }
        // A value that is no array, or too short, raises the runtime's error.
        const int low = rtl::VarArrayLowBound(value, 1);
        for (std::size_t i = 0; i < fields_.size(); ++i) fields_[i]->SetAsVariant(value[low + static_cast<int>(i)]);
        return;
    }
    if (fields_.size() == 1) fields_.front()->SetAsVariant(value);
}

void TFieldDataLinkEx::DataEvent(db::TDataEvent event, std::intptr_t info)
{
    if (event == db::deDisabledStateChange) {
        // While the controls are disabled the fields may go away unheard.
        if (info != 0) UpdateFields();
        else fields_.clear();
        return;
    }
    db::TDataLink::DataEvent(event, info);
}

void TFieldDataLinkEx::ActiveChanged()
{
    UpdateFields();
    if (OnActiveChange) OnActiveChange(this);
}

void TFieldDataLinkEx::EditingChanged() { updateEditing(); }

void TFieldDataLinkEx::LayoutChanged() { UpdateFields(); }

void TFieldDataLinkEx::RecordChanged(db::TField* field)
{
    if (field && !IsBound(field)) return;
    if (OnDataChange) OnDataChange(this);
    modified_ = false;
}

void TFieldDataLinkEx::UpdateData()
{
    if (dataIndependent_) {
        if (modified_ && OnUpdateData) OnUpdateData(this);
        editing_ = false;
        modified_ = false;
        return;
    }
    if (modified_ && !fields_.empty() && OnUpdateData) OnUpdateData(this);
    modified_ = false;
}

void TFieldDataLinkEx::FocusControl(db::TField*& field)
{
    if (!IsBound(field) || !control_ || !control_->CanFocus()) return;
    field = nullptr;
    control_->SetFocus();
}

// ---- TCustomDBEditEx: parts ----

TCustomDBEditEx::TCustomDBEditEx(ui::TControl* parent) : ui::TCustomMaskEdit(parent)
{
    // The text box keeps its I-beam; the buttons and the image show the arrow.
    QWidget::setCursor(Qt::ArrowCursor);
    EditWindow()->setCursor(Qt::IBeamCursor);
    mruList_ = std::make_unique<TMRUListEx>(this);
    mruList_->OnDropDown = rtl::TNotifyEvent(this, &TCustomDBEditEx::mruDropDown);
    mruList_->OnCloseUp = TCloseUpEventEx(this, &TCustomDBEditEx::mruCloseUp);
    CreateParts();
    SetAutoSize(true);
}

TCustomDBEditEx::~TCustomDBEditEx()
{
    // The button controls and the drop-down go while the editor is whole.
    Destroying();
    DestroyComponents();
    mruListBox_ = nullptr;
    buttonControls_.clear();
    if (dataLink_) {
        dataLink_->OnDataChange = nullptr;
        dataLink_->OnEditingChange = nullptr;
        dataLink_->OnUpdateData = nullptr;
        dataLink_->OnActiveChange = nullptr;
        dataLink_.reset();
    }
}

void TCustomDBEditEx::CreateParts()
{
    dataLink_.reset(CreateDataLink());
    dataLink_->OnDataChange = TFieldDataLinkEx::TLinkEvent(this, &TCustomDBEditEx::linkDataChange);
    dataLink_->OnEditingChange = TFieldDataLinkEx::TLinkEvent(this, &TCustomDBEditEx::linkEditingChange);
    dataLink_->OnUpdateData = TFieldDataLinkEx::TLinkEvent(this, &TCustomDBEditEx::linkUpdateData);
    dataLink_->OnActiveChange = TFieldDataLinkEx::TLinkEvent(this, &TCustomDBEditEx::linkActiveChange);
    editButton_.reset(CreateEditButton());
    editButton_->OnChange = rtl::TNotifyEvent(this, &TCustomDBEditEx::partsChanged);
    editButtons_.reset(CreateEditButtons());
    editButtons_->OnChange = rtl::TNotifyEvent(this, &TCustomDBEditEx::partsChanged);
    editImage_.reset(CreateEditImage());
    UpdateReadOnlyState();
    RecreateWnd();
}

TFieldDataLinkEx* TCustomDBEditEx::CreateDataLink() { return new TFieldDataLinkEx(this); }

TEditButtonEx* TCustomDBEditEx::CreateEditButton() { return new TEditButtonEx(this); }

TEditButtonControlEx* TCustomDBEditEx::CreateEditButtonControl()
{
    // The main button describes a control on this editor.
    return editButton_->CreateEditButtonControl();
}

TEditButtonsEx* TCustomDBEditEx::CreateEditButtons()
{
    return new TEditButtonsEx(this, rtl::TCollection::ItemClass<TVisibleEditButtonEx>());
}

TEditImageEx* TCustomDBEditEx::CreateEditImage() { return new TEditImageEx(this); }

// ---- binding ----

db::TDataSource* TCustomDBEditEx::GetDataSource() const { return dataLink_->GetDataSource(); }

void TCustomDBEditEx::SetDataSource(db::TDataSource* Value)
{
    if (!(dataLink_->GetDataSourceFixed() && HasState(rtl::csLoading))) {
        dataLink_->SetDataSource(Value);
        if (Value) Value->FreeNotification(this);
    }
    DataChanged();
    Invalidate();
}

std::string TCustomDBEditEx::GetDataField() const { return dataLink_->GetFieldName(); }

void TCustomDBEditEx::SetDataField(const std::string& Value)
{
    if (!HasState(rtl::csLoading)) ResetMaxLength();
    dataLink_->SetFieldName(Value);
    UpdateEditButtonControls();
    Invalidate();
}

bool TCustomDBEditEx::DataIndependent() const { return dataLink_->DataIndependent(); }

void TCustomDBEditEx::Notification(rtl::TComponent* component, rtl::TOperation operation)
{
    ui::TCustomMaskEdit::Notification(component, operation);
    if (operation != rtl::opRemove || !dataLink_) return;
    // Our data source, or one that let go of the link as it went (it is no longer a data
    // source by now): the mode follows either way.
    if (component == GetDataSource() || !GetDataSource()) dataLink_->SetDataSource(nullptr);
    if (editImage_ && component == editImage_->GetImages()) editImage_->SetImages(nullptr);
    if (component == inplaceHolder_) {
        inplaceHolder_ = nullptr;
        holderInterface_ = nullptr;
    }
}

void TCustomDBEditEx::Loaded()
{
    ui::TCustomMaskEdit::Loaded();
    ResetMaxLength();
    UpdateHot();
}

// ---- defaults ----

ui::TAlignment TCustomDBEditEx::DefaultAlignment() const
{
    const db::TField* field = dataLink_->Field();
    return field ? field->GetAlignment() : ui::taLeftJustify;
}

std::string TCustomDBEditEx::DefaultEditMask() const
{
    const db::TField* field = dataLink_->Field();
    return field ? field->GetEditMask() : std::string();
}

int TCustomDBEditEx::DefaultImageIndex() const { return -1; }

bool TCustomDBEditEx::UseRightToLeftAlignment() const
{
    return DBUseRightToLeftAlignment(*this, dataLink_ ? dataLink_->Field() : nullptr);
}

// ---- value, text and data ----

rtl::Variant TCustomDBEditEx::GetVariantValue() const
{
    return rtl::Variant(DataIndependent() ? EditText() : Text());
}

bool TCustomDBEditEx::IsValidChar(char Key) const
{
    const db::TField* field = dataLink_->Field();
    return !field || field->IsValidChar(Key);
}

void TCustomDBEditEx::setOwnText(const std::string& text)
{
    const rtl::TCountScope counting(ownText_);
    ui::TCustomMaskEdit::SetText(text);
}

void TCustomDBEditEx::SetEditText(const std::string& Text) { setOwnText(Text); }

void TCustomDBEditEx::InternalSetValue(const rtl::Variant& Value) { SetEditText(VariantText(Value)); }

void TCustomDBEditEx::SetText(const std::string& Value)
{
    if (!dataLink_->PrepareWrite(HasState(rtl::csDesigning))) return;
    SetEditText(Value);
    if (!inUpdateData_) UpdateData();
}

void TCustomDBEditEx::SetValueAndUpdate(const rtl::Variant& Value)
{
    if (!dataLink_->PrepareWrite(HasState(rtl::csDesigning))) return;
    InternalSetValue(Value);
    if (!inUpdateData_) UpdateData();
}

void TCustomDBEditEx::DataChanged()
{
    UpdateEditWindowAlignment();
    if (!editMaskAssigned_) ui::TCustomMaskEdit::SetEditMask(DefaultEditMask());
    std::string text;
    if (db::TField* field = dataLink_->Field()) {
        if (field->GetAlignment() != explicitAlignment_) Invalidate();
        if (!HasState(rtl::csDesigning) && MaxLength() == 0 && dynamic_cast<db::TStringField*>(field))
            SetMaxLength(field->GetSize());
        if (focused_ && dataLink_->CanModify()) {
            SetEditText(IsMemo(field) ? field->GetAsString() : field->GetText());
            UpdateReadOnlyState();
            SetModified(false);
            return;
        }
        text = IsMemo(field) ? field->GetAsString() : field->DisplayText();
    } else if (DataIndependent()) {
        text = VariantText(dataLink_->GetKeptValue());
    }
    setOwnText(text);
    UpdateReadOnlyState();
    SetModified(false);
}

void TCustomDBEditEx::EditingChanged() { UpdateReadOnlyState(); }

void TCustomDBEditEx::linkDataChange(TFieldDataLinkEx*)
{
    // A field bound anew may read on the other side than the one the editor is laid out for.
    if (UseRightToLeftAlignment() != laidOutRightToLeft_) RecreateWnd();
    DataChanged();
}

void TCustomDBEditEx::UpdateData()
{
    if (Focused()) ValidateEdit();
    bool handled = false;
    if (OnUpdateData) {
        const rtl::TFlagScope flagged(inUpdateData_);
        OnUpdateData(this, handled);
    }
    if (!handled) PostTextToField();
    SetModified(false);
    if (mruList_->GetActive() && mruList_->GetAutoAdd() && Showing()) mruList_->Add(Text());
}

void TCustomDBEditEx::PostTextToField() { dataLink_->SetText(DataIndependent() ? EditText() : Text()); }

std::string TCustomDBEditEx::GetDisplayText() const
{
    if (HasState(rtl::csDesigning) && !dataLink_->Active()) return GetName();
    const db::TField* field = dataLink_->Field();
    if (focused_ || !field) return EditText();
    return ApplyCase(IsMemo(field) ? field->GetAsString() : field->DisplayText());
}

void TCustomDBEditEx::ResetMaxLength()
{
    if (MaxLength() <= 0) return;
    const db::TDataSet* dataSet = dataLink_->DataSet();
    if (!dataSet) return;
    const db::TField* field = dataSet->FindField(GetDataField());
    if (field && dynamic_cast<const db::TStringField*>(field) && field->GetSize() == MaxLength()) SetMaxLength(0);
}

void TCustomDBEditEx::UpdateControlState()
{
    ResetMaxLength();
    UpdateEditButtonControls();
}

void TCustomDBEditEx::SetFocused(bool Value)
{
    if (focused_ == Value) return;
    focused_ = Value;
    if (explicitAlignment_ != ui::taLeftJustify && !IsMasked()) Invalidate();
    dataLink_->Reset();
}

// ---- read-only state ----

void TCustomDBEditEx::SetReadOnly(bool Value)
{
    if (readOnly_ == Value) return;
    readOnly_ = Value;
    EditingChanged();
}

void TCustomDBEditEx::UpdateReadOnlyState()
{
    bool readOnly = readOnly_ || !(dataLink_->Editing() || OnUpdateData);
    if (!readOnly && holderInterface_) readOnly = !holderInterface_->InplaceEditCanModify(this);
    editReadOnly_ = readOnly;
}

bool TCustomDBEditEx::EditCanModify() { return dataLink_->Edit(); }

bool TCustomDBEditEx::CanChangeText()
{
    EditCanModify();
    // OnUpdateData may have been assigned since the state was last worked out.
    UpdateReadOnlyState();
    return !editReadOnly_;
}

void TCustomDBEditEx::Reset()
{
    dataLink_->Reset();
    SelectAll();
}

// ---- properties ----

ui::TAlignment TCustomDBEditEx::GetAlignment() const { return alignmentAssigned_ ? explicitAlignment_ : DefaultAlignment(); }

void TCustomDBEditEx::SetAlignment(ui::TAlignment Value)
{
    if (alignmentAssigned_ && explicitAlignment_ == Value) return;
    explicitAlignment_ = Value;
    alignmentAssigned_ = true;
    if (WordWrap()) RecreateWnd();
    else Invalidate();
    UpdateUnfocusedText();
}

void TCustomDBEditEx::SetAlwaysShowBorder(bool Value)
{
    if (alwaysShowBorder_ == Value) return;
    alwaysShowBorder_ = Value;
    UpdateHot();
}

void TCustomDBEditEx::SetFlat(bool Value)
{
    if (flat_ == Value) return;
    flat_ = Value;
    RecreateWnd();
}

void TCustomDBEditEx::SetEditMask(const std::string& Value)
{
    if (editMaskAssigned_ && Value == EditMask()) return;
    ui::TCustomMaskEdit::SetEditMask(Value);
    editMaskAssigned_ = true;
    if (DataIndependent()) PostTextToField();
    else DataChanged();
}

void TCustomDBEditEx::SetWordWrap(bool Value)
{
    if (Value == WordWrap()) return;
    ui::TCustomMaskEdit::SetWordWrap(Value);
    RecreateWnd();
}

void TCustomDBEditEx::SetAutoSize(bool Value)
{
    if (Value == AutoSize()) return;
    ui::TCustomMaskEdit::SetAutoSize(Value);
    UpdateHeight();
}

ui::TCustomImageList* TCustomDBEditEx::GetImages() const { return editImage_->GetImages(); }

void TCustomDBEditEx::SetImages(ui::TCustomImageList* Value)
{
    editImage_->SetImages(Value);
    if (Value) editImage_->SetVisible(true);
}

void TCustomDBEditEx::SetOnGetImageIndex(TGetImageIndexEventEx Value)
{
    onGetImageIndex_ = std::move(Value);
    UpdateImageIndex();
}

} // namespace editors
