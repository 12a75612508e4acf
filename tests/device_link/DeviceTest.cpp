// The unit object and its settings record, without a live link.
#include <gtest/gtest.h>

#include "DeviceFakes.h"
#include "platform/rtl/Exception.h"
#include "platform/ui/StdControls.h"
#include "simulator/UnitSimulator.h"

using namespace device_link;
using devtest::FakeRDSView;
using devtest::FakeViewFactory;

namespace {

TArray WithTimeTail(TArray bytes)
{
    AppendPacketTime(bytes, 45000.5);
    return bytes;
}

TArray Frame(std::uint32_t seq, std::uint8_t code, TBArray data)
{
    return sim::BuildUnitFrame(seq, {{code, std::move(data)}});
}

class DeviceFixture : public ::testing::Test {
protected:
    devtest::FakeHardware hardware;
    FakeViewFactory views;
    TDeviceManager manager{nullptr};
    devtest::ManagerEvents events;

    void SetUp() override { events.Attach(manager); }
};

} // namespace

TEST(DeviceSettingsTest, DefaultsInTheStoredLayout)
{
    const auto b = TDeviceSettings{}.ToBytes();
    ASSERT_EQ(b.size(), 100u);
    const auto u16 = [&](int at) { return b[at] | b[at + 1] << 8; };
    const auto u32 = [&](int at) { return std::uint32_t(b[at]) | b[at + 1] << 8 | b[at + 2] << 16 | std::uint32_t(b[at + 3]) << 24; };
    EXPECT_EQ(u16(0), 875);
    EXPECT_EQ(u16(2), 875);
    EXPECT_EQ(u16(4), 875);
    // The log filter bytes 6 to 34.
    const std::vector<int> filter{1, 1, 1, 1, 1, 1, 0, 1, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 0, 0, 0, 0, 0};
    EXPECT_EQ(std::vector<int>(b.begin() + 6, b.begin() + 35), filter);
    EXPECT_EQ(b[35], 0);
    EXPECT_EQ(u32(36), 5000u);
    EXPECT_EQ(u32(40), 10u);
    EXPECT_EQ(u32(44), 875u);
    EXPECT_EQ(u32(48), 1080u);
    EXPECT_EQ(std::vector<int>(b.begin() + 52, b.begin() + 60), (std::vector<int>{1, 1, 0, 1, 1, 1, 0, 0}));
    const std::vector<std::uint32_t> colours{0x0000FF, 0xFF0000, 0xFF00000F, 0, 0x008000, 0, 0, 0, 0xDDFFFF, 0x00FF00};
    for (std::size_t i = 0; i < colours.size(); ++i) EXPECT_EQ(u32(60 + 4 * static_cast<int>(i)), colours[i]) << i;
}

TEST(DeviceSettingsTest, EveryFieldSurvivesTheBytesAndPaddingIsIgnored)
{
    TDeviceSettings s;
    s.Preset1 = 1080;
    s.Preset2 = 0xFFFF;
    s.Preset3 = 901;
    s.LogUnitEnabled = 0;
    s.LogPTY = 0;
    s.LogGroup[1] = 1;
    s.LogGroup[15] = 1;
    s.LogBandScan = 1;
    s.ObserveTimeMs = -2;
    s.ScanStep = 3;
    s.ScanFrom = 880;
    s.ScanTo = 1079;
    s.ZoomMode = 1;
    s.BandFill = 0;
    s.GraphBackgroundColor = 0x12345678;
    s.BalloonActiveColor = 0xFF000005;
    auto bytes = s.ToBytes();
    EXPECT_EQ(bytes[0], 0x38); // 1080 little-endian
    EXPECT_EQ(bytes[1], 0x04);
    EXPECT_EQ(bytes[12], 1); // group 1
    EXPECT_EQ(bytes[26], 1); // group 15
    EXPECT_EQ(bytes[36], 0xFE);
    EXPECT_EQ(bytes[39], 0xFF);
    EXPECT_EQ(bytes[68], 0x78);
    EXPECT_EQ(bytes[71], 0x12);
    bytes[35] = bytes[58] = bytes[59] = 0xAA;
    EXPECT_EQ(TDeviceSettings::FromBytes(bytes.data()), s);
}

