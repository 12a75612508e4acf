#pragma once
// One KV7200 unit as the program knows it: a unit of the unit list, a unit found
// attached to this computer, or both. It owns its transport, frame automaton, RDS
// view, settings record and backlog gauge; it frames and sends commands and passes
// its transport's events on to its manager. Main thread only.
#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "device_link/DeviceSettings.h"
#include "device_link/DeviceView.h"
#include "device_link/ProtocolAutomata.h"
#include "device_link/communication.h"
#include "platform/io/UsbBridge.h"
#include "platform/rtl/Persistent.h"
#include "platform/rtl/Stream.h"

namespace ui {
class TGauge;
}

namespace device_link {

class TDeviceManager;

// Device types, as the unit table stores them.
// clang-format off
enum : std::uint8_t { dkUSB = 1, dkCOM = 2, dkTCP = 3 };
// clang-format on

class TDevice : public rtl::TObject {
public:
    // Creates the transport for the kind (none for a kind other than 1 to 3), the RDS
    // view (when the views registered a factory), the automaton and the gauge.
    TDevice(std::uint8_t kind, TDeviceManager* manager);
    ~TDevice() override;
    TDevice(const TDevice&) = delete;
    TDevice& operator=(const TDevice&) = delete;

    const std::uint8_t Kind;
    TDeviceManager* const Manager;    // not owned; may be null
    std::string ComPort;              // serial units
    std::array<std::uint8_t, 4> IP{}; // octet 0 is the most significant
    std::int32_t TcpPort = 0;         // from the unit row; never used to connect
    std::string UsbSerial;            // USB units
    std::string Serial, Alias, UserId, Password;
    io::FT_DEVICE_LIST_INFO_NODE FtNode{}; // USB units found attached
    std::uint8_t Configured = 0;           // has a row in the unit list
    std::uint8_t Present = 0;              // found attached at the last detection
    std::int32_t Id = 0;                   // database id of the row
    std::int32_t Pos = -1;                 // position in the unit list; -1 until a row sets it
    TStatus State = stIdle;
    std::string UnitName, Firmware; // as the unit reports them (written by the view)
    std::int32_t MapX = 0, MapY = 0, MapLock = 0;
    // How long an address change waits for the old link to close before reopening.
    int ReopenWaitMs = 3000;

    TCom* GetTransport() const { return transport_.get(); }
    IDeviceRDSView* GetRdsView() const { return rdsView_.get(); }
    TProtocolAutomata& GetAutomaton() const { return *automaton_; }
    rtl::TMemoryStream& GetSettingsStream() { return settingsStream_; }
    ui::TGauge& GetGauge() const { return *gauge_; }

    // ---- link
    // Opens the transport and tells the manager (action 0); false without a transport.
    bool Connect();
    // Sends the command 0x18, closes the transport and tells the manager (action 1).
    void Disconnect();
    bool IsConnected() const;
    // Frames the command bytes and sends them; nothing without a transport. A frame
    // is at most 255 command bytes (rtl::Exception otherwise).
    void SendBytes(const TBArray& bytes);
    void SendText(const std::string& text);
    void SetMuted(bool value);

    // ---- address and identity (a new address is applied to the view with the settings,
    // the defaults for a unit that has none yet)
    std::string GetIPText() const;
    // Four dotted parts set the four octets to the low bytes of their integer values
    // (rtl::EConvertError for a part that is not one; then nothing changes); any other
    // number of parts gives 255.255.255.255. A connected TCP unit reconnects to the
    // new address.
    void SetIPText(const std::string& text);
    // Octet i (0 to 3); 255 for any other i.
    std::uint8_t GetIPByte(int i) const;
    void SetIPByte(int i, std::uint8_t value);
    // For a serial unit: the port name; a connected unit reconnects on the new port.
    void SetComPort(const std::string& name);
    // For a USB unit: the bridge serial; a connected unit reconnects to the new bridge.
    void SetUsbSerial(const std::string& serial);
    // "USB", "COM", "TCP"; empty for another kind.
    std::string GetTypeText() const;
    // The USB serial, the port name or the dotted address by kind; empty for another kind.
    std::string GetAddressText() const;
    // The login password: the first four characters, padded with blanks to four.
    std::string GetPassword() const;
    // "Unknown" until the unit has reported them.
    std::string GetUnitName() const;
    std::string GetFirmware() const;
    // Sets Configured and goes back to stIdle (told to the manager).
    void SetConfigured(std::uint8_t value);

    // ---- settings
    // The stored record; a stream of any size other than 100 bytes is replaced by
    // the defaults first.
    void GetSettings(TDeviceSettings& settings);
    static void DefaultSettings(TDeviceSettings& settings);
    // Stores the record and lets the view apply it.
    void SetSettings(const TDeviceSettings& settings);
    // Takes a copy of all of stream (the CONFIG bytes of the unit row, any size) and
    // lets the view apply it.
    void LoadSettings(rtl::TStream& stream);
    // Changes whenever the settings record does and is never the same for two units, so
    // what is worked out from a unit's record (its log filter) keeps while it is unchanged.
    std::uint64_t GetSettingsStamp() const { return settingsStamp_; }

    // ---- transport listeners (main thread)
    // Feeds the packet without its 8-byte time tail to the automaton, then tells the
    // manager with the whole packet.
    void OnData(const TArray& packet);
    // Takes the state; codes 1 to 7 (a lost or failed link) reset the automaton.
    void OnState(TStatus code);
    // Shows the backlog on the gauge, lime up to 100 and red above.
    void OnStats(const TComStats& stats);

private:
    void ToggleListeners();
    // Runs change, and reopens a link that was connected once the old one has closed.
    template <typename Change>
    void Relink(Change change);
    void ApplyToView();

    std::unique_ptr<TCom> transport_;
    std::unique_ptr<IDeviceRDSView> rdsView_;
    std::unique_ptr<TProtocolAutomata> automaton_;
    rtl::TMemoryStream settingsStream_;
    std::uint64_t settingsStamp_;
    std::unique_ptr<ui::TGauge> gauge_;
};

} // namespace device_link
