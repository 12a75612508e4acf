// Placing drop-down windows in the work area, and the size grip.
#include "EditorsTestSupport.h"

#include "controls/editors/DropDownPlacement.h"
#include "controls/editors/EditInterfaces.h"
#include "controls/editors/SizeGrip.h"
#include "platform/ui/Metrics.h"
#include "platform/ui/Popup.h"

using namespace editors;

namespace {

class DropDownPlacementTest : public uitest::UiTest {};

// A drop-down that records the sides it is told and keeps whole 16-pixel rows.
class TRecordingDropDown : public ui::TPopupWindow {
public:
    std::vector<int> Sides;
    void SetBounds(int left, int top, int width, int height) override
    {
        ui::TPopupWindow::SetBounds(left, top, width, height / 16 * 16);
    }

protected:
    void WndProc(ui::TMessage& m) override
    {
        if (m.Msg == CM_DROPDOWNPLACED) Sides.push_back(static_cast<int>(m.WParam));
    }
};

} // namespace

TEST_F(DropDownPlacementTest, EveryPlacementCase)
{
    const ui::TRect work{0, 0, 1000, 800};
    struct Case {
        const char* what;
        ui::TRect host;
        ui::TSize wanted;
        TDropDownAlign align;
        ui::TRect result;
        int vertical, horizontal;
    };
    const Case cases[] = {
        {"room below", {100, 100, 200, 120}, {150, 300}, daLeft, {100, 120, 250, 420}, ddsBottom, ddsRight},
        {"exactly fits below", {100, 480, 200, 500}, {150, 300}, daLeft, {100, 500, 250, 800}, ddsBottom, ddsRight},
        {"room only above", {100, 680, 200, 700}, {150, 300}, daLeft, {100, 380, 250, 680}, ddsTop, ddsRight},
        // The host's bottom 100 pixels above the work area's bottom; 400, 200 or 50 above its top.
        {"above, full height", {100, 400, 200, 700}, {150, 300}, daLeft, {100, 100, 250, 400}, ddsTop, ddsRight},
        {"above, shrunk", {100, 200, 200, 700}, {150, 300}, daLeft, {100, 0, 250, 200}, ddsTop, ddsRight},
        {"below, shrunk", {100, 50, 200, 700}, {150, 300}, daLeft, {100, 700, 250, 800}, ddsBottom, ddsRight},
        {"a tie goes below", {100, 100, 200, 700}, {150, 300}, daLeft, {100, 700, 250, 800}, ddsBottom, ddsRight},
        {"right edges aligned", {300, 100, 400, 120}, {150, 100}, daRight, {250, 120, 400, 220}, ddsBottom, ddsLeft},
        {"centred", {300, 100, 400, 120}, {151, 100}, daCenter, {275, 120, 426, 220}, ddsBottom, ddsRight},
        {"centred, narrower", {300, 100, 400, 120}, {51, 100}, daCenter, {324, 120, 375, 220}, ddsBottom, ddsRight},
        // clang-format off
        {"wider than the work area", {100, 100, 200, 120}, {1200, 100}, daLeft, {0, 120, 1000, 220}, ddsBottom,
         ddsLeft},
        {"crossing the right edge", {900, 100, 980, 120}, {200, 100}, daLeft, {800, 120, 1000, 220}, ddsBottom,
         ddsLeft},
        {"crossing the left edge", {20, 100, 120, 120}, {200, 100}, daRight, {0, 120, 200, 220}, ddsBottom, ddsRight},
        {"crossing the left edge, centred", {10, 100, 50, 120}, {100, 100}, daCenter, {0, 120, 100, 220}, ddsBottom,
         ddsRight},
        {"crossing the top and bottom", {100, 10, 200, 790}, {150, 300}, daLeft, {100, 790, 250, 800}, ddsBottom,
         ddsRight},
        // clang-format on
        // Degenerate: no height wanted, a negative size, a host below the work area.
        {"no height", {100, 100, 200, 120}, {150, 0}, daLeft, {100, 120, 250, 120}, ddsBottom, ddsRight},
        {"negative size", {100, 100, 200, 120}, {-5, -5}, daLeft, {100, 120, 100, 120}, ddsBottom, ddsRight},
        {"host below the work area", {100, 900, 200, 950}, {150, 1000}, daLeft, {100, 0, 250, 900}, ddsTop, ddsRight},
    };
    for (const Case& c : cases) {
        const TDropDownPlacement p = PlaceDropDown(c.host, work, c.wanted, c.align);
        EXPECT_EQ(ui::Bounds(p.TopLeft.X, p.TopLeft.Y, p.Width, p.Height), c.result) << c.what;
        EXPECT_EQ(p.VerticalSide, c.vertical) << c.what;
        EXPECT_EQ(p.HorizontalSide, c.horizontal) << c.what;
    }
    // A work area away from the origin.
    const TDropDownPlacement p = PlaceDropDown({1100, 50, 1200, 70}, {1000, 40, 1300, 400}, {400, 500}, daLeft);
    EXPECT_EQ(ui::Bounds(p.TopLeft.X, p.TopLeft.Y, p.Width, p.Height), (ui::TRect{1000, 70, 1300, 400}));
    const TDropDownPlacement empty = PlaceDropDown({0, 0, 10, 10}, {0, 0, 0, 0}, {100, 100}, daCenter);
    EXPECT_EQ(empty.Width, 0);
    EXPECT_EQ(empty.Height, 0);
}

