#include "device_link/D2XXUnit.h"

#include <cstdio>

namespace device_link {

namespace {

TErrorBoxHook& errorBox()
{
    static TErrorBoxHook hook = [](const std::string& text) { std::fprintf(stderr, "Error: %s\n", text.c_str()); };
    return hook;
}

const char* const kStatusTexts[] = {
    nullptr,
    " - Invalid handle...",
    " - Device not found...",
    " - Device not opened...",
    " - General IO error...",
    " - Insufficient resources...",
    " - Invalid parameter...",
    " - Invalid baud rate...",
    " Device not opened for erase...",
    " Device not opened for write...",
    " - Failed to write...",
    " - EEPROM read failed...",
    " - EEPROM write failed...",
    " - EEPROM erase failed...",
    " - EEPROM not present...",
    " - EEPROM not programmed...",
    " - Invalid arguments...",
    " - Other error ...",
};

} // namespace

bool D2XXShowErrors = true;

TD2XXList& D2XXDevices()
{
    static TD2XXList list;
    return list;
}

io::FT_STATUS CreateInfoList()
{
    const io::FT_STATUS status = io::FT_CreateDeviceInfoList(&D2XXDevices().Count);
    if (status != io::FT_OK) ShowError("FT_CreateDeviceInfoList", status);
    return status;
}

io::FT_STATUS GetInfoList()
{
    auto& list = D2XXDevices();
    list.Nodes.assign(list.Count, io::FT_DEVICE_LIST_INFO_NODE{});
    std::uint32_t count = list.Count;
    const io::FT_STATUS status = io::FT_GetDeviceInfoList(list.Nodes.data(), &count);
    if (status != io::FT_OK) {
        ShowError("FT_GetDeviceInfoList", status);
        return status;
    }
    // Bridges may have gone since the count was taken.
    list.Count = count;
    list.Nodes.resize(count);
    return status;
}

std::string D2XXErrorText(const std::string& functionName, io::FT_STATUS status)
{
    if (status == 0 || status >= std::size(kStatusTexts)) return {};
    return functionName + kStatusTexts[status];
}

void ShowError(const std::string& functionName, io::FT_STATUS status)
{
    if (!D2XXShowErrors || status == io::FT_OK) return;
    if (errorBox()) errorBox()(D2XXErrorText(functionName, status));
}

void SetD2XXErrorBox(TErrorBoxHook hook) { errorBox() = std::move(hook); }

} // namespace device_link
