#include "platform/ui/Resources.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPixmap>

#include "platform/rtl/SysUtils.h"
#include "platform/ui/Bitmap.h"

namespace ui {

namespace {

const char* const kRoot = ":/kv/ui";

// The resource file of a name (any letter case, any image ending), empty when none.
QString pathOf(const std::string& name)
{
    const QDir dir(kRoot);
    for (const QString& file : dir.entryList(QDir::Files))
        if (QFileInfo(file).completeBaseName().compare(QString::fromStdString(name), Qt::CaseInsensitive) == 0)
            return dir.filePath(file);
    return {};
}

// The hot spot an XPM image carries after its sizes ("w h colours chars x y"); (0, 0)
// when it has none.
QPoint hotSpotOf(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    for (QByteArray line = f.readLine(); !line.isEmpty(); line = f.readLine()) {
        const int open = line.indexOf('"');
        if (open < 0) continue;
        const QList<QByteArray> values = line.mid(open + 1, line.indexOf('"', open + 1) - open - 1).simplified().split(' ');
        if (values.size() >= 6) return {values[4].toInt(), values[5].toInt()};
        return {};
    }
    return {};
}

} // namespace

std::vector<std::string> ResourceNames()
{
    std::vector<std::string> names;
    for (const QString& file : QDir(kRoot).entryList(QDir::Files))
        names.push_back(QFileInfo(file).completeBaseName().toUpper().toStdString());
    return names;
}

bool HasResource(const std::string& name) { return !pathOf(name).isEmpty(); }

void LoadBitmapFromResourceName(TBitmap& bitmap, const std::string& name)
{
    const QString path = pathOf(name);
    QImage image;
    if (path.isEmpty() || !image.load(path)) throw EResNotFound(rtl::Format("Resource %s not found", name));
    bitmap.SetImage(image.convertToFormat(QImage::Format_RGB32));
}

QCursor LoadCursorFromResourceName(const std::string& name)
{
    const QString path = pathOf(name);
    QPixmap pixmap;
    if (path.isEmpty() || !pixmap.load(path)) throw EOutOfResources("Cannot load cursor resource");
    const QPoint hot = hotSpotOf(path);
    return QCursor(pixmap, hot.x(), hot.y());
}

} // namespace ui
