#pragma once
// Records what a transport delivers to its listeners, in delivery order, and waits
// for it while running the main thread's queued calls.
#include <string>
#include <vector>

#include "device_link/communication.h"
#include "support/TempDir.h"

namespace linktest {

using device_link::TArray;
using device_link::TComStats;
using device_link::TStatus;

struct LinkEvent {
    // clang-format off
    enum Kind { Data, State, Statistics } What;
    // clang-format on
    TArray Packet;
    TStatus Status = device_link::stUnknown;
    TComStats Stats;
};

class LinkRecorder {
public:
    void OnData(const TArray& packet) { Events.push_back({LinkEvent::Data, packet, {}, {}}); }
    void OnState(TStatus code) { Events.push_back({LinkEvent::State, {}, code, {}}); }
    void OnStats(const TComStats& stats) { Events.push_back({LinkEvent::Statistics, {}, {}, stats}); }

    // Registers (or, called again, unregisters) all three listeners.
    void Attach(device_link::TCom& com)
    {
        com.AddDataListener(1, {this, &LinkRecorder::OnData});
        com.AddStateListener({this, &LinkRecorder::OnState});
        com.AddStatsListener({this, &LinkRecorder::OnStats});
    }

    std::vector<int> States() const
    {
        std::vector<int> out;
        for (const auto& e : Events)
            if (e.What == LinkEvent::State) out.push_back(e.Status);
        return out;
    }
    std::vector<TArray> Packets() const
    {
        std::vector<TArray> out;
        for (const auto& e : Events)
            if (e.What == LinkEvent::Data) out.push_back(e.Packet);
        return out;
    }
    // Every delivered byte without the time tails.
    TArray DataBytes() const
    {
        TArray out;
        for (const auto& p : Packets()) out.insert(out.end(), p.begin(), p.end() - device_link::kPacketTimeSize);
        return out;
    }
    std::size_t CountState(TStatus code) const
    {
        std::size_t n = 0;
        for (const int s : States()) n += s == code;
        return n;
    }
    bool WaitForStates(std::size_t count, int timeoutMs = 5000)
    {
        return testsupport::WaitUntil([&] { return States().size() >= count; }, timeoutMs);
    }
    bool WaitForState(TStatus code, int timeoutMs = 5000)
    {
        return testsupport::WaitUntil([&] { return CountState(code) > 0; }, timeoutMs);
    }
    bool WaitForBytes(std::size_t count, int timeoutMs = 5000)
    {
        return testsupport::WaitUntil([&] { return DataBytes().size() >= count; }, timeoutMs);
    }

    std::vector<LinkEvent> Events;
};

// Posts a marker status and waits for it: whatever the transport posted before is
// delivered first, so the states before the marker are all it posted.
inline std::vector<int> StatesUpToMarker(device_link::TCom& com, LinkRecorder& rec)
{
    com.PostStatus(device_link::stIdle);
    rec.WaitForState(device_link::stIdle);
    std::vector<int> states;
    for (const int s : rec.States()) {
        if (s == device_link::stIdle) break;
        states.push_back(s);
    }
    return states;
}

} // namespace linktest
