#pragma once
// Shared pieces of the editor tests.
#include <initializer_list>
#include <memory>
#include <string>

#include <QImage>

#include "platform/ui/Bitmap.h"

#include "platform/ui/InputState.h"
#include "platform/ui/Timer.h"
#include "platform/ui/UiTestSupport.h"
#include "support/Snapshot.h"

namespace editorstest {

// Writes what a control drew to build/snapshots/editors/<name>.png for people to look at.
inline void WriteSnapshot(const std::string& name, const QImage& image)
{
    testsupport::SaveSnapshot(image, "editors", name);
}

// An image list of 16 x height images filled with the given colours.
inline std::unique_ptr<ui::TCustomImageList> SolidImages(std::initializer_list<ui::TColor> colours, int height = 16)
{
    auto images = std::make_unique<ui::TCustomImageList>(16, height);
    for (ui::TColor c : colours) {
        ui::TBitmap b(16, height);
        b.Canvas().Brush().SetColor(c);
        b.Canvas().FillRect({0, 0, 16, height});
        images->Add(b);
    }
    return images;
}

} // namespace editorstest
