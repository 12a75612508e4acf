#pragma once
// What a user's key costs on screen: the key sent to a shown widget, then the repaint the
// screen does for it (the posted update requests handled, the parts that changed painted
// into the window's backing store), counted by the paint events it took.
#include <cstdlib>

#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QObject>
#include <QWidget>

namespace benchmarks {

// Before the application starts: a window's update request is handled by the next pass
// of the event loop instead of after 5 ms of idle time, so that a repaint is measured
// for its work, not for that wait.
inline void PaintUpdatesAtOnce()
{
    ::setenv("QT_QPA_UPDATE_IDLE_TIME", "0", 0);
}

// How many steps a benchmark of steps takes: KV_BENCH_STEPS when set (fewer under
// callgrind), else the count given.
inline int StepCount(int count)
{
    const char* steps = std::getenv("KV_BENCH_STEPS");
    return steps && std::atoi(steps) > 0 ? std::atoi(steps) : count;
}

// A key press and release sent to a widget, as typing does.
inline void SendKey(QWidget& widget, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QApplication::sendEvent(&widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers);
    QApplication::sendEvent(&widget, &release);
}

// Counts the paint events of a widget and of the widgets inside it.
class TPaintCounter : public QObject {
public:
    explicit TPaintCounter(QWidget& widget) : widget_(widget) { qApp->installEventFilter(this); }
    ~TPaintCounter() override { qApp->removeEventFilter(this); }
    int Count = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            auto* w = qobject_cast<QWidget*>(watched);
            if (w && (w == &widget_ || widget_.isAncestorOf(w))) ++Count;
        }
        return false;
    }

private:
    QWidget& widget_;
};

// Paints what the widget's window has pending; returns the paint events it took.
inline int PaintPending(QWidget& widget)
{
    TPaintCounter counter(widget);
    QApplication::processEvents();
    return counter.Count;
}

// A key typed into the widget and the repaint that follows, in the key's handling or
// after it; returns the paint events both took. (Not inlined: callgrind can count it alone.)
[[gnu::noinline]] inline int KeyAndRepaint(QWidget& widget, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    TPaintCounter counter(widget);
    SendKey(widget, key, modifiers);
    QApplication::processEvents();
    return counter.Count;
}

} // namespace benchmarks
