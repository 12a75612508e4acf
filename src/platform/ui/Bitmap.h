#pragma once
// Bitmaps and image lists.
#include <memory>
#include <string>
#include <vector>

#include <QImage>

#include "platform/rtl/Component.h"
#include "platform/ui/Canvas.h"
#include "platform/ui/Graphics.h"

namespace ui {

class TBitmap;

// The canvas of a bitmap: begins painting on the bitmap's image at the first drawing
// call and ends when the image is read.
class TBitmapCanvas : public TCanvas {
public:
    explicit TBitmapCanvas(TBitmap& owner) : owner_(owner) {}
    ~TBitmapCanvas() override { End(); }
    void End();

protected:
    void CreateHandle() override;

private:
    TBitmap& owner_;
    std::unique_ptr<QPainter> painter_;
};

// A picture in memory. With Transparent set, pixels of TransparentColor are left out
// when the bitmap is drawn; clDefault takes the colour of the bottom-left pixel.
class TBitmap : public TGraphicsObject {
public:
    TBitmap();
    TBitmap(int width, int height);
    TBitmap(const TBitmap& other);
    // clang-format off
    TBitmap& operator=(const TBitmap& other) { Assign(other); return *this; }
    // clang-format on
    ~TBitmap() override;

    using rtl::TPersistent::Assign;
    void Assign(const rtl::TPersistent* source) override;
    void Assign(const TBitmap& other);
    bool Empty() const { return image_.isNull() || image_.width() == 0 || image_.height() == 0; }
    int Width() const { return image_.width(); }
    int Height() const { return image_.height(); }
    void SetSize(int width, int height);
    void SetWidth(int w) { SetSize(w, Height()); }
    void SetHeight(int h) { SetSize(Width(), h); }

    TCanvas& Canvas() { return canvas_; }

    bool Transparent() const { return transparent_; }
    void SetTransparent(bool v);
    TColor TransparentColor() const;
    void SetTransparentColor(TColor c);

    // The pixels, with any drawing in progress finished.
    const QImage& Image() const;
    void SetImage(const QImage& image);
    // The image as it is drawn: transparent-colour pixels cleared when Transparent.
    QImage DrawingImage() const;
    TColor Pixel(int x, int y) const;

    // Reads an image file (or a Qt resource path ":/..."); throws rtl::Exception on failure.
    void LoadFromFile(const std::string& path);

private:
    friend class TBitmapCanvas;
    mutable QImage image_;
    TBitmapCanvas canvas_;
    bool transparent_ = false;
    TColor transparentColor_ = clDefault;
};

// Image-list drawing styles (DrawEx).
enum : unsigned {
    // clang-format off
    ILD_NORMAL = 0x0, ILD_TRANSPARENT = 0x1, ILD_BLEND25 = 0x2, ILD_FOCUS = ILD_BLEND25,
    ILD_BLEND50 = 0x4, ILD_SELECTED = ILD_BLEND50, ILD_MASK = 0x10,
};
enum TImageType { itImage, itMask };
// clang-format on

// Equal-sized images kept with their masks; a component, so that the controls using
// a list hear when it goes away.
class TCustomImageList : public rtl::TComponent {
public:
    explicit TCustomImageList(rtl::TComponent* owner = nullptr) : TCustomImageList(16, 16, owner) {}
    TCustomImageList(int width, int height, rtl::TComponent* owner = nullptr);

    rtl::TNotifyEvent OnChange;
    // Every change also reaches these listeners (the controls that share the list);
    // adding a listener that is already there removes it.
    rtl::ListenerList<void(rtl::TObject* Sender)>& ChangeListeners() { return changeListeners_; }

    int Width() const { return width_; }
    int Height() const { return height_; }
    // A new size clears the list.
    void SetSize(int width, int height);
    int Count() const { return static_cast<int>(images_.size()); }

    TColor BkColor = clNone;       // drawn behind the masked-out parts unless clNone
    TColor BlendColor = clDefault; // blend colour of ILD_BLEND25/50; clDefault: the highlight colour
    TImageType ImageType = itImage;

    // Adds the image (split into cells when wider than one); the mask's black pixels are
    // shown. Returns the index of the first image added.
    int Add(const TBitmap& image, const TBitmap* mask = nullptr);
    // Adds with pixels of maskColor left out.
    int AddMasked(const TBitmap& image, TColor maskColor);
    void Delete(int index);
    void Clear();

    void Draw(TCanvas& canvas, int x, int y, int index, bool enabled = true) const;
    // Draws with a background (clNone: none), a blend colour (clDefault: the list's) and ILD_ style.
    void DrawEx(TCanvas& canvas, int x, int y, int index, TColor background, TColor foreground, unsigned style) const;
    // The image with its mask applied (transparent where masked out).
    const QImage& Image(int index) const { return images_.at(static_cast<std::size_t>(index)); }

private:
    void changed();

    int width_;
    int height_;
    std::vector<QImage> images_;
    rtl::ListenerList<void(rtl::TObject* Sender)> changeListeners_;
};

using TImageList = TCustomImageList;

} // namespace ui
