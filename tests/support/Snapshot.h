#pragma once
// Pictures of what a control drew, written for people to look at:
// build/snapshots/<library>/<name>.png.
#include <string>

class QImage;
class QWidget;

namespace testsupport {

// Writes the image; returns its path (empty when it could not be written).
std::string SaveSnapshot(const QImage& image, const std::string& library, const std::string& name);
// Renders the widget as it appears on screen and writes it.
std::string SaveSnapshot(QWidget* widget, const std::string& library, const std::string& name);

} // namespace testsupport
