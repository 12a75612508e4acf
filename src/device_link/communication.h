#pragma once
// Transports of the units. Each transport (a TCom subclass) is a reader thread that
// opens the link, reads what the unit sends and watches the link; beside it runs its
// delivery thread (TBuffer), which hands every packet and link-state code to the
// main thread, one at a time and in the order posted. Everything the rest of the
// program learns about a link arrives through the transport's three listener lists,
// on the main thread.
//
// A packet is the bytes of one read followed by 8 bytes: the local date-time at which
// they were taken, a little-endian double in days.
//
// Flow control: a reader posts only while fewer than 500 packets and fewer than 384 KiB
// wait for delivery (Pending, PendingBytes) and no flush is under way; otherwise it
// pauses and tries again. A unit sends at most 5.76 kB a second, so the byte bound
// holds more than a minute of real data, while a flood costs seconds of delivery.
#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "device_link/ProtocolAutomata.h"
#include "platform/io/UsbBridge.h"
#include "platform/rtl/Delegate.h"
#include "platform/rtl/Thread.h"

namespace io {
class TTcpClient;
}

namespace device_link {

class TSerialPortDriver;

// Link state of a unit.
enum TStatus : std::uint8_t {
    stConnected = 0,
    stDisconnected = 1,
    stSocketError = 2,
    stConnectTimeout = 3,
    stDataReceived = 4,
    stConnectionRefused = 5,
    stDisconnectedFromDevice = 6,
    stUnableToConnect = 7,
    stUnknown = 8,
    stBufferOverrun = 9,
    stClearBuffer = 10,
    stStrobe = 11,
    stIdle = 12,
    stConnecting = 13,
};

// What statistics listeners get with every delivered packet.
struct TComStats {
    std::int32_t Pending = 0; // packets posted and not yet taken from the delivery queue
    std::uint32_t Posted = 0; // packets posted since the link was last closed
    double AvgIntervalMs = 0; // smoothed interval between postings
    double PacketTime = 0;    // receive time of this packet (days, local time)
};

constexpr std::size_t kPacketTimeSize = 8;
// Appends the receive time to the packet's bytes.
void AppendPacketTime(TArray& packet, double when);
// The receive time in a packet's last 8 bytes; 0 for a packet shorter than that.
double GetPacketTime(const TArray& packet);

using TComDataEvent = rtl::Delegate<void(const TArray&)>; // the packet, time tail included
using TComStateEvent = rtl::Delegate<void(TStatus)>;
using TComStatsEvent = rtl::Delegate<void(const TComStats&)>;

class TCom;

// One message from a reader to its delivery thread.
struct TComMessage {
    bool IsPacket = false;
    TArray Packet;
    TStatus Status = stUnknown;
};

// The delivery thread of a transport: a first-in, first-out queue of messages that
// it hands to the main thread synchronously.
class TBuffer final : public rtl::TThread {
public:
    explicit TBuffer(TCom& owner);
    ~TBuffer() override;

    // Held while ClearBuffer sets the flush flag and posts its status, and while the
    // delivery thread drains the queue for a flush.
    rtl::TCriticalSection& GetLock() { return lock_; }
    // Queues a message (any thread); dropped once the queue is discarded.
    void Post(TComMessage message);
    bool FlushRequested() const { return flush_.load(); }
    void RequestFlush();
    // Packets taken from the queue, delivered or dropped.
    std::uint32_t GetProcessed() const { return processed_.load(); }
    // After the thread has ended: releases what is still queued (statuses are not
    // delivered) and drops every later post.
    void DiscardQueued();

protected:
    void Execute() override;
    void TerminatedSet() override;

private:
    bool Take(TComMessage& message);
    void DeliverPacket();
    void DeliverStatus();
    void Flush();
    // Runs a delivery on the main thread; a listener's exception goes to the
    // application's exception handler, and this thread goes on.
    void RunOnMainThread(void (TBuffer::*delivery)());

