#include "platform/ui/Bitmap.h"

#include <QPainter>

#include "platform/rtl/Exception.h"
#include "platform/ui/QtText.h"

namespace ui {

namespace {
constexpr QImage::Format kFormat = QImage::Format_ARGB32_Premultiplied;
}

// ---- TBitmapCanvas ----

void TBitmapCanvas::CreateHandle()
{
    if (painter_ || owner_.Empty()) return;
    painter_ = std::make_unique<QPainter>(&owner_.image_);
    SetPainter(painter_.get(), {0, 0, owner_.Width(), owner_.Height()});
}

void TBitmapCanvas::End()
{
    if (!painter_) return;
    SetPainter(nullptr, {});
    painter_->end();
    painter_.reset();
}

// ---- TBitmap ----

TBitmap::TBitmap() : canvas_(*this) {}

TBitmap::TBitmap(int width, int height) : canvas_(*this) { SetSize(width, height); }

TBitmap::TBitmap(const TBitmap& other) : TGraphicsObject(), canvas_(*this)
{
    image_ = other.Image();
    transparent_ = other.transparent_;
    transparentColor_ = other.transparentColor_;
}

TBitmap::~TBitmap() { canvas_.End(); }

void TBitmap::Assign(const rtl::TPersistent* source)
{
    if (auto* b = dynamic_cast<const TBitmap*>(source)) Assign(*b);
    else rtl::TPersistent::Assign(source);
}

void TBitmap::Assign(const TBitmap& other)
{
    if (this == &other) return;
    canvas_.End();
    image_ = other.Image();
    image_.detach();
    transparent_ = other.transparent_;
    transparentColor_ = other.transparentColor_;
    Changed();
}

void TBitmap::SetSize(int width, int height)
{
    width = std::max(0, width);
    height = std::max(0, height);
    if (!image_.isNull() && width == image_.width() && height == image_.height()) return;
    canvas_.End();
    QImage next(width, height, kFormat);
    next.fill(Qt::white);
    if (!image_.isNull()) {
        QPainter p(&next);
        p.drawImage(0, 0, image_);
    }
    image_ = next;
    Changed();
}

void TBitmap::SetTransparent(bool v)
{
    if (transparent_ == v) return;
    transparent_ = v;
    Changed();
}

TColor TBitmap::TransparentColor() const
{
    if (transparentColor_ != clDefault) return transparentColor_;
    if (Empty()) return clDefault;
    return FromQColor(QColor::fromRgb(Image().pixel(0, Height() - 1)));
}

void TBitmap::SetTransparentColor(TColor c)
{
    if (transparentColor_ == c) return;
    transparentColor_ = c;
    Changed();
}

const QImage& TBitmap::Image() const
{
    const_cast<TBitmapCanvas&>(canvas_).End();
    return image_;
}

void TBitmap::SetImage(const QImage& image)
{
    canvas_.End();
    image_ = image.convertToFormat(kFormat);
    Changed();
}

QImage TBitmap::DrawingImage() const
{
    const QImage& img = Image();
    if (!transparent_ || Empty()) return img;
    QImage out = img.copy();
    QRgb key = ToQColor(TransparentColor()).rgb() & 0xFFFFFF;
    for (int y = 0; y < out.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x)
            if ((line[x] & 0xFFFFFF) == key && qAlpha(line[x]) == 255) line[x] = 0;
    }
    return out;
}

TColor TBitmap::Pixel(int x, int y) const
{
    const QImage& img = Image();
    if (x < 0 || y < 0 || x >= img.width() || y >= img.height()) return clNone;
    return FromQColor(QColor::fromRgb(img.pixel(x, y)));
}

void TBitmap::LoadFromFile(const std::string& path)
{
    QImage img;
    if (!img.load(ToQString(path))) throw rtl::Exception("Cannot load image " + path);
    SetImage(img);
}

// ---- TCustomImageList ----

TCustomImageList::TCustomImageList(int width, int height, rtl::TComponent* owner)
    : rtl::TComponent(owner), width_(width), height_(height)
{
}

void TCustomImageList::changed()
{
    if (OnChange) OnChange(this);
    changeListeners_.Dispatch(static_cast<rtl::TObject*>(this));
}

