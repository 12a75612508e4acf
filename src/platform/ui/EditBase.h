#pragma once
// The single-line edit base. The text box itself is a QLineEdit inside the control,
// placed in the edit rectangle (the client area unless set otherwise); every key,
// mouse and focus event it receives runs through the control's hooks first, so
// descendants filter and rewrite keys in KeyDown/KeyPress and handle the clipboard
// in PasteFromClipboard, CutToClipboard and Undo.
//
// No text enters around the hooks: typed characters and input-method commits pass
// KeyPress one by one and are then inserted by InsertTyped; every change the user
// makes (typing, deleting, pasting, cutting, undoing, the X11 middle-click paste,
// which runs PasteFromClipboard on the selection clipboard) first asks EditCanModify;
// dropped text is refused.
//
// The text and selection calls are virtual: an edit that shows its text in another
// box, or through a mask, answers for it whichever pointer it is reached through.
//
// Text the program sets while the box does not have the focus goes into the box when
// the box is next needed (an event of it, a read of its caret or selection, EditWindow):
// Text, Modified and the change notice answer at once, but the box lays the text out
// only once however often it changes meanwhile (a record scroll under an editor).
#include <string>

#include "platform/ui/Control.h"

class QKeyEvent;
class QInputMethodEvent;
class QLineEdit;
class QPoint;

namespace ui {

// clang-format off
enum TEditCharCase { ecNormal, ecUpperCase, ecLowerCase };
// clang-format on

class TCustomEdit : public TControl {
public:
    explicit TCustomEdit(TControl* parent = nullptr);
    ~TCustomEdit() override;

    // ---- text and selection
    virtual std::string Text() const;
    virtual void SetText(const std::string& text);
    virtual int SelStart() const;
    // Moves the caret; the selection becomes empty.
    virtual void SetSelStart(int v);
    virtual int SelLength() const;
    virtual void SetSelLength(int v);
    virtual std::string SelText() const;
    // Replaces the selection.
    virtual void SetSelText(const std::string& text);
    virtual void SelectAll();
    // The selection becomes empty; the caret stays where it was.
    virtual void ClearSelection();
    // The caret goes to the end of the text, nothing selected.
    void Deselect() { SetSelStart(INT_MAX); }
    // The typed and pasted text is kept to MaxLength characters (0: no limit); text set
    // by the program is not cut.
    int MaxLength() const { return maxLength_; }
    void SetMaxLength(int v) { maxLength_ = std::max(0, v); }
    virtual bool ReadOnly() const;
    virtual void SetReadOnly(bool v);
    // Set by the user's editing, cleared when the program sets the text.
    virtual bool Modified() const;
    virtual void SetModified(bool v);
    TEditCharCase CharCase() const { return charCase_; }
    // Converts the present text too.
    void SetCharCase(TEditCharCase v);
    char PasswordChar() const { return passwordChar_; }
    void SetPasswordChar(char c);
    bool AutoSelect() const { return autoSelect_; }
    void SetAutoSelect(bool v) { autoSelect_ = v; }
    TAlignment TextAlignment() const { return alignment_; }
    virtual void SetTextAlignment(TAlignment a);

    // A character as if typed: it passes KeyPress, then goes into the text (Backspace
    // deletes backwards). The grid hands on the key that opened its edit this way.
    void TypeChar(char ch);

    // ---- caret: hidden while a drop-down of the edit has the keys
    bool CaretVisible() const { return caretVisible_; }
    void SetCaretVisible(bool v);

    // ---- automatic height: with AutoSize the height follows the font (AdjustHeight)
    bool AutoSize() const { return autoSize_; }
    virtual void SetAutoSize(bool v);
    // The height of a line in the control's font (ascent + descent).
    int FontHeight() const;

    // The rectangle of the text box in client coordinates; an empty one restores the client area.
    TRect EditRect() const;
    void SetEditRect(const TRect& r);
    // Blank space kept inside the text box at its left and right.
    void SetMargins(int left, int right);
    int LeftMargin() const { return leftMargin_; }
    int RightMargin() const { return rightMargin_; }
    bool CanUndo() const;

    virtual void PasteFromClipboard();
    virtual void CutToClipboard();
    virtual void CopyToClipboard();
    virtual void Undo();
    // Deletes the selection.
    virtual void ClearText();

    // The single-line text box (for layouts and tests), holding the present text.
    QLineEdit* EditWindow() const;

    TNotifyEvent OnChange;

