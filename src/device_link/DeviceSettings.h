#pragma once
// The per-unit settings record: 100 bytes kept unchanged in the unit row's CONFIG
// column, holding the presets, the unit's log filter, the band analyzer options and
// its colours. Integers are little-endian; colours are 32-bit values, 0x00BBGGRR for a
// plain colour and 0xFF0000nn for system colour nn. The member defaults are the
// defaults of a new unit.
#include <array>
#include <cstddef>
#include <cstdint>

namespace device_link {

struct TDeviceSettings {
    static constexpr std::size_t kSize = 100;
    using TBytes = std::array<std::uint8_t, kSize>;

    // Presets in 100 kHz steps (875 = 87.5 MHz).              offset
    std::uint16_t Preset1 = 875; // 0
    std::uint16_t Preset2 = 875; // 2
    std::uint16_t Preset3 = 875; // 4
    // Log filter: 0 stops logging of the item codes a byte governs.
    std::uint8_t LogUnitEnabled = 1; // 6
    std::uint8_t LogNegotiation = 1; // 7
    std::uint8_t LogPI = 1;          // 8
    std::uint8_t LogTP = 1;          // 9
    std::uint8_t LogPTY = 1;         // 10
    // LogGroup[n] is the byte of RDS group n.                  // 11 to 26
    std::array<std::uint8_t, 16> LogGroup{1, 0, 1, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    std::uint8_t LogFreq = 1;     // 27
    std::uint8_t LogSource = 1;   // 28
    std::uint8_t LogRDSMode = 1;  // 29
    std::uint8_t LogStereo = 0;   // 30
    std::uint8_t LogRDSLock = 0;  // 31
    std::uint8_t LogRFLevel = 0;  // 32
    std::uint8_t LogMPXLevel = 0; // 33
    std::uint8_t LogBandScan = 0; // 34
    // Band analyzer.
    std::int32_t ObserveTimeMs = 5000;               // 36
    std::int32_t ScanStep = 10;                      // 10 kHz units                40
    std::int32_t ScanFrom = 875;                     // 100 kHz steps               44
    std::int32_t ScanTo = 1080;                      // 48
    std::uint8_t Smooth = 1;                         // 52
    std::uint8_t ShowBalloons = 1;                   // 53
    std::uint8_t ZoomMode = 0;                       // 0 from centre, 1 from marker 54
    std::uint8_t InfoAutoOpen = 1;                   // 55
    std::uint8_t BandBorder = 1;                     // 56
    std::uint8_t BandFill = 1;                       // 57
    std::uint32_t BandBorderColor = 0x0000FF;        // 60
    std::uint32_t BandFillColor = 0xFF0000;          // 64
    std::uint32_t GraphBackgroundColor = 0xFF00000F; // 68 (button face)
    std::uint32_t GraphGridColor = 0x000000;         // 72
    std::uint32_t GraphCursorsColor = 0x008000;      // 76
    std::uint32_t GraphAxisColor = 0x000000;         // 80
    std::uint32_t BalloonBorderColor = 0x000000;     // 84
    std::uint32_t BalloonTextColor = 0x000000;       // 88
    std::uint32_t BalloonInactiveColor = 0xDDFFFF;   // 92
    std::uint32_t BalloonActiveColor = 0x00FF00;     // 96

    // The stored form; the padding bytes 35, 58 and 59 are 0.
    TBytes ToBytes() const;
    // Reads the stored form (kSize bytes); the padding bytes are not read.
    static TDeviceSettings FromBytes(const std::uint8_t* bytes);

    friend bool operator==(const TDeviceSettings&, const TDeviceSettings&) = default;
};

} // namespace device_link