TEST_F(DropDownPlacementTest, AligningADropDownSizesItAndTellsItTheSides)
{
    const uitest::TWorkAreaScope workArea({0, 0, 1000, 800});
    TRecordingDropDown dropDown;
    dropDown.SetBounds(0, 0, 150, 304);
    // Below: the full height.
    ui::TPoint at = AlignDropDownWindowRect({100, 100, 200, 120}, &dropDown, daRight);
    EXPECT_EQ(at, (ui::TPoint{50, 120}));
    EXPECT_EQ(dropDown.Sides, (std::vector<int>{ddsBottom, ddsLeft}));
    EXPECT_EQ(dropDown.Height(), 304);
    // Above, shrunk to 250 and snapped to 240: it still ends at the host's top.
    dropDown.Sides.clear();
    at = AlignDropDownWindowRect({100, 250, 200, 700}, &dropDown, daLeft);
    EXPECT_EQ(dropDown.Height(), 240);
    EXPECT_EQ(at, (ui::TPoint{100, 10}));
    EXPECT_EQ(dropDown.Sides, (std::vector<int>{ddsTop, ddsRight}));

    // For a host control: its rectangle on the screen.
    ui::TPopupWindow host;
    host.SetBounds(300, 200, 80, 20);
    dropDown.SetBounds(0, 0, 100, 96);
    at = AlignDropDownWindow(&host, &dropDown, daLeft);
    EXPECT_EQ(at, (ui::TPoint{300, 220}));
    EXPECT_EQ(ScreenRect(&host), (ui::TRect{300, 200, 380, 220}));
}

TEST_F(DropDownPlacementTest, TheSizeGripMovesAwayFromTheSideTheDropDownWentTo)
{
    ui::TPopupWindow host;
    host.SetBounds(100, 100, 120, 90);
    TSizeGripEx grip(&host);
    EXPECT_EQ(grip.GetPosition(), sgpBottomRight);
    EXPECT_TRUE(grip.GetTriangleWindow());
    EXPECT_EQ(grip.Width(), 17);

    const TSizeGripPositionEx all[] = {sgpTopLeft, sgpTopRight, sgpBottomRight, sgpBottomLeft};
    // ChangePosition[direction][position]: left, right, top, bottom.
    const TSizeGripPositionEx expected[4][4] = {
        {sgpTopLeft, sgpTopLeft, sgpBottomLeft, sgpBottomLeft},
        {sgpTopRight, sgpTopRight, sgpBottomRight, sgpBottomRight},
        {sgpTopLeft, sgpTopRight, sgpTopRight, sgpTopLeft},
        {sgpBottomLeft, sgpBottomRight, sgpBottomRight, sgpBottomLeft},
    };
    for (int direction = 0; direction < 4; ++direction)
        for (int p = 0; p < 4; ++p) {
            grip.SetPosition(all[p]);
            grip.ChangePosition(direction);
            EXPECT_EQ(grip.GetPosition(), expected[direction][p]) << "direction " << direction << " from " << p;
        }
    grip.SetPosition(sgpTopRight);
    grip.ChangePosition(7);
    EXPECT_EQ(grip.GetPosition(), sgpTopRight);

    // Each position: its corner of the host's client area, its cursor, its triangle.
    const ui::TPoint corners[] = {{0, 0}, {103, 0}, {103, 73}, {0, 73}};
    for (int p = 0; p < 4; ++p) {
        grip.SetPosition(all[p]);
        EXPECT_EQ((ui::TPoint{grip.Left(), grip.Top()}), corners[p]) << p;
        EXPECT_EQ(grip.Cursor(), p % 2 == 0 ? ui::crSizeNWSE : ui::crSizeNESW) << p;
        const QPoint corner(p == 1 || p == 2 ? 16 : 0, p >= 2 ? 16 : 0);
        const QPoint opposite(16 - corner.x(), 16 - corner.y());
        EXPECT_TRUE(grip.mask().contains(corner)) << p;
        EXPECT_FALSE(grip.mask().contains(opposite)) << p;
    }
    grip.SetTriangleWindow(false);
    EXPECT_TRUE(grip.mask().isEmpty());
    // Moved by someone else, it goes back to its corner.
    grip.SetBounds(5, 5, 17, 17);
    EXPECT_EQ((ui::TPoint{grip.Left(), grip.Top()}), corners[3]);
}

