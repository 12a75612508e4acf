#include "device_link/SerialPortDriver.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <mutex>

#include <QThread>
#include <QTimer>

namespace device_link {

namespace {

constexpr std::uint32_t kMinQueue = 128;
constexpr std::uint32_t kMaxQueue = 8192;
constexpr int kMinPollingDelay = 5;
// One write call waits this long for the line to take bytes.
constexpr int kWritePieceWaitMs = 10;
// Between two reads of ReadData.
constexpr int kReadIntervalMs = 1;

constexpr std::uint32_t kBaudValues[] = {0, 110, 300, 600, 1200, 2400, 4800, 9600, 14400, 19200,
                                         38400, 56000, 57600, 115200, 128000, 256000};

std::int64_t NowMs()
{
    // clang-format off
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch()).count();
    // clang-format on
}

std::uint32_t ClampQueue(std::uint32_t value) { return std::clamp(value, kMinQueue, kMaxQueue); }

// Runs the call on the timer's thread: at once when already there, else queued.
template <typename F>
void OnTimerThread(QTimer* timer, F call)
{
    if (QThread::currentThread() == timer->thread()) call();
    else QMetaObject::invokeMethod(timer, call, Qt::QueuedConnection);
}

class PollingPause {
public:
    explicit PollingPause(TSerialPortDriver& port) : port_(port) { port_.PausePolling(); }
    ~PollingPause() { port_.ContinuePolling(); }
private:
    TSerialPortDriver& port_;
};

} // namespace

std::uint32_t BaudRateValueOf(TBaudRate rate)
{
    return rate <= br256000 ? kBaudValues[rate] : 0;
}

TSerialPortDriver::TSerialPortDriver(rtl::TComponent* owner)
    : rtl::TComponent(owner), portName_(io::SerialDevicePath("COM2")), receiveBuffer_(inBufSize_), timer_(std::make_unique<QTimer>())
{
    QObject::connect(timer_.get(), &QTimer::timeout, [this] { TimerTick(); });
}

TSerialPortDriver::~TSerialPortDriver() { Disconnect(); }

void TSerialPortDriver::SetPort(TPortNumber value)
{
    if (Connected()) return;
    port_ = value;
    if (value != pnCustom) portName_ = io::SerialDevicePath("COM" + std::to_string(static_cast<int>(value)));
}

void TSerialPortDriver::SetPortName(const std::string& value)
{
    if (Connected()) return;
    portName_ = value;
    port_ = pnCustom;
}

void TSerialPortDriver::SetBaudRate(TBaudRate value)
{
    baudRate_ = value;
    if (value != brCustom) baudRateValue_ = BaudRateValueOf(value);
    if (Connected()) ApplyCommState();
}

void TSerialPortDriver::SetBaudRateValue(std::uint32_t value)
{
    baudRateValue_ = value;
    baudRate_ = brCustom;
    if (Connected()) ApplyCommState();
}

void TSerialPortDriver::SetDataBits(TDataBits value)
{
    dataBits_ = value;
    if (Connected()) ApplyCommState();
}

void TSerialPortDriver::SetStopBits(TStopBits value)
{
    stopBits_ = value;
    if (Connected()) ApplyCommState();
}

void TSerialPortDriver::SetParity(TParity value)
{
    parity_ = value;
    if (Connected()) ApplyCommState();
}

void TSerialPortDriver::SetHwFlow(THwFlowControl value)
{
    hwFlow_ = value;
    if (Connected()) ApplyCommState();
}

void TSerialPortDriver::SetSwFlow(TSwFlowControl value)
{
    swFlow_ = value;
    if (Connected()) ApplyCommState();
}

void TSerialPortDriver::SetEnableDTROnOpen(bool value)
{
    enableDTROnOpen_ = value;
    if (Connected()) ApplyCommState();
}

void TSerialPortDriver::SetInBufSize(std::uint32_t value)
{
    if (Connected()) return;
    value = ClampQueue(value);
    if (value == inBufSize_) return;
    inBufSize_ = value;
    receiveBuffer_.assign(inBufSize_, 0);
    SetPacketSize(packetSize_);
}

void TSerialPortDriver::SetOutBufSize(std::uint32_t value)
{
    if (Connected()) return;
    outBufSize_ = ClampQueue(value);
}

