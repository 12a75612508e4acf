#include "platform/ui/TextRuns.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include <QTextLayout>
#include <QTextOption>

#include "platform/ui/QtText.h"

namespace ui {

namespace {

constexpr std::size_t kLongestText = 255;
constexpr unsigned char kSoftHyphen = 0xAD;

TTextRun LayOut(const QFont& font, std::string_view text)
{
    QTextLayout layout(ToQString(text), font);
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    layout.endLayout();
    TTextRun run;
    if (!line.isValid()) return run;
    run.Glyphs = layout.glyphRuns();
    run.Width = static_cast<int>(std::lround(line.horizontalAdvance()));
    run.Ascent = line.ascent();
    return run;
}

} // namespace

bool TTextRuns::Takes(std::string_view text)
{
    return text.size() <= kLongestText && std::none_of(text.begin(), text.end(), [](char c) {
               const auto byte = static_cast<unsigned char>(c);
               return byte < 0x20 || byte == kSoftHyphen;
           });
}

const TTextRun* TTextRuns::Find(unsigned fontNumber, std::string_view text)
{
    const TKeyView key{fontNumber, text};
    if (const auto it = recent_.find(key); it != recent_.end()) return &it->second;
    const auto it = older_.find(key);
    if (it == older_.end()) return nullptr;
    // Used again: it goes with the recent lines.
    auto node = older_.extract(it);
    return &keep(std::move(node.key()), std::move(node.mapped()));
}

const TTextRun* TTextRuns::Use(const QFont& font, unsigned fontNumber, std::string_view text)
{
    if (const TTextRun* kept = Find(fontNumber, text)) return kept;
    const std::size_t hash = THash()(TKeyView{fontNumber, text});
    if (usedOnce_.erase(hash) == 0) {
        if (usedOnce_.size() >= 2 * capacity_) usedOnce_.clear();
        usedOnce_.insert(hash);
        return nullptr;
    }
    return &keep(TKey{fontNumber, std::string(text)}, LayOut(font, text));
}

void TTextRuns::Clear()
{
    recent_.clear();
    older_.clear();
    usedOnce_.clear();
}

TTextRun& TTextRuns::keep(TKey key, TTextRun run)
{
    if (recent_.size() >= capacity_) {
        older_ = std::move(recent_);
        recent_.clear();
    }
    return recent_.emplace(std::move(key), std::move(run)).first->second;
}

TTextRuns& TextRuns()
{
    static TTextRuns runs;
    return runs;
}

unsigned FontNumber(const QFont& font)
{
    static std::vector<QFont> known;
    const auto it = std::find(known.begin(), known.end(), font);
    if (it != known.end()) return static_cast<unsigned>(it - known.begin()) + 1;
    known.push_back(font);
    return static_cast<unsigned>(known.size());
}

} // namespace ui
