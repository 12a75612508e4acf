#pragma once
// The data-aware check box: three states (unchecked, checked, grayed), drawn by itself
// flat or 3-D, bound to a field through the editors' data link, or data-independent
// (the link keeps the value: True, False, or Null for grayed).
//
// Reading the data: a Null field is grayed, a Boolean field checked or unchecked; the
// text of any other field is looked up, letter case ignored, in the ';'-lists
// ValueChecked and ValueUnchecked (grayed when in neither). Writing: grayed clears the
// field, a Boolean field takes Checked, any other field the first entry of the matching
// list as its text.
//
// A click, the release of Space or the caption's accelerator toggles once: unchecked,
// checked, unchecked ... or, with AllowGrayed, unchecked, grayed, checked. The user's
// state is written when the control is left (Esc before that reads the data again);
// State set by the program is written at once. Every change of the state fires OnClick.
#include <string>

#include "controls/editors/CheckBoxState.h"
#include "controls/editors/DBCtrlsEx.h"
#include "platform/ui/StdControls.h"

namespace editors {

class TCustomDBCheckBoxEx : public ui::TButtonControl {
public:
    explicit TCustomDBCheckBoxEx(ui::TControl* parent = nullptr);
    ~TCustomDBCheckBoxEx() override;

    // ---- binding
    db::TDataSource* GetDataSource() const { return dataLink_->GetDataSource(); }
    void SetDataSource(db::TDataSource* Value);
    std::string GetDataField() const { return dataLink_->GetFieldName(); }
    void SetDataField(const std::string& Value) { dataLink_->SetFieldName(Value); }
    TFieldDataLinkEx* DataLink() const { return dataLink_.get(); }
    virtual bool DataIndependent() const { return dataLink_->DataIndependent(); }
    // The data link's: a read-only check box does not toggle.
    bool GetReadOnly() const { return dataLink_->GetReadOnly(); }
    void SetReadOnly(bool Value) { dataLink_->SetReadOnly(Value); }

    // ---- state
    TCheckBoxState GetState() const { return state_; }
    // A bound data set goes into edit state first (nothing without one); the state is
    // written at once. In the designer only a data-independent check box takes it.
    void SetState(TCheckBoxState Value);
    bool GetChecked() const override { return state_ == cbChecked; }
    void SetChecked(bool Value) override { SetState(Value ? cbChecked : cbUnchecked); }
    // The user may reach the grayed state.
    bool GetAllowGrayed() const { return allowGrayed_; }
    void SetAllowGrayed(bool Value) { allowGrayed_ = Value; }
    // Texts that mean checked and unchecked, ';'-separated; setting one reads the data again.
    const std::string& GetValueChecked() const { return valueChecked_; }
    void SetValueChecked(const std::string& Value);
    const std::string& GetValueUnchecked() const { return valueUnchecked_; }
    void SetValueUnchecked(const std::string& Value);
    // The state changed since it was last read from the data.
    bool Modified() const { return modified_; }

    // ---- look
    // taRightJustify (the default) puts the caption right of the box, taLeftJustify left of it.
    ui::TAlignment GetAlignment() const { return alignment_; }
    void SetAlignment(ui::TAlignment Value);
    // The flat box is drawn hot even when not hovered or focused.
    bool GetAlwaysShowBorder() const { return alwaysShowBorder_; }
    void SetAlwaysShowBorder(bool Value);
    bool GetFlat() const { return flat_; }
    void SetFlat(bool Value);
    // Right to left unless the bound field holds numbers or dates (DBUseRightToLeftAlignment):
    // the box and the caption change sides.
    bool UseRightToLeftAlignment() const override;

    // May take over writing the state (Handled).
    TUpdateDataEventEx OnUpdateData;

    void Notification(rtl::TComponent* component, rtl::TOperation operation) override;

protected:
    // The box at the side Alignment gives (the other one under right-to-left alignment),
    // then the caption beside it.
    virtual void DrawControl(ui::TCanvas& Canvas, const ui::TRect& Rect, TCheckBoxState State, bool Pressed,
                             bool Enabled);
    virtual void DrawCheck(ui::TCanvas& Canvas, const ui::TRect& Rect, TCheckBoxState State, bool Pressed,
                           bool Enabled);
    // One line, centred vertically, at the left of Rect (its right under right-to-left
    // alignment); etched when disabled; the focus frame around it.
    virtual void DrawCaption(ui::TCanvas& Canvas, const ui::TRect& Rect, bool Enabled);
    // Stores a new state: OnClick, repaint, Modified.
    virtual void SetStateInternal(TCheckBoxState Value);
    virtual void PostState();
    // The user's toggle, when the data link can edit.
    virtual void Toggle();
    // OnUpdateData, then PostState unless handled. A failure resets the link (the box
    // shows the data again) and goes on to the caller.
    virtual void UpdateData();
    // The state the data gives.
    TCheckBoxState FieldState() const;

    void Paint() override;
    // A click toggles (the state change fires OnClick).
    void Click() override;
    void KeyDown(ui::Word& key, ui::TShiftState shift) override;
    void KeyPress(char& key) override;
    void KeyUp(ui::Word& key, ui::TShiftState shift) override;
    bool WantSpecialKey(ui::Word key, ui::TShiftState shift) override;
    void MouseDown(ui::TMouseButton button, ui::TShiftState shift, int x, int y) override;
    void MouseMove(ui::TShiftState shift, int x, int y) override;
    void MouseUp(ui::TMouseButton button, ui::TShiftState shift, int x, int y) override;
    void MouseEnter() override;
    void MouseLeave() override;
    void CaptureCancelled() override;
    void FocusIn(ui::TControl* previous) override;
    void FocusOut(ui::TControl* next) override;
    // Writes the state first.
    void DoExit() override;
    bool DialogChar(char key) override;
    void Resize() override;
    void EnabledChanged() override;
    void TextChanged() override;
    void BiDiModeChanged() override { Invalidate(); }
    // No double clicks: the second press of a quick pair is a press of its own.
    bool event(QEvent* e) override;

private:
    void linkDataChange(TFieldDataLinkEx*);
    void linkUpdateData(TFieldDataLinkEx*) { UpdateData(); }

    std::unique_ptr<TFieldDataLinkEx> dataLink_;
    TCheckBoxState state_ = cbUnchecked;
    std::string valueChecked_ = "True";
    std::string valueUnchecked_ = "False";
    ui::TAlignment alignment_ = ui::taRightJustify;
    bool allowGrayed_ = false;
    bool alwaysShowBorder_ = false;
    bool flat_ = false;
    bool modified_ = false;
    bool mouseInside_ = false;
    bool leftDown_ = false;
    bool spacePressed_ = false;
    bool inUpdateData_ = false;
    bool paintedRightToLeft_ = false;
};

class TDBCheckBoxEx : public TCustomDBCheckBoxEx {
public:
    using TCustomDBCheckBoxEx::TCustomDBCheckBoxEx;
};

} // namespace editors
