#pragma once
// The list of attached USB bridges for the unit manager, and the report of bridge
// driver failures to the operator. Main thread only.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/io/UsbBridge.h"

namespace device_link {

// The bridge list of the last CreateInfoList/GetInfoList.
struct TD2XXList {
    std::uint32_t Count = 0;
    std::vector<io::FT_DEVICE_LIST_INFO_NODE> Nodes;
};
TD2XXList& D2XXDevices();

// ShowError reports only while this is on (the default).
extern bool D2XXShowErrors;

// Scans for bridges into D2XXDevices().Count; reports a failure. Returns the driver status.
io::FT_STATUS CreateInfoList();
// Sizes the node array to the count and fills it; reports a failure. Returns the driver status.
io::FT_STATUS GetInfoList();

// The message for a failed driver call: the function name and the text for the status;
// empty for a status without a text.
std::string D2XXErrorText(const std::string& functionName, io::FT_STATUS status);
// Shows D2XXErrorText in an error message box when reporting is on and status is not 0.
void ShowError(const std::string& functionName, io::FT_STATUS status);

// The error message box: the ui layer points this at its own; by default the text
// goes to standard error.
using TErrorBoxHook = std::function<void(const std::string& text)>;
void SetD2XXErrorBox(TErrorBoxHook hook);

} // namespace device_link
