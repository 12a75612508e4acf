// kv7200-sim: plays a KV7200 unit over a pseudo-terminal or a TCP port of a loopback
// address, so the program can be tried without a unit. Prints the device path or port,
// then every host frame it receives. A command line it does not take whole (an unknown
// option, a value out of its range or malformed) is refused with exit status 2.
#include <algorithm>
#include <array>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <string>
#include <thread>

#include "cli/OptionValues.h"
#include "simulator/UnitSimulator.h"

namespace {

volatile std::sig_atomic_t interrupted = 0;

constexpr const char* kUsage =
    "usage: kv7200-sim (--pty | --tcp [--port N] [--address A]) [options]\n"
    "  --port N          TCP port 0..65535 (default 843; 0 = a free port, printed)\n"
    "  --address A       loopback address to listen on: 127.x.x.x or localhost (default 127.0.0.1)\n"
    "  --rate N          frames per second, 0 or 0.001..1000 (default 10; 0 = as fast as possible)\n"
    "  --count N         frames to send (default 0 = until interrupted)\n"
    "  --items LIST      items of every frame: code:data,... in hex, code 00..FF, data two digits\n"
    "                    a byte, at most 254 bytes (default 01:0000)\n"
    "  --noise-every K   5 bytes of noise before every K-th frame\n"
    "  --bad-every K     every K-th frame with a wrong check byte\n"
    "  --silence-after N --silence-ms M   pause M ms (at most 3600000) after frame N\n"
    "  --close-after N   close the connection (hang up) after frame N\n";

// A refused command line: the message on standard error with the usage, status 2.
[[noreturn]] void Refuse(const std::string& message)
{
    std::fprintf(stderr, "kv7200-sim: %s\n%s", message.c_str(), kUsage);
    std::exit(2);
}

// Why a value was not taken: it is no number at all, or one out of its range.
std::string NotTaken(const std::string& option, const std::string& text, const char* range, bool isNumber)
{
    return "the value of " + option + (isNumber ? " is out of its range (" : " is not a number (") + range + "): " + text;
}

// A frame in 1000 s: slower rates would make pauses too long to count in ms.
constexpr double kSlowestRate = 0.001;

// The pause after each frame, in ms.
int FramePauseMs(double rate)
{
    return rate > 0 ? static_cast<int>(std::min(1000 / rate, 1000 / kSlowestRate)) : 0;
}

// code:data,... with every part well-formed; the part that is not is named.
std::vector<sim::UnitItem> ReadItems(const std::string& text)
{
    std::vector<sim::UnitItem> items;
    std::size_t at = 0;
    while (true) {
        std::size_t end = text.find(',', at);
        if (end == std::string::npos) end = text.size();
        const std::string part = text.substr(at, end - at);
        const std::size_t colon = part.find(':');
        const std::string code = part.substr(0, colon);
        std::string codeByte, data;
        if (code.empty() || code.size() > 2 || !cli::ReadHexBytes(std::string(2 - code.size(), '0') + code, codeByte)
            || (colon != std::string::npos && !cli::ReadHexBytes(part.substr(colon + 1), data)) || data.size() > 254)
            Refuse("the value of --items is not a list of code:data items in hex (code 00..FF, data two hex digits a "
                   "byte, at most 254 bytes): \""
                   + part + "\"");
        items.push_back({static_cast<std::uint8_t>(codeByte[0]), sim::Bytes(data.begin(), data.end())});
        if (end == text.size()) break;
        at = end + 1;
    }
    return items;
}

// A loopback address in dotted form; localhost is 127.0.0.1.
std::string ReadAddress(const std::string& text)
{
    if (text == "localhost") return "127.0.0.1";
    std::array<std::uint8_t, 4> octets{};
    if (!cli::ReadDottedIPv4(text, octets) || octets[0] != 127)
        Refuse("the value of --address is not a loopback address (127.x.x.x or localhost): " + text);
    return text;
}

// What the command line asks to send: noise before every NoiseEvery-th frame, a wrong
// check byte on every BadEvery-th, a pause after frame SilenceAfter, a hang-up after
// frame CloseAfter; Count frames, 0 = no end.
struct TFramePlan {
    double Rate = 10;
    std::uint32_t Count = 0, NoiseEvery = 0, BadEvery = 0, SilenceAfter = 0, CloseAfter = 0;
    int SilenceMs = 0;
    std::vector<sim::UnitItem> Items = {{1, {0, 0}}};
};

// The plan's steps, made a frame at a time as they are played.
class TFrameSteps {
public:
    // hangUpEnds: a hung-up line (a pseudo-terminal) takes nothing more.
    TFrameSteps(TFramePlan plan, bool hangUpEnds) : plan_(std::move(plan)), hangUpEnds_(hangUpEnds) {}

