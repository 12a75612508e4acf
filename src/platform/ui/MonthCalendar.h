#pragma once
// A month calendar over QCalendarWidget: one month at a time with its navigation bar,
// a selected date, and a hit test of points in the platform's codes. The calendar's
// parts are Qt widgets; their keys, mouse buttons and wheel turns run through the
// control's hooks first, as an edit's text box does.
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Control.h"

class QCalendarWidget;

namespace ui {

// Hit-test codes of a month calendar.
enum : unsigned {
    MCHT_NOWHERE = 0,
    // clang-format off
    MCHT_TITLE = 0x10000, MCHT_CALENDAR = 0x20000, MCHT_TODAYLINK = 0x30000,
    MCHT_NEXT = 0x01000000, MCHT_PREV = 0x02000000,
    MCHT_TITLEBK = MCHT_TITLE, MCHT_TITLEMONTH = MCHT_TITLE | 0x0001, MCHT_TITLEYEAR = MCHT_TITLE | 0x0002,
    MCHT_TITLEBTNNEXT = MCHT_TITLE | MCHT_NEXT | 0x0003, MCHT_TITLEBTNPREV = MCHT_TITLE | MCHT_PREV | 0x0003,
    MCHT_CALENDARBK = MCHT_CALENDAR, MCHT_CALENDARDATE = MCHT_CALENDAR | 0x0001,
    MCHT_CALENDARDATENEXT = MCHT_CALENDARDATE | MCHT_NEXT, MCHT_CALENDARDATEPREV = MCHT_CALENDARDATE | MCHT_PREV,
    MCHT_CALENDARDAY = MCHT_CALENDAR | 0x0002, MCHT_CALENDARWEEKNUM = MCHT_CALENDAR | 0x0003,
    // clang-format on
};

class TMonthCalendar : public TControl {
public:
    explicit TMonthCalendar(TControl* parent = nullptr);
    ~TMonthCalendar() override;

    // The selected date (whole days; a time part is dropped). Setting shows its month.
    rtl::TDateTime Date() const;
    void SetDate(rtl::TDateTime date);
    // The smallest client size that shows a whole month.
    TSize MinimumSize() const;
    // What lies at a client point: an MCHT_ code.
    unsigned HitTest(TPoint p) const;

    // The date changed (by the user or the program).
    TNotifyEvent OnChange;

    QCalendarWidget* CalendarWidget() const { return calendar_; }
    bool CanFocus() const override;
    bool Focused() const override;

protected:
    virtual void Change();
    void Resize() override;
    void FontChanged() override;
    void ColorChanged() override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    bool event(QEvent* e) override;

private:
    QCalendarWidget* calendar_;
    QEvent* passing_ = nullptr; // the event being passed on to a part
    bool hasFocus_ = false;
};

} // namespace ui