void TSerialPortDriver::SetPacketSize(std::int16_t value)
{
    if (value < 1) value = -1;
    packetSize_ = value;
    if (value > 0 && static_cast<std::uint32_t>(value) > inBufSize_) SetInBufSize(static_cast<std::uint32_t>(value));
    // The receive buffer could not grow (open, or past its limit): a packet never
    // exceeds it.
    if (packetSize_ > 0 && static_cast<std::uint32_t>(packetSize_) > inBufSize_)
        packetSize_ = static_cast<std::int16_t>(inBufSize_);
}

void TSerialPortDriver::SetPacketTimeout(std::int32_t value)
{
    if (value < 1) packetTimeout_ = -1;
    else if (value < pollingDelay_) packetTimeout_ = pollingDelay_ + pollingDelay_ * 40 / 100;
    else packetTimeout_ = value;
}

void TSerialPortDriver::SetPollingDelay(std::uint16_t value)
{
    pollingDelay_ = std::max<std::uint16_t>(value, kMinPollingDelay);
    if (Connected()) RestartTimer();
    SetPacketTimeout(packetTimeout_);
}

bool TSerialPortDriver::Connected() const { return open_.load(); }

bool TSerialPortDriver::Connect()
{
    if (Connected()) return true;
    {
        std::unique_lock lock(lineLock_);
        if (!line_.Open(portName_)) return false;
        open_ = true;
    }
    if (!ApplyCommState()) {
        Disconnect();
        return false;
    }
    RestartTimer();
    return true;
}

void TSerialPortDriver::Disconnect()
{
    if (!Connected()) return;
    StopTimer();
    std::unique_lock lock(lineLock_);
    line_.Close();
    open_ = false;
}

bool TSerialPortDriver::ApplyCommState()
{
    std::shared_lock lock(lineLock_);
    if (!open_) return false;
    static constexpr io::SerialParity kParity[] = {io::SerialParity::None, io::SerialParity::Odd,
                                                   io::SerialParity::Even, io::SerialParity::Mark,
                                                   io::SerialParity::Space};
    static constexpr io::SerialStopBits kStop[] = {io::SerialStopBits::One, io::SerialStopBits::OneAndHalf,
                                                   io::SerialStopBits::Two};
    io::SerialSettings s;
    s.BaudRate = baudRateValue_;
    s.DataBits = static_cast<int>(dataBits_) + 5;
    s.Parity = kParity[parity_];
    s.StopBits = kStop[stopBits_];
    s.RtsCtsFlow = hwFlow_ == hfRTSCTS;
    s.XonXoff = swFlow_ == sfXONXOFF;
    bool ok = line_.Apply(s);
    ok = line_.SetDTR(enableDTROnOpen_) && ok;
    if (hwFlow_ != hfRTSCTS) ok = line_.SetRTS(hwFlow_ == hfNONERTSON) && ok;
    ok = line_.Purge(true, true) && ok;
    ClearPacketTimer();
    // The kernel sizes its own queues; InBufSize and OutBufSize bound our buffers only.
    return ok;
}

bool TSerialPortDriver::FlushBuffers(bool input, bool output)
{
    std::shared_lock lock(lineLock_);
    if (!open_ || !line_.Purge(input, output)) return false;
    ClearPacketTimer();
    return true;
}

std::uint32_t TSerialPortDriver::CountRX()
{
    std::shared_lock lock(lineLock_);
    if (!open_) return 65535;
    const int n = line_.BytesWaiting();
    return n > 0 ? static_cast<std::uint32_t>(n) : 0;
}

std::int32_t TSerialPortDriver::OutFreeSpace()
{
    std::shared_lock lock(lineLock_);
    if (!open_) return -1;
    const int queued = std::max(line_.OutputQueued(), 0);
    return static_cast<std::int32_t>(outBufSize_) - queued;
}

std::uint8_t TSerialPortDriver::GetLineStatus()
{
    std::shared_lock lock(lineLock_);
    unsigned lineBits = 0;
    if (!open_ || !line_.GetModemSignals(lineBits)) return 0;
    std::uint8_t set = 0;
    if (lineBits & io::sigCTS) set |= lsCTS;
    if (lineBits & io::sigDSR) set |= lsDSR;
    if (lineBits & io::sigRING) set |= lsRING;
    if (lineBits & io::sigDCD) set |= lsRLSD;
    return set;
}

