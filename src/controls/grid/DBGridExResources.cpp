#include "controls/grid/DBGridExResources.h"

#include "platform/ui/Bitmap.h"
#include "platform/ui/Resources.h"

namespace grid {

TDBGridExSettings& DBGridExSettings()
{
    static TDBGridExSettings settings;
    return settings;
}

const ui::TFont& DBGridExSortIndexFont()
{
    static const ui::TFont font = [] {
        ui::TBitmap marker;
        ui::LoadBitmapFromResourceName(marker, "DBSMDOWNEH");
        ui::TFont f;
        f.SetName("Arial");
        f.SetHeight(1 - marker.Height());
        return f;
    }();
    return font;
}

} // namespace grid
