#pragma once
// Shared pieces of the windowing tests: fixed metrics and colours, themes off, a
// message-box service that answers and records, an exception handler that records,
// and pixel helpers.
#include <algorithm>
#include <exception>
#include <optional>
#include <string>
#include <vector>

#include <QApplication>
#include <QCursor>
#include <QImage>
#include <QLineEdit>
#include <QMouseEvent>
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
#include "platform/rtl/UpdateScope.h"

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

// The work area of every monitor, against which drop-downs are placed, for as long as the
// scope lives; the one before comes back at the end.
class TWorkAreaScope : public rtl::TValueScope<std::optional<ui::TRect>> {
public:
    explicit TWorkAreaScope(const ui::TRect& area) : TValueScope(ui::Metrics().WorkAreaOverride, area) {}
};

// Notes whether a move of the pointer to a screen point has reached the program.
class TPointerArrival : public QObject {
public:
    explicit TPointerArrival(QPoint global) : global_(global) { qApp->installEventFilter(this); }
    ~TPointerArrival() override { qApp->removeEventFilter(this); }
    bool Arrived = false;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::MouseMove && static_cast<QMouseEvent*>(event)->globalPosition().toPoint() == global_)
            Arrived = true;
        return false;
    }

private:
    QPoint global_;
};

// Moves the pointer to pos in w (its centre when pos is null), as QTest::mouseMove does.
// With no button held that moves the real pointer, and on a real window system the move
// comes back through the server later: this waits (2 s at most) until it has reached the
// program, so that what follows sees the pointer where it was put. On offscreen, or with
// a button held, the move is delivered at once.
inline void MovePointer(QWidget* w, QPoint pos = QPoint())
{
    if (pos.isNull()) pos = w->rect().center();
    const QPoint global = w->mapToGlobal(pos);
    // The server tells the program of the move when the point lies on one of its windows or
    // one of them holds the pointer (a pop-up does).
    const bool toldByServer = QTestPrivate::qtestMouseButtons == Qt::NoButton
                              && QGuiApplication::platformName() != "offscreen" && QCursor::pos() != global
                              && (QGuiApplication::topLevelAt(global) || QWidget::mouseGrabber()
                                  || QApplication::activePopupWidget());
    if (!toldByServer) {
        QTest::mouseMove(w, pos);
        return;
    }
    const TPointerArrival arrival(global);
    QTest::mouseMove(w, pos);
    // Should it never come, what follows finds the pointer's effect missing and says so.
    static_cast<void>(QTest::qWaitFor([&] { return arrival.Arrived; }, 2000));
}

} // namespace uitest