    bool operator()(sim::ScenarioStep& step)
    {
        if (due_.empty()) {
            if (ended_ || (plan_.Count != 0 && planned_ == plan_.Count)) return false;
            if (OnlyPlainFramesLeft()) {
                // One step paced by the rate; 0 frames is no end.
                const auto left = static_cast<std::uint32_t>(plan_.Count != 0 ? plan_.Count - planned_ : 0);
                due_.push_back(sim::ScenarioStep::MakeFrames(left, plan_.Rate, plan_.Items));
                ended_ = true;
            } else {
                PlanFrame(++planned_);
            }
        }
        step = std::move(due_.front());
        due_.pop_front();
        return true;
    }

private:
    bool OnlyPlainFramesLeft() const
    {
        return plan_.NoiseEvery == 0 && plan_.BadEvery == 0 && planned_ >= plan_.SilenceAfter
               && planned_ >= plan_.CloseAfter;
    }

    void PlanFrame(std::uint64_t n)
    {
        if (plan_.NoiseEvery != 0 && n % plan_.NoiseEvery == 0)
            due_.push_back(sim::ScenarioStep::MakeNoise({0x55, 0x24, 0x00, 0x2E, 0xAA}));
        if (plan_.BadEvery != 0 && n % plan_.BadEvery == 0) due_.push_back(sim::ScenarioStep::MakeBadFrame(plan_.Items));
        else due_.push_back(sim::ScenarioStep::MakeFrames(1, 0, plan_.Items));
        if (plan_.Rate > 0) due_.push_back(sim::ScenarioStep::MakeSilence(FramePauseMs(plan_.Rate)));
        if (n == plan_.SilenceAfter) due_.push_back(sim::ScenarioStep::MakeSilence(plan_.SilenceMs));
        if (n == plan_.CloseAfter) {
            due_.push_back(sim::ScenarioStep::MakeClose());
            ended_ = hangUpEnds_;
        }
    }

    TFramePlan plan_;
    bool hangUpEnds_;
    std::deque<sim::ScenarioStep> due_;
    std::uint64_t planned_ = 0; // 64 bits: counting past any 32-bit option never wraps
    bool ended_ = false;
};

} // namespace

int main(int argc, char** argv)
{
    bool pty = false, tcp = false;
    int port = 843;
    std::string address = "127.0.0.1";
    TFramePlan plan;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const auto next = [&]() -> std::string {
            if (i + 1 >= argc) Refuse(a + " needs a value");
            return argv[++i];
        };
        const auto whole = [&](long long max, const char* range) {
            const std::string text = next();
            long long value = 0;
            if (!cli::ReadWhole(text, 0, max, value)) Refuse(NotTaken(a, text, range, cli::IsWholeText(text)));
            return value;
        };
        constexpr long long kFrames = 0xFFFFFFFF;
        if (a == "--pty") pty = true;
        else if (a == "--tcp") tcp = true;
        else if (a == "--port") port = static_cast<int>(whole(65535, "0..65535"));
        else if (a == "--address") address = ReadAddress(next());
        else if (a == "--rate") {
            const std::string text = next();
            double read = 0;
            if (!cli::ReadNumber(text, 0, 1000, read) || (read > 0 && read < kSlowestRate))
                Refuse(NotTaken(a, text, "0 or 0.001..1000", cli::IsDecimalText(text)));
            plan.Rate = read;
        } else if (a == "--count") plan.Count = static_cast<std::uint32_t>(whole(kFrames, "0..4294967295"));
        else if (a == "--items") plan.Items = ReadItems(next());
        else if (a == "--noise-every") plan.NoiseEvery = static_cast<std::uint32_t>(whole(kFrames, "0..4294967295"));
        else if (a == "--bad-every") plan.BadEvery = static_cast<std::uint32_t>(whole(kFrames, "0..4294967295"));
        else if (a == "--silence-after") plan.SilenceAfter = static_cast<std::uint32_t>(whole(kFrames, "0..4294967295"));
        else if (a == "--silence-ms") plan.SilenceMs = static_cast<int>(whole(3600000, "0..3600000"));
        else if (a == "--close-after") plan.CloseAfter = static_cast<std::uint32_t>(whole(kFrames, "0..4294967295"));
        else if (a == "--help") {
            std::fputs(kUsage, stdout);
            return 0;
        } else Refuse("unknown option " + a);
    }
    if (pty == tcp) Refuse("give one of --pty and --tcp");

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

    const bool endless = plan.Count == 0;
    unit.PlaySteps(TFrameSteps(std::move(plan), pty));

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
