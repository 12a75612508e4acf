#pragma once
// Shared pieces of the windowing tests: fixed metrics and colours, themes off, a
// message-box service that answers and records, an exception handler that records,
// and pixel helpers.
#include <algorithm>
#include <exception>
#include <string>
#include <vector>

#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QPaintEvent>
#include <QPainter>
#include <QPointer>
#include <QRegion>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

#include "platform/ui/Application.h"
#include "platform/ui/Canvas.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Form.h"
#include "platform/ui/Metrics.h"
#include "platform/ui/Themes.h"

namespace uitest {

class TRecordingMessageBoxes : public ui::IMessageBoxService {
public:
    ui::TModalResult Show(const ui::TMessageBoxRequest& request) override
    {
        Requests.push_back(request);
        return Answer;
    }
    void Beep() override { ++Beeps; }

    std::vector<ui::TMessageBoxRequest> Requests;
    ui::TModalResult Answer = ui::mrOk;
    int Beeps = 0;
};

// Every windowing test: fixed metrics and classic colours, flat drawing, recorded
// message boxes and exceptions; all restored afterwards.
class UiTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ui::ThemeServices().SetThemesEnabled(false);
        ui::SetMessageBoxService(&Boxes);
        ui::SetExceptionHandler([this](std::exception_ptr e) { Exceptions.push_back(ui::ExceptionMessage(e)); });
    }
    void TearDown() override
    {
        ui::SetExceptionHandler(nullptr);
        ui::SetMessageBoxService(nullptr);
        ui::ThemeServices().SetThemesEnabled(true);
    }

    ui::TFixedMetricsScope FixedMetrics;
    TRecordingMessageBoxes Boxes;
    std::vector<std::string> Exceptions;
};

// A windowing test with one form, shown when a test shows it.
class FormTest : public UiTest {
protected:
    void SetUp() override
    {
        UiTest::SetUp();
        form = new ui::TForm;
        form->SetBounds(50, 50, 320, 240);
    }
    void TearDown() override
    {
        delete form;
        UiTest::TearDown();
    }
    ui::TForm* form = nullptr;
};

// A white image to paint on.
inline QImage WhiteImage(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::white);
    return img;
}

inline ui::TColor PixelAt(const QImage& img, int x, int y)
{
    return ui::FromQColor(QColor::fromRgb(img.pixel(x, y)));
}

// One pixel of a table of expected pixels.
struct TPixel {
    int X;
    int Y;
    ui::TColor Colour;
};

// Expects every listed pixel of img to have its colour; a failure names the pixel.
inline void ExpectPixels(const QImage& img, std::initializer_list<TPixel> pixels)
{
    for (const TPixel& p : pixels)
        EXPECT_EQ(PixelAt(img, p.X, p.Y), p.Colour) << "pixel (" << p.X << ", " << p.Y << ")";
}

// The bounding box of the pixels that differ from the colour c.
inline QRect InkBounds(const QImage& img, QRgb background = qRgb(255, 255, 255))
{
    QRect box;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if ((img.pixel(x, y) & 0xFFFFFF) != (background & 0xFFFFFF)) box |= QRect(x, y, 1, 1);
    return box;
}

// A canvas painting on an image for the duration of the object.
class TImageCanvas {
public:
    explicit TImageCanvas(QImage& img) : painter_(&img)
    {
        Canvas.Attach(&painter_, {0, 0, img.width(), img.height()});
    }
    ~TImageCanvas() { End(); }
    void End()
    {
        if (!painter_.isActive()) return;
        Canvas.Detach();
        painter_.end();
    }
    ui::TCanvas Canvas;

private:
    QPainter painter_;
};

// Renders a widget as it would appear on screen.
inline QImage Render(QWidget* w)
{
    return w->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// Renders a widget and, while it is shown, a pop-up window of it where the pop-up stands
// on the screen, on white.
inline QImage RenderWithPopup(QWidget* w, QWidget* popup)
{
    const QImage image = Render(w);
    if (!popup || !popup->isVisible()) return image;
    const QImage drop = Render(popup);
    const QPoint at = w->mapFromGlobal(popup->mapToGlobal(QPoint(0, 0)));
    QImage both(std::max(image.width(), at.x() + drop.width()), std::max(image.height(), at.y() + drop.height()),
                QImage::Format_RGB32);
    both.fill(Qt::white);
    QPainter painter(&both);
    painter.drawImage(0, 0, image);
    painter.drawImage(at, drop);
    return both;
}

// Counts the paint events a widget gets while the counter lives, and what they painted.
class TPaintCounter : public QObject {
public:
    explicit TPaintCounter(QWidget* widget) : widget_(widget) { widget->installEventFilter(this); }
    ~TPaintCounter() override
    {
        if (widget_) widget_->removeEventFilter(this);
    }
    int Count = 0;
    QRegion Painted; // in the widget's coordinates
    void Reset()
    {
        Count = 0;
        Painted = QRegion();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == widget_ && event->type() == QEvent::Paint) {
            ++Count;
            Painted += static_cast<QPaintEvent*>(event)->region();
        }
        return false;
    }

private:
    QPointer<QWidget> widget_;
};

// Shows a window and waits until it is the active one (so it takes the focus).
inline void ShowActive(QWidget* w)
{
    w->show();
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w));
}

} // namespace uitest
