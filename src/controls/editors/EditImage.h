#pragma once
// The image an editor shows at the left of its text.
#include "platform/rtl/Persistent.h"
#include "platform/ui/Bitmap.h"
#include "platform/ui/Control.h"

namespace editors {

class TEditImageEx : public rtl::TPersistent {
public:
    // The editor is repainted when the image index changes and gets CM_EDITIMAGECHANGED
    // (it lays itself out anew) when anything else changes. It also hears (Notification)
    // when the image list goes away and then must drop it with SetImages(nullptr).
    explicit TEditImageEx(ui::TControl* editor);

    using rtl::TPersistent::Assign;
    // From another edit image: Images, ImageIndex, Visible and Width.
    void Assign(const rtl::TPersistent* source) override;

    ui::TControl* GetEditor() const { return editor_; }
    int GetImageIndex() const { return imageIndex_; }
    void SetImageIndex(int value);
    ui::TCustomImageList* GetImages() const { return images_; }
    void SetImages(ui::TCustomImageList* value);
    // The editor's automatic height follows the images when they are taller than the text.
    bool GetUseImageHeight() const { return useImageHeight_; }
    void SetUseImageHeight(bool value);
    bool GetVisible() const { return visible_; }
    void SetVisible(bool value);
    // Width of the image area less its 4-pixel margin; 0 takes the images' width.
    int GetWidth() const { return width_; }
    void SetWidth(int value);

private:
    void layoutChanged();

    ui::TControl* editor_;
    int imageIndex_ = -1;
    ui::TCustomImageList* images_ = nullptr;
    bool useImageHeight_ = true;
    bool visible_ = false;
    int width_ = 0;
};

} // namespace editors
