// The bitmaps and cursors the program carries.
#include "UiTestSupport.h"

#include <QPainter>

#include "support/Snapshot.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Bitmap.h"
#include "platform/ui/Resources.h"

using namespace ui;

namespace {
class ResourcesTest : public uitest::UiTest {};

const char* const kBitmaps[] = {"DBGARROWEH", "DBEDITEH", "DBINSERTEH", "DBMULTIDOTEH", "DBMULTIARROWEH",
                                "DBGARROWEHW", "DBSMDOWNEH", "DBSMUPEH"};
const char* const kCursors[] = {"DOWNCUREH", "RIGHTCUREH", "LEFTCUREH"};
} // namespace

TEST_F(ResourcesTest, TheGridsGlyphsAreCarriedAndFoundInAnyLetterCase)
{
    QImage sheet(12 * 8, 14, QImage::Format_RGB32);
    sheet.fill(Qt::gray);
    QPainter painter(&sheet);
    int x = 0;
    for (const char* name : kBitmaps) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(HasResource(name));
        TBitmap bitmap;
        LoadBitmapFromResourceName(bitmap, rtl::LowerCase(name));
        ASSERT_FALSE(bitmap.Empty());
        // Small enough for an 11-pixel indicator column and a title cell.
        EXPECT_LE(bitmap.Width(), 10);
        EXPECT_LE(bitmap.Height(), 12);
        painter.drawImage(x, 1, bitmap.Image());
        x += 12;
    }
    painter.end();
    // Four times the size, for people to look at.
    testsupport::SaveSnapshot(sheet.scaled(sheet.size() * 4), "ui", "resources-glyphs");

    // The indicator glyphs stand on white (their transparent colour), the sort markers on
    // magenta, the arrow for the search highlight on olive.
    TBitmap arrow, marker, searchArrow;
    LoadBitmapFromResourceName(arrow, "DBGARROWEH");
    LoadBitmapFromResourceName(marker, "DBSMUPEH");
    LoadBitmapFromResourceName(searchArrow, "DBGARROWEHW");
    EXPECT_EQ(arrow.Pixel(0, 0), clWhite);
    EXPECT_EQ(arrow.Pixel(1, 5), clBlack);
    EXPECT_EQ(marker.Pixel(0, 0), clFuchsia);
    EXPECT_EQ(searchArrow.Pixel(0, 0), clOlive);
    EXPECT_EQ(searchArrow.Pixel(1, 5), clBlack);

    TBitmap missing;
    try {
        LoadBitmapFromResourceName(missing, "NOSUCHBITMAP");
        ADD_FAILURE() << "a missing bitmap loaded";
    } catch (const EResNotFound& e) {
        EXPECT_STREQ(e.what(), "Resource NOSUCHBITMAP not found");
    }
    const std::vector<std::string> names = ResourceNames();
    for (const char* name : kBitmaps) EXPECT_NE(std::find(names.begin(), names.end(), name), names.end()) << name;
}

TEST_F(ResourcesTest, CursorsCarryTheirHotSpotsAtTheArrowTips)
{
    struct Expect {
        const char* name;
        QPoint hot;
    };
    for (const Expect& e : {Expect{"DOWNCUREH", {8, 13}}, Expect{"RIGHTCUREH", {13, 8}}, Expect{"LEFTCUREH", {2, 8}}}) {
        SCOPED_TRACE(e.name);
        const QCursor cursor = LoadCursorFromResourceName(e.name);
        EXPECT_EQ(cursor.hotSpot(), e.hot);
        const QImage image = cursor.pixmap().toImage();
        // The tip itself is black.
        EXPECT_EQ(QColor(image.pixel(e.hot)), QColor(Qt::black));
        EXPECT_EQ(qAlpha(image.pixel(0, 31)), 0); // a corner is transparent
    }
    QImage sheet(3 * 34, 34, QImage::Format_RGB32);
    sheet.fill(Qt::gray);
    QPainter painter(&sheet);
    int x = 1;
    for (const char* name : kCursors) {
        EXPECT_TRUE(HasResource(name)) << name;
        painter.drawPixmap(x, 1, LoadCursorFromResourceName(name).pixmap());
        x += 34;
    }
    painter.end();
    testsupport::SaveSnapshot(sheet.scaled(sheet.size() * 2), "ui", "resources-cursors");
    EXPECT_THROW(LoadCursorFromResourceName("NOSUCHCURSOR"), EOutOfResources);
    try {
        LoadCursorFromResourceName("NOSUCHCURSOR");
    } catch (const EOutOfResources& e) {
        EXPECT_STREQ(e.what(), "Cannot load cursor resource");
    }
}