TEST_F(DeviceFixture, SettingsStreamOfTheWrongSizeGivesTheDefaults)
{
    TDevice unit(dkTCP, &manager);
    FakeRDSView* view = FakeViewFactory::ViewOf(&unit);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->Device, &unit);

    // A stored CONFIG of 99 bytes.
    rtl::TMemoryStream config;
    const std::vector<std::uint8_t> short99(99, 0x55);
    config.WriteBuffer(short99.data(), 99);
    unit.LoadSettings(config);
    EXPECT_GE(view->Applied, 1);
    EXPECT_EQ(view->Settings, TDeviceSettings{});
    TDeviceSettings read;
    read.Preset1 = 1;
    unit.GetSettings(read);
    EXPECT_EQ(read, TDeviceSettings{});
    ASSERT_EQ(unit.GetSettingsStream().GetSize(), 100);
    const auto defaults = TDeviceSettings{}.ToBytes();
    EXPECT_TRUE(std::equal(defaults.begin(), defaults.end(), unit.GetSettingsStream().Memory()));

    // A stored record of 100 bytes is read as it is.
    TDeviceSettings mine;
    mine.Preset2 = 999;
    mine.LogGroup[7] = 1;
    const auto bytes = mine.ToBytes();
    rtl::TMemoryStream stored;
    stored.WriteBuffer(bytes.data(), 100); // position at the end: the whole stream is taken anyway
    const int applied = view->Applied;
    unit.LoadSettings(stored);
    EXPECT_EQ(view->Applied, applied + 1);
    EXPECT_EQ(view->Settings, mine);

    TDeviceSettings changed = mine;
    changed.ScanTo = 1000;
    unit.SetSettings(changed);
    EXPECT_EQ(view->Applied, applied + 2);
    unit.GetSettings(read);
    EXPECT_EQ(read, changed);
}

TEST_F(DeviceFixture, PasswordNamesAndTexts)
{
    TDevice usb(dkUSB, &manager), com(dkCOM, &manager), tcp(dkTCP, &manager);
    usb.Password = "ab";
    EXPECT_EQ(usb.GetPassword(), "ab  ");
    usb.Password = "abcdef";
    EXPECT_EQ(usb.GetPassword(), "abcd");
    usb.Password = "";
    EXPECT_EQ(usb.GetPassword(), "    ");

    EXPECT_EQ(usb.GetUnitName(), "Unknown");
    EXPECT_EQ(usb.GetFirmware(), "Unknown");
    usb.UnitName = "Roof";
    usb.Firmware = "1.07";
    EXPECT_EQ(usb.GetUnitName(), "Roof");
    EXPECT_EQ(usb.GetFirmware(), "1.07");

    usb.SetUsbSerial("KV01");
    usb.SetComPort("COM3"); // not a serial unit: ignored
    com.SetComPort("COM3");
    com.SetUsbSerial("KV01");
    tcp.SetIPText("10.0.0.9");
    EXPECT_EQ(usb.GetTypeText(), "USB");
    EXPECT_EQ(com.GetTypeText(), "COM");
    EXPECT_EQ(tcp.GetTypeText(), "TCP");
    EXPECT_EQ(usb.GetAddressText(), "KV01");
    EXPECT_EQ(usb.ComPort, "");
    EXPECT_EQ(com.GetAddressText(), "COM3");
    EXPECT_EQ(com.UsbSerial, "");
    EXPECT_EQ(tcp.GetAddressText(), "10.0.0.9");
    EXPECT_EQ(static_cast<TComUSB*>(usb.GetTransport())->GetSerial(), "KV01");
    EXPECT_EQ(static_cast<TComCom*>(com.GetTransport())->GetPortName(), "COM3");
    EXPECT_EQ(usb.State, stIdle);
    EXPECT_EQ(usb.Pos, -1);
}

