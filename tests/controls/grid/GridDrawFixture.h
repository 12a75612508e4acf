#pragma once
// The drawing tests' grid: the people of the grid fixture shown in a column of every
// kind (numbers with a display format, texts, a check box, images from a key list,
// images beside numbers, a lookup, a memo), pictures of what the grid drew, and the
// pixels of its client area.
#include <string>
#include <utility>

#include <QImage>

#include "GridFixture.h"
#include "controls/grid/DBGridEx.h"
#include "controls/grid/DBGridExStyle.h"
#include "platform/rtl/StringList.h"
#include "platform/ui/Bitmap.h"
#include "support/Snapshot.h"

namespace gridtest {

// Distinct colours of the test images, one per image.
inline constexpr ui::TColor ImageColors[] = {ui::clRed, ui::clLime, ui::clBlue, ui::clFuchsia};

class GridDrawTest : public GridTest {
protected:
    void SetUp() override
    {
        GridTest::SetUp();
        for (ui::TColor color : ImageColors) {
            ui::TBitmap square(10, 10);
            square.Canvas().Brush().SetColor(color);
            square.Canvas().FillRect({0, 0, 10, 10});
            Images.Add(square);
        }
    }

    // One column of every kind, in this order: ID (the number with images beside it),
    // NAME, AMOUNT ("#,##0.00"), ACTIVE (check box), FLAG (images by key), WHO (lookup),
    // NOTE (memo text).
    void ShowEveryKind()
    {
        Bind();
        Grid->BeginLayout();
        grid::TColumnEx* id = AddColumn("ID");
        id->SetImageList(&Images);
        id->SetShowImageAndText(true);
        AddColumn("NAME")->SetWidth(70);
        grid::TColumnEx* amount = AddColumn("AMOUNT");
        amount->SetDisplayFormat("#,##0.00");
        amount->SetWidth(70);
        grid::TColumnEx* active = AddColumn("ACTIVE");
        active->SetCheckboxes(true);
        active->SetWidth(50);
        grid::TColumnEx* flag = AddColumn("FLAG");
        rtl::TStringList keys;
        keys.SetCommaText("A,B,C");
        flag->SetKeyList(&keys);
        flag->SetImageList(&Images);
        flag->SetWidth(40);
        AddColumn("WHO")->SetWidth(60);
        AddColumn("NOTE")->SetWidth(60);
        Grid->SetDrawMemoText(true);
        Grid->EndLayout();
        Put("FLAG", rtl::Variant("B"));
        Put("ACTIVE", rtl::Variant(true));
        Put("NOTE", rtl::Variant("memo text"));
        Data.First();
        Grid->SetBounds(0, 0, 520, 220);
        uitest::ShowActive(Grid.get());
    }

    // What the grid shows now, its frame included.
    QImage Render() { return Grid->grab().toImage(); }
    // A pixel of the client area of a rendering.
    ui::TColor ClientPixel(const QImage& image, int x, int y) const
    {
        const ui::TPoint offset = Grid->ClientOffset();
        return uitest::PixelAt(image, x + offset.X, y + offset.Y);
    }
    // The part of a rendering that is the cell (client coordinates), lines excluded.
    QImage CellImage(const QImage& image, int col, int row) const
    {
        const ui::TRect r = Grid->CellRect(col, row);
        const ui::TPoint offset = Grid->ClientOffset();
        return image.copy(r.Left + offset.X, r.Top + offset.Y, r.Width(), r.Height());
    }
    void Save(const std::string& name) { EXPECT_FALSE(testsupport::SaveSnapshot(Grid.get(), "grid", name).empty()); }
    void SetOptionEx(grid::TDBGridExOption option, bool on)
    {
        grid::TDBGridExOptions options = Grid->GetOptionsEx();
        Grid->SetOptionsEx(on ? options.Include(option) : options.Exclude(option));
    }
    void SetOption(grid::TDBGridOption option, bool on)
    {
        grid::TDBGridOptions options = Grid->GetOptions();
        Grid->SetOptions(on ? options.Include(option) : options.Exclude(option));
    }

    // The grid rendered with the style's focus frame on, then off.
    std::pair<QImage, QImage> RenderFramedAndPlain()
    {
        const QImage framed = Render();
        grid::DBGridExStyle().SetFocusFrame(false);
        const QImage plain = Render();
        grid::DBGridExStyle().SetFocusFrame(true);
        return {framed, plain};
    }
    // Where two renderings differ: pixels on the border of rect (client coordinates) and
    // pixels elsewhere.
    struct TDifferences {
        int OnBorder = 0;
        int Elsewhere = 0;
    };
    TDifferences DifferencesAround(const QImage& a, const QImage& b, const ui::TRect& rect) const
    {
        const ui::TPoint offset = Grid->ClientOffset();
        TDifferences differences;
        for (int y = 0; y < a.height(); ++y)
            for (int x = 0; x < a.width(); ++x) {
                if (a.pixel(x, y) == b.pixel(x, y)) continue;
                const int cx = x - offset.X, cy = y - offset.Y;
                const bool border = cx == rect.Left || cx == rect.Right - 1 || cy == rect.Top || cy == rect.Bottom - 1;
                ++(border ? differences.OnBorder : differences.Elsewhere);
            }
        return differences;
    }

    ui::TImageList Images{10, 10};
};

// The number of pixels of the colour in the image.
inline int CountColor(const QImage& image, ui::TColor color)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (uitest::PixelAt(image, x, y) == ui::ColorToRGB(color)) ++count;
    return count;
}

} // namespace gridtest
