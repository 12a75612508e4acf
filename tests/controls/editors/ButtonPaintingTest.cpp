// Button faces: where their marks land, the cache of painted faces, and snapshots of
// every kind and state, classic and themed.
#include "EditorsTestSupport.h"

#include "controls/editors/ButtonPainting.h"
#include "controls/editors/EditButtons.h"
#include "platform/ui/Form.h"
#include "platform/ui/Metrics.h"

using namespace editors;

namespace {

constexpr ui::TColor kParent = ui::RGB(255, 0, 255);

struct TLook {
    bool Enabled = true;
    bool Active = false;
    bool Flat = false;
    int DownHalf = 0;
    ui::TCheckState Check = ui::csUnchecked;
};

class ButtonPaintingTest : public uitest::UiTest {
protected:
    void SetUp() override
    {
        UiTest::SetUp();
        ClearButtonsBitmapCache();
    }
    void TearDown() override
    {
        SetButtonsBitmapCacheEnabled(true);
        UiTest::TearDown();
    }

    // A face painted in r on an image of the parent colour.
    static QImage Paint(TButtonPaintKindEx kind, const ui::TRect& r, const TLook& look, int w = 40, int h = 40)
    {
        QImage img(w, h, QImage::Format_RGB32);
        img.fill(ui::ToQColor(kParent));
        uitest::TImageCanvas c(img);
        PaintButtonControlEx(c.Canvas, r, kParent, look.Check, look.Enabled, look.Active, look.Flat, look.DownHalf,
                             kind);
        c.End();
        return img;
    }

    // The bounds of the pixels of one colour.
    static QRect Bounds(const QImage& img, ui::TColor color, const QRect& within = {})
    {
        QRect area = within.isNull() ? img.rect() : within;
        QRect box;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                if (uitest::PixelAt(img, x, y) == ui::ColorToRGB(color)) box |= QRect(x, y, 1, 1);
        return box;
    }

    static QRect Q(const ui::TRect& r) { return QRect(r.Left, r.Top, r.Width(), r.Height()); }
};

// clang-format off
const TButtonPaintKindEx kAllKinds[] = {bpkDropDownEx, bpkEllipsisEx, bpkUpDownEx,
                                        bpkCheckBoxEx, bpkPlusEx,     bpkMinusEx};
// clang-format on

std::vector<TLook> AllLooks()
{
    std::vector<TLook> looks;
    for (bool flat : {false, true})
        for (bool active : {false, true})
            for (bool enabled : {true, false})
                for (int down : {0, 1, 2})
                    looks.push_back({enabled, active, flat, down, ui::csChecked});
    return looks;
}

} // namespace

TEST_F(ButtonPaintingTest, FacesStayInsideTheirRectanglesAndCentreTheirMarks)
{
    const ui::TRect r{10, 8, 27, 25}; // 17 x 17
    for (bool themed : {false, true}) {
        ui::ThemeServices().SetThemesEnabled(themed);
        for (TButtonPaintKindEx kind : kAllKinds)
            for (const TLook& look : AllLooks()) {
                SCOPED_TRACE(::testing::Message() << "kind " << kind << " themed " << themed << " flat " << look.Flat
                                                  << " active " << look.Active << " enabled " << look.Enabled
                                                  << " down " << look.DownHalf);
                const QImage img = Paint(kind, r, look);
                EXPECT_TRUE(Q(r).contains(uitest::InkBounds(img, ui::ToQColor(kParent).rgb())));
                if (themed || kind == bpkCheckBoxEx) continue;
                // The classic marks: text colour when enabled, shadow when not.
                const ui::TColor ink = look.Enabled ? ui::clBtnText : ui::clBtnShadow;
                const QRect marks = Bounds(img, ink, Q(r).adjusted(2, 2, -2, -2));
                ASSERT_FALSE(marks.isEmpty());
                const QPoint centre = marks.center();
                if (kind == bpkUpDownEx) {
                    // One arrow in each half.
                    EXPECT_FALSE(Bounds(img, ink, QRect(10, 8, 17, 8)).isEmpty());
                    EXPECT_FALSE(Bounds(img, ink, QRect(10, 17, 17, 8)).isEmpty());
                } else {
                    const int shift = look.DownHalf != 0 ? 1 : 0;
                    EXPECT_LE(std::abs(centre.x() - (18 + shift)), 1);
                    EXPECT_LE(std::abs(centre.y() - (16 + shift)), 1);
                }
            }
    }
}

