#pragma once
// A serial line (or pseudo-terminal) opened by path: raw termios settings with any
// bit rate, modem signals, queue counts, purge, and reads and writes bounded in time.
//
// The descriptor is non-blocking; waits go through poll. One thread may read while
// another writes; Close must not run while another thread uses the line (callers
// guard that).
#include <cstddef>
#include <cstdint>
#include <string>

namespace io {

// "COMn" is /dev/ttyS(n-1); any other name is taken below /dev ("ttyUSB0", "pts/3").
std::string SerialDevicePath(const std::string& name);

// clang-format off
enum class SerialParity : std::uint8_t { None, Odd, Even, Mark, Space };
enum class SerialStopBits : std::uint8_t { One, OneAndHalf, Two };
// clang-format on

struct SerialSettings {
    std::uint32_t BaudRate = 9600; // any value; non-standard rates use the kernel's custom rate
    int DataBits = 8;              // 5 to 8
    SerialParity Parity = SerialParity::None;
    SerialStopBits StopBits = SerialStopBits::One; // OneAndHalf is the two-stop-bit setting (1.5 at 5 bits)
    bool RtsCtsFlow = false;
    bool XonXoff = false;
    std::uint8_t XonChar = 17;
    std::uint8_t XoffChar = 19;
};

// Modem input signals as GetModemSignals reports them.
// clang-format off
enum SerialSignal : unsigned { sigCTS = 1, sigDSR = 2, sigRING = 4, sigDCD = 8 };
// clang-format on

class SerialLine {
public:
    SerialLine() = default;
    ~SerialLine() { Close(); }
    SerialLine(const SerialLine&) = delete;
    SerialLine& operator=(const SerialLine&) = delete;

    // Opens an existing terminal device for reading and writing, exclusively (no second
    // open by this or another program). False with errno set when it does not open.
    bool Open(const std::string& path);
    void Close();
    bool IsOpen() const { return fd_ >= 0; }
    int Handle() const { return fd_; }

    // Raw mode with the given line settings. False when the device refuses them.
    bool Apply(const SerialSettings& settings);
    // Output signals. A line without modem signals (a pseudo-terminal) accepts and ignores them.
    bool SetDTR(bool on);
    bool SetRTS(bool on);
    // Present input signals (SerialSignal bits); false when they cannot be read.
    bool GetModemSignals(unsigned& signals) const;
    // Empties the chosen queues, dropping what they hold.
    bool Purge(bool input, bool output);

    // Bytes waiting to be read; -1 when the count cannot be read.
    int BytesWaiting() const;
    // Bytes written but not yet sent; -1 when the count cannot be read.
    int OutputQueued() const;
    // True when the device has hung up or failed (the far end or the device is gone).
    bool HungUp() const;

    // Reads up to count bytes that are already waiting; 0 when none, -1 on failure.
    long ReadAvailable(void* buffer, std::size_t count);
    // Waits until a byte can be read or timeoutMs passes; true when one can.
    bool WaitReadable(int timeoutMs) const;
    // Writes what the line takes within timeoutMs; bytes written, -1 on failure.
    long Write(const void* buffer, std::size_t count, int timeoutMs);

private:
    bool ModemBits(unsigned long request, int bits);

    int fd_ = -1;
};

} // namespace io
