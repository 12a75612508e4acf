#pragma once
// The single-line edit base. The text box itself is a QLineEdit inside the control,
// placed in the edit rectangle (the client area unless set otherwise); every key,
// mouse and focus event it receives runs through the control's hooks first, so
// descendants filter and rewrite keys in KeyDown/KeyPress and handle the clipboard
// in PasteFromClipboard, CutToClipboard and Undo.
#include <string>

#include "platform/ui/Control.h"

class QKeyEvent;
class QLineEdit;

namespace ui {

enum TEditCharCase { ecNormal, ecUpperCase, ecLowerCase };

class TCustomEdit : public TControl {
public:
    explicit TCustomEdit(TControl* parent = nullptr);
    ~TCustomEdit() override;

    std::string Text() const;
    void SetText(const std::string& text);
    int SelStart() const;
    // Moves the caret; the selection becomes empty.
    void SetSelStart(int v);
    int SelLength() const;
    void SetSelLength(int v);
    std::string SelText() const;
    // Replaces the selection.
    void SetSelText(const std::string& text);
    void SelectAll();
    void ClearSelection();
    // The typed and pasted text is kept to MaxLength characters (0: no limit); text set
    // by the program is not cut.
    int MaxLength() const { return maxLength_; }
    void SetMaxLength(int v) { maxLength_ = std::max(0, v); }
    bool ReadOnly() const;
    void SetReadOnly(bool v);
    // Set by the user's editing, cleared when the program sets the text.
    bool Modified() const;
    void SetModified(bool v);
    TEditCharCase CharCase() const { return charCase_; }
    // Converts the present text too.
    void SetCharCase(TEditCharCase v);
    char PasswordChar() const { return passwordChar_; }
    void SetPasswordChar(char c);
    bool AutoSelect() const { return autoSelect_; }
    void SetAutoSelect(bool v) { autoSelect_ = v; }
    TAlignment TextAlignment() const { return alignment_; }
    void SetTextAlignment(TAlignment a);

    // The rectangle of the text box in client coordinates; an empty one restores the client area.
    TRect EditRect() const;
    void SetEditRect(const TRect& r);
    // Blank space kept inside the text box at its left and right.
    void SetMargins(int left, int right);
    int LeftMargin() const { return leftMargin_; }
    // Hides the text box (a descendant paints the text itself in Paint).
    void SetEditWindowVisible(bool v);
    bool CanUndo() const;

    virtual void PasteFromClipboard();
    virtual void CutToClipboard();
    virtual void CopyToClipboard();
    virtual void Undo();
    // Deletes the selection.
    virtual void ClearText();

    // The text box (for the in-place editor's layout and for tests).
    QLineEdit* EditWindow() const;

    TNotifyEvent OnChange;

    bool CanFocus() const override;
    bool Focused() const override;

protected:
    // The text changed, by the user or the program.
    virtual void Change();
    // Runs a paste, cut, copy or undo shortcut through the operations above (redo is
    // swallowed); true when the key was one of them.
    bool ClipboardShortcut(const QKeyEvent& key);
    void KeyPress(char& key) override;
    void DoEnter() override;
    void Resize() override;
    void FontChanged() override;
    void ColorChanged() override;
    void EnabledChanged() override;

private:
    class TEditWindow;
    friend class TEditWindow;

    bool editWindowEvent(QEvent* e);
    bool editDefaultEvent(QEvent* e);
    void placeEditWindow();
    void applyPalette();
    std::string applyCase(const std::string& s) const;
    int roomLeft() const;

    TEditWindow* window_;
    int maxLength_ = 0;
    TEditCharCase charCase_ = ecNormal;
    char passwordChar_ = 0;
    bool autoSelect_ = true;
    TAlignment alignment_ = taLeftJustify;
    TRect editRect_;
    bool editRectSet_ = false;
    int leftMargin_ = 0, rightMargin_ = 0;
};

} // namespace ui
