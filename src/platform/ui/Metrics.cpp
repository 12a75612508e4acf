#include "platform/ui/Metrics.h"

#include <algorithm>
#include <climits>

#include <QApplication>
#include <QFontInfo>
#include <QGuiApplication>
#include <QPalette>
#include <QScreen>
#include <QStyle>
#include <QStyleHints>

#include "platform/ui/QtText.h"

namespace ui {

TSystemMetrics TSystemMetrics::Fixed()
{
    return TSystemMetrics{};
}

TSystemMetrics TSystemMetrics::FromPlatform()
{
    TSystemMetrics m;
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return m;
    QStyle* style = QApplication::style();
    m.VScrollWidth = style->pixelMetric(QStyle::PM_ScrollBarExtent);
    m.HScrollHeight = m.VScrollWidth;
    m.CheckBoxWidth = style->pixelMetric(QStyle::PM_IndicatorWidth);
    m.CheckBoxHeight = style->pixelMetric(QStyle::PM_IndicatorHeight);
    m.DoubleClickTime = QGuiApplication::styleHints()->mouseDoubleClickInterval();
    int distance = QGuiApplication::styleHints()->mouseDoubleClickDistance();
    m.DoubleClickWidth = m.DoubleClickHeight = distance > 0 ? distance : 4;
    const int drag = QGuiApplication::styleHints()->startDragDistance();
    if (drag > 0) m.DragThreshold = drag;
    if (QScreen* s = QGuiApplication::primaryScreen()) m.PixelsPerInch = qRound(s->logicalDotsPerInch());
    QFont f = QApplication::font();
    QFontInfo info(f);
    m.SystemFontName = FromQString(info.family());
    m.SystemFontHeight = -info.pixelSize();
    return m;
}

TSystemMetrics& Metrics()
{
    static TSystemMetrics metrics = TSystemMetrics::FromPlatform();
    return metrics;
}

void SetMetrics(const TSystemMetrics& m) { Metrics() = m; }

TSysColorTable TSysColorTable::Classic()
{
    TSysColorTable t;
    auto& c = t.Colors;
    c[COLOR_SCROLLBAR] = RGB(224, 224, 224);
    c[COLOR_BACKGROUND] = RGB(0, 128, 128);
    c[COLOR_ACTIVECAPTION] = RGB(0, 0, 128);
    c[COLOR_INACTIVECAPTION] = RGB(128, 128, 128);
    c[COLOR_MENU] = RGB(192, 192, 192);
    c[COLOR_WINDOW] = RGB(255, 255, 255);
    c[COLOR_WINDOWFRAME] = RGB(0, 0, 0);
    c[COLOR_MENUTEXT] = RGB(0, 0, 0);
    c[COLOR_WINDOWTEXT] = RGB(0, 0, 0);
    c[COLOR_CAPTIONTEXT] = RGB(255, 255, 255);
    c[COLOR_ACTIVEBORDER] = RGB(192, 192, 192);
    c[COLOR_INACTIVEBORDER] = RGB(192, 192, 192);
    c[COLOR_APPWORKSPACE] = RGB(128, 128, 128);
    c[COLOR_HIGHLIGHT] = RGB(0, 0, 128);
    c[COLOR_HIGHLIGHTTEXT] = RGB(255, 255, 255);
    c[COLOR_BTNFACE] = RGB(192, 192, 192);
    c[COLOR_BTNSHADOW] = RGB(128, 128, 128);
    c[COLOR_GRAYTEXT] = RGB(128, 128, 128);
    c[COLOR_BTNTEXT] = RGB(0, 0, 0);
    c[COLOR_INACTIVECAPTIONTEXT] = RGB(192, 192, 192);
    c[COLOR_BTNHIGHLIGHT] = RGB(255, 255, 255);
    c[COLOR_3DDKSHADOW] = RGB(0, 0, 0);
    c[COLOR_3DLIGHT] = RGB(224, 224, 224);
    c[COLOR_INFOTEXT] = RGB(0, 0, 0);
    c[COLOR_INFOBK] = RGB(255, 255, 225);
    c[25] = RGB(192, 192, 192);
    c[COLOR_HOTLIGHT] = RGB(0, 0, 255);
    c[COLOR_GRADIENTACTIVECAPTION] = RGB(16, 132, 208);
    c[COLOR_GRADIENTINACTIVECAPTION] = RGB(192, 192, 192);
    c[COLOR_MENUHILIGHT] = RGB(0, 0, 128);
    c[COLOR_MENUBAR] = RGB(192, 192, 192);
    return t;
}

TSysColorTable TSysColorTable::FromPlatform()
{
    TSysColorTable t = Classic();
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return t;
    QPalette p = QApplication::palette();
    auto set = [&](int index, QPalette::ColorRole role, QPalette::ColorGroup group = QPalette::Active) {
        t[index] = FromQColor(p.color(group, role));
    };
    set(COLOR_WINDOW, QPalette::Base);
    set(COLOR_WINDOWTEXT, QPalette::Text);
    set(COLOR_MENU, QPalette::Window);
    set(COLOR_MENUTEXT, QPalette::WindowText);
    set(COLOR_MENUBAR, QPalette::Window);
    set(COLOR_BTNFACE, QPalette::Button);
    set(COLOR_BTNTEXT, QPalette::ButtonText);
    set(COLOR_BTNSHADOW, QPalette::Mid);
    set(COLOR_BTNHIGHLIGHT, QPalette::Light);
    set(COLOR_3DLIGHT, QPalette::Midlight);
    set(COLOR_3DDKSHADOW, QPalette::Shadow);
    set(COLOR_HIGHLIGHT, QPalette::Highlight);
    set(COLOR_HIGHLIGHTTEXT, QPalette::HighlightedText);
    set(COLOR_MENUHILIGHT, QPalette::Highlight);
    set(COLOR_GRAYTEXT, QPalette::Text, QPalette::Disabled);
    set(COLOR_INFOBK, QPalette::ToolTipBase);
    set(COLOR_INFOTEXT, QPalette::ToolTipText);
    set(COLOR_HOTLIGHT, QPalette::Link);
    set(COLOR_WINDOWFRAME, QPalette::Shadow);
    set(COLOR_SCROLLBAR, QPalette::Midlight);
    set(COLOR_ACTIVEBORDER, QPalette::Window);
    set(COLOR_INACTIVEBORDER, QPalette::Window);
    return t;
}

TSysColorTable& SysColors()
{
    static TSysColorTable table = TSysColorTable::FromPlatform();
    return table;
}

rtl::ListenerList<void()>& SysColorChangeListeners()
{
    static rtl::ListenerList<void()> listeners;
    return listeners;
}

void SetSysColors(const TSysColorTable& t)
{
    SysColors() = t;
    SysColorChangeListeners().Dispatch();
}

TFixedMetricsScope::TFixedMetricsScope() : savedMetrics_(Metrics()), savedColors_(SysColors())
{
    SetMetrics(TSystemMetrics::Fixed());
    SetSysColors(TSysColorTable::Classic());
}

TFixedMetricsScope::~TFixedMetricsScope()
{
    SetMetrics(savedMetrics_);
    SetSysColors(savedColors_);
}

TRect MonitorWorkArea(const TRect& r)
{
    if (Metrics().WorkAreaOverride) return *Metrics().WorkAreaOverride;
    const QRect want(r.Left, r.Top, std::max(1, r.Width()), std::max(1, r.Height()));
    QScreen* best = nullptr;
    long long bestArea = -1;
    long long bestDistance = LLONG_MAX;
    for (QScreen* s : QGuiApplication::screens()) {
        QRect g = s->geometry();
        QRect common = g.intersected(want);
        long long area = common.isEmpty() ? 0 : static_cast<long long>(common.width()) * common.height();
        long long dx = std::max({0, g.left() - want.center().x(), want.center().x() - g.right()});
        long long dy = std::max({0, g.top() - want.center().y(), want.center().y() - g.bottom()});
        long long distance = dx * dx + dy * dy;
        if (area > bestArea || (area == bestArea && area == 0 && distance < bestDistance)) {
            best = s;
            bestArea = area;
            bestDistance = distance;
        }
    }
    if (!best) best = QGuiApplication::primaryScreen();
    if (!best) return {0, 0, 0, 0};
    QRect a = best->availableGeometry();
    return {a.left(), a.top(), a.left() + a.width(), a.top() + a.height()};
}

TRect FitIntoWorkArea(long long left, long long top, long long width, long long height)
{
    // The monitor is found with the rectangle cut to what any desktop spans.
    const auto cut = [](long long v) {
        constexpr long long kDesktop = 1 << 24;
        return static_cast<int>(std::clamp(v, -kDesktop, kDesktop));
    };
    const TRect area =
        MonitorWorkArea(Bounds(cut(left), cut(top), cut(std::max(width, 1LL)), cut(std::max(height, 1LL))));
    const long long w = std::clamp<long long>(width, 0, area.Width());
    const long long h = std::clamp<long long>(height, 0, area.Height());
    const long long l = std::clamp<long long>(left, area.Left, area.Right - w);
    const long long t = std::clamp<long long>(top, area.Top, area.Bottom - h);
    return Bounds(static_cast<int>(l), static_cast<int>(t), static_cast<int>(w), static_cast<int>(h));
}

} // namespace ui
