// kv7200-sim: plays a KV7200 unit over a pseudo-terminal or a TCP port of 127.0.0.1,
// so the program can be tried without a unit. Prints the device path or port, then
// every host frame it receives.
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "simulator/UnitSimulator.h"

namespace {

volatile std::sig_atomic_t interrupted = 0;

void Usage()
{
    std::puts(
        "usage: kv7200-sim (--pty | --tcp [--port N]) [options]\n"
        "  --port N          TCP port (default 843)\n"
        "  --address A       loopback address to listen on (default 127.0.0.1)\n"
        "  --rate N          frames per second (default 10; 0 = as fast as possible)\n"
        "  --count N         frames to send (default 0 = until interrupted)\n"
        "  --items LIST      items of every frame: code:hexdata,... (default 01:0000)\n"
        "  --noise-every K   5 bytes of noise before every K-th frame\n"
        "  --bad-every K     every K-th frame with a wrong check byte\n"
        "  --silence-after N --silence-ms M   pause M ms after frame N\n"
        "  --close-after N   close the connection (hang up) after frame N");
}

std::vector<sim::UnitItem> ParseItems(const std::string& text)
{
    std::vector<sim::UnitItem> items;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find(',', at);
        if (end == std::string::npos) end = text.size();
        const std::string part = text.substr(at, end - at);
        const std::size_t colon = part.find(':');
        sim::UnitItem item;
        item.Code = static_cast<std::uint8_t>(std::strtoul(part.substr(0, colon).c_str(), nullptr, 16));
        if (colon != std::string::npos)
            for (std::size_t i = colon + 1; i + 1 < part.size(); i += 2)
                item.Data.push_back(static_cast<std::uint8_t>(std::strtoul(part.substr(i, 2).c_str(), nullptr, 16)));
        items.push_back(std::move(item));
        at = end + 1;
    }
    return items;
}

} // namespace

int main(int argc, char** argv)
{
    bool pty = false, tcp = false;
    int port = 843;
    std::string address = "127.0.0.1";
    double rate = 10;
    std::uint32_t count = 0, noiseEvery = 0, badEvery = 0, silenceAfter = 0, closeAfter = 0;
    int silenceMs = 0;
    std::vector<sim::UnitItem> items = {{1, {0, 0}}};
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const auto next = [&]() -> std::string {
            if (i + 1 >= argc) {
                Usage();
                std::exit(2);
            }
            return argv[++i];
        };
        if (a == "--pty") pty = true;
        else if (a == "--tcp") tcp = true;
        else if (a == "--port") port = std::atoi(next().c_str());
        else if (a == "--address") address = next();
        else if (a == "--rate") rate = std::atof(next().c_str());
        else if (a == "--count") count = static_cast<std::uint32_t>(std::atol(next().c_str()));
        else if (a == "--items") items = ParseItems(next());
        else if (a == "--noise-every") noiseEvery = static_cast<std::uint32_t>(std::atol(next().c_str()));
        else if (a == "--bad-every") badEvery = static_cast<std::uint32_t>(std::atol(next().c_str()));
        else if (a == "--silence-after") silenceAfter = static_cast<std::uint32_t>(std::atol(next().c_str()));
        else if (a == "--silence-ms") silenceMs = std::atoi(next().c_str());
        else if (a == "--close-after") closeAfter = static_cast<std::uint32_t>(std::atol(next().c_str()));
        else {
            Usage();
            return a == "--help" ? 0 : 2;
        }
    }
    if (pty == tcp || items.empty()) {
        Usage();
        return 2;
    }

    std::signal(SIGINT, [](int) { interrupted = 1; });
    std::signal(SIGTERM, [](int) { interrupted = 1; });
    sim::UnitSimulator unit;
    try {
        if (pty) {
            const std::string path = unit.StartPty();
            std::printf("device %s (serial port name \"%s\")\n", path.c_str(), unit.PtyName().c_str());
        } else std::printf("listening on %s:%d\n", address.c_str(), unit.StartTcp(port, address));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "kv7200-sim: %s\n", e.what());
        return 1;
    }
    std::fflush(stdout);

    // One step per frame keeps noise, bad frames, silence and closing in place.
    sim::Scenario scenario;
    const bool endless = count == 0;
    const std::uint32_t planned = endless ? std::max({noiseEvery, badEvery, silenceAfter, closeAfter, 1u}) : count;
    for (std::uint32_t n = 1; n <= planned; ++n) {
        if (noiseEvery && n % noiseEvery == 0) scenario.push_back(sim::ScenarioStep::MakeNoise({0x55, 0x24, 0x00, 0x2E, 0xAA}));
        if (badEvery && n % badEvery == 0) scenario.push_back(sim::ScenarioStep::MakeBadFrame(items));
        else scenario.push_back(sim::ScenarioStep::MakeFrames(1, 0, items));
        if (rate > 0) scenario.push_back(sim::ScenarioStep::MakeSilence(static_cast<int>(1000 / rate)));
        if (n == silenceAfter) scenario.push_back(sim::ScenarioStep::MakeSilence(silenceMs));
        if (n == closeAfter) scenario.push_back(sim::ScenarioStep::MakeClose());
    }
    if (endless) scenario.push_back(sim::ScenarioStep::MakeFrames(0, rate, items));
    unit.Play(std::move(scenario));

    std::size_t shown = 0;
    while (!interrupted) {
        if (!endless && unit.WaitScenarioDone(0)) {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            interrupted = 1;
        }
        unit.WaitForFrames(shown + 1, 200);
        const auto frames = unit.ReceivedFrames();
        for (; shown < frames.size(); ++shown) {
            std::printf("host frame:");
            for (const auto b : frames[shown]) std::printf(" %02X", b);
            std::printf("\n");
        }
        std::fflush(stdout);
    }
    std::printf("sent %llu frames, %llu bytes\n", static_cast<unsigned long long>(unit.FramesSent()),
                static_cast<unsigned long long>(unit.BytesSent()));
    return 0;
}