TEST_F(ButtonPaintingTest, EllipsisDotsAndSignBarsFollowTheButtonSize)
{
    auto marks = [&](TButtonPaintKindEx kind, int w, int h, const TLook& look) {
        // Inside the two rings of a 3D edge (whose dark shadow is the text colour too).
        const int edge = look.Flat ? 1 : 2;
        return Bounds(Paint(kind, ui::Bounds(0, 0, w, h), look), ui::clBtnText,
                      QRect(edge, edge, w - 2 * edge, h - 2 * edge));
    };
    // Dots of 2 pixels with gaps of 2; narrower buttons: gaps of 1, then dots of 1 (a flat
    // button draws its face one pixel inside its frame).
    EXPECT_EQ(marks(bpkEllipsisEx, 17, 17, {}).size(), QSize(10, 2));
    EXPECT_EQ(marks(bpkEllipsisEx, 13, 17, {.Flat = true}).size(), QSize(8, 2));
    EXPECT_EQ(marks(bpkEllipsisEx, 9, 17, {.Flat = true}).size(), QSize(5, 1));
    EXPECT_EQ(marks(bpkEllipsisEx, 17, 17, {.DownHalf = 1}).topLeft(),
              marks(bpkEllipsisEx, 17, 17, {}).topLeft() + QPoint(1, 1));
    // Bars four sevenths of the side, a third as thick, centred exactly.
    EXPECT_EQ(marks(bpkMinusEx, 17, 17, {}), QRect(4, 7, 9, 3));
    EXPECT_EQ(marks(bpkPlusEx, 17, 17, {}), QRect(4, 4, 9, 9));
    EXPECT_EQ(marks(bpkMinusEx, 17, 17, {.Flat = true}), QRect(5, 7, 7, 2));
    EXPECT_EQ(marks(bpkMinusEx, 24, 17, {}), QRect(7, 7, 9, 3));
    EXPECT_EQ(marks(bpkPlusEx, 17, 17, {.DownHalf = 1}), QRect(5, 5, 9, 9));
    // Degenerate sizes draw nothing, or what fits, and never fail.
    for (TButtonPaintKindEx kind : kAllKinds)
        for (auto [w, h] : {std::pair{0, 0}, {1, 1}, {2, 1}, {0, 17}, {17, 0}, {-5, 10}}) {
            const QImage img = Paint(kind, ui::Bounds(3, 3, w, h), {});
            const QRect ink = uitest::InkBounds(img, ui::ToQColor(kParent).rgb());
            EXPECT_TRUE(ink.isEmpty() || QRect(3, 3, std::max(0, w), std::max(0, h)).contains(ink));
        }
}

TEST_F(ButtonPaintingTest, UpDownHalvesSplitTheHeightWithTheMiddleRowInTheParentColour)
{
    auto rowIsParent = [&](const QImage& img, int y) { return Bounds(img, kParent, QRect(0, y, 17, 1)).width() == 17; };
    const QImage odd = Paint(bpkUpDownEx, {0, 0, 17, 17}, {.DownHalf = 2});
    EXPECT_TRUE(rowIsParent(odd, 8));
    EXPECT_FALSE(rowIsParent(odd, 7));
    // The pressed lower half is drawn sunken: its top-left is the shadow, the upper's the light.
    EXPECT_EQ(uitest::PixelAt(odd, 0, 9), ui::SysColors()[ui::COLOR_BTNSHADOW]);
    EXPECT_EQ(uitest::PixelAt(odd, 0, 0), ui::SysColors()[ui::COLOR_3DLIGHT]);
    const QImage even = Paint(bpkUpDownEx, {0, 0, 17, 16}, {});
    EXPECT_FALSE(rowIsParent(even, 8));
    EXPECT_FALSE(rowIsParent(even, 7));
    // Flat halves have no edges of their own: a parent-coloured row parts them.
    const QImage flat = Paint(bpkUpDownEx, {0, 0, 17, 16}, {.Active = true, .Flat = true});
    EXPECT_TRUE(rowIsParent(flat, 8));
}