    TCom& owner_;
    rtl::TCriticalSection lock_;
    std::mutex queueLock_;
    std::condition_variable wake_;
    std::deque<TComMessage> queue_;
    bool discarded_ = false;
    TArray packet_;                 // being delivered
    std::vector<TStatus> statuses_; // waiting for DeliverStatus
    std::atomic<bool> flush_{false};
    std::atomic<std::uint32_t> processed_{0};
};

// Base of the transports: the reader thread.
//
// A subclass constructor ends with StartReader, its destructor begins with
// StopThreads. Open, Close, Send, SendData and IsConnected are called on the main
// thread while the reader runs; the listeners run on the main thread.
//
// The reader loop is the same for every link kind; a kind implements opening (Open,
// and for a link that connects on the reader thread ServeOpenRequest), one read
// (ReadOnce) and closing (CloseLink).
class TCom : public rtl::TThread {
public:
    static constexpr std::int32_t kMaxPending = 500;
    static constexpr std::int64_t kMaxPendingBytes = 384 * 1024;

    ~TCom() override;

    virtual bool Send(const TArray& data) = 0;
    // False while a flush is under way, else the connected flag.
    virtual bool IsConnected() { return !FlushRequested() && connected_.load() != 0; }
    // Starts connecting; the outcome arrives as status codes.
    virtual bool Open() = 0;
    // Posts the code as a status, Posted := 0, and requests the link closed; the
    // reader closes it in its next connected pass.
    virtual void Close(TStatus code);
    // Drops every queued packet and posts stStrobe.
    virtual void ClearBuffer();
    virtual bool SendData(const TArray& data) { return Send(data); }

    // Each call with a method already listed clears its entry (which stays as a hole);
    // otherwise the method is appended. The flag is kept for the registering code.
    void AddDataListener(std::uint8_t flag, const TComDataEvent& method);
    void AddStateListener(const TComStateEvent& method);
    void AddStatsListener(const TComStatsEvent& method);

    // Queue one message for the delivery thread (any thread).
    void PostPacket(TArray packet);
    void PostStatus(TStatus code);
    rtl::TCriticalSection& GetBufferLock() { return buffer_->GetLock(); }

    // Dispatch on the main thread; nobody is called while muted.
    void CallDataListeners(const TArray& packet);
    void CallStateListeners(TStatus code);
    void CallStatsListeners(const TComStats& stats);

    std::int32_t GetPending() const { return pending_.load(); }
    // The bytes of those packets (time tails included).
    std::int64_t GetPendingBytes() const { return pendingBytes_.load(); }
    // Bytes the reader received and dropped under back-pressure since it was created.
    std::uint64_t GetDroppedBytes() const { return droppedBytes_.load(); }
    std::uint32_t GetPosted() const { return posted_.load(); }
    double GetAvgIntervalMs() const { return avgIntervalMs_.load(); }
    std::uint32_t GetProcessed() const { return buffer_->GetProcessed(); }
    // 1 when created; the application unmutes its transports once started.
    std::atomic<std::uint8_t> Muted{1};

    std::atomic<std::int32_t> ConnectTimeoutMs{1000}; // TCP only
    std::atomic<std::int32_t> ConnectRetryCount{5};   // TCP only
    // The pause of the reader loops when idle, when nothing came and under back-pressure.
    std::atomic<std::int32_t> PollIntervalMs{100};

protected:
    // The most bytes a serial or USB reader takes in one read.
    static constexpr std::uint32_t kMaxRead = 64;

    TCom();
    void StartReader();
    void StopThreads();

    // The reader loop: serves an open request, idles while not connected, reads once
    // per connected pass and, in that pass, carries out a close request.
    void Execute() override;
    void TerminatedSet() override;

    // Called at the start of every pass; a link that connects on the reader thread
    // connects here.
    virtual void ServeOpenRequest() {}
    // One read of a connected pass: posts what came, or pauses.
    virtual void ReadOnce() = 0;
    // Closes the link itself (reader thread); the flags are the caller's.
    virtual void CloseLink() = 0;
    // A failed link: closes it, clears the connected flag, then posts the code, so a
    // listener told of the state sees the flag already.
    void DropLink(TStatus code);

    // Sleeps, returning early when the thread is asked to stop; false then.
    bool Pause(int ms);
    bool Pause() { return Pause(PollIntervalMs.load()); }
    bool FlushRequested() const { return buffer_->FlushRequested(); }
    // Back-pressure: fewer than kMaxPending packets and kMaxPendingBytes queued, and no
    // flush under way.
    bool MayPost() const
    {
        return GetPending() < kMaxPending && GetPendingBytes() < kMaxPendingBytes && !FlushRequested();
    }
    // Counts bytes a reader drops under back-pressure.
    void NoteDropped(std::size_t count) { droppedBytes_ += count; }
    // Smoothed interval: start of a reader loop, and one posting.
    void ResetInterval();
    void NotePosting();
    // Updates the smoothed interval, appends the time tail, posts, counts in Posted.
    void PostReceived(TArray bytes);

