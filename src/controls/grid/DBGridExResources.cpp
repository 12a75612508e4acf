#include "controls/grid/DBGridExResources.h"

#include <memory>

#include "controls/grid/DBGridExDataService.h"
#include "controls/grid/DBGridExStyle.h"
#include "controls/grid/DBGridExText.h"
#include "platform/ui/Resources.h"

namespace grid {

namespace {

ui::TBitmap ResourceBitmap(const char* name)
{
    ui::TBitmap bitmap;
    ui::LoadBitmapFromResourceName(bitmap, name);
    return bitmap;
}

// The searching glyph: the light arrow over the search colour. Olive is the light
// arrow's transparent colour, so a search colour of olive itself turns dark teal.
ui::TBitmap IncSearchIndicatorBitmap()
{
    const ui::TBitmap arrow = [] {
        ui::TBitmap b = ResourceBitmap("DBGARROWEHW");
        b.SetTransparentColor(ui::clOlive);
        b.SetTransparent(true);
        return b;
    }();
    const ui::TColor search = ui::ColorToRGB(DBGridExSettings().IncSearchColor);
    ui::TBitmap glyph(arrow.Width(), arrow.Height());
    glyph.Canvas().Brush().SetColor(search == ui::clOlive ? ui::RGB(0, 127, 127) : search);
    glyph.Canvas().FillRect({0, 0, arrow.Width(), arrow.Height()});
    glyph.Canvas().Draw(0, 0, arrow);
    return glyph;
}

} // namespace

TDBGridExSettings& DBGridExSettings()
{
    static TDBGridExSettings settings;
    return settings;
}

const ui::TFont& DBGridExSortIndexFont()
{
    static const ui::TFont font = [] {
        ui::TFont f;
        f.SetName("Arial");
        f.SetHeight(1 - ResourceBitmap("DBSMDOWNEH").Height());
        return f;
    }();
    return font;
}

ui::TCustomImageList& DBGridExIndicatorImages()
{
    static const std::unique_ptr<ui::TCustomImageList> images = [] {
        const ui::TBitmap first = ResourceBitmap("DBGARROWEH");
        auto list = std::make_unique<ui::TCustomImageList>(first.Width(), first.Height());
        list->AddMasked(first, ui::clWhite);
        for (const char* name : {"DBEDITEH", "DBINSERTEH", "DBMULTIDOTEH", "DBMULTIARROWEH"})
            list->AddMasked(ResourceBitmap(name), ui::clWhite);
        list->AddMasked(ResourceBitmap("DBGARROWEHW"), ui::clOlive);
        list->AddMasked(IncSearchIndicatorBitmap(), ui::clOlive);
        return list;
    }();
    return *images;
}

void UpdateIncSearchIndicatorImage()
{
    ui::TCustomImageList& images = DBGridExIndicatorImages();
    if (images.Count() > iiCurrentSearching) images.Delete(iiCurrentSearching);
    images.AddMasked(IncSearchIndicatorBitmap(), ui::clOlive);
}

ui::TCustomImageList& DBGridExSortMarkerImages()
{
    static const std::unique_ptr<ui::TCustomImageList> images = [] {
        const ui::TBitmap down = ResourceBitmap("DBSMDOWNEH");
        auto list = std::make_unique<ui::TCustomImageList>(down.Width(), down.Height());
        list->AddMasked(down, ui::clFuchsia);
        list->AddMasked(ResourceBitmap("DBSMUPEH"), ui::clFuchsia);
        return list;
    }();
    return *images;
}

void StartDBGridExUnit()
{
    static const bool started = [] {
        RegisterDBGridExPropertyInterceptors();
        DBGridExStyle();
        DBGridExDataService();
        DBGridExSortIndexFont();
        // Each of the three is checked before any is registered.
        const QCursor down = ui::LoadCursorFromResourceName("DOWNCUREH");
        const QCursor right = ui::LoadCursorFromResourceName("RIGHTCUREH");
        const QCursor left = ui::LoadCursorFromResourceName("LEFTCUREH");
        ui::RegisterCursor(crDBGridExDown, down);
        ui::RegisterCursor(crDBGridExRight, right);
        ui::RegisterCursor(crDBGridExLeft, left);
        DBGridExSettings();
        DBGridExIndicatorImages();
        DBGridExSortMarkerImages();
        return true;
    }();
    (void)started;
}

TDBGridExResourcesUse::TDBGridExResourcesUse()
{
    StartDBGridExUnit();
    AcquireDrawBitmap();
}

TDBGridExResourcesUse::~TDBGridExResourcesUse()
{
    ReleaseDrawBitmap();
}

} // namespace grid
