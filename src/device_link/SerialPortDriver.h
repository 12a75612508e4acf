#pragma once
// A general serial port component: opens a port by path, applies the line settings,
// reads and writes with time-outs, and can deliver received data by itself from a
// main-loop timer (the timer reader), as raw data or cut into packets.
//
// Threads: Connect, the setters and the timer reader run on the thread that created
// the component. Another thread may read (CountRX, ReadData) and close (Disconnect)
// while this one writes (SendData); closing waits for a write in progress.
#include <atomic>
#include <cstdint>
#include <memory>
#include <shared_mutex>
#include <string>
#include <vector>

#include "platform/io/SerialLine.h"
#include "platform/rtl/Component.h"
#include "platform/rtl/Delegate.h"

class QTimer;

namespace device_link {

// clang-format off
enum TPortNumber : std::uint8_t {
    pnCustom, pnCOM1, pnCOM2, pnCOM3, pnCOM4, pnCOM5, pnCOM6, pnCOM7, pnCOM8,
    pnCOM9, pnCOM10, pnCOM11, pnCOM12, pnCOM13, pnCOM14, pnCOM15, pnCOM16
};
enum TBaudRate : std::uint8_t {
    brCustom, br110, br300, br600, br1200, br2400, br4800, br9600, br14400, br19200,
    br38400, br56000, br57600, br115200, br128000, br256000
};
enum TDataBits : std::uint8_t { db5BITS, db6BITS, db7BITS, db8BITS };
enum TStopBits : std::uint8_t { sb1BITS, sb1HALFBITS, sb2BITS };
enum TParity : std::uint8_t { ptNONE, ptODD, ptEVEN, ptMARK, ptSPACE };
enum THwFlowControl : std::uint8_t { hfNONE, hfNONERTSON, hfRTSCTS };
enum TSwFlowControl : std::uint8_t { sfNONE, sfXONXOFF };
enum TPacketMode : std::uint8_t { pmDiscard, pmPass };

// Line signals that GetLineStatus reports (a set of these bits).
enum TLineStatus : std::uint8_t { lsCTS = 1, lsDSR = 2, lsRING = 4, lsRLSD = 8 };
// clang-format on

class TSerialPortDriver;
using TReceiveDataEvent = rtl::Delegate<void(TSerialPortDriver*, const std::uint8_t*, std::uint32_t)>;
using TReceivePacketEvent = rtl::Delegate<void(TSerialPortDriver*, const std::uint8_t*, std::uint32_t)>;

// Bits per second of a TBaudRate; 0 for brCustom.
std::uint32_t BaudRateValueOf(TBaudRate rate);

class TSerialPortDriver : public rtl::TComponent {
public:
    explicit TSerialPortDriver(rtl::TComponent* owner = nullptr);
    ~TSerialPortDriver() override; // Disconnect

    // Setting COMn sets PortName to its device path; PortName sets Port to pnCustom.
    // Both change only while closed.
    TPortNumber GetPort() const { return port_; }
    void SetPort(TPortNumber value);
    std::string GetPortName() const { return portName_; }
    void SetPortName(const std::string& value);

    // Line settings; a change while open is applied at once.
    TBaudRate GetBaudRate() const { return baudRate_; }
    void SetBaudRate(TBaudRate value); // also sets BaudRateValue (not for brCustom)
    std::uint32_t GetBaudRateValue() const { return baudRateValue_; }
    void SetBaudRateValue(std::uint32_t value); // BaudRate becomes brCustom
    TDataBits GetDataBits() const { return dataBits_; }
    void SetDataBits(TDataBits value);
    TStopBits GetStopBits() const { return stopBits_; }
    void SetStopBits(TStopBits value);
    TParity GetParity() const { return parity_; }
    void SetParity(TParity value);
    THwFlowControl GetHwFlow() const { return hwFlow_; }
    void SetHwFlow(THwFlowControl value);
    TSwFlowControl GetSwFlow() const { return swFlow_; }
    void SetSwFlow(TSwFlowControl value);
    bool GetEnableDTROnOpen() const { return enableDTROnOpen_; }
    void SetEnableDTROnOpen(bool value);

