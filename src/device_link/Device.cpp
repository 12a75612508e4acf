#include "device_link/Device.h"

#include <atomic>
#include <chrono>
#include <thread>

#include "device_link/DeviceManager.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/StdControls.h"

namespace device_link {

namespace {

constexpr std::uint8_t kDisconnectCommand = 0x18;
constexpr int kGaugeMax = 500;
constexpr int kGaugeAlarm = 100;

std::unique_ptr<TCom> MakeTransport(std::uint8_t kind)
{
    switch (kind) {
    case dkUSB: return std::make_unique<TComUSB>();
    case dkCOM: return std::make_unique<TComCom>();
    case dkTCP: return std::make_unique<TComTCP>();
    default: return nullptr;
    }
}

std::uint64_t NewSettingsStamp()
{
    static std::atomic<std::uint64_t> last{0};
    return ++last;
}

std::vector<std::string> SplitDots(const std::string& text)
{
    std::vector<std::string> parts(1);
    for (const char c : text) {
        if (c == '.') parts.emplace_back();
        else parts.back() += c;
    }
    return parts;
}

} // namespace

TDevice::TDevice(std::uint8_t kind, TDeviceManager* manager)
    : Kind(kind), Manager(manager), settingsStamp_(NewSettingsStamp())
{
    transport_ = MakeTransport(kind);
    if (transport_) ToggleListeners();
    rdsView_ = CreateDeviceRDSView();
    if (rdsView_) rdsView_->SetDevice(this);
    automaton_ = std::make_unique<TProtocolAutomata>();
    if (rdsView_) automaton_->OnFrame = TFrameEvent(rdsView_.get(), &IDeviceRDSView::ProcessFrame);
    gauge_ = std::make_unique<ui::TGauge>();
    gauge_->SetMinValue(0);
    gauge_->SetMaxValue(kGaugeMax);
    gauge_->SetBackColor(ui::clWhite);
    gauge_->SetForeColor(ui::clRed);
    gauge_->SetAlarmColor(ui::clRed);
    gauge_->SetAlarmLevel(kGaugeAlarm);
    gauge_->SetShowText(false);
}

TDevice::~TDevice()
{
    gauge_.reset();
    automaton_.reset();
    rdsView_.reset();
    if (transport_) {
        ToggleListeners();
        transport_->Close(stDisconnected);
        transport_.reset(); // stops and waits for its threads
    }
}

void TDevice::ToggleListeners()
{
    transport_->AddDataListener(1, {this, &TDevice::OnData});
    transport_->AddStateListener({this, &TDevice::OnState});
    transport_->AddStatsListener({this, &TDevice::OnStats});
}

// ---------------------------------------------------------------------------
// Link

bool TDevice::Connect()
{
    if (!transport_) return false;
    const bool opened = transport_->Open();
    if (Manager && Manager->OnConnectChange) Manager->OnConnectChange(this, 0);
    return opened;
}

void TDevice::Disconnect()
{
    if (!transport_) return;
    SendBytes({kDisconnectCommand});
    transport_->Close(stDisconnected);
    if (Manager && Manager->OnConnectChange) Manager->OnConnectChange(this, 1);
}

bool TDevice::IsConnected() const { return transport_ && transport_->IsConnected(); }

void TDevice::SendBytes(const TBArray& bytes)
{
    if (!transport_) return;
    TBArray frame;
    TProtocolAutomata::BuildFrame(bytes, frame);
    transport_->SendData(frame);
}

void TDevice::SendText(const std::string& text)
{
    if (!transport_) return;
    TBArray frame;
    TProtocolAutomata::BuildFrameStr(text, frame);
    transport_->SendData(frame);
}

void TDevice::SetMuted(bool value)
{
    if (transport_) transport_->Muted = value ? 1 : 0;
}

template <typename Change>
void TDevice::Relink(Change change)
{
    const bool wasConnected = transport_->IsConnected();
    if (wasConnected) transport_->Close(stDisconnected);
    change();
    if (!wasConnected) return;
    // The reader thread carries out the close; an Open before that would be refused
    // as "still connected" and the link would stay down.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ReopenWaitMs);
    while (transport_->IsConnected() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    transport_->Open();
}

// ---------------------------------------------------------------------------
// Address and identity

std::string TDevice::GetIPText() const
{
    return std::to_string(IP[0]) + '.' + std::to_string(IP[1]) + '.' + std::to_string(IP[2]) + '.'
           + std::to_string(IP[3]);
}

void TDevice::SetIPText(const std::string& text)
{
    const auto parts = SplitDots(text);
    std::array<std::uint8_t, 4> octets{255, 255, 255, 255};
    if (parts.size() == 4)
        for (std::size_t i = 0; i < 4; ++i) octets[i] = static_cast<std::uint8_t>(rtl::StrToInt(parts[i]));
    IP = octets;
    ApplyToView();
    if (Kind != dkTCP || !transport_) return;
    auto& tcp = static_cast<TComTCP&>(*transport_);
    Relink([&] { tcp.SetHost(GetIPText()); });
}

std::uint8_t TDevice::GetIPByte(int i) const { return i >= 0 && i < 4 ? IP[i] : 255; }

void TDevice::SetIPByte(int i, std::uint8_t value)
{
    if (i < 0 || i > 3) return;
    IP[i] = value;
    ApplyToView();
    if (Kind != dkTCP || !transport_) return;
    auto& tcp = static_cast<TComTCP&>(*transport_);
    Relink([&] { tcp.SetHost(GetIPText()); });
}

void TDevice::SetComPort(const std::string& name)
{
    if (Kind != dkCOM || !transport_) return;
    ComPort = name;
    ApplyToView();
    auto& com = static_cast<TComCom&>(*transport_);
    Relink([&] { com.SetPortName(name); });
}

void TDevice::SetUsbSerial(const std::string& serial)
{
    if (Kind != dkUSB || !transport_) return;
    UsbSerial = serial;
    ApplyToView();
    auto& usb = static_cast<TComUSB&>(*transport_);
    Relink([&] { usb.SetSerial(serial); });
}

std::string TDevice::GetTypeText() const
{
    switch (Kind) {
    case dkUSB: return "USB";
    case dkCOM: return "COM";
    case dkTCP: return "TCP";
    default: return {};
    }
}

std::string TDevice::GetAddressText() const
{
    switch (Kind) {
    case dkUSB: return UsbSerial;
    case dkCOM: return ComPort;
    case dkTCP: return GetIPText();
    default: return {};
    }
}

std::string TDevice::GetPassword() const
{
    std::string login = Password.substr(0, 4);
    login.resize(4, ' ');
    return login;
}

std::string TDevice::GetUnitName() const { return UnitName.empty() ? "Unknown" : UnitName; }

std::string TDevice::GetFirmware() const { return Firmware.empty() ? "Unknown" : Firmware; }

void TDevice::SetConfigured(std::uint8_t value)
{
    Configured = value;
    OnState(stIdle);
}

// ---------------------------------------------------------------------------
// Settings

void TDevice::GetSettings(TDeviceSettings& settings)
{
    if (settingsStream_.GetSize() == static_cast<std::int64_t>(TDeviceSettings::kSize)) {
        settings = TDeviceSettings::FromBytes(settingsStream_.Memory());
        return;
    }
    DefaultSettings(settings);
    SetSettings(settings);
}

void TDevice::DefaultSettings(TDeviceSettings& settings) { settings = TDeviceSettings{}; }

void TDevice::SetSettings(const TDeviceSettings& settings)
{
    const auto bytes = settings.ToBytes();
    settingsStream_.Clear();
    settingsStream_.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
    settingsStamp_ = NewSettingsStamp();
    ApplyToView();
}

void TDevice::LoadSettings(rtl::TStream& stream)
{
    settingsStream_.LoadFromStream(stream);
    settingsStamp_ = NewSettingsStamp();
    ApplyToView();
}

void TDevice::ApplyToView()
{
    if (rdsView_) rdsView_->ApplySettings();
}

// ---------------------------------------------------------------------------
// Transport listeners

void TDevice::OnData(const TArray& packet)
{
    if (packet.size() > kPacketTimeSize) automaton_->Feed(packet.data(), packet.size() - kPacketTimeSize);
    if (Manager && Manager->OnData) Manager->OnData(this, packet);
}

void TDevice::OnState(TStatus code)
{
    State = code;
    if (code >= stDisconnected && code <= stUnableToConnect) automaton_->Reset();
    if (Manager && Manager->OnDeviceState) Manager->OnDeviceState(this, code);
}

void TDevice::OnStats(const TComStats& stats)
{
    gauge_->SetProgress(stats.Pending);
    gauge_->SetForeColor(stats.Pending > kGaugeAlarm ? ui::clRed : ui::clLime);
    if (Manager && Manager->OnBufferStatus) Manager->OnBufferStatus(this, stats);
}

} // namespace device_link
