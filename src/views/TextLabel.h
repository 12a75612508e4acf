#pragma once
// A line of text on a window: the status line of a view, the status of the splash.
#include "platform/ui/Control.h"

namespace views {

class TTextLabel : public ui::TControl {
public:
    explicit TTextLabel(ui::TControl* parent = nullptr);

    ui::TAlignment Alignment() const { return alignment_; }
    void SetAlignment(ui::TAlignment value);

protected:
    // The caption on one line, cut with an ellipsis when too long.
    void Paint() override;

private:
    ui::TAlignment alignment_ = ui::taLeftJustify;
};

} // namespace views
