#pragma once
// Bitmaps and cursors the program carries inside itself (resources/ui, compiled in as
// Qt resources), found by name with the letter case ignored: the grid's indicator
// glyphs and sort markers ("DBGARROWEH", "DBSMDOWNEH" ...) and its cursors
// ("DOWNCUREH" ...). A cursor's hot spot travels in its image file.
#include <string>
#include <vector>

#include <QCursor>

#include "platform/rtl/Exception.h"

namespace ui {

class TBitmap;

// A resource the program does not carry: "Resource %s not found".
class EResNotFound : public rtl::Exception {
    using rtl::Exception::Exception;
};
// A cursor the program does not carry: "Cannot load cursor resource".
class EOutOfResources : public rtl::Exception {
    using rtl::Exception::Exception;
};

// The names of the carried bitmaps and cursors, in upper case.
std::vector<std::string> ResourceNames();
bool HasResource(const std::string& name);
// Loads the named bitmap into bitmap; EResNotFound when there is none.
void LoadBitmapFromResourceName(TBitmap& bitmap, const std::string& name);
// The named cursor with its hot spot; EOutOfResources when there is none.
QCursor LoadCursorFromResourceName(const std::string& name);

} // namespace ui
