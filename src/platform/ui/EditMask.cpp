#include "platform/ui/EditMask.h"

#include <cctype>

#include "platform/rtl/SysUtils.h"

namespace ui {

namespace {

// Letters of the 8-bit Windows-1252 text: ASCII letters and the accented ranges.
bool IsLetter1252(unsigned char c)
{
    if (std::isalpha(c)) return true;
    switch (c) {
    // clang-format off
    case 0x8A: case 0x8C: case 0x8E: case 0x9A: case 0x9C: case 0x9E: case 0x9F:
    case 0xAA: case 0xB5: case 0xBA:
        // clang-format on
        return true;
    default:
        return c >= 0xC0 && c != 0xD7 && c != 0xF7;
    }
}

// Splits at ';' that are not escaped by a backslash.
std::vector<std::string> SplitFields(const std::string& text)
{
    std::vector<std::string> parts(1);
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\\' && i + 1 < text.size()) {
            parts.back() += c;
            parts.back() += text[++i];
        } else if (c == ';') {
            parts.emplace_back();
        } else {
            parts.back() += c;
        }
    }
    return parts;
}

} // namespace

void TEditMask::SetMask(const std::string& mask)
{
    mask_ = mask;
    positions_.clear();
    saveLiterals_ = true;
    blank_ = '_';
    if (mask.empty()) return;

    std::vector<std::string> parts = SplitFields(mask);
    // More than three fields: the extra separators belong to the mask itself.
    while (parts.size() > 3) {
        parts[0] += ';' + parts[1];
        parts.erase(parts.begin() + 1);
    }
    if (parts.size() >= 2 && !parts[1].empty()) saveLiterals_ = parts[1][0] != '0';
    if (parts.size() >= 3 && !parts[2].empty()) blank_ = parts[2][0];

    const std::string& m = parts[0];
    Case caseMode = Case::None;
    for (std::size_t i = 0; i < m.size(); ++i) {
        char c = m[i];
        Position p;
        p.caseMode = caseMode;
        switch (c) {
        case '>':
            caseMode = Case::Upper;
            continue;
        case '<':
            // clang-format off
            if (i + 1 < m.size() && m[i + 1] == '>') { caseMode = Case::None; ++i; }
            else caseMode = Case::Lower;
            // clang-format on
            continue;
        case '!':
            continue;
        case '\\':
            if (i + 1 < m.size()) p.literal = m[++i];
            else p.literal = '\\';
            break;
        case '_': p.literal = ' '; break;
        // clang-format off
        case 'L': p.kind = Kind::Letter; p.required = true; break;
        case 'l': p.kind = Kind::Letter; break;
        case 'A': p.kind = Kind::AlphaNum; p.required = true; break;
        case 'a': p.kind = Kind::AlphaNum; break;
        case 'C': p.kind = Kind::AnyChar; p.required = true; break;
        case 'c': p.kind = Kind::AnyChar; break;
        case '0': p.kind = Kind::Digit; p.required = true; break;
        // clang-format on
        case '9': p.kind = Kind::Digit; break;
        case '#': p.kind = Kind::DigitOrSign; break;
        default: p.literal = c; break;
        }
        positions_.push_back(p);
    }
}

bool TEditMask::IsLiteral(int pos) const
{
    return pos < 0 || pos >= Length() || positions_[pos].kind == Kind::Literal;
}

std::string TEditMask::EmptyText() const
{
    std::string s;
    s.reserve(positions_.size());
    for (const Position& p : positions_) s += p.kind == Kind::Literal ? p.literal : blank_;
    return s;
}

char TEditMask::Accept(int pos, char ch) const
{
    if (IsLiteral(pos)) return '\0';
    const Position& p = positions_[pos];
    auto u = static_cast<unsigned char>(ch);
    bool ok = false;
    switch (p.kind) {
    case Kind::Letter: ok = IsLetter1252(u); break;
    case Kind::AlphaNum: ok = IsLetter1252(u) || std::isdigit(u); break;
    case Kind::AnyChar: ok = u >= 32; break;
    case Kind::Digit: ok = std::isdigit(u); break;
    case Kind::DigitOrSign: ok = std::isdigit(u) || ch == '+' || ch == '-' || ch == ' '; break;
    case Kind::Literal: break;
    }
    if (!ok) return '\0';
    if (p.caseMode == Case::Upper) return rtl::AnsiUpperChar(ch);
    if (p.caseMode == Case::Lower) return rtl::AnsiLowerChar(ch);
    return ch;
}

std::string TEditMask::FormatText(const std::string& value) const
{
    if (!IsMasked()) return value;
    std::string out = EmptyText();
    std::size_t v = 0;
    for (int i = 0; i < Length(); ++i) {
        const Position& p = positions_[i];
        if (p.kind == Kind::Literal) {
            // A saved literal stands in the value at its own place.
            if (saveLiterals_ && v < value.size() && value[v] == p.literal) ++v;
            continue;
        }
        if (v >= value.size()) break;
        char c = value[v++];
        char accepted = Accept(i, c);
        if (accepted) out[i] = accepted;
    }
    return out;
}

std::string TEditMask::ValueOf(const std::string& display) const
{
    if (!IsMasked()) return display;
    std::string out;
    out.reserve(display.size());
    for (int i = 0; i < Length() && i < static_cast<int>(display.size()); ++i) {
        const Position& p = positions_[i];
        if (p.kind == Kind::Literal) {
            if (saveLiterals_) out += display[i];
        } else {
            out += display[i] == blank_ ? ' ' : display[i];
        }
    }
    return out;
}

int TEditMask::NextEditable(int pos) const
{
    if (pos < 0) pos = 0;
    while (pos < Length() && positions_[pos].kind == Kind::Literal) ++pos;
    return pos;
}

int TEditMask::PriorEditable(int pos) const
{
    if (pos >= Length()) pos = Length() - 1;
    while (pos >= 0 && positions_[pos].kind == Kind::Literal) --pos;
    return pos;
}

int TEditMask::FirstMissing(const std::string& display) const
{
    for (int i = 0; i < Length(); ++i) {
        const Position& p = positions_[i];
        if (!p.required) continue;
        if (i >= static_cast<int>(display.size()) || display[i] == blank_ || display[i] == ' ') return i;
    }
    return -1;
}

} // namespace ui