TEST_F(ButtonPaintingTest, CheckBoxesAreSquareCentredAndShowTheirState)
{
    std::vector<QImage> states;
    for (ui::TCheckState s : {ui::csUnchecked, ui::csChecked, ui::csGrayed}) {
        const QImage img = Paint(bpkCheckBoxEx, {0, 0, 30, 13}, {.Check = s});
        // A 13 x 13 square in the middle of 30 x 13: 8 pixels at the left, 9 at the right.
        EXPECT_EQ(uitest::InkBounds(img, ui::ToQColor(kParent).rgb()), QRect(8, 0, 13, 13));
        states.push_back(img);
    }
    EXPECT_NE(states[0], states[1]);
    EXPECT_NE(states[1], states[2]);
    const QRect inside(10, 2, 9, 9);
    EXPECT_FALSE(Bounds(states[1], ui::clWindowText, inside).isEmpty()); // the tick
    EXPECT_TRUE(Bounds(states[0], ui::clWindowText, inside).isEmpty());
    // Flat: a frame in the parent colour round the inset box; active: a sunken edge.
    const QImage flat = Paint(bpkCheckBoxEx, {0, 0, 13, 13}, {.Flat = true});
    EXPECT_EQ(uitest::PixelAt(flat, 0, 0), kParent);
    EXPECT_EQ(uitest::PixelAt(flat, 1, 1), ui::SysColors()[ui::COLOR_BTNSHADOW]);
    const QImage flatActive = Paint(bpkCheckBoxEx, {0, 0, 13, 13}, {.Active = true, .Flat = true});
    EXPECT_EQ(uitest::PixelAt(flatActive, 0, 0), ui::SysColors()[ui::COLOR_BTNSHADOW]);
    EXPECT_EQ(uitest::PixelAt(flatActive, 12, 12), ui::SysColors()[ui::COLOR_BTNHIGHLIGHT]);
}

TEST_F(ButtonPaintingTest, EachFaceIsPaintedOnceAndThenCopied)
{
    const ui::TRect r{0, 0, 17, 17};
    const std::uint64_t before = ButtonFacesPainted();
    for (int round = 0; round < 3; ++round) {
        Paint(bpkDropDownEx, r, {});
        Paint(bpkDropDownEx, r, {.DownHalf = 1});
        Paint(bpkDropDownEx, r, {.Enabled = false});
        Paint(bpkUpDownEx, r, {});                // two faces: the upper and the lower half
        Paint(bpkUpDownEx, r, {.DownHalf = 2});   // the upper as before, a pressed lower
        Paint(bpkDropDownEx, {5, 5, 22, 22}, {}); // the same face elsewhere
    }
    EXPECT_EQ(ButtonFacesPainted() - before, 6u);
    EXPECT_EQ(ButtonsBitmapCacheCount(), 6);

    // A cached face is the face painted directly, for every kind and look.
    for (bool themed : {false, true}) {
        ui::ThemeServices().SetThemesEnabled(themed);
        for (TButtonPaintKindEx kind : kAllKinds)
            for (const TLook& look : AllLooks()) {
                SetButtonsBitmapCacheEnabled(true);
                const QImage cached = Paint(kind, {3, 4, 20, 19}, look);
                SetButtonsBitmapCacheEnabled(false);
                const QImage direct = Paint(kind, {3, 4, 20, 19}, look);
                EXPECT_EQ(cached, direct) << "kind " << kind << " themed " << themed << " flat " << look.Flat
                                          << " active " << look.Active << " enabled " << look.Enabled << " down "
                                          << look.DownHalf;
            }
    }
}

