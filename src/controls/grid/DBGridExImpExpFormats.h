#pragma once
// The byte formats of the grid's exports as they are read back: the tokens of
// tab-separated text and the cells of the binary cell format "KVDBIF". Both readers
// take their bytes from a stream one at a time; the KVDBIF reader never trusts a length
// it reads: every length is checked against the bytes that are left before anything is
// read or allocated for it, and a broken block raises rtl::Exception with the format's
// message.
//
// KVDBIF, all integers little-endian: a 12-byte header ("KVDBIF" and a 0 byte, a
// version byte, the signed 32-bit column count N); per column a visible byte and a
// NUL-terminated name; then the cells, N per record, each a tag byte and its payload;
// tag 0 ends the data.
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/rtl/Stream.h"
#include "platform/rtl/Variant.h"

namespace grid {

namespace kvdbif {

inline constexpr char Signature[7] = {'K', 'V', 'D', 'B', 'I', 'F', '\0'};
inline constexpr std::uint8_t Version = 1;
inline constexpr int HeaderSize = 12;

enum TCellTag : std::uint8_t {
    ctEnd = 0,     // end of data
    ctNoValue = 1, // the column has no field, or its type has no cell form
    ctNull = 2,
    ctInteger = 3, // signed 32-bit
    ctFloat = 4,   // 64-bit IEEE double
    ctText = 5,    // signed 32-bit length, then the bytes
    ctOther = 6    // other data as text, laid out as ctText
};

} // namespace kvdbif

// "TDBGridExImportAsKVDBIF.ReadPrefix: Invalid KVDBIF format"
std::string InvalidKVDBIFFormatMessage();

// Tab-separated text: cells separated by TAB, lines by CR LF, or by a lone LF or CR as
// other programs end their lines. Every text reads: there is no broken one.
class TTextCellReader {
public:
    enum TTokenKind : std::uint8_t {
        tkChar = 0, // an ordinary character
        tkTab = 1,
        tkLineEnd = 2, // CR LF, LF or CR
        tkEnd = 3      // no byte left
    };

    explicit TTextCellReader(rtl::TStream& stream) : stream_(stream) {}

    // Reads the next token; at the end of the stream the end of data is reached.
    void CheckState();
    TTokenKind Kind() const { return kind_; }
    bool EndOfData() const { return endOfData_; }

    // The cells of one line from the current token on, each handed to cell(position,
    // text) with its place in the line (counting from 0), then the first token of the
    // next line. A TAB ending the line stands for no cell; two TABs in a row for an empty
    // one. Nothing at the end of data.
    template <typename Fn>
    void ReadRecord(Fn&& cell)
    {
        if (kind_ == tkEnd) return;
        int position = 0;
        if (kind_ == tkChar) cell(position++, readCell());
        while (kind_ == tkChar || kind_ == tkTab) {
            if (kind_ == tkTab) {
                CheckState();
                cell(position++, std::string());
            } else {
                cell(position++, readCell());
            }
        }
        if (kind_ == tkLineEnd) CheckState();
    }

private:
    // The cell starting at the current character, up to the next TAB, line end or end;
    // past a TAB, on the next cell's first token.
    std::string readCell();
    bool readChar(char& c);

    rtl::TStream& stream_;
    char current_ = 0;
    TTokenKind kind_ = tkEnd;
    bool endOfData_ = false;
};

// KVDBIF cells, after the header and the column list.
class TKVDBIFCellReader {
public:
    explicit TKVDBIFCellReader(rtl::TStream& stream);

    // Reads the header, the column list and the first value. A header whose column count
    // is not positive must be followed by the end of the data (its records would hold no
    // cell and never end).
    void ReadPrefix();
    int ColumnCount() const { return columnCount_; }
    // The column list: names (empty as this program writes them) with their visible flags.
    const std::vector<std::pair<std::string, bool>>& ColumnNames() const { return names_; }
    bool HasNames() const { return hasNames_; }
    std::uint8_t VersionRead() const { return version_; }

    // The value read last: Unassigned for tag 1 and unknown tags, Null, an integer, a
    // double or a text. Nothing more is read once the end tag came.
    const rtl::Variant& Value() const { return value_; }
    bool EndOfData() const { return endOfData_; }
    // Reads the next value.
    void ReadValue();

    // Whether a cell's value may go to the column at its position in the record.
    using TCellCheck = std::function<bool(int Position, const rtl::Variant& Value)>;
    // Raises the format error when the data from the stream's position on is not a whole
    // KVDBIF block up to its end tag, or when cellAllowed refuses one of its cells; the
    // position comes back where it was.
    static void Check(rtl::TStream& stream, const TCellCheck& cellAllowed = {});

private:
    [[noreturn]] static void fail();
    void readExactly(void* buffer, std::int64_t count);
    std::int32_t readInt32();
    std::string readText();

    rtl::TStream& stream_;
    std::int64_t size_;
    std::int32_t columnCount_ = 0;
    std::uint8_t version_ = 0;
    std::vector<std::pair<std::string, bool>> names_;
    bool hasNames_ = false;
    rtl::Variant value_;
    bool endOfData_ = false;
};

} // namespace grid