std::uint32_t TSerialPortDriver::SendData(const void* data, std::uint32_t count, std::uint32_t timeoutMs)
{
    std::shared_lock lock(lineLock_);
    if (!open_) return 0;
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    std::uint32_t written = 0;
    std::int64_t lastProgress = NowMs();
    while (written < count) {
        if (CheckLineStatus.load()) {
            unsigned lineBits = 0;
            if (!line_.GetModemSignals(lineBits) || lineBits == 0) break;
        }
        const std::int32_t free = static_cast<std::int32_t>(outBufSize_) - std::max(line_.OutputQueued(), 0);
        if (free > 0) {
            const auto piece = std::min<std::uint32_t>(static_cast<std::uint32_t>(free), count - written);
            const long n = line_.Write(bytes + written, piece, kWritePieceWaitMs);
            if (n < 0) break;
            if (n > 0) {
                written += static_cast<std::uint32_t>(n);
                lastProgress = NowMs();
                continue;
            }
        } else {
            QThread::msleep(1); // the line is sending what it holds
        }
        if (NowMs() - lastProgress > static_cast<std::int64_t>(timeoutMs)) break;
    }
    return written;
}

std::uint32_t TSerialPortDriver::ReadData(void* buffer, std::uint32_t count)
{
    PollingPause pause(*this);
    std::shared_lock lock(lineLock_);
    if (!open_) return 0;
    auto* out = static_cast<std::uint8_t*>(buffer);
    std::uint32_t got = 0;
    std::int64_t lastByte = NowMs();
    while (got < count) {
        const long n = line_.ReadAvailable(out + got, count - got);
        if (n < 0) break;
        if (n > 0) {
            got += static_cast<std::uint32_t>(n);
            lastByte = NowMs();
            continue;
        }
        if (NowMs() - lastByte > static_cast<std::int64_t>(InputTimeout.load())) break;
        line_.WaitReadable(kReadIntervalMs);
    }
    return got;
}

std::uint32_t TSerialPortDriver::ReadWaiting(std::uint32_t limit)
{
    std::shared_lock lock(lineLock_);
    if (!open_) return 0;
    limit = std::min<std::uint32_t>(limit, static_cast<std::uint32_t>(receiveBuffer_.size()));
    const long n = line_.ReadAvailable(receiveBuffer_.data(), limit);
    return n > 0 ? static_cast<std::uint32_t>(n) : 0;
}

void TSerialPortDriver::TimerTick()
{
    if (!Connected() || pauseCount_.load() > 0) return;
    if (packetSize_ < 1) {
        const std::uint32_t n = ReadWaiting(inBufSize_);
        if (n > 0 && OnReceiveData) OnReceiveData(this, receiveBuffer_.data(), n);
        return;
    }
    const auto size = static_cast<std::uint32_t>(packetSize_);
    const std::uint32_t waiting = CountRX();
    if (waiting < size) {
        const std::int64_t start = packetTimerStart_.load();
        if (packetTimeout_ >= 1 && start != kNoTimer && NowMs() - start > packetTimeout_) {
            const std::uint32_t n = ReadWaiting(waiting);
            if (packetMode_ == pmPass && n > 0 && OnReceivePacket) OnReceivePacket(this, receiveBuffer_.data(), n);
            ClearPacketTimer();
        } else if (waiting > 0 && start == kNoTimer) {
            packetTimerStart_ = NowMs();
        }
        return;
    }
    // A listener may close the port, after which CountRX reports 65535.
    const double bytesPerSecond = baudRateValue_ / 10.0;
    const auto transferMs = bytesPerSecond > 0 ? static_cast<std::int64_t>(std::nearbyint(size / bytesPerSecond * 1000)) : 0;
    while (Connected() && CountRX() >= size) {
        const std::uint32_t n = ReadWaiting(size);
        if (n == 0) break;
        if (OnReceivePacket) OnReceivePacket(this, receiveBuffer_.data(), n);
        if (packetTimerStart_.load() != kNoTimer) packetTimerStart_ += transferMs;
        if (CountRX() == 0) ClearPacketTimer();
    }
}

void TSerialPortDriver::RestartTimer()
{
    const int period = pollingDelay_;
    OnTimerThread(timer_.get(), [t = timer_.get(), period] { t->start(period); });
}

void TSerialPortDriver::StopTimer()
{
    OnTimerThread(timer_.get(), [t = timer_.get()] { t->stop(); });
}

} // namespace device_link
