#pragma once
// The masked edit: the edit base with an edit mask (EditMask.h) that governs typing,
// a multi-line box with word wrap, and the reset and validation of masked input. The
// data-aware editors and the grid's in-place edit both stand on it.
//
// Text is the value: with a mask, blanks read as spaces and literals count only when
// the mask saves them; EditText is what the box shows. In the multi-line box line
// breaks read as "\r\n" and count as two characters in positions. All of it answers
// the same through a TCustomEdit pointer.
#include <string>

#include "platform/rtl/Exception.h"
#include "platform/ui/EditBase.h"
#include "platform/ui/EditMask.h"

class QPlainTextEdit;

namespace ui {

// Masked input that is not complete.
class EDBEditError : public rtl::Exception {
    using rtl::Exception::Exception;
};

class TCustomMaskEdit : public TCustomEdit {
public:
    explicit TCustomMaskEdit(TControl* parent = nullptr);
    ~TCustomMaskEdit() override;

    // ---- text and selection (the edit base's calls, for the box in use)
    std::string Text() const override;
    // With a mask the value is laid into it.
    void SetText(const std::string& text) override;
    std::string EditText() const;
    int SelStart() const override;
    void SetSelStart(int v) override;
    int SelLength() const override;
    void SetSelLength(int v) override;
    std::string SelText() const override;
    // Replaces the selection (through the mask when there is one).
    void SetSelText(const std::string& text) override;
    void SelectAll() override;
    void ClearSelection() override;
    bool ReadOnly() const override;
    void SetReadOnly(bool v) override;
    void SetTextAlignment(TAlignment a) override;
    bool Modified() const override;
    void SetModified(bool v) override;

    // ---- edit mask (single-line box only)
    const std::string& EditMask() const { return mask_.GetMask(); }
    // Keeps the value: the present text is laid into the new mask.
    virtual void SetEditMask(const std::string& mask);
    bool IsMasked() const { return mask_.IsMasked() && !wordWrap_; }
    const TEditMask& Mask() const { return mask_; }
    // Masked input that the user changed must fill every required place: otherwise the
    // caret goes to the first blank one and EDBEditError "Invalid input value.  Use
    // escape key to abandon changes" is raised (with a beep).
    virtual void ValidateEdit();
    // Puts back the text as it stood when the program last set it or the edit last took
    // the focus, and clears Modified. Esc runs it in a masked edit that was modified.
    virtual void Reset();

    // ---- multi-line box
    bool WordWrap() const { return wordWrap_; }
    // Switches between the single-line and the multi-line box; the text is kept.
    virtual void SetWordWrap(bool v);
    // Lines as shown (wrapped lines count), and the line of the caret (0-based).
    int LineCount() const;
    int CaretLine() const;

    void PasteFromClipboard() override;
    void CutToClipboard() override;
    void CopyToClipboard() override;
    void Undo() override;
    void ClearText() override;

    bool CanFocus() const override;
    bool Focused() const override;

protected:
    // A masked edit: Delete blanks the place at the caret (or the selection).
    void KeyDown(Word& key, TShiftState shift) override;
    // A masked edit: characters fill the editable places, Backspace blanks the one
    // before the caret, Esc resets a modified text.
    void KeyPress(char& key) override;
    void InsertTyped(const std::string& text) override;
    void UpdateCaret() override;
    void ApplyCaseToText() override;
    void PlaceCaretAt(QWidget* box, const QPoint& pos) override;
    void Change() override;
    void DoEnter() override;
    bool BoxEditsFreely() const override { return !IsMasked(); }
    void FontChanged() override;
    void ColorChanged() override;
    void EnabledChanged() override;
    // Both boxes lie in the edit rectangle.
    void PlaceTextBoxes() override;
    // The text is being rebuilt by the edit itself (a new mask, a switch of box): the
    // value stays, and Change is not called.
    bool InternalTextChange() const { return internal_ > 0; }
    // The multi-line box (nullptr until word wrap was first switched on).
    QPlainTextEdit* MemoBox() const;

private:
    class TMemoBox;
    friend class TMemoBox;

    bool memoEvent(QEvent* e);
    bool memoDefaultEvent(QEvent* e);
    bool memoViewportEvent(QEvent* e);
    void applyMemoLook();
    void rememberResetText();
    // Mask editing on the shown text; user input beeps when nothing was taken.
    void maskInsert(const std::string& chars, bool user);
    // Blanks the selected places; false when nothing is selected.
    bool maskBlankSelection();
    void maskBackspace();
    void maskDelete();
    void maskCommit(const std::string& display, int caret);
    std::string blankSelection(const std::string& display, int start, int length) const;
    int memoPosToText(int pos) const;
    int textPosToMemo(int pos) const;
    void memoInsert(const std::string& text);

    TEditMask mask_;
    bool wordWrap_ = false;
    TMemoBox* memo_ = nullptr;
    int internal_ = 0;
    std::string resetText_; // the shown text Reset puts back
};

} // namespace ui
