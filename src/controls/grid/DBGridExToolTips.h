#pragma once
// The window that shows a cell's whole text when the cell cuts it off: a hint in the
// cell's own font.
#include <string>

#include "platform/ui/Graphics.h"
#include "platform/ui/Popup.h"

namespace grid {

class TToolTipsWindow : public ui::THintWindow {
public:
    explicit TToolTipsWindow(ui::TControl* owner = nullptr);

    // The font of the next hint (shown in the window text colour).
    void SetHintFont(const ui::TFont& font);
    // Measured in the hint's font.
    ui::TRect CalcHintRect(int maxWidth, const std::string& text) override;

private:
    ui::TFont hintFont_;
};

} // namespace grid
