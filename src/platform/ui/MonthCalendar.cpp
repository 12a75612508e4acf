#include "platform/ui/MonthCalendar.h"

#include <cmath>

#include <QAbstractItemModel>
#include <QCalendarWidget>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QApplication>
#include <QTableView>

#include "platform/ui/Application.h"
#include "platform/ui/QtText.h"

namespace ui {

namespace {

const QDate kDayZero(1899, 12, 30);

QDate ToQDate(rtl::TDateTime d) { return kDayZero.addDays(static_cast<qint64>(std::floor(d))); }
rtl::TDateTime FromQDate(const QDate& d) { return static_cast<rtl::TDateTime>(kDayZero.daysTo(d)); }

// The parts of the calendar by the names Qt gives them.
bool Named(const QWidget* w, const char* name) { return w->objectName() == QLatin1String(name); }

} // namespace

TMonthCalendar::TMonthCalendar(TControl* parent) : TControl(parent), calendar_(new QCalendarWidget(this))
{
    SetColor(clWindow);
    SetTabStop(true);
    EraseBackground = false;
    calendar_->setGridVisible(false);
    calendar_->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    calendar_->setContextMenuPolicy(Qt::PreventContextMenu);
    setFocusProxy(calendar_);
    setFocusPolicy(Qt::StrongFocus);
    QObject::connect(calendar_, &QCalendarWidget::selectionChanged, this, [this] { Guarded([this] { Change(); }); });
    calendar_->installEventFilter(this);
    for (QWidget* w : calendar_->findChildren<QWidget*>())
        if (!w->isWindow()) w->installEventFilter(this);
    const QSize size = calendar_->sizeHint();
    SetBounds(Left(), Top(), size.width(), size.height());
    calendar_->show();
}

TMonthCalendar::~TMonthCalendar() { Destroying(); }

rtl::TDateTime TMonthCalendar::Date() const { return FromQDate(calendar_->selectedDate()); }

void TMonthCalendar::SetDate(rtl::TDateTime date)
{
    const QDate d = ToQDate(date);
    calendar_->setSelectedDate(d);
    calendar_->setCurrentPage(d.year(), d.month());
}

TSize TMonthCalendar::MinimumSize() const
{
    const QSize s = calendar_->minimumSizeHint();
    return {s.width(), s.height()};
}

unsigned TMonthCalendar::HitTest(TPoint p) const
{
    const TPoint off = ClientOffset();
    const QPoint at(p.X + off.X - calendar_->x(), p.Y + off.Y - calendar_->y());
    if (!calendar_->rect().contains(at)) return MCHT_NOWHERE;
    for (QWidget* w = calendar_->childAt(at); w && w != calendar_; w = w->parentWidget()) {
        if (Named(w, "qt_calendar_prevmonth")) return MCHT_TITLEBTNPREV;
        if (Named(w, "qt_calendar_nextmonth")) return MCHT_TITLEBTNNEXT;
        if (Named(w, "qt_calendar_monthbutton")) return MCHT_TITLEMONTH;
        if (Named(w, "qt_calendar_yearbutton") || Named(w, "qt_calendar_yearedit")) return MCHT_TITLEYEAR;
        if (Named(w, "qt_calendar_navigationbar")) return MCHT_TITLEBK;
        auto* view = qobject_cast<QTableView*>(w);
        if (!view) continue;
        const QModelIndex index = view->indexAt(view->viewport()->mapFrom(calendar_, at));
        if (!index.isValid()) return MCHT_CALENDARBK;
        const bool header = calendar_->horizontalHeaderFormat() != QCalendarWidget::NoHorizontalHeader;
        const bool weeks = calendar_->verticalHeaderFormat() != QCalendarWidget::NoVerticalHeader;
        if (header && index.row() == 0) return MCHT_CALENDARDAY;
        if (weeks && index.column() == 0) return MCHT_CALENDARWEEKNUM;
        // Six weeks are shown: a high day in the first week is the month before, a low
        // day in the last weeks the month after.
        const int week = index.row() - (header ? 1 : 0);
        const int day = view->model()->data(index, Qt::DisplayRole).toInt();
        if (week == 0 && day > 15) return MCHT_CALENDARDATEPREV;
        if (week >= 4 && day < 15) return MCHT_CALENDARDATENEXT;
        return MCHT_CALENDARDATE;
    }
    return MCHT_CALENDARBK;
}

bool TMonthCalendar::event(QEvent* e)
{
    // A key or button a part left unused goes no further than the calendar.
    if (e == passing_) {
        e->accept();
        return true;
    }
    return TControl::event(e);
}

void TMonthCalendar::Change()
{
    if (OnChange) OnChange(this);
}

bool TMonthCalendar::CanFocus() const { return TControl::CanFocus() && calendar_->isEnabled(); }

bool TMonthCalendar::Focused() const
{
    QWidget* f = QApplication::focusWidget();
    return f && (f == calendar_ || calendar_->isAncestorOf(f));
}

void TMonthCalendar::Resize()
{
    TControl::Resize();
    const TPoint off = ClientOffset();
    calendar_->setGeometry(off.X, off.Y, ClientWidth(), ClientHeight());
}

void TMonthCalendar::FontChanged()
{
    TControl::FontChanged();
    calendar_->setFont(Font().ToQFont());
}

void TMonthCalendar::ColorChanged()
{
    TControl::ColorChanged();
    QPalette p = calendar_->palette();
    p.setColor(QPalette::Base, ToQColor(Color()));
    calendar_->setPalette(p);
}

// The parts' input runs through the control's hooks, then on to the part (through
// every filter Qt has on it, which the part's scroll area needs).
bool TMonthCalendar::eventFilter(QObject* watched, QEvent* e)
{
    auto* w = qobject_cast<QWidget*>(watched);
    // An event on its way on (or handed up to a part's parent) has been through the hooks.
    if (!w || e == passing_) return false;
    auto passOn = [this, w](QEvent* ev) {
        QEvent* outer = passing_;
        passing_ = ev;
        const bool r = QCoreApplication::sendEvent(w, ev);
        passing_ = outer;
        return r;
    };
    switch (e->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Wheel:
        return InnerWidgetEvent(w, e, passOn);
    case QEvent::FocusIn:
    case QEvent::FocusOut: {
        // The focus moving between the calendar's own parts is no change for the control.
        const bool in = e->type() == QEvent::FocusIn;
        QWidget* now = QApplication::focusWidget();
        const bool inside = now && (now == calendar_ || calendar_->isAncestorOf(now));
        if (in == hasFocus_ || (!in && inside) || static_cast<QFocusEvent*>(e)->reason() == Qt::PopupFocusReason)
            return false;
        hasFocus_ = in;
        return InnerWidgetEvent(w, e, passOn);
    }
    default:
        return false;
    }
}

} // namespace ui