TEST_F(DeviceFixture, IPAddressText)
{
    TDevice unit(dkTCP, &manager);
    auto& tcp = static_cast<TComTCP&>(*unit.GetTransport());
    unit.SetIPText("10.1.2.3");
    EXPECT_EQ(unit.GetIPText(), "10.1.2.3");
    EXPECT_EQ(tcp.GetHost(), "10.1.2.3");

    unit.SetIPText("10.1.2");
    EXPECT_EQ(unit.GetIPText(), "255.255.255.255");
    EXPECT_EQ(tcp.GetHost(), "255.255.255.255");
    unit.SetIPText("1.2.3.4.5");
    EXPECT_EQ(unit.GetIPText(), "255.255.255.255");
    unit.SetIPText("");
    EXPECT_EQ(unit.GetIPText(), "255.255.255.255");

    // Each octet is the low byte of the part's value.
    unit.SetIPText("300.-1.$10. 7");
    EXPECT_EQ(unit.GetIPText(), "44.255.16.7");

    unit.SetIPText("192.168.0.1");
    EXPECT_THROW(unit.SetIPText("10.x.0.1"), rtl::EConvertError);
    EXPECT_THROW(unit.SetIPText("10..0.1"), rtl::EConvertError);
    EXPECT_EQ(unit.GetIPText(), "192.168.0.1"); // a failed change leaves the address whole

    EXPECT_EQ(unit.GetIPByte(0), 192);
    EXPECT_EQ(unit.GetIPByte(3), 1);
    EXPECT_EQ(unit.GetIPByte(4), 255);
    EXPECT_EQ(unit.GetIPByte(-1), 255);
    unit.SetIPByte(2, 7);
    unit.SetIPByte(4, 9);
    EXPECT_EQ(unit.GetIPText(), "192.168.7.1");
    EXPECT_EQ(tcp.GetHost(), "192.168.7.1");
}

TEST_F(DeviceFixture, AUnitWithoutTransportDoesNothing)
{
    TDevice unit(4, &manager);
    EXPECT_EQ(unit.GetTransport(), nullptr);
    EXPECT_FALSE(unit.Connect());
    EXPECT_FALSE(unit.IsConnected());
    unit.Disconnect();
    unit.SendBytes({0x01});
    unit.SendText("x");
    unit.SetMuted(false);
    unit.SetIPText("1.2.3.4");
    EXPECT_EQ(unit.GetIPText(), "1.2.3.4");
    EXPECT_EQ(unit.GetTypeText(), "");
    EXPECT_EQ(unit.GetAddressText(), "");
    EXPECT_TRUE(events.Values("action").empty());

    // A unit with a transport tells of Connect and Disconnect even when they fail.
    TDevice tcp(dkTCP, &manager);
    EXPECT_FALSE(tcp.Connect()); // no host
    tcp.Disconnect();
    EXPECT_EQ(events.Values("action", &tcp), (std::vector<int>{0, 1}));
    EXPECT_THROW(tcp.SendBytes(TBArray(256, 1)), rtl::Exception);
}

TEST_F(DeviceFixture, LinkStatesResetTheAutomatonForLostLinksOnly)
{
    TDevice unit(dkTCP, &manager);
    FakeRDSView* view = FakeViewFactory::ViewOf(&unit);
    const TArray frame = Frame(9, 0x05, {0x01, 0x02});
    const std::size_t cut = frame.size() / 2;
    for (int code = stConnected; code <= stConnecting; ++code) {
        view->Frames.clear();
        unit.OnData(WithTimeTail(TArray(frame.begin(), frame.begin() + cut)));
        unit.OnState(static_cast<TStatus>(code));
        unit.OnData(WithTimeTail(TArray(frame.begin() + cut, frame.end())));
        EXPECT_EQ(unit.State, code);
        const bool reset = code >= 1 && code <= 7;
        EXPECT_EQ(view->Frames.size(), reset ? 0u : 1u) << "state " << code;
    }
    std::vector<int> all;
    for (int code = stConnected; code <= stConnecting; ++code) all.push_back(code);
    EXPECT_EQ(events.Values("state", &unit), all);

    unit.SetConfigured(1);
    EXPECT_EQ(unit.Configured, 1);
    EXPECT_EQ(unit.State, stIdle);
    EXPECT_EQ(events.Values("state", &unit).back(), stIdle);
}