    std::atomic<std::uint8_t> closeRequest_{0};
    std::atomic<std::uint8_t> connected_{0};
    std::atomic<std::uint32_t> posted_{0};

private:
    friend class TBuffer;
    // A packet joins (+1) or leaves (-1) the delivery queue.
    void CountPending(const TArray& packet, int direction);
    // The end of a connected pass that found a close request.
    void CarryOutClose();

    std::unique_ptr<TBuffer> buffer_;
    std::atomic<std::int32_t> pending_{0};
    std::atomic<std::int64_t> pendingBytes_{0};
    std::atomic<std::uint64_t> droppedBytes_{0};
    std::atomic<double> avgIntervalMs_{50.0};
    // Smoothed interval state, reader thread only.
    bool havePosting_ = false;
    std::chrono::steady_clock::time_point lastPosting_;
    double runningAvg_ = 0;

    rtl::ListenerList<void(const TArray&)> dataListeners_;
    std::vector<std::uint8_t> dataListenerFlags_;
    rtl::ListenerList<void(TStatus)> stateListeners_;
    rtl::ListenerList<void(const TComStats&)> statsListeners_;

    rtl::TEvent stopEvent_{true, false};
    bool stopped_ = false;
};

// A unit on a serial port. Reads at most 64 bytes at a time, collects them while
// back-pressure holds, and declares the link timed out after SilenceLimitMs without
// a byte.
class TComCom final : public TCom {
public:
    TComCom();
    ~TComCom() override;

    // The port's name ("ttyS0", "COM3", "pts/2"); takes effect at the next Open.
    void SetPortName(const std::string& name);
    std::string GetPortName() const { return portName_; }
    TSerialPortDriver& GetPort() { return *port_; }
    // Bytes read and not yet posted: what back-pressure holds back (any thread).
    std::size_t GetHeldBytes() const { return heldBytes_.load(); }

    bool Send(const TArray& data) override;
    bool Open() override;

    // More than this many ms without a byte, while nothing waits to be posted, gives
    // stConnectTimeout.
    std::atomic<std::int32_t> SilenceLimitMs{5000};

protected:
    void ReadOnce() override;
    void CloseLink() override;

private:
    std::unique_ptr<TSerialPortDriver> port_;
    std::string portName_;
    // Steady-clock ms of the last received byte.
    std::atomic<std::int64_t> lastReceiveMs_{0};
    // Reader thread only: bytes read and not yet posted, and whether they may go.
    TArray accumulation_;
    bool ready_ = false;
    std::atomic<std::size_t> heldBytes_{0}; // accumulation_.size()
};

// A unit behind a USB bridge, opened by the bridge's serial number.
class TComUSB final : public TCom {
public:
    TComUSB();
    ~TComUSB() override;

    void SetSerial(const std::string& serial);
    std::string GetSerial() const { return serial_; }

    bool Send(const TArray& data) override;
    bool Open() override;

protected:
    void ReadOnce() override;
    void CloseLink() override;

private:
    std::string serial_;
    std::array<char, 50> serialZ_{};
    std::atomic<io::FT_HANDLE> handle_{nullptr};
};

// A unit on the network, reached as a TCP client (port 843). Connecting happens on
// the reader thread; Open only requests it.
class TComTCP final : public TCom {
public:
    TComTCP();
    ~TComTCP() override;

    // The unit's dotted IPv4 address; takes effect at the next Open.
    void SetHost(const std::string& host);
    std::string GetHost() const { return host_; }
    // Read time-out and the socket itself.
    io::TTcpClient& GetClient() { return *client_; }
    // Always 843 in the program; tests point it at their own listener.
    std::atomic<std::int32_t> Port{843};

    bool Send(const TArray& data) override;
    bool Open() override;

protected:
    void TerminatedSet() override;
    void ServeOpenRequest() override;
    void ReadOnce() override;
    void CloseLink() override;

private:
    void TryConnect();

    std::unique_ptr<io::TTcpClient> client_;
    std::string host_;
    std::atomic<std::uint8_t> connectRequest_{0};
    int attempts_ = 0; // reader thread only
};

} // namespace device_link
