#pragma once
// The look of a combo box's drop-down list: its alignment under the editor, its rows
// and width, whether typing opens it and whether it shows a size grip.
#include "controls/editors/DropDownPlacement.h"
#include "platform/rtl/Persistent.h"

namespace editors {

class TDropDownBoxEx : public rtl::TPersistent {
public:
    using rtl::TPersistent::Assign;
    // From another drop-down box: all five settings.
    void Assign(const rtl::TPersistent* source) override;

    TDropDownAlign GetAlign() const { return align_; }
    void SetAlign(TDropDownAlign value) { align_ = value; }
    // Typing a character opens the list.
    bool GetAutoDrop() const { return autoDrop_; }
    void SetAutoDrop(bool value) { autoDrop_ = value; }
    // Visible rows (fewer when there are fewer items).
    int GetRows() const { return rows_; }
    void SetRows(int value) { rows_ = value; }
    // The list shows its size grip.
    bool GetSizable() const { return sizable_; }
    void SetSizable(bool value) { sizable_ = value; }
    // -1 fits the widest item, a positive value is the width in pixels, anything else
    // takes the editor's width. The list is never narrower than the editor.
    int GetWidth() const { return width_; }
    void SetWidth(int value) { width_ = value; }

private:
    TDropDownAlign align_ = daLeft;
    bool autoDrop_ = false;
    int rows_ = 7;
    bool sizable_ = false;
    int width_ = 0;
};

} // namespace editors
