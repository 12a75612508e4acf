#pragma once
// The clipboard with named formats. A registered name maps to a MIME type: "Csv" to
// "text/csv", "Rich Text Format" to "text/rtf", "KVDBIF" to "application/x-kvdbif",
// any other name to "application/x-" plus the name in lower case. Named formats carry
// their bytes unchanged; plain text is 8-bit Windows-1252 text.
//
// Outside an Open/Close bracket every Set replaces the clipboard's contents; inside
// one, the first Set empties it and later ones add formats, published at Close.
#include <memory>
#include <string>

class QMimeData;

namespace ui {

using TClipboardFormat = unsigned;
// clang-format off
enum : TClipboardFormat { CF_TEXT = 1, CF_UNICODETEXT = 13 };
// clang-format on

// The format number of a name; the same name always gives the same number.
TClipboardFormat RegisterClipboardFormat(const std::string& name);
// The MIME type a format travels as.
std::string ClipboardFormatMimeType(TClipboardFormat format);

class TClipboard {
public:
    TClipboard();
    ~TClipboard();

    void Open();
    void Close();
    void Clear();
    bool HasFormat(TClipboardFormat format) const;
    // The bytes of a format; empty when the clipboard lacks it.
    std::string GetAsBytes(TClipboardFormat format) const;
    void SetAsBytes(TClipboardFormat format, const std::string& bytes);
    std::string AsText() const;
    void SetAsText(const std::string& text);

private:
    QMimeData* pendingData();
    void publish();

    int openCount_ = 0;
    bool emptied_ = false;
    std::unique_ptr<QMimeData> pending_;
};

TClipboard& Clipboard();

// Whether the platform has a selection clipboard (X11: the text last selected anywhere,
// pasted with the middle mouse button).
bool SelectionClipboardSupported();

// While it lives, Clipboard() reads and writes the selection clipboard instead of the
// clipboard (where the platform has one), so that a middle-click paste runs through
// the same paste operation as Ctrl+V.
class TSelectionClipboardScope {
public:
    TSelectionClipboardScope();
    ~TSelectionClipboardScope();
    TSelectionClipboardScope(const TSelectionClipboardScope&) = delete;
    TSelectionClipboardScope& operator=(const TSelectionClipboardScope&) = delete;

private:
    bool previous_;
};

} // namespace ui
