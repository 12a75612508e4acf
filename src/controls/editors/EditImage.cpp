#include "controls/editors/EditImage.h"

#include "controls/editors/EditInterfaces.h"

namespace editors {

TEditImageEx::TEditImageEx(ui::TControl* editor) : editor_(editor) {}

void TEditImageEx::Assign(const rtl::TPersistent* source)
{
    auto* other = dynamic_cast<const TEditImageEx*>(source);
    if (!other) {
        rtl::TPersistent::Assign(source);
        return;
    }
    SetImages(other->images_);
    SetImageIndex(other->imageIndex_);
    SetVisible(other->visible_);
    SetWidth(other->width_);
}

void TEditImageEx::layoutChanged()
{
    if (editor_) editor_->Perform(CM_EDITIMAGECHANGED);
}

void TEditImageEx::SetImageIndex(int value)
{
    if (imageIndex_ == value) return;
    imageIndex_ = value;
    if (editor_) editor_->Invalidate();
}

void TEditImageEx::SetImages(ui::TCustomImageList* value)
{
    if (images_ == value) return;
    images_ = value;
    if (images_ && editor_) images_->FreeNotification(editor_);
    layoutChanged();
}

void TEditImageEx::SetUseImageHeight(bool value)
{
    if (useImageHeight_ == value) return;
    useImageHeight_ = value;
    layoutChanged();
}

void TEditImageEx::SetVisible(bool value)
{
    if (visible_ == value) return;
    visible_ = value;
    layoutChanged();
}

void TEditImageEx::SetWidth(int value)
{
    if (width_ == value) return;
    width_ = value;
    layoutChanged();
}

} // namespace editors
