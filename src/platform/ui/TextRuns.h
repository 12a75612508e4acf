#pragma once
// Lines of text shaped once and drawn again. Shaping (turning characters into placed
// glyphs) is most of what drawing a text costs, and a grid draws the same texts screen
// after screen: the glyphs a single line of text lays out into in a font are kept, with
// the line's width, by font and text, and drawn from there the next time. Laying a line
// out for keeping costs more than drawing it once, so a text is kept from its second use
// on: one seen only once (a record number paged past) costs no more than before.
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include <QFont>
#include <QGlyphRun>
#include <QList>

namespace ui {

// One line of text laid out in a font.
struct TTextRun {
    QList<QGlyphRun> Glyphs; // placed with the line's top at 0
    int Width = 0;           // the line's advance, as QFontMetrics::horizontalAdvance gives it
    double Ascent = 0;       // where the line's baseline lies below its top
};

// A bounded store of laid-out lines by font and 8-bit text. It keeps the lines used
// lately: between Capacity and twice as many, the older ones going first.
class TTextRuns {
public:
    explicit TTextRuns(std::size_t capacity = 2048) : capacity_(capacity) {}

    // Whether a text can be kept: one line (no control characters) of at most 255 bytes and
    // no soft hyphen (which a laid-out line shows at its end and a drawn text does not).
    static bool Takes(std::string_view text);
    // The line laid out in the font (numbered by FontNumber): the kept one, else, when the
    // text was used before, laid out now and kept. nullptr for a text used the first time
    // (lately): the caller draws it as Qt does. Only for texts it takes.
    const TTextRun* Use(const QFont& font, unsigned fontNumber, std::string_view text);
    // The kept line, nullptr when there is none.
    const TTextRun* Find(unsigned fontNumber, std::string_view text);
    std::size_t Count() const { return recent_.size() + older_.size(); }
    std::size_t Capacity() const { return capacity_; }
    // Forgets every line and every use.
    void Clear();

private:
    struct TKey {
        unsigned Font;
        std::string Text;
    };
    struct TKeyView {
        unsigned Font;
        std::string_view Text;
    };
    struct THash {
        using is_transparent = void;
        std::size_t operator()(const TKeyView& k) const noexcept
        {
            return std::hash<std::string_view>()(k.Text) ^ (std::size_t(k.Font) * 0x9E3779B97F4A7C15ull);
        }
        std::size_t operator()(const TKey& k) const noexcept { return (*this)(TKeyView{k.Font, k.Text}); }
    };
    struct TEqual {
        using is_transparent = void;
        static TKeyView View(const TKey& k) { return {k.Font, k.Text}; }
        static TKeyView View(const TKeyView& k) { return k; }
        template <typename A, typename B>
        bool operator()(const A& a, const B& b) const noexcept
        {
            return View(a).Font == View(b).Font && View(a).Text == View(b).Text;
        }
    };
    using TMap = std::unordered_map<TKey, TTextRun, THash, TEqual>;

    TTextRun& keep(TKey key, TTextRun run);

    std::size_t capacity_;
    TMap recent_, older_;
    // The texts used once lately, by hash (a rare shared hash only keeps a text early).
    std::unordered_set<std::size_t> usedOnce_;
};

// The store the canvases share; painting happens on the main thread only.
TTextRuns& TextRuns();

// A number for each distinct Qt font: equal fonts get the same number, and 0 is none.
unsigned FontNumber(const QFont& font);

} // namespace ui
