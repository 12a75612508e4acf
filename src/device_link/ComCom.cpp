#include <algorithm>
#include <chrono>

#include "device_link/SerialPortDriver.h"
#include "device_link/communication.h"

namespace device_link {

namespace {

// A write to the unit that stalls this long is abandoned.
constexpr std::uint32_t kSendTimeoutMs = 500;

std::int64_t NowMs()
{
    // clang-format off
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch()).count();
    // clang-format on
}

} // namespace

TComCom::TComCom() : port_(std::make_unique<TSerialPortDriver>())
{
    port_->PausePolling();
    StartReader();
}

TComCom::~TComCom()
{
    StopThreads();
    port_->Disconnect();
}

void TComCom::SetPortName(const std::string& name) { portName_ = name; }

bool TComCom::Open()
{
    if (portName_.empty() || connected_.load()) return false;
    port_->SetPortName(io::SerialDevicePath(portName_));
    port_->SetBaudRate(br57600);
    port_->SetDataBits(db8BITS);
    port_->SetParity(ptNONE);
    port_->SetStopBits(sb1BITS);
    port_->SetHwFlow(hfNONE);
    port_->SetSwFlow(sfNONE);
    port_->PausePolling();
    if (port_->Connect()) {
        // Set before the flag, so the reader never measures silence from an old time.
        lastReceiveMs_ = NowMs();
        PostStatus(stConnected);
        connected_ = 1;
    } else {
        connected_ = 0;
        PostStatus(stUnableToConnect);
    }
    return connected_.load() != 0;
}

bool TComCom::Send(const TArray& data)
{
    if (!connected_.load() || data.empty()) return false;
    return port_->SendData(data.data(), static_cast<std::uint32_t>(data.size()), kSendTimeoutMs) > 0;
}

void TComCom::ReadOnce()
{
    // What the last pass read goes out now; under back-pressure it keeps growing.
    if (ready_ && MayPost()) {
        heldBytes_ = 0; // before Posted counts the packet
        PostReceived(std::move(accumulation_));
        accumulation_.clear();
        ready_ = false;
    } else {
        if (!ready_) Pause();
        if (!accumulation_.empty()) ready_ = true;
    }

    const std::uint32_t waiting = port_->CountRX();
    if (waiting == 0) {
        Pause();
        if (!accumulation_.empty()) ready_ = true;
        else if (NowMs() - lastReceiveMs_.load() > SilenceLimitMs.load()) {
            posted_ = 0;
            DropLink(stConnectTimeout);
        }
        return;
    }
    std::uint8_t chunk[kMaxRead];
    const std::uint32_t got = port_->ReadData(chunk, std::min(waiting, kMaxRead));
    if (got > 0) {
        accumulation_.insert(accumulation_.end(), chunk, chunk + got);
        heldBytes_ = accumulation_.size();
        ready_ = true;
        lastReceiveMs_ = NowMs();
    }
}

void TComCom::CloseLink()
{
    port_->Disconnect();
    // Bytes of a closed link must not reach the next one.
    accumulation_.clear();
    heldBytes_ = 0;
    ready_ = false;
}

} // namespace device_link
