#include "controls/editors/DropDownBoxEx.h"

namespace editors {

void TDropDownBoxEx::Assign(const rtl::TPersistent* source)
{
    const auto* other = dynamic_cast<const TDropDownBoxEx*>(source);
    if (!other) {
        rtl::TPersistent::Assign(source);
        return;
    }
    align_ = other->align_;
    autoDrop_ = other->autoDrop_;
    rows_ = other->rows_;
    sizable_ = other->sizable_;
    width_ = other->width_;
}

} // namespace editors
