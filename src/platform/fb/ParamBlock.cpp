#include "platform/fb/ParamBlock.h"


#include "platform/rtl/Exception.h"
#include "platform/rtl/SysUtils.h"

namespace fb {

void TParamBlock::AddString1(std::uint8_t tag, std::string_view text)
{
    if (text.size() > 255)
        throw rtl::EDatabaseError("Parameter value too long: " + std::string(text.substr(0, 32)) + "...");
    AddByte(tag);
    AddByte(static_cast<std::uint8_t>(text.size()));
    bytes_.append(text);
}

void TParamBlock::AddString2(std::uint8_t tag, std::string_view text)
{
    if (text.size() > 65535)
        throw rtl::EDatabaseError("Parameter value too long");
    AddByte(tag);
    AddByte(static_cast<std::uint8_t>(text.size() & 0xFF));
    AddByte(static_cast<std::uint8_t>(text.size() >> 8));
    bytes_.append(text);
}

void TParamBlock::AddInt1(std::uint8_t tag, std::uint32_t value)
{
    AddByte(tag);
    AddByte(4);
    for (int i = 0; i < 4; ++i)
        AddByte(static_cast<std::uint8_t>(value >> (8 * i)));
}

void TParamBlock::AddInt4(std::uint8_t tag, std::uint32_t value)
{
    AddByte(tag);
    for (int i = 0; i < 4; ++i)
        AddByte(static_cast<std::uint8_t>(value >> (8 * i)));
}

TParamLine ParseParamLine(std::string_view line)
{
    TParamLine result;
    auto eq = line.find('=');
    result.Name = rtl::LowerCase(rtl::Trim(line.substr(0, eq)));
    for (std::string_view prefix : {"isc_dpb_", "isc_tpb_", "isc_spb_"}) {
        if (result.Name.rfind(prefix, 0) == 0) {
            result.Name.erase(0, prefix.size());
            break;
        }
    }
    if (eq != std::string_view::npos) {
        result.Value = std::string(line.substr(eq + 1));
        result.HasValue = true;
    }
    return result;
}

} // namespace fb
