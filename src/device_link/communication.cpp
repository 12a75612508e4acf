#include "device_link/communication.h"

#include <cstring>

#include "platform/rtl/SysUtils.h"

namespace device_link {

void AppendPacketTime(TArray& packet, double when)
{
    std::uint64_t bits = 0;
    std::memcpy(&bits, &when, sizeof bits);
    for (std::size_t i = 0; i < kPacketTimeSize; ++i) packet.push_back(static_cast<std::uint8_t>(bits >> (8 * i)));
}

double GetPacketTime(const TArray& packet)
{
    if (packet.size() < kPacketTimeSize) return 0;
    std::uint64_t bits = 0;
    const std::size_t at = packet.size() - kPacketTimeSize;
    for (std::size_t i = 0; i < kPacketTimeSize; ++i) bits |= std::uint64_t(packet[at + i]) << (8 * i);
    double when = 0;
    std::memcpy(&when, &bits, sizeof when);
    return when;
}

// ---------------------------------------------------------------------------
// TBuffer

TBuffer::TBuffer(TCom& owner) : owner_(owner) {}

TBuffer::~TBuffer()
{
    Terminate();
    WaitFor();
    DiscardQueued();
}

void TBuffer::Post(TComMessage message)
{
    {
        std::lock_guard lock(queueLock_);
        if (discarded_) return;
        if (message.IsPacket) owner_.CountPending(message.Packet, +1);
        queue_.push_back(std::move(message));
    }
    wake_.notify_one();
}

void TBuffer::RequestFlush()
{
    {
        std::lock_guard lock(queueLock_);
        flush_ = true;
    }
    wake_.notify_one();
}

bool TBuffer::Take(TComMessage& message)
{
    std::lock_guard lock(queueLock_);
    if (queue_.empty()) return false;
    message = std::move(queue_.front());
    queue_.pop_front();
    if (message.IsPacket) owner_.CountPending(message.Packet, -1);
    return true;
}

void TBuffer::DiscardQueued()
{
    std::lock_guard lock(queueLock_);
    discarded_ = true;
    for (const auto& m : queue_)
        if (m.IsPacket) owner_.CountPending(m.Packet, -1);
    queue_.clear();
}

void TBuffer::TerminatedSet()
{
    // Taking the lock orders this wake-up after a waiter's check of Terminated.
    // clang-format off
    { std::lock_guard lock(queueLock_); }
    // clang-format on
    wake_.notify_all();
}

void TBuffer::Execute()
{
    while (!Terminated()) {
        if (flush_.load()) {
            Flush();
            flush_ = false;
        }
        TComMessage message;
        if (Take(message)) {
            if (message.IsPacket) {
                packet_ = std::move(message.Packet);
                RunOnMainThread(&TBuffer::DeliverPacket);
                ++processed_;
            } else {
                statuses_.push_back(message.Status);
                RunOnMainThread(&TBuffer::DeliverStatus);
            }
            continue;
        }
        std::unique_lock lock(queueLock_);
        wake_.wait(lock, [this] { return !queue_.empty() || flush_.load() || Terminated(); });
    }
}

void TBuffer::RunOnMainThread(void (TBuffer::*delivery)())
{
    // A listener's failure goes to the application's handler there and then: raised
    // again later it could surface inside any wait for a thread, such as the one of a
    // transport being destroyed. Delivery goes on.
    Synchronize([this, delivery] {
        try {
            (this->*delivery)();
        } catch (...) {
            rtl::MainThread::ReportUnhandled(std::current_exception());
        }
    });
}

void TBuffer::DeliverPacket()
{
    TComStats stats;
    stats.Pending = owner_.GetPending();
    stats.Posted = owner_.GetPosted();
    stats.AvgIntervalMs = owner_.GetAvgIntervalMs();
    stats.PacketTime = GetPacketTime(packet_);
    TArray packet;
    packet.swap(packet_);
    owner_.CallStatsListeners(stats);
    owner_.CallDataListeners(packet);
}

void TBuffer::DeliverStatus()
{
    std::vector<TStatus> codes;
    codes.swap(statuses_);
    for (const TStatus code : codes) owner_.CallStateListeners(code);
}

void TBuffer::Flush()
{
    {
        std::lock_guard guard(lock_);
        TComMessage message;
        while (Take(message)) {
            if (message.IsPacket) ++processed_;
            else statuses_.push_back(message.Status);
        }
    }
    RunOnMainThread(&TBuffer::DeliverStatus);
}

// ---------------------------------------------------------------------------
// TCom

TCom::TCom() : buffer_(std::make_unique<TBuffer>(*this))
{
    buffer_->Start();
}

TCom::~TCom()
{
    // Subclasses stop the threads in their own destructor, while their reader loop
    // still has its object; this only covers a subclass that never started.
    StopThreads();
}

void TCom::StartReader() { Start(); }

void TCom::StopThreads()
{
    if (stopped_) return;
    stopped_ = true;
    Close(stDisconnected);
    buffer_->Terminate();
    buffer_->WaitFor();
    buffer_->DiscardQueued();
    Terminate();
    WaitFor();
}

void TCom::TerminatedSet() { stopEvent_.SetEvent(); }

bool TCom::Pause(int ms)
{
    if (Terminated()) return false;
    return !stopEvent_.WaitFor(std::chrono::milliseconds(ms));
}

void TCom::Execute()
{
    ResetInterval();
    while (!Terminated()) {
        ServeOpenRequest();
        if (!connected_.load()) {
            Pause();
            continue;
        }
        ReadOnce();
        if (closeRequest_.load()) CarryOutClose();
    }
}

void TCom::CarryOutClose()
{
    CloseLink();
    closeRequest_ = 0;
    posted_ = 0;
    connected_ = 0;
    PostStatus(stDisconnected);
}

void TCom::DropLink(TStatus code)
{
    CloseLink();
    connected_ = 0;
    PostStatus(code);
}

void TCom::Close(TStatus code)
{
    PostStatus(code);
    posted_ = 0;
    closeRequest_ = 1;
}

void TCom::ClearBuffer()
{
    std::lock_guard guard(buffer_->GetLock());
    buffer_->RequestFlush();
    PostStatus(stStrobe);
}

void TCom::AddDataListener(std::uint8_t flag, const TComDataEvent& method)
{
    if (dataListeners_.Add(method)) dataListenerFlags_.push_back(flag);
}

void TCom::AddStateListener(const TComStateEvent& method) { stateListeners_.Add(method); }

void TCom::AddStatsListener(const TComStatsEvent& method) { statsListeners_.Add(method); }

void TCom::CountPending(const TArray& packet, int direction)
{
    pending_ += direction;
    pendingBytes_ += direction * static_cast<std::int64_t>(packet.size());
}

void TCom::PostPacket(TArray packet)
{
    TComMessage m;
    m.IsPacket = true;
    m.Packet = std::move(packet);
    buffer_->Post(std::move(m));
}

void TCom::PostStatus(TStatus code)
{
    TComMessage m;
    m.Status = code;
    buffer_->Post(std::move(m));
}

void TCom::CallDataListeners(const TArray& packet)
{
    if (Muted.load() == 0) dataListeners_.Dispatch(packet);
}

void TCom::CallStateListeners(TStatus code)
{
    if (Muted.load() == 0) stateListeners_.Dispatch(code);
}

void TCom::CallStatsListeners(const TComStats& stats)
{
    if (Muted.load() == 0) statsListeners_.Dispatch(stats);
}

void TCom::ResetInterval()
{
    avgIntervalMs_ = 50.0;
    havePosting_ = false;
    runningAvg_ = 0;
}

void TCom::NotePosting()
{
    const auto now = std::chrono::steady_clock::now();
    if (havePosting_) {
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now - lastPosting_).count();
        runningAvg_ = 0.05 * static_cast<double>(ms) + 0.95 * runningAvg_;
        avgIntervalMs_ = runningAvg_;
    }
    havePosting_ = true;
    lastPosting_ = now;
}

void TCom::PostReceived(TArray bytes)
{
    NotePosting();
    AppendPacketTime(bytes, rtl::Now());
    PostPacket(std::move(bytes));
    ++posted_;
}

} // namespace device_link
