#include "views/TextLabel.h"

namespace views {

TTextLabel::TTextLabel(ui::TControl* parent) : ui::TControl(parent) {}

void TTextLabel::SetAlignment(ui::TAlignment value)
{
    if (alignment_ == value) return;
    alignment_ = value;
    Invalidate();
}

void TTextLabel::Paint()
{
    auto& canvas = Canvas();
    ui::TRect r = ClientRect();
    r.Inflate(-2, 0);
    unsigned format = ui::DT_SINGLELINE | ui::DT_VCENTER | ui::DT_END_ELLIPSIS | ui::DT_NOPREFIX;
    if (alignment_ == ui::taCenter) format |= ui::DT_CENTER;
    else if (alignment_ == ui::taRightJustify) format |= ui::DT_RIGHT;
    canvas.Brush().SetStyle(ui::bsClear);
    canvas.DrawText(Caption(), r, format);
}

} // namespace views
