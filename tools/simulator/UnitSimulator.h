#pragma once
// A simulated KV7200 unit for trying the program without hardware, and for tests
// and benchmarks. It listens on a pseudo-terminal (the program opens its slave path)
// or on a TCP port of 127.0.0.1, plays a scenario of unit frames (items, rate, noise,
// bad check bytes, silence, closing the connection) and records the host frames it
// receives. On TCP it serves one client at a time, as a unit does, and the next one
// once it has gone: frames that find no client wait for the next.
//
// It builds its frames itself and needs nothing of the program.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace sim {

using Bytes = std::vector<std::uint8_t>;

struct UnitItem {
    std::uint8_t Code = 1;
    Bytes Data;
};

// Unit to host: "$!" LEN(16, BE) SEQ(32, BE) items CHK "$."; LEN = 4 + item bytes,
// an item is its length byte (code + data), code and data; CHK = XOR of LEN, SEQ and
// items. With badCheck the check byte is wrong.
Bytes BuildUnitFrame(std::uint32_t seq, const std::vector<UnitItem>& items, bool badCheck = false);

// Cuts host-to-unit frames ("$!" LEN cmd... CHK "$.") out of a byte stream; keeps the
// command bytes of every frame whose check byte is right.
class HostFrameParser {
public:
    void Feed(const std::uint8_t* bytes, std::size_t count);
    std::vector<Bytes> Frames;
    std::size_t BadFrames = 0;

private:
    Bytes pending_;
};

// One step of a scenario.
struct ScenarioStep {
    // clang-format off
    enum Kind { Frames, BadFrame, Noise, Silence, Close };
    // clang-format on
    Kind What = Frames;
    std::uint32_t Count = 1;     // Frames: number of frames, 0 = until stopped
    double Rate = 0;             // Frames: frames per second, 0 = as fast as the line takes them
    std::vector<UnitItem> Items; // Frames, BadFrame
    Bytes Raw;                   // Noise
    int Ms = 0;                  // Silence

    static ScenarioStep MakeFrames(std::uint32_t count, double rate, std::vector<UnitItem> items);
    static ScenarioStep MakeBadFrame(std::vector<UnitItem> items);
    static ScenarioStep MakeNoise(Bytes raw);
    static ScenarioStep MakeSilence(int ms);
    static ScenarioStep MakeClose();
};
using Scenario = std::vector<ScenarioStep>;
// Makes a scenario's steps one at a time, as they are played: false when there is none
// left. A long or endless scenario so takes no memory up front.
using StepSource = std::function<bool(ScenarioStep&)>;

class UnitSimulator {
public:
    UnitSimulator();
    ~UnitSimulator();
    UnitSimulator(const UnitSimulator&) = delete;
    UnitSimulator& operator=(const UnitSimulator&) = delete;

    // Opens a pseudo-terminal; returns the path the program opens ("/dev/pts/N").
    std::string StartPty();
    // Listens on 127.0.0.1:port (0: any free port); returns the port.
    int StartTcp(int port = 843);
    // The same on another loopback address ("127.0.0.2"); an address outside
    // 127.0.0.0/8 raises std::runtime_error.
    int StartTcp(int port, const std::string& address);
    void Stop();

    // The path below /dev for a serial transport ("pts/N"); empty for TCP.
    std::string PtyName() const;
    std::string PtyPath() const { return ptyPath_; }
    int Port() const { return port_; }

    // Plays the scenario on the simulator's own thread (after the current one ends).
    // On TCP every step waits for a connected client.
    void Play(Scenario scenario);
    void PlaySteps(StepSource steps);
    bool WaitScenarioDone(int timeoutMs);
    // Sends bytes now; false when there is no client (TCP) or the line is closed.
    bool Send(const Bytes& bytes);
    // Sends one frame with the next sequence number.
    bool SendFrame(const std::vector<UnitItem>& items);
    // TCP: closes the current connection. Pseudo-terminal: hangs up the line for good.
    void CloseClient();
    bool WaitForClient(int timeoutMs);
    int Connections() const { return connections_.load(); }

    // Host frames received so far (command bytes of each).
    std::vector<Bytes> ReceivedFrames() const;
    Bytes ReceivedBytes() const;
    bool WaitForFrames(std::size_t count, int timeoutMs) const;
    std::uint64_t FramesSent() const { return framesSent_.load(); }
    std::uint64_t BytesSent() const { return bytesSent_.load(); }

private:
    void IoLoop();
    void PlayLoop();
    void RunStep(const ScenarioStep& step);
    bool WriteAll(const Bytes& bytes);
    bool Sleep(int ms);
    void CloseConnectionLocked();

    std::atomic<bool> stop_{false};
    int wakeRead_ = -1, wakeWrite_ = -1;
    std::thread ioThread_;
    std::thread playThread_;

    // Pseudo-terminal or listening socket and its current client.
    int master_ = -1;
    int slaveHold_ = -1; // keeps the line's settings while the program has it closed
    std::string ptyPath_;
    int listener_ = -1;
    int port_ = 0;
    mutable std::mutex connLock_;
    std::condition_variable connChanged_;
    int client_ = -1;
    std::atomic<bool> closing_{false}; // CloseClient asked the io thread to close
    std::atomic<int> connections_{0};
    std::mutex writeLock_;

    mutable std::mutex recvLock_;
    mutable std::condition_variable received_;
    HostFrameParser parser_;
    Bytes receivedBytes_;

    std::mutex playLock_;
    std::condition_variable playChanged_;
    std::deque<StepSource> scenarios_;
    bool playing_ = false;
    std::uint32_t seq_ = 0;
    std::atomic<std::uint64_t> framesSent_{0};
    std::atomic<std::uint64_t> bytesSent_{0};
};

// A TCP listener on 127.0.0.1 whose queue is kept full, so connect attempts to it
// never complete: a peer that never accepts.
class StalledListener {
public:
    StalledListener();
    ~StalledListener();
    int Port() const { return port_; }

private:
    int listener_ = -1;
    std::vector<int> fillers_;
    int port_ = 0;
};

// A port of 127.0.0.1 on which nothing listens (connects are refused).
int UnusedLoopbackPort();

} // namespace sim
