#pragma once
// Shared pieces of the editor tests.
#include <string>

#include <QImage>

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

} // namespace editorstest
