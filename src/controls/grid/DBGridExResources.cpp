#include "controls/grid/DBGridExResources.h"

namespace grid {

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
        f.SetHeight(1 - SortMarkerGlyphHeight);
        return f;
    }();
    return font;
}

} // namespace grid