    // Queue sizes, held to 128 ... 8192, changed only while closed. The input size is
    // also the receive buffer's size.
    std::uint32_t GetInBufSize() const { return inBufSize_; }
    void SetInBufSize(std::uint32_t value);
    std::uint32_t GetOutBufSize() const { return outBufSize_; }
    void SetOutBufSize(std::uint32_t value);

    // Timer reader: bytes per packet (-1: no packets, raw data), ms before a short
    // packet is handled (-1: never), whether such a packet is passed on, the period.
    std::int16_t GetPacketSize() const { return packetSize_; }
    void SetPacketSize(std::int16_t value);
    std::int32_t GetPacketTimeout() const { return packetTimeout_; }
    void SetPacketTimeout(std::int32_t value);
    TPacketMode GetPacketMode() const { return packetMode_; }
    void SetPacketMode(TPacketMode value) { packetMode_ = value; }
    std::uint16_t GetPollingDelay() const { return pollingDelay_; }
    void SetPollingDelay(std::uint16_t value);

    // Stored only; callers pass the write time-out to SendData.
    std::uint16_t OutputTimeout = 500;
    // ms without a new byte after which ReadData gives up.
    std::atomic<std::uint32_t> InputTimeout{200};
    // SendData stops when no line signal is present.
    std::atomic<bool> CheckLineStatus{false};

    TReceiveDataEvent OnReceiveData;
    TReceivePacketEvent OnReceivePacket;

    bool Connected() const;
    bool Connect();
    void Disconnect();
    // Applies the line settings to the open port, purges it and clears the packet timer.
    bool ApplyCommState();
    bool FlushBuffers(bool input, bool output);

    // Bytes waiting; 65535 when not open.
    std::uint32_t CountRX();
    // OutBufSize less what waits to be sent; -1 when not open.
    std::int32_t OutFreeSpace();
    // TLineStatus bits present; 0 when not open or unreadable.
    std::uint8_t GetLineStatus();
    // Bytes written within the time-out (restarted by every piece that goes out).
    std::uint32_t SendData(const void* data, std::uint32_t count, std::uint32_t timeoutMs);
    // Reads until count bytes came or InputTimeout passed without a new one; the timer
    // reader is paused meanwhile.
    std::uint32_t ReadData(void* buffer, std::uint32_t count);

    void PausePolling() { ++pauseCount_; }
    void ContinuePolling() { --pauseCount_; }
    int PauseCount() const { return pauseCount_.load(); }

    // One tick of the timer reader (the timer calls it).
    void TimerTick();

private:
    void RestartTimer();
    void StopTimer();
    std::uint32_t ReadWaiting(std::uint32_t limit);
    void ClearPacketTimer() { packetTimerStart_ = kNoTimer; }

    static constexpr std::int64_t kNoTimer = -1;

    TPortNumber port_ = pnCOM2;
    std::string portName_;
    TBaudRate baudRate_ = br9600;
    std::uint32_t baudRateValue_ = 9600;
    TDataBits dataBits_ = db8BITS;
    TStopBits stopBits_ = sb1BITS;
    TParity parity_ = ptNONE;
    THwFlowControl hwFlow_ = hfNONERTSON;
    TSwFlowControl swFlow_ = sfNONE;
    std::uint32_t inBufSize_ = 2048;
    std::uint32_t outBufSize_ = 2048;
    std::int16_t packetSize_ = -1;
    std::int32_t packetTimeout_ = -1;
    TPacketMode packetMode_ = pmDiscard;
    std::uint16_t pollingDelay_ = 50;
    bool enableDTROnOpen_ = true;

    // Held shared while the port is used, exclusively while it is opened or closed.
    mutable std::shared_mutex lineLock_;
    io::SerialLine line_;
    std::atomic<bool> open_{false};
    std::vector<std::uint8_t> receiveBuffer_;
    std::atomic<std::int64_t> packetTimerStart_{kNoTimer};
    std::atomic<int> pauseCount_{0};
    std::unique_ptr<QTimer> timer_;
};

} // namespace device_link