TEST_F(DropDownPlacementTest, DraggingTheGripResizesTheHostInsideTheWorkArea)
{
    const uitest::TWorkAreaScope workArea({0, 0, 400, 300});
    ui::TPopupWindow host;
    host.SetBorderStyle(ui::bsSingle); // a 2-pixel frame around the client area
    host.SetBounds(100, 100, 120, 90);
    auto* grip = new TSizeGripEx(&host);
    int resized = 0;
    grip->OnParentResized = rtl::TNotifyEvent::FromFunction([&](rtl::TObject* sender) {
        EXPECT_EQ(sender, grip);
        ++resized;
    });
    host.ShowNoActivate();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));
    auto dragTo = [&](QPoint from, QPoint to) {
        QTest::mousePress(grip, Qt::LeftButton, {}, grip->mapFromGlobal(from));
        uitest::MovePointer(grip, grip->mapFromGlobal(to));
        QTest::mouseRelease(grip, Qt::LeftButton, {}, grip->mapFromGlobal(to));
    };
    const QPoint gripCentre = grip->mapToGlobal(QPoint(12, 12));
    dragTo(gripCentre, gripCentre + QPoint(30, 20));
    EXPECT_EQ(host.BoundsRect(), (ui::TRect{100, 100, 250, 210}));
    EXPECT_EQ(resized, 1);
    EXPECT_EQ((ui::TPoint{grip->Left(), grip->Top()}), (ui::TPoint{146 - 17, 106 - 17}));

    // Past the work area: the host stops at its edges.
    dragTo(grip->mapToGlobal(QPoint(12, 12)), grip->mapToGlobal(QPoint(500, 500)));
    EXPECT_EQ(host.BoundsRect(), (ui::TRect{100, 100, 400, 300}));

    // From the top-left corner the right and bottom edges stay.
    grip->SetPosition(sgpTopLeft);
    dragTo(grip->mapToGlobal(QPoint(4, 4)), grip->mapToGlobal(QPoint(-16, -36)));
    EXPECT_EQ(host.BoundsRect(), (ui::TRect{80, 60, 400, 300}));
    dragTo(grip->mapToGlobal(QPoint(4, 4)), grip->mapToGlobal(QPoint(-500, -500)));
    EXPECT_EQ(host.BoundsRect(), (ui::TRect{0, 0, 400, 300}));
    // Never smaller than the frame.
    dragTo(grip->mapToGlobal(QPoint(4, 4)), grip->mapToGlobal(QPoint(900, 900)));
    EXPECT_EQ(host.BoundsRect(), (ui::TRect{396, 296, 400, 300}));

    QImage sheet(4 * 20, 20, QImage::Format_RGB32);
    sheet.fill(Qt::white);
    host.SetBounds(100, 100, 60, 60);
    for (int p = 0; p < 4; ++p) {
        grip->SetPosition(static_cast<TSizeGripPositionEx>(p));
        grip->SetTriangleWindow(false);
        QPainter(&sheet).drawImage(p * 20 + 1, 1, uitest::Render(grip));
    }
    editorstest::WriteSnapshot("size-grips", sheet.scaled(sheet.size() * 4));
}
