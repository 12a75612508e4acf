// Reading tab-separated text and KVDBIF cells back, with every length checked.
#include "controls/grid/DBGridExImpExpFormats.h"

#include <cstring>

#include "controls/grid/GridLibConsts.h"
#include "platform/rtl/ByteOrder.h"
#include "platform/rtl/Exception.h"

namespace grid {

std::string InvalidKVDBIFFormatMessage()
{
    return std::string("TDBGridExImportAsKVDBIF.ReadPrefix: ") + msg::InvalidKVDBIFFormat;
}

// ---- text

bool TTextCellReader::readChar(char& c)
{
    return stream_.Read(&c, 1) == 1;
}

void TTextCellReader::CheckState()
{
    if (!readChar(current_)) {
        kind_ = tkEnd;
        endOfData_ = true;
        return;
    }
    if (current_ == '\t') {
        kind_ = tkTab;
    } else if (current_ == '\r' || current_ == '\n') {
        // CR LF is one line end; a CR followed by anything else ends its line alone, and
        // what follows it is read again as the next line's first byte.
        char next = 0;
        if (current_ == '\r' && readChar(next) && next != '\n') stream_.SetPosition(stream_.GetPosition() - 1);
        kind_ = tkLineEnd;
    } else {
        kind_ = tkChar;
    }
}

std::string TTextCellReader::readCell()
{
    std::string text(1, current_);
    for (CheckState(); kind_ == tkChar; CheckState()) text += current_;
    if (kind_ == tkTab) CheckState();
    return text;
}

// ---- KVDBIF

TKVDBIFCellReader::TKVDBIFCellReader(rtl::TStream& stream) : stream_(stream), size_(stream.GetSize())
{
}

void TKVDBIFCellReader::fail()
{
    throw rtl::Exception(InvalidKVDBIFFormatMessage());
}

void TKVDBIFCellReader::readExactly(void* buffer, std::int64_t count)
{
    if (stream_.Read(buffer, count) != count) fail();
}

std::int32_t TKVDBIFCellReader::readInt32()
{
    std::uint8_t bytes[4];
    readExactly(bytes, 4);
    std::int32_t value = 0;
    rtl::LittleEndianReader()(bytes, value);
    return value;
}

std::string TKVDBIFCellReader::readText()
{
    const std::int32_t length = readInt32();
    // A length is believed only as far as the bytes left reach.
    if (length < 0 || length > size_ - stream_.GetPosition()) fail();
    std::string text(static_cast<std::size_t>(length), '\0');
    readExactly(text.data(), length);
    return text;
}

void TKVDBIFCellReader::ReadPrefix()
{
    std::uint8_t header[kvdbif::HeaderSize];
    readExactly(header, sizeof header);
    if (std::memcmp(header, kvdbif::Signature, sizeof kvdbif::Signature) != 0) fail();
    version_ = header[7];
    rtl::LittleEndianReader()(header + 8, columnCount_);
    for (std::int32_t i = 0; i < columnCount_; ++i) {
        std::uint8_t visible = 0;
        readExactly(&visible, 1);
        std::string name;
        for (char c = 0;;) {
            readExactly(&c, 1);
            if (c == '\0') break;
            name += c;
        }
        if (!name.empty()) hasNames_ = true;
        names_.emplace_back(std::move(name), visible != 0);
    }
    ReadValue();
    if (columnCount_ <= 0 && !endOfData_) fail();
}

void TKVDBIFCellReader::ReadValue()
{
    if (endOfData_) return;
    std::uint8_t tag = 0;
    readExactly(&tag, 1);
    value_ = rtl::Unassigned();
    switch (tag) {
    case kvdbif::ctEnd: endOfData_ = true; break;
    case kvdbif::ctNoValue: break;
    case kvdbif::ctNull: value_ = rtl::Null(); break;
    case kvdbif::ctInteger: value_ = rtl::Variant(static_cast<int>(readInt32())); break;
    case kvdbif::ctFloat: {
        std::uint8_t bytes[8];
        readExactly(bytes, 8);
        std::uint64_t bits = 0;
        rtl::LittleEndianReader()(bytes, bits);
        double value;
        std::memcpy(&value, &bits, sizeof value);
        value_ = rtl::Variant(value);
        break;
    }
    case kvdbif::ctText:
    case kvdbif::ctOther: value_ = rtl::Variant(readText()); break;
    default: break;
    }
}

void TKVDBIFCellReader::Check(rtl::TStream& stream, const TCellCheck& cellAllowed)
{
    const std::int64_t start = stream.GetPosition();
    try {
        TKVDBIFCellReader reader(stream);
        reader.ReadPrefix();
        for (int position = 0; !reader.EndOfData(); position = (position + 1) % reader.ColumnCount()) {
            if (cellAllowed && !cellAllowed(position, reader.Value())) fail();
            reader.ReadValue();
        }
    } catch (...) {
        stream.SetPosition(start);
        throw;
    }
    stream.SetPosition(start);
}

} // namespace grid
