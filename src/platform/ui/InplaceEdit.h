#pragma once
// The in-place edit of the base grid: the grid's adapter over the masked edit, a
// borderless edit that the grid lays over its current cell. It loads its text, edit
// mask and length limit from the grid's hooks, hands every change back through the
// grid's SetEditText, sends navigation keys to the grid, and asks the grid whether a
// key may change the text (EditCanModify is the grid's CanEditModify).
//
// A descendant grid's own edit derives from this class and reaches the grid's hooks
// through the protected Grid... calls below (the grid befriends this class only).
#include <string>

#include "platform/ui/MaskEdit.h"

namespace ui {

class TCustomGrid;

class TInplaceEdit : public TCustomMaskEdit {
public:
    explicit TInplaceEdit(TCustomGrid* grid);

    TCustomGrid* Grid() const { return grid_; }

    // ---- what the grid calls
    // Reloads text, mask and limit from the grid's hooks for its current cell.
    virtual void UpdateContents();
    // Lays the edit over r, shows it and repaints it; an empty r hides it.
    void Move(const TRect& r);
    // As Move, without the repaint.
    void UpdateLoc(const TRect& r);

protected:
    // After every move: the text box becomes (2, 2, Width - 2, Height).
    virtual void BoundsChanged();
    // The rectangle of the text box in client coordinates.
    void SetTextRect(const TRect& r) { SetEditRect(r); }
    TRect TextRect() const { return EditRect(); }
    // The edit is loading its cell's text (UpdateContents).
    bool Loading() const { return loading_ > 0; }
    // Shows a text without handing it to the grid, which keeps its edit text.
    void ShowText(const std::string& text);

    // The grid's CanEditModify.
    bool EditCanModify() override;
    // Up, Down, PageUp, PageDown, Esc and Tab go to the grid; Left/Home and
    // Right/End go there from the edges of the text (or with Ctrl) when the grid
    // always shows its edit; Ctrl+Delete and a plain Insert go there too; F2
    // deselects. Shift+Insert and Delete ask the grid's CanEditModify.
    void KeyDown(Word& key, TShiftState shift) override;
    // The grid's key-press step first; then CanEditAcceptKey for printable keys.
    // Enter (when the edit stays shown) toggles between all selected and nothing
    // selected; Ctrl+Enter's line feed breaks the line in the multi-line box and is
    // swallowed by a single line.
    void KeyPress(char& key) override;
    // A typed character the grid's key-press step let through, before the edit takes it;
    // 0 consumes it.
    virtual void TypedCharacter(char& /*key*/) {}
    // Tab always: the edit passes it to the grid, or leaves for the control after (or
    // before) the grid when the grid does not take Tab.
    unsigned DialogCode() const override;
    void DblClick() override;
    bool DoMouseWheel(TShiftState shift, int wheelDelta, TPoint mousePos) override;
    // Each change of the text by the user goes to the grid's SetEditText.
    void Change() override;
    // The grid hears when the focus comes or goes.
    void FocusIn(TControl* previous) override;
    void FocusOut(TControl* next) override;

    // ---- the grid's hooks, for descendants of this edit
    bool GridCanEditModify();
    bool GridCanEditAcceptKey(char key);
    bool GridCanEditShow();
    std::string GridGetEditText(int col, int row);
    void GridSetEditText(int col, int row, const std::string& value);
    std::string GridGetEditMask(int col, int row);
    int GridGetEditLimit();
    // The grid's key handling of a key that leaves the edit.
    void GridKeyDown(Word& key, TShiftState shift);
    // The grid's key-press step (its OnKeyPress; Enter shows or hides the edit).
    void GridDoKeyPress(char& key);

private:
    // Focuses the next (or previous) control after the grid in the window's focus order:
    // the edit, made when first needed, stands last in that order itself.
    void focusBesideGrid(bool next);

    TCustomGrid* grid_;
    int loading_ = 0;
};

} // namespace ui