TEST_F(DeviceFixture, PacketsReachTheAutomatonWithoutTheirTimeTail)
{
    TDevice unit(dkCOM, &manager);
    FakeRDSView* view = FakeViewFactory::ViewOf(&unit);
    const TArray frame = Frame(0x01020304, 0x07, {0xAA});
    // The frame's last byte comes in a packet of its own: had the time tail of the
    // first packet gone to the automaton, the frame would be broken.
    const TArray first = WithTimeTail(TArray(frame.begin(), frame.end() - 1));
    const TArray second = WithTimeTail(TArray(frame.end() - 1, frame.end()));
    unit.OnData(first);
    unit.OnData(second);
    ASSERT_EQ(view->Frames.size(), 1u);
    EXPECT_EQ(view->Frames[0].Seq, 0x01020304u);
    ASSERT_EQ(view->Frames[0].Items.size(), 1u);
    EXPECT_EQ(view->Frames[0].Items[0].first, 0x07);
    EXPECT_EQ(view->Frames[0].Items[0].second, TBArray{0xAA});
    // The manager gets the whole packets.
    EXPECT_EQ(events.Values("data", &unit), (std::vector<int>{int(first.size()), int(second.size())}));

    unit.OnData(TArray{1, 2, 3}); // shorter than a time tail
    unit.OnData(WithTimeTail({}));
    EXPECT_EQ(view->Frames.size(), 1u);
    EXPECT_EQ(events.Values("data", &unit).size(), 4u);
}

TEST_F(DeviceFixture, TheGaugeTurnsRedAbove100)
{
    TDevice unit(dkUSB, &manager);
    ui::TGauge& gauge = unit.GetGauge();
    EXPECT_EQ(gauge.MinValue(), 0);
    EXPECT_EQ(gauge.MaxValue(), 500);
    EXPECT_EQ(gauge.BackColor(), ui::clWhite);
    EXPECT_FALSE(gauge.ShowText());

    TComStats stats;
    stats.Pending = 100;
    unit.OnStats(stats);
    EXPECT_EQ(gauge.Progress(), 100);
    EXPECT_EQ(gauge.BarColor(), ui::clLime);
    stats.Pending = 101;
    unit.OnStats(stats);
    EXPECT_EQ(gauge.Progress(), 101);
    EXPECT_EQ(gauge.BarColor(), ui::clRed);
    stats.Pending = 3;
    unit.OnStats(stats);
    EXPECT_EQ(gauge.BarColor(), ui::clLime);
    EXPECT_EQ(events.Values("stats", &unit), (std::vector<int>{100, 101, 3}));
}

TEST(DeviceWithoutViewsTest, AUnitWorksWithoutAView)
{
    devtest::FakeHardware hardware;
    TDeviceManager manager(nullptr);
    TDevice unit(dkCOM, &manager);
    EXPECT_EQ(unit.GetRdsView(), nullptr);
    unit.OnData(WithTimeTail(Frame(1, 1, {2})));
    TDeviceSettings s;
    s.Preset1 = 1000;
    unit.SetSettings(s);
    TDeviceSettings read;
    unit.GetSettings(read);
    EXPECT_EQ(read.Preset1, 1000);

    // Nor does a unit need a manager or the manager's events.
    TDevice alone(dkTCP, nullptr);
    alone.OnState(stDisconnected);
    alone.OnStats(TComStats{});
    alone.OnData(WithTimeTail({}));
    EXPECT_FALSE(alone.Connect());
    alone.Disconnect();
    EXPECT_EQ(alone.State, stDisconnected);
}
