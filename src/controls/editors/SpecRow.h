#pragma once
// The special row of a drop-down list: an extra row above the list's rows that stands
// for a value outside the list (typically "none"), with a text per column.
#include <string>
#include <vector>

#include "platform/rtl/Persistent.h"
#include "platform/rtl/Variant.h"
#include "platform/ui/Graphics.h"
#include "platform/ui/UiTypes.h"

namespace editors {

// Alt+Del, the default shortcut that picks the special row.
inline constexpr ui::TShortCut AltDelShortCut = ui::TShortCut(ui::scAlt) | ui::VK_DELETE;

class TSpecRowEx : public rtl::TPersistent {
public:
    // A control owner lends its colour and font until the row has its own.
    explicit TSpecRowEx(rtl::TPersistent* owner = nullptr);

    rtl::TPersistent* GetOwner() const { return owner_; }

    using rtl::TPersistent::Assign;
    // From another special row, in one change: CellsText, Color and Font (each when
    // the source has its own), ShortCut, ShowIfNotInKeyList, Value and Visible.
    void Assign(const rtl::TPersistent* source) override;

    // The cell texts as one ';'-separated text (see SplitCellsText).
    const std::string& GetCellsText() const { return cellsText_; }
    void SetCellsText(const std::string& value);
    // The text of cell Index; empty outside the cells.
    std::string CellText(int Index) const;
    int CellCount() const { return static_cast<int>(cells_.size()); }

    ui::TColor GetColor() const;
    void SetColor(ui::TColor value);
    bool ColorAssigned() const { return colorAssigned_; }
    // The row's own font; until it is changed, a copy of the owner's.
    ui::TFont& GetFont();
    void SetFont(const ui::TFont& value);
    bool FontAssigned() const { return fontAssigned_; }
    ui::TShortCut GetShortCut() const { return shortCut_; }
    void SetShortCut(ui::TShortCut value);
    // Shown also for a key value that is not in the list.
    bool GetShowIfNotInKeyList() const { return showIfNotInKeyList_; }
    void SetShowIfNotInKeyList(bool value);
    const rtl::Variant& GetValue() const { return value_; }
    void SetValue(const rtl::Variant& value);
    bool GetVisible() const { return visible_; }
    void SetVisible(bool value);

    // The row is visible and its Value equals Value (VarEquals).
    bool ValueMatches(const rtl::Variant& Value) const;

    // Changes inside a bracket give one change notice at its end.
    void BeginUpdate() { ++updateCount_; }
    void EndUpdate();

    rtl::TNotifyEvent OnChange;

private:
    void changed();
    void fontChanged();

    rtl::TPersistent* owner_;
    std::vector<std::string> cells_;
    std::string cellsText_;
    ui::TColor color_ = ui::clWindow;
    ui::TFont font_;
    ui::TShortCut shortCut_ = AltDelShortCut;
    bool showIfNotInKeyList_ = true;
    int updateCount_ = 0;
    rtl::Variant value_ = rtl::Null();
    bool visible_ = false;
    bool colorAssigned_ = false;
    bool fontAssigned_ = false;
    bool copyingOwnerFont_ = false;
};

// The cells of a ';'-separated text: control characters (1 to 31) around a cell are
// skipped; a cell starting with '"' is quoted, with doubled quotes inside, and an
// unclosed quote takes the rest of the text; otherwise a cell runs to the next ';' or
// control character. A trailing ';' adds an empty cell.
std::vector<std::string> SplitCellsText(const std::string& text);

} // namespace editors
