#pragma once
// The edit-mask subset that the grid's in-place edit needs: a mask of character
// classes and literals, how a value is laid into it, what the user may type where,
// and the value read back. Pure text logic; the in-place edit drives it.
//
// Mask text: "<mask>[;<save literals 0|1>[;<blank char>]]", defaults "1" and '_'.
// Mask characters:
//   L letter (required)   l letter (optional)
//   A letter or digit     a letter or digit (optional)
//   C any character       c any character (optional)
//   0 digit               9 digit (optional)      # digit, '+' or '-' (optional)
//   > upper case from here   < lower case from here   <> no case conversion
//   \ the next character is a literal   _ a literal blank (space)
//   ! accepted for compatibility, no effect
// Any other character is a literal.
#include <string>
#include <vector>

namespace ui {

class TEditMask {
public:
    TEditMask() = default;
    explicit TEditMask(const std::string& mask) { SetMask(mask); }

    void SetMask(const std::string& mask);
    const std::string& GetMask() const { return mask_; }
    // True when a mask is set (an empty mask edits freely).
    bool IsMasked() const { return !positions_.empty(); }
    bool SaveLiterals() const { return saveLiterals_; }
    char BlankChar() const { return blank_; }
    int Length() const { return static_cast<int>(positions_.size()); }

    // The display text with no character entered: literals and blanks.
    std::string EmptyText() const;
    // Lays a value into the mask, its characters filling the editable positions in
    // order; with saved literals a literal that stands in the value at its place is
    // passed over. Characters the mask refuses become blanks.
    std::string FormatText(const std::string& value) const;
    // The value of a display text: blanks read as spaces; literals are left out unless
    // they are saved.
    std::string ValueOf(const std::string& display) const;

    bool IsLiteral(int pos) const;
    // The entered character at pos after case conversion, or '\0' when the mask does
    // not take ch there (or pos is a literal or outside the mask).
    char Accept(int pos, char ch) const;
    // First editable position at or after pos (Length() when none).
    int NextEditable(int pos) const;
    // Last editable position at or before pos (-1 when none).
    int PriorEditable(int pos) const;
    // First required position that is still blank in display, -1 when complete.
    int FirstMissing(const std::string& display) const;

private:
    // clang-format off
    enum class Kind { Literal, Letter, AlphaNum, AnyChar, Digit, DigitOrSign };
    enum class Case { None, Upper, Lower };
    // clang-format on
    struct Position {
        Kind kind = Kind::Literal;
        bool required = false;
        Case caseMode = Case::None;
        char literal = ' ';
    };

    std::string mask_;
    std::vector<Position> positions_;
    bool saveLiterals_ = true;
    char blank_ = '_';
};

} // namespace ui
