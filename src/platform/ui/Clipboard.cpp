#include "platform/ui/Clipboard.h"

#include <algorithm>
#include <map>
#include <vector>

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include "platform/rtl/Exception.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/QtText.h"

namespace ui {

namespace {

constexpr TClipboardFormat kFirstNamed = 0xC000;
const char* const kTextMime = "text/plain";

std::vector<std::string>& registeredNames()
{
    static std::vector<std::string> names;
    return names;
}

QClipboard* systemClipboard()
{
    QClipboard* c = QGuiApplication::clipboard();
    if (!c) throw rtl::Exception("Cannot open clipboard");
    return c;
}

bool& selectionMode()
{
    static bool selection = false;
    return selection;
}

QClipboard::Mode mode()
{
    return selectionMode() && systemClipboard()->supportsSelection() ? QClipboard::Selection : QClipboard::Clipboard;
}

} // namespace

TClipboardFormat RegisterClipboardFormat(const std::string& name)
{
    auto& names = registeredNames();
    for (std::size_t i = 0; i < names.size(); ++i)
        if (rtl::CompareText(names[i], name) == 0) return kFirstNamed + static_cast<TClipboardFormat>(i);
    names.push_back(name);
    return kFirstNamed + static_cast<TClipboardFormat>(names.size() - 1);
}

std::string ClipboardFormatMimeType(TClipboardFormat format)
{
    if (format == CF_TEXT || format == CF_UNICODETEXT) return kTextMime;
    auto& names = registeredNames();
    if (format < kFirstNamed || format - kFirstNamed >= names.size())
        throw rtl::Exception("Unknown clipboard format " + std::to_string(format));
    const std::string& name = names[format - kFirstNamed];
    if (rtl::CompareText(name, "Csv") == 0) return "text/csv";
    if (rtl::CompareText(name, "Rich Text Format") == 0) return "text/rtf";
    if (rtl::CompareText(name, "KVDBIF") == 0) return "application/x-kvdbif";
    std::string lower = rtl::LowerCase(name);
    std::replace(lower.begin(), lower.end(), ' ', '-');
    return "application/x-" + lower;
}

TClipboard::TClipboard() = default;
TClipboard::~TClipboard() = default;

TClipboard& Clipboard()
{
    static TClipboard clipboard;
    return clipboard;
}

bool SelectionClipboardSupported()
{
    QClipboard* c = QGuiApplication::clipboard();
    return c && c->supportsSelection();
}

TSelectionClipboardScope::TSelectionClipboardScope() : previous_(selectionMode()) { selectionMode() = true; }

TSelectionClipboardScope::~TSelectionClipboardScope() { selectionMode() = previous_; }

void TClipboard::Open()
{
    if (openCount_++ == 0) emptied_ = false;
}

void TClipboard::Close()
{
    if (openCount_ == 0) return;
    if (--openCount_ == 0 && pending_) publish();
}

void TClipboard::Clear()
{
    if (openCount_ > 0) {
        pending_ = std::make_unique<QMimeData>();
        emptied_ = true;
        return;
    }
    systemClipboard()->clear(mode());
}

QMimeData* TClipboard::pendingData()
{
    if (openCount_ > 0 && !emptied_) {
        pending_ = std::make_unique<QMimeData>();
        emptied_ = true;
    }
    if (!pending_) pending_ = std::make_unique<QMimeData>();
    return pending_.get();
}

void TClipboard::publish()
{
    // The clipboard takes ownership of the data it is given.
    systemClipboard()->setMimeData(pending_.release(), mode());
}

bool TClipboard::HasFormat(TClipboardFormat format) const
{
    const std::string mime = ClipboardFormatMimeType(format);
    if (openCount_ > 0 && pending_) return pending_->hasFormat(QString::fromStdString(mime));
    const QMimeData* data = systemClipboard()->mimeData(mode());
    return data && data->hasFormat(QString::fromStdString(mime));
}

std::string TClipboard::GetAsBytes(TClipboardFormat format) const
{
    if (format == CF_TEXT || format == CF_UNICODETEXT) return AsText();
    const QString mime = QString::fromStdString(ClipboardFormatMimeType(format));
    const QMimeData* data = (openCount_ > 0 && pending_) ? pending_.get() : systemClipboard()->mimeData(mode());
    if (!data || !data->hasFormat(mime)) return {};
    QByteArray bytes = data->data(mime);
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

void TClipboard::SetAsBytes(TClipboardFormat format, const std::string& bytes)
{
    if (format == CF_TEXT || format == CF_UNICODETEXT) {
        SetAsText(bytes);
        return;
    }
    const QString mime = QString::fromStdString(ClipboardFormatMimeType(format));
    if (openCount_ == 0) pending_.reset();
    pendingData()->setData(mime, QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
    if (openCount_ == 0) publish();
}

std::string TClipboard::AsText() const
{
    const QMimeData* data = (openCount_ > 0 && pending_) ? pending_.get() : systemClipboard()->mimeData(mode());
    if (!data || !data->hasText()) return {};
    return FromQString(data->text());
}

void TClipboard::SetAsText(const std::string& text)
{
    if (openCount_ == 0) pending_.reset();
    pendingData()->setText(ToQString(text));
    if (openCount_ == 0) publish();
}

} // namespace ui