    bool CanFocus() const override;
    bool Focused() const override;

protected:
    // Asked before the user's editing changes the text; false refuses the change. The
    // grid's edit asks the grid, a data-aware editor its data link.
    virtual bool EditCanModify() { return true; }
    // Whether the user's editing may change the text now: not read-only, and
    // EditCanModify allows it. A descendant that keeps its own read-only rule answers here.
    virtual bool CanChangeText();
    // Whether the text box itself takes mouse buttons (caret placement, selecting, the
    // middle-click paste); the control's mouse hooks run either way. An edit whose text
    // the user only picks from a list answers false.
    virtual bool TextBoxTakesMouseButtons() const { return true; }
    // Whether the box's own key handling may delete text (Backspace, Delete and the
    // word and line deletions); a masked edit deletes through its mask instead.
    virtual bool BoxEditsFreely() const { return true; }
    // Puts text that KeyPress let through into the text at the selection, as typing
    // does: MaxLength and CharCase apply; "\b" deletes backwards. Asks CanChangeText.
    virtual void InsertTyped(const std::string& text);
    // The text the box shows while it does not have the focus, instead of its own; false
    // (the default) shows its own. The box stays where it is, so a click still focuses it.
    // With a PasswordChar the text shows as that many password characters.
    virtual bool UnfocusedText(std::string& text) const;
    // Where that text stands in the box (default: the box's own alignment).
    virtual TAlignment UnfocusedTextAlignment() const { return alignment_; }
    // Repaints the box (call when what UnfocusedText answers changed).
    void UpdateUnfocusedText();
    // Fits the height to the font: FontHeight plus 8 border heights (6 without Ctl3D);
    // runs when AutoSize is switched on and when the font changes.
    virtual void AdjustHeight();
    // Lays the text boxes into the edit rectangle (after a move of it or of the control).
    virtual void PlaceTextBoxes();
    // Shows or hides the single-line box (a descendant showing another box hides it).
    void SetEditWindowVisible(bool v);
    // A press, release or double click that the text box must not see (see
    // TextBoxTakesMouseButtons).
    bool WithheldFromTextBox(const QEvent* e) const;
    // For a text box's paint event: paints what UnfocusedText answers on surface and
    // returns true, unless the box has the focus or UnfocusedText declines.
    bool PaintUnfocusedText(QWidget* surface, bool boxFocused);
    // Shows or hides the caret of the text boxes as CaretVisible says.
    virtual void UpdateCaret();
    // Puts the caret where a click at pos (box coordinates) would.
    virtual void PlaceCaretAt(QWidget* box, const QPoint& pos);

    // The text changed, by the user or the program.
    virtual void Change();
    // Backspace, Delete and the word and line deletions of a text box.
    static bool KeyDeletesText(const QKeyEvent& key);
    // Runs a paste, cut, copy or undo shortcut through the operations above (redo is
    // swallowed); true when the key was one of them.
    bool ClipboardShortcut(const QKeyEvent& key);
    // The text-box events that would put text in around the hooks, for any text box of
    // the edit: input-method commits (typed through TypeChar), drops (refused) and the
    // middle-click paste. True when the event was handled here.
    bool FilterBoxEvent(QWidget* box, QEvent* e);
    void KeyPress(char& key) override;
    void DoEnter() override;
    void Resize() override;
    void FontChanged() override;
    void ColorChanged() override;
    void EnabledChanged() override;

    // Lays the present text out again in the character case (SetCharCase), without the
    // descendants' text setters: the value stays what it was.
    virtual void ApplyCaseToText();

    // The room typing has left under MaxLength, given the present text and selection lengths.
    int RoomLeft(int textLength, int selectedLength) const;
    std::string ApplyCase(const std::string& s) const;

private:
    class TEditWindow;
    friend class TEditWindow;

    bool editWindowEvent(QEvent* e);
    bool editDefaultEvent(QEvent* e);
    void applyPalette();
    // The box with any text set meanwhile in it.
    QLineEdit* box() const;
    void flushText() const;

    TEditWindow* window_;
    // The text set while the box had no focus, not yet in the box, and the Modified
    // state given since.
    mutable QString pendingText_;
    mutable bool textPending_ = false;
    mutable bool pendingModified_ = false;
    mutable bool flushing_ = false;
    int maxLength_ = 0;
    TEditCharCase charCase_ = ecNormal;
    char passwordChar_ = 0;
    bool autoSelect_ = true;
    bool autoSize_ = false;
    bool caretVisible_ = true;
    TAlignment alignment_ = taLeftJustify;
    TRect editRect_;
    bool editRectSet_ = false;
    int leftMargin_ = 0, rightMargin_ = 0;
};

} // namespace ui