TEST_F(ButtonPaintingTest, TheCacheIsBoundedAndForgetsOnColourChanges)
{
    for (int w = 1; w <= ButtonsBitmapCacheCapacity + 50; ++w) Paint(bpkEllipsisEx, {0, 0, w % 40 + 1, w / 40 + 1}, {});
    EXPECT_EQ(ButtonsBitmapCacheCount(), ButtonsBitmapCacheCapacity);
    // The most recently used faces stay.
    const std::uint64_t painted = ButtonFacesPainted();
    const int last = ButtonsBitmapCacheCapacity + 50;
    Paint(bpkEllipsisEx, {0, 0, last % 40 + 1, last / 40 + 1}, {});
    EXPECT_EQ(ButtonFacesPainted(), painted);
    // A large face is painted directly every time, not kept.
    Paint(bpkDropDownEx, {0, 0, 300, 300}, {}, 320, 320);
    Paint(bpkDropDownEx, {0, 0, 300, 300}, {}, 320, 320);
    EXPECT_EQ(ButtonFacesPainted(), painted + 2);
    EXPECT_EQ(ButtonsBitmapCacheCount(), ButtonsBitmapCacheCapacity);

    ui::TSysColorTable colors = ui::SysColors();
    colors[ui::COLOR_BTNFACE] = ui::RGB(200, 210, 220);
    ui::SetSysColors(colors);
    EXPECT_EQ(ButtonsBitmapCacheCount(), 0);
    const QImage repainted = Paint(bpkDropDownEx, {0, 0, 17, 17}, {});
    EXPECT_EQ(uitest::PixelAt(repainted, 8, 3), ui::RGB(200, 210, 220));
}

TEST_F(ButtonPaintingTest, SnapshotsOfEveryKindAndLook)
{
    constexpr int cell = 24;
    const std::vector<TLook> looks = AllLooks();
    for (bool themed : {false, true}) {
        ui::ThemeServices().SetThemesEnabled(themed);
        QImage sheet(static_cast<int>(looks.size()) * cell, 6 * cell, QImage::Format_RGB32);
        sheet.fill(Qt::white);
        uitest::TImageCanvas c(sheet);
        for (TButtonPaintKindEx kind : kAllKinds)
            for (std::size_t i = 0; i < looks.size(); ++i) {
                const TLook& look = looks[i];
                const ui::TRect r = ui::Bounds(static_cast<int>(i) * cell + 3, kind * cell + 3, 17, 18);
                c.Canvas.Brush().SetColor(kParent);
                c.Canvas.FillRect(r.Inflated(2, 2));
                PaintButtonControlEx(c.Canvas, r, kParent, look.Check, look.Enabled, look.Active, look.Flat,
                                     look.DownHalf, kind);
            }
        c.End();
        // Rows: drop-down, ellipsis, up/down, check box, plus, minus. Columns: 3D then
        // flat; inactive then active; enabled then disabled; up, pressed, lower pressed.
        editorstest::WriteSnapshot(themed ? "button-faces-themed" : "button-faces-classic",
                                   sheet.scaled(sheet.size() * 2));

        // What the sheet shows: each face within its cell, and the looks apart.
        const auto face = [&](TButtonPaintKindEx kind, std::size_t i) {
            return sheet.copy(static_cast<int>(i) * cell + 3, kind * cell + 3, 17, 18);
        };
        for (TButtonPaintKindEx kind : kAllKinds)
            for (std::size_t i = 0; i < looks.size(); ++i) {
                const TLook& look = looks[i];
                SCOPED_TRACE(::testing::Message() << "kind " << kind << " themed " << themed << " flat " << look.Flat
                                                  << " active " << look.Active << " enabled " << look.Enabled
                                                  << " down " << look.DownHalf);
                const QRect ring(static_cast<int>(i) * cell + 1, kind * cell + 1, 21, 22);
                const QRect ink = uitest::InkBounds(sheet.copy(ring), ui::ToQColor(kParent).rgb());
                EXPECT_TRUE(QRect(2, 2, 17, 18).contains(ink)) << "ink at " << ink.x() << "," << ink.y();
                EXPECT_FALSE(ink.isEmpty());
                // Looks listed in the order of AllLooks: down 0, 1, 2, then enabled and disabled.
                if (look.Enabled) {
                    EXPECT_NE(face(kind, i), face(kind, i + 3)) << "disabled as enabled";
                }
                // A disabled themed part is drawn in its disabled state, pressed or not.
                if (kind == bpkCheckBoxEx || look.DownHalf == 0 || (themed && !look.Enabled)) continue;
                EXPECT_NE(face(kind, i), face(kind, i - look.DownHalf)) << "pressed as raised";
                if (kind == bpkUpDownEx && look.DownHalf == 2) {
                    EXPECT_NE(face(kind, i), face(kind, i - 1)) << "the lower half pressed as the upper";
                }
            }
    }
}

