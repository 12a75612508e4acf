#pragma once
// The system metrics and the system-colour table: one object each for the whole
// program. At start they are read from Qt's style and palette; tests install the
// fixed values (Fixed()) so that layouts come out exact on every machine.
#include <array>
#include <optional>
#include <string>

#include "platform/rtl/Delegate.h"
#include "platform/ui/Graphics.h"
#include "platform/ui/UiTypes.h"

namespace ui {

struct TSystemMetrics {
    int VScrollWidth = 17;  // width of a vertical scroll bar
    int HScrollHeight = 17; // height of a horizontal scroll bar
    int BorderWidth = 1;    // thin window border
    int BorderHeight = 1;
    int EdgeWidth = 2; // three-dimensional window edge
    int EdgeHeight = 2;
    int DoubleClickTime = 500; // ms
    int DoubleClickWidth = 4;  // the rectangle two clicks must share
    int DoubleClickHeight = 4;
    int DragThreshold = 5;  // how far the pointer moves with the button held before a drag starts
    int CheckBoxWidth = 13; // one check-box cell
    int CheckBoxHeight = 13;
    int PixelsPerInch = 96;
    int FocusBorderWidth = 1;
    std::string SystemFontName = "DejaVu Sans";
    int SystemFontHeight = -11; // pixels, negative: character height
    // When set, the work area of every monitor (tests place drop-downs against it).
    std::optional<TRect> WorkAreaOverride;

    // Values of this machine's style, screen and font.
    static TSystemMetrics FromPlatform();
    // Values that never change: 96 pixels per inch, 17-pixel scroll bars, 13-pixel
    // check boxes, 500 ms / 4 x 4 double clicks, 5-pixel drags, "DejaVu Sans" at 11 pixels.
    static TSystemMetrics Fixed();
};

// The program's metrics; first use reads them from the platform.
TSystemMetrics& Metrics();
void SetMetrics(const TSystemMetrics& m);

// System colours by index (COLOR_...), as plain 0x00BBGGRR colours.
struct TSysColorTable {
    std::array<TColor, SysColorCount> Colors{};
    TColor operator[](int index) const { return Colors.at(static_cast<std::size_t>(index)); }
    TColor& operator[](int index) { return Colors.at(static_cast<std::size_t>(index)); }

    // From the application palette.
    static TSysColorTable FromPlatform();
    // The classic grey scheme: button face 192,192,192, shadow 128,128,128, highlight
    // white, dark shadow black, light 224,224,224, window white, window text black,
    // selection 0,0,128 with white text, grey text 128,128,128, info 255,255,225.
    static TSysColorTable Classic();
};

TSysColorTable& SysColors();
// Installs a table and tells the listeners (caches of drawn faces clear themselves).
void SetSysColors(const TSysColorTable& t);
rtl::ListenerList<void()>& SysColorChangeListeners();

// Installs fixed metrics and the classic colours for as long as it lives (tests).
class TFixedMetricsScope {
public:
    TFixedMetricsScope();
    ~TFixedMetricsScope();
    TFixedMetricsScope(const TFixedMetricsScope&) = delete;
    TFixedMetricsScope& operator=(const TFixedMetricsScope&) = delete;
private:
    TSystemMetrics savedMetrics_;
    TSysColorTable savedColors_;
};

// The work area (screen less task bars) of the monitor that shares most with r,
// or of the nearest monitor when none does.
TRect MonitorWorkArea(const TRect& r);
// A window's rectangle (in 64 bits, as read from a store that may be damaged or edited)
// made to fit the work area of its monitor: no larger than it, and moved inside it.
TRect FitIntoWorkArea(long long left, long long top, long long width, long long height);

} // namespace ui
