#include "support/Snapshot.h"

#include <filesystem>

#include <QImage>
#include <QPixmap>
#include <QWidget>

namespace testsupport {

std::string SaveSnapshot(const QImage& image, const std::string& library, const std::string& name)
{
    const std::filesystem::path dir = std::filesystem::path(KV_SNAPSHOT_DIR) / library;
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    const std::string path = (dir / (name + ".png")).string();
    return image.save(QString::fromStdString(path), "PNG") ? path : std::string();
}

std::string SaveSnapshot(QWidget* widget, const std::string& library, const std::string& name)
{
    return SaveSnapshot(widget->grab().toImage(), library, name);
}

} // namespace testsupport
