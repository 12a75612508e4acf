#include "device_link/DeviceSettings.h"

#include "platform/rtl/ByteOrder.h"

namespace device_link {

namespace {

// Field by field over the stored layout, one routine for both directions so the
// offsets are written down once.
template <typename Settings, typename Bytes, typename Visit>
void Layout(Settings& s, Bytes* b, Visit visit)
{
    visit(b + 0, s.Preset1);
    visit(b + 2, s.Preset2);
    visit(b + 4, s.Preset3);
    visit(b + 6, s.LogUnitEnabled);
    visit(b + 7, s.LogNegotiation);
    visit(b + 8, s.LogPI);
    visit(b + 9, s.LogTP);
    visit(b + 10, s.LogPTY);
    for (std::size_t g = 0; g < s.LogGroup.size(); ++g) visit(b + 11 + g, s.LogGroup[g]);
    visit(b + 27, s.LogFreq);
    visit(b + 28, s.LogSource);
    visit(b + 29, s.LogRDSMode);
    visit(b + 30, s.LogStereo);
    visit(b + 31, s.LogRDSLock);
    visit(b + 32, s.LogRFLevel);
    visit(b + 33, s.LogMPXLevel);
    visit(b + 34, s.LogBandScan);
    visit(b + 36, s.ObserveTimeMs);
    visit(b + 40, s.ScanStep);
    visit(b + 44, s.ScanFrom);
    visit(b + 48, s.ScanTo);
    visit(b + 52, s.Smooth);
    visit(b + 53, s.ShowBalloons);
    visit(b + 54, s.ZoomMode);
    visit(b + 55, s.InfoAutoOpen);
    visit(b + 56, s.BandBorder);
    visit(b + 57, s.BandFill);
    visit(b + 60, s.BandBorderColor);
    visit(b + 64, s.BandFillColor);
    visit(b + 68, s.GraphBackgroundColor);
    visit(b + 72, s.GraphGridColor);
    visit(b + 76, s.GraphCursorsColor);
    visit(b + 80, s.GraphAxisColor);
    visit(b + 84, s.BalloonBorderColor);
    visit(b + 88, s.BalloonTextColor);
    visit(b + 92, s.BalloonInactiveColor);
    visit(b + 96, s.BalloonActiveColor);
}

using Writer = rtl::LittleEndianWriter;
using Reader = rtl::LittleEndianReader;

} // namespace

TDeviceSettings::TBytes TDeviceSettings::ToBytes() const
{
    TBytes bytes{};
    Layout(*this, bytes.data(), Writer{});
    return bytes;
}

TDeviceSettings TDeviceSettings::FromBytes(const std::uint8_t* bytes)
{
    TDeviceSettings s;
    Layout(s, bytes, Reader{});
    return s;
}

} // namespace device_link