TEST_F(ButtonPaintingTest, ButtonControlsPaintTheirStyleAndState)
{
    ui::TForm form;
    form.SetBounds(50, 50, 400, 200);
    form.SetColor(kParent);
    const TEditButtonStyleEx styles[] = {ebsDropDownEx, ebsEllipsisEx, ebsGlyphEx, ebsUpDownEx, ebsPlusEx, ebsMinusEx};
    ui::TBitmap glyph(8, 8);
    glyph.Canvas().Brush().SetColor(ui::clWhite);
    glyph.Canvas().FillRect({0, 0, 8, 8});
    glyph.Canvas().Brush().SetColor(ui::clGreen);
    glyph.Canvas().FillRect({2, 2, 6, 6});
    std::vector<TEditButtonControlEx*> buttons;
    for (int s = 0; s < 6; ++s)
        for (int v = 0; v < 4; ++v) {
            // Each on a holder of its own: held-down buttons of one parent release each other.
            auto* holder = new ui::TControl(&form);
            holder->SetBounds(10 + v * 30, 10 + s * 28, 17, 21);
            auto* b = new TEditButtonControlEx(holder);
            b->SetStyle(styles[s]);
            b->SetGlyph(glyph);
            b->SetFlat(v >= 2);
            b->SetActive(v == 3);
            b->SetBounds(0, 0, 17, 21);
            buttons.push_back(b);
        }
    uitest::ShowActive(&form);
    const QImage up = uitest::Render(&form);
    // The glyph style shows its glyph centred.
    TEditButtonControlEx* glyphButton = buttons[2 * 4];
    EXPECT_EQ(uitest::PixelAt(uitest::Render(glyphButton), 8, 10), ui::clGreen);
    for (TEditButtonControlEx* b : buttons) b->SetAlwaysDown(true);
    const QImage down = uitest::Render(&form);
    EXPECT_NE(up, down);
    for (TEditButtonControlEx* b : buttons) b->SetEnabled(false);
    const QImage disabled = uitest::Render(&form);
    EXPECT_NE(down, disabled);
    QImage sheet(up.width(), up.height() * 3, QImage::Format_RGB32);
    QPainter p(&sheet);
    p.drawImage(0, 0, up);
    p.drawImage(0, up.height(), down);
    p.drawImage(0, 2 * up.height(), disabled);
    p.end();
    // Per style a row: 3D, 3D active, flat, flat active; up, then held down, then disabled.
    editorstest::WriteSnapshot("button-controls",
                               sheet.copy(0, 0, 140, sheet.height()).scaled(280, sheet.height() * 2));
}
