#pragma once
// The in-place edit of the base grid: a borderless edit that the grid lays over its
// current cell. It loads its text, edit mask and length limit from the grid's hooks,
// hands every change back through the grid's SetEditText, sends navigation keys to
// the grid, and asks the grid whether a key may change the text.
//
// Two kinds of text box: the single-line box of the edit base, where an edit mask
// (EditMask.h) may govern typing, and a multi-line box with word wrap for cells whose
// text wraps (WordWrap). The text and selection calls below serve both; in the
// multi-line box line breaks read as "\r\n" and count as two characters.
#include <memory>
#include <string>

#include "platform/ui/EditBase.h"
#include "platform/ui/EditMask.h"

class QPlainTextEdit;

namespace ui {

class TCustomGrid;

class TInplaceEdit : public TCustomEdit {
public:
    explicit TInplaceEdit(TCustomGrid* grid);
    ~TInplaceEdit() override;

    TCustomGrid* Grid() const { return grid_; }

    // ---- text. With a mask the text is the value (blanks as spaces, literals only
    // when the mask saves them); EditText is what the box shows.
    std::string Text() const;
    void SetText(const std::string& text);
    std::string EditText() const;
    int SelStart() const;
    void SetSelStart(int v);
    int SelLength() const;
    void SetSelLength(int v);
    std::string SelText() const;
    // Replaces the selection (through the mask when there is one).
    void SetSelText(const std::string& text);
    void SelectAll();
    // The caret goes to the end of the text, nothing selected.
    void Deselect();
    bool ReadOnly() const;
    void SetReadOnly(bool v);
    bool Modified() const;
    void SetModified(bool v);

    // ---- edit mask (single-line box only)
    const std::string& EditMask() const { return mask_.GetMask(); }
    // Keeps the value: the present text is laid into the new mask.
    void SetEditMask(const std::string& mask);
    bool IsMasked() const { return mask_.IsMasked() && !wordWrap_; }
    const TEditMask& Mask() const { return mask_; }

    // ---- multi-line box
    bool WordWrap() const { return wordWrap_; }
    // Switches between the single-line and the multi-line box; the text is kept.
    void SetWordWrap(bool v);
    // Lines as shown (wrapped lines count), and the line of the caret (0-based).
    int LineCount() const;
    int CaretLine() const;

    // ---- what the grid calls
    // Reloads text, mask and limit from the grid's hooks for its current cell.
    virtual void UpdateContents();
    // Lays the edit over r, shows it and repaints it; an empty r hides it.
    void Move(const TRect& r);
    // As Move, without the repaint.
    void UpdateLoc(const TRect& r);
    // A character the grid passes on: it runs through KeyPress, then is typed.
    void TypeChar(char ch);

    void PasteFromClipboard() override;
    void CutToClipboard() override;
    void CopyToClipboard() override;
    void Undo() override;
    void ClearText() override;

    bool CanFocus() const override;
    bool Focused() const override;

protected:
    // After every move: the text box becomes (2, 2, Width - 2, Height).
    virtual void BoundsChanged();
    // The rectangle of the text box in client coordinates.
    void SetTextRect(const TRect& r);
    TRect TextRect() const { return textRect_; }

    // Up, Down, PageUp, PageDown, Esc and Tab go to the grid; Left/Home and
    // Right/End go there from the edges of the text (or with Ctrl) when the grid
    // always shows its edit; Ctrl+Delete and a plain Insert go there too; F2
    // deselects. Keys that change the text ask the grid's CanEditModify.
    void KeyDown(Word& key, TShiftState shift) override;
    // The grid's key-press step first; then CanEditAcceptKey for printable keys and
    // CanEditModify for keys that change the text. Enter (when the edit stays shown)
    // toggles between all selected and nothing selected; a single-line box swallows
    // Ctrl+Enter's line feed.
    void KeyPress(char& key) override;
    unsigned DialogCode() const override;
    void DblClick() override;
    bool DoMouseWheel(TShiftState shift, int wheelDelta, TPoint mousePos) override;
    // Each change of the text by the user goes to the grid's SetEditText.
    void Change() override;
    void Resize() override;
    void FontChanged() override;
    void ColorChanged() override;

private:
    class TMemoBox;
    friend class TMemoBox;

    bool memoEvent(QEvent* e);
    bool memoDefaultEvent(QEvent* e);
    bool memoViewportEvent(QEvent* e);
    void placeMemo();
    void applyMemoLook();
    void insertTyped(const std::string& text);
    // Mask editing on the shown text.
    void maskType(const std::string& chars);
    void maskBackspace();
    void maskDelete();
    void maskCommit(const std::string& display, int caret);
    std::string blankSelection(const std::string& display, int start, int length) const;
    int memoPosToText(int pos) const;
    int textPosToMemo(int pos) const;

    TCustomGrid* grid_;
    TEditMask mask_;
    bool wordWrap_ = false;
    TMemoBox* memo_ = nullptr;
    TRect textRect_;
    int loading_ = 0;
};

} // namespace ui
