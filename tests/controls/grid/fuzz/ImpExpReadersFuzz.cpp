// Any bytes read as tab-separated text or as KVDBIF cells, as the grid's import reads
// them: a text, or a KVDBIF block not refused up front with the format's error, is read
// through without an error to its end, each record taking bytes of the input, every text
// no longer than the input. The low bit of the first byte picks the format.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "controls/grid/DBGridExImpExpFormats.h"
#include "platform/rtl/Exception.h"

namespace {

using namespace grid;

void Require(bool condition)
{
    if (!condition) std::abort();
}

// The check up front; false when it refused the block (with the right message).
template <typename TReader>
bool Accepted(rtl::TStream& stream, const std::string& message)
{
    try {
        TReader::Check(stream);
    } catch (const rtl::Exception& e) {
        Require(e.Message == message);
        Require(stream.GetPosition() == 0);
        return false;
    }
    Require(stream.GetPosition() == 0);
    return true;
}

// Every text reads, without an error.
void ReadText(rtl::TMemoryStream& stream, std::size_t size)
{
    TTextCellReader reader(stream);
    std::size_t records = 0;
    std::size_t textBytes = 0;
    reader.CheckState();
    while (!reader.EndOfData()) {
        const std::int64_t before = stream.GetPosition();
        int expected = 0;
        reader.ReadRecord([&](int position, const std::string& text) {
            Require(position == expected++);
            textBytes += text.size();
        });
        Require(stream.GetPosition() > before || reader.EndOfData());
        Require(++records <= size + 1);
    }
    Require(textBytes <= size);
}

void ReadKvdbif(rtl::TMemoryStream& stream, std::size_t size)
{
    const bool accepted = Accepted<TKVDBIFCellReader>(stream, InvalidKVDBIFFormatMessage());
    TKVDBIFCellReader reader(stream);
    std::size_t records = 0;
    try {
        reader.ReadPrefix();
        Require(reader.ColumnCount() > 0 || reader.EndOfData());
        Require(reader.ColumnNames().size() <= size);
        while (!reader.EndOfData()) {
            const std::int64_t before = stream.GetPosition();
            for (int i = 0; i < reader.ColumnCount(); ++i) {
                const rtl::Variant& value = reader.Value();
                const rtl::TVarType type = value.VarType();
                Require(type == rtl::varEmpty || type == rtl::varNull || type == rtl::varInteger
                        || type == rtl::varDouble || type == rtl::varString);
                if (value.IsStr()) Require(value.AsString().size() <= size);
                reader.ReadValue();
            }
            Require(stream.GetPosition() > before || reader.EndOfData());
            Require(++records <= size + 1);
        }
    } catch (const rtl::Exception& e) {
        Require(!accepted && e.Message == InvalidKVDBIFFormatMessage());
        return;
    }
    Require(accepted);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0) return 0;
    const bool binary = data[0] & 1;
    rtl::TMemoryStream stream;
    stream.WriteBuffer(data + 1, static_cast<std::int64_t>(size - 1));
    stream.SetPosition(0);
    if (binary) ReadKvdbif(stream, size - 1);
    else ReadText(stream, size - 1);
    return 0;
}