void TCustomImageList::SetSize(int width, int height)
{
    if (width == width_ && height == height_) return;
    width_ = width;
    height_ = height;
    images_.clear();
    changed();
}

int TCustomImageList::Add(const TBitmap& image, const TBitmap* mask)
{
    int first = Count();
    const QImage src = image.Image();
    QImage maskImg = mask ? mask->Image() : QImage();
    int cells = std::max(1, src.width() / std::max(1, width_));
    for (int i = 0; i < cells; ++i) {
        QImage cell(width_, height_, kFormat);
        cell.fill(Qt::transparent);
        {
            QPainter p(&cell);
            p.drawImage(QPoint(0, 0), src, QRect(i * width_, 0, width_, height_));
        }
        if (!maskImg.isNull()) {
            for (int y = 0; y < height_; ++y)
                for (int x = 0; x < width_; ++x) {
                    int mx = i * width_ + x;
                    if (mx < maskImg.width() && y < maskImg.height() && (maskImg.pixel(mx, y) & 0xFFFFFF) != 0)
                        cell.setPixel(x, y, 0);
                }
        }
        images_.push_back(cell);
    }
    changed();
    return first;
}

int TCustomImageList::AddMasked(const TBitmap& image, TColor maskColor)
{
    TBitmap copy(image);
    copy.SetTransparent(true);
    copy.SetTransparentColor(maskColor);
    TBitmap cleared;
    cleared.SetImage(copy.DrawingImage());
    return Add(cleared);
}

void TCustomImageList::Delete(int index)
{
    if (index < 0 || index >= Count()) throw rtl::EListError("Image index out of range");
    images_.erase(images_.begin() + index);
    changed();
}

void TCustomImageList::Clear()
{
    if (images_.empty()) return;
    images_.clear();
    changed();
}

void TCustomImageList::Draw(TCanvas& canvas, int x, int y, int index, bool enabled) const
{
    if (index < 0 || index >= Count()) return;
    if (enabled) {
        DrawEx(canvas, x, y, index, clNone, clDefault, ILD_NORMAL);
        return;
    }
    // Disabled: the shape etched in highlight and shadow colours.
    QPainter* p = canvas.Handle();
    if (!p) return;
    const QImage& img = images_[static_cast<std::size_t>(index)];
    auto tinted = [&](TColor c) {
        QImage t = img.copy();
        QPainter tp(&t);
        tp.setCompositionMode(QPainter::CompositionMode_SourceIn);
        tp.fillRect(t.rect(), ToQColor(c));
        return t;
    };
    p->drawImage(QPoint(x + 1, y + 1), tinted(clBtnHighlight));
    p->drawImage(QPoint(x, y), tinted(clBtnShadow));
}

void TCustomImageList::DrawEx(TCanvas& canvas, int x, int y, int index, TColor background, TColor foreground,
                              unsigned style) const
{
    if (index < 0 || index >= Count()) return;
    QPainter* p = canvas.Handle();
    if (!p) return;
    const QImage& img = images_[static_cast<std::size_t>(index)];
    if (style & ILD_MASK || ImageType == itMask) {
        QImage m(img.size(), kFormat);
        for (int yy = 0; yy < img.height(); ++yy)
            for (int xx = 0; xx < img.width(); ++xx)
                m.setPixel(xx, yy, qAlpha(img.pixel(xx, yy)) ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
        p->drawImage(QPoint(x, y), m);
        return;
    }
    if (background != clNone && !(style & ILD_TRANSPARENT))
        p->fillRect(QRect(x, y, width_, height_), ToQColor(background));
    if (style & (ILD_BLEND25 | ILD_BLEND50)) {
        TColor blend = foreground == clDefault ? (BlendColor == clDefault ? clHighlight : BlendColor) : foreground;
        QImage b = img.copy();
        QPainter bp(&b);
        bp.setCompositionMode(QPainter::CompositionMode_SourceAtop);
        bp.setOpacity((style & ILD_BLEND50) ? 0.5 : 0.25);
        bp.fillRect(b.rect(), ToQColor(blend));
        bp.end();
        p->drawImage(QPoint(x, y), b);
        return;
    }
    p->drawImage(QPoint(x, y), img);
}

} // namespace ui
