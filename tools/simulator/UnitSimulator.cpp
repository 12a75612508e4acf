#include "simulator/UnitSimulator.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

namespace sim {

namespace {

using Clock = std::chrono::steady_clock;

[[noreturn]] void Fail(const std::string& what)
{
    throw std::runtime_error(what + ": " + std::strerror(errno));
}

void SetNonBlocking(int fd) { ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK); }

sockaddr_in Loopback(int port)
{
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<std::uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return a;
}

int BoundPort(int fd)
{
    sockaddr_in a{};
    socklen_t len = sizeof a;
    if (::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len) != 0) Fail("getsockname");
    return ntohs(a.sin_port);
}

} // namespace

// ---------------------------------------------------------------------------
// Frames

Bytes BuildUnitFrame(std::uint32_t seq, const std::vector<UnitItem>& items, bool badCheck)
{
    Bytes body;
    for (const auto& item : items) {
        if (item.Data.size() > 254) throw std::invalid_argument("item data longer than 254 bytes");
        body.push_back(static_cast<std::uint8_t>(item.Data.size() + 1));
        body.push_back(item.Code);
        body.insert(body.end(), item.Data.begin(), item.Data.end());
    }
    const std::size_t len = body.size() + 4;
    if (len > 0xFFFF) throw std::invalid_argument("frame longer than LEN can carry");
    Bytes frame;
    frame.reserve(len + 7);
    for (const std::uint32_t b : {0x24u, 0x21u, std::uint32_t(len >> 8), std::uint32_t(len), seq >> 24, seq >> 16, seq >> 8, seq})
        frame.push_back(static_cast<std::uint8_t>(b));
    for (const auto b : body) frame.push_back(b);
    std::uint8_t check = 0;
    for (std::size_t i = 2; i < frame.size(); ++i) check ^= frame[i];
    frame.push_back(badCheck ? static_cast<std::uint8_t>(~check) : check);
    frame.push_back('$');
    frame.push_back('.');
    return frame;
}

void HostFrameParser::Feed(const std::uint8_t* bytes, std::size_t count)
{
    pending_.insert(pending_.end(), bytes, bytes + count);
    std::size_t at = 0;
    for (;;) {
        while (at + 1 < pending_.size() && !(pending_[at] == '$' && pending_[at + 1] == '!')) ++at;
        if (at + 3 > pending_.size()) break;
        const std::size_t len = pending_[at + 2];
        const std::size_t total = len + 6;
        if (at + total > pending_.size()) break;
        std::uint8_t check = static_cast<std::uint8_t>(len);
        for (std::size_t i = 0; i < len; ++i) check ^= pending_[at + 3 + i];
        const bool good = pending_[at + 3 + len] == check && pending_[at + 4 + len] == '$' && pending_[at + 5 + len] == '.';
        if (good) {
            Frames.emplace_back(pending_.begin() + static_cast<std::ptrdiff_t>(at + 3),
                                pending_.begin() + static_cast<std::ptrdiff_t>(at + 3 + len));
            at += total;
        } else {
            ++BadFrames;
            ++at;
        }
    }
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(std::min(at, pending_.size())));
}

ScenarioStep ScenarioStep::MakeFrames(std::uint32_t count, double rate, std::vector<UnitItem> items)
{
    ScenarioStep s;
    s.What = Frames;
    s.Count = count;
    s.Rate = rate;
    s.Items = std::move(items);
    return s;
}

ScenarioStep ScenarioStep::MakeBadFrame(std::vector<UnitItem> items)
{
    ScenarioStep s;
    s.What = BadFrame;
    s.Items = std::move(items);
    return s;
}

ScenarioStep ScenarioStep::MakeNoise(Bytes raw)
{
    ScenarioStep s;
    s.What = Noise;
    s.Raw = std::move(raw);
    return s;
}

ScenarioStep ScenarioStep::MakeSilence(int ms)
{
    ScenarioStep s;
    s.What = Silence;
    s.Ms = ms;
    return s;
}

ScenarioStep ScenarioStep::MakeClose()
{
    ScenarioStep s;
    s.What = Close;
    return s;
}

// ---------------------------------------------------------------------------
// UnitSimulator

UnitSimulator::UnitSimulator()
{
    int p[2];
    if (::pipe2(p, O_CLOEXEC | O_NONBLOCK) != 0) Fail("pipe");
    wakeRead_ = p[0];
    wakeWrite_ = p[1];
}

UnitSimulator::~UnitSimulator()
{
    Stop();
    ::close(wakeRead_);
    ::close(wakeWrite_);
}

std::string UnitSimulator::StartPty()
{
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) Fail("posix_openpt");
    char name[128];
    if (::ptsname_r(master_, name, sizeof name) != 0) Fail("ptsname");
    ptyPath_ = name;
    slaveHold_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slaveHold_ < 0) Fail("open " + ptyPath_);
    termios t;
    ::tcgetattr(slaveHold_, &t);
    ::cfmakeraw(&t);
    ::tcsetattr(slaveHold_, TCSANOW, &t);
    SetNonBlocking(master_);
    connections_ = 1;
    ioThread_ = std::thread([this] { IoLoop(); });
    playThread_ = std::thread([this] { PlayLoop(); });
    return ptyPath_;
}

int UnitSimulator::StartTcp(int port) { return StartTcp(port, "127.0.0.1"); }

int UnitSimulator::StartTcp(int port, const std::string& address)
{
    sockaddr_in a = Loopback(port);
    if (::inet_pton(AF_INET, address.c_str(), &a.sin_addr) != 1 || (ntohl(a.sin_addr.s_addr) >> 24) != 127)
        throw std::runtime_error("simulator: " + address + " is not a loopback address");
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (listener_ < 0) Fail("socket");
    const int one = 1;
    ::setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    if (::bind(listener_, reinterpret_cast<const sockaddr*>(&a), sizeof a) != 0) Fail("bind " + address);
    if (::listen(listener_, 8) != 0) Fail("listen");
    port_ = BoundPort(listener_);
    ioThread_ = std::thread([this] { IoLoop(); });
    playThread_ = std::thread([this] { PlayLoop(); });
    return port_;
}

void UnitSimulator::Stop()
{
    stop_ = true;
    const char c = 1;
    [[maybe_unused]] auto n = ::write(wakeWrite_, &c, 1);
    {
        std::lock_guard lock(playLock_);
        playChanged_.notify_all();
    }
    {
        std::lock_guard lock(connLock_);
        connChanged_.notify_all();
    }
    if (playThread_.joinable()) playThread_.join();
    if (ioThread_.joinable()) ioThread_.join();
    std::lock_guard wl(writeLock_);
    std::lock_guard cl(connLock_);
    for (int* fd : {&client_, &listener_, &master_, &slaveHold_}) {
        if (*fd >= 0) ::close(*fd);
        *fd = -1;
    }
}

std::string UnitSimulator::PtyName() const
{
    const std::string dev = "/dev/";
    return ptyPath_.rfind(dev, 0) == 0 ? ptyPath_.substr(dev.size()) : ptyPath_;
}

void UnitSimulator::CloseConnectionLocked()
{
    if (client_ >= 0) {
        ::shutdown(client_, SHUT_RDWR);
        ::close(client_);
        client_ = -1;
    }
    if (master_ >= 0) { // a hang-up: the program's side sees the line gone
        ::close(master_);
        ::close(slaveHold_);
        master_ = slaveHold_ = -1;
    }
    connChanged_.notify_all();
}

void UnitSimulator::CloseClient()
{
    // The io thread closes: it may be reading the descriptor right now.
    std::unique_lock lock(connLock_);
    if (client_ < 0 && master_ < 0) return;
    closing_ = true;
    const char c = 1;
    [[maybe_unused]] auto n = ::write(wakeWrite_, &c, 1);
    connChanged_.wait(lock, [this] { return !closing_.load() || stop_.load(); });
}

bool UnitSimulator::WaitForClient(int timeoutMs)
{
    std::unique_lock lock(connLock_);
    return connChanged_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                 [this] { return stop_.load() || client_ >= 0 || master_ >= 0; })
           && !stop_.load();
}

void UnitSimulator::IoLoop()
{
    std::uint8_t buf[4096];
    while (!stop_.load()) {
        if (closing_.load()) {
            std::lock_guard wl(writeLock_);
            std::lock_guard cl(connLock_);
            CloseConnectionLocked();
            closing_ = false;
            connChanged_.notify_all();
        }
        pollfd p[3];
        int n = 0;
        p[n++] = {wakeRead_, POLLIN, 0};
        int readFd = -1;
        {
            std::lock_guard lock(connLock_);
            // Like a unit, one client at a time: the next waits until this one has gone.
            if (listener_ >= 0 && client_ < 0) p[n++] = {listener_, POLLIN, 0};
            readFd = master_ >= 0 ? master_ : client_;
        }
        if (readFd >= 0) p[n++] = {readFd, POLLIN, 0};
        if (::poll(p, static_cast<nfds_t>(n), 200) <= 0) continue;
        if (p[0].revents) {
            while (::read(wakeRead_, buf, sizeof buf) > 0) {}
            continue; // the connection may have changed
        }
        for (int i = 1; i < n; ++i) {
            if (!p[i].revents) continue;
            if (p[i].fd == listener_) {
                const int c = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
                if (c < 0) continue;
                const int one = 1;
                ::setsockopt(c, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
                std::lock_guard wl(writeLock_);
                std::lock_guard cl(connLock_);
                client_ = c;
                ++connections_;
                connChanged_.notify_all();
                continue;
            }
            const ssize_t got = ::read(p[i].fd, buf, sizeof buf);
            if (got > 0) {
                std::lock_guard lock(recvLock_);
                receivedBytes_.insert(receivedBytes_.end(), buf, buf + got);
                parser_.Feed(buf, static_cast<std::size_t>(got));
                received_.notify_all();
            } else if (got == 0 || (errno != EAGAIN && errno != EINTR)) {
                std::lock_guard wl(writeLock_);
                std::lock_guard cl(connLock_);
                if (p[i].fd == client_) {
                    ::close(client_);
                    client_ = -1;
                    connChanged_.notify_all();
                }
            }
        }
    }
}

bool UnitSimulator::WriteAll(const Bytes& bytes)
{
    std::lock_guard wl(writeLock_);
    std::size_t done = 0;
    while (done < bytes.size() && !stop_.load() && !closing_.load()) {
        int fd;
        bool pty;
        {
            std::lock_guard cl(connLock_);
            pty = master_ >= 0;
            fd = pty ? master_ : client_;
        }
        if (fd < 0) return false;
        const std::size_t left = bytes.size() - done;
        const ssize_t m = pty ? ::write(fd, bytes.data() + done, left)
                              : ::send(fd, bytes.data() + done, left, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (m > 0) {
            done += static_cast<std::size_t>(m);
            continue;
        }
        if (m < 0 && errno != EAGAIN && errno != EINTR) return false;
        pollfd p{fd, POLLOUT, 0};
        ::poll(&p, 1, 50);
    }
    bytesSent_ += done;
    return done == bytes.size();
}

bool UnitSimulator::Send(const Bytes& bytes) { return WriteAll(bytes); }

bool UnitSimulator::SendFrame(const std::vector<UnitItem>& items)
{
    std::uint32_t seq;
    {
        std::lock_guard lock(playLock_);
        seq = ++seq_;
    }
    if (!WriteAll(BuildUnitFrame(seq, items))) return false;
    ++framesSent_;
    return true;
}

std::vector<Bytes> UnitSimulator::ReceivedFrames() const
{
    std::lock_guard lock(recvLock_);
    return parser_.Frames;
}

Bytes UnitSimulator::ReceivedBytes() const
{
    std::lock_guard lock(recvLock_);
    return receivedBytes_;
}

bool UnitSimulator::WaitForFrames(std::size_t count, int timeoutMs) const
{
    std::unique_lock lock(recvLock_);
    return received_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                              [&] { return parser_.Frames.size() >= count; });
}

void UnitSimulator::Play(Scenario scenario)
{
    auto steps = std::make_shared<Scenario>(std::move(scenario));
    PlaySteps([steps, next = std::size_t{0}](ScenarioStep& step) mutable {
        if (next == steps->size()) return false;
        step = std::move((*steps)[next++]);
        return true;
    });
}

void UnitSimulator::PlaySteps(StepSource steps)
{
    std::lock_guard lock(playLock_);
    scenarios_.push_back(std::move(steps));
    playChanged_.notify_all();
}

bool UnitSimulator::WaitScenarioDone(int timeoutMs)
{
    std::unique_lock lock(playLock_);
    return playChanged_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                 [this] { return scenarios_.empty() && !playing_; });
}

bool UnitSimulator::Sleep(int ms)
{
    std::unique_lock lock(playLock_);
    return !playChanged_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return stop_.load(); });
}

void UnitSimulator::PlayLoop()
{
    for (;;) {
        StepSource steps;
        {
            std::unique_lock lock(playLock_);
            playChanged_.wait(lock, [this] { return stop_.load() || !scenarios_.empty(); });
            if (stop_.load()) return;
            steps = std::move(scenarios_.front());
            scenarios_.pop_front();
            playing_ = true;
        }
        ScenarioStep step;
        while (!stop_.load() && steps(step)) RunStep(step);
        std::lock_guard lock(playLock_);
        playing_ = false;
        playChanged_.notify_all();
    }
}

void UnitSimulator::RunStep(const ScenarioStep& step)
{
    while (listener_ >= 0 && !stop_.load() && !WaitForClient(100)) {}
    switch (step.What) {
    case ScenarioStep::Frames: {
        // The rate counts from the start, or from the client that came after a lost one.
        auto start = Clock::now();
        std::uint64_t paced = 0;
        for (std::uint64_t i = 0; (step.Count == 0 || i < step.Count) && !stop_.load();) {
            if (step.Rate > 0) {
                const auto due = start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(paced / step.Rate));
                const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(due - Clock::now()).count();
                if (wait > 0 && !Sleep(static_cast<int>(wait))) return;
            }
            if (SendFrame(step.Items)) {
                ++i;
                ++paced;
                continue;
            }
            // A hung-up line is gone for good; a unit on the network serves the next client.
            if (listener_ < 0) return;
            while (!stop_.load() && !WaitForClient(200)) {
            }
            start = Clock::now();
            paced = 0;
        }
        break;
    }
    case ScenarioStep::BadFrame: {
        std::uint32_t seq;
        {
            std::lock_guard lock(playLock_);
            seq = ++seq_;
        }
        WriteAll(BuildUnitFrame(seq, step.Items, true));
        break;
    }
    case ScenarioStep::Noise: WriteAll(step.Raw); break;
    case ScenarioStep::Silence: Sleep(step.Ms); break;
    case ScenarioStep::Close: CloseClient(); break;
    }
}

// ---------------------------------------------------------------------------

StalledListener::StalledListener()
{
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listener_ < 0) Fail("socket");
    const sockaddr_in a = Loopback(0);
    if (::bind(listener_, reinterpret_cast<const sockaddr*>(&a), sizeof a) != 0 || ::listen(listener_, 0) != 0)
        Fail("listen 127.0.0.1");
    port_ = BoundPort(listener_);
    // Fill the accept queue; later connects get no answer.
    const sockaddr_in to = Loopback(port_);
    for (int i = 0; i < 2; ++i) {
        const int c = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        ::connect(c, reinterpret_cast<const sockaddr*>(&to), sizeof to);
        fillers_.push_back(c);
    }
    pollfd p{fillers_[0], POLLOUT, 0};
    ::poll(&p, 1, 1000);
}

StalledListener::~StalledListener()
{
    for (int c : fillers_) ::close(c);
    ::close(listener_);
}

int UnusedLoopbackPort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_in a = Loopback(0);
    if (fd < 0 || ::bind(fd, reinterpret_cast<const sockaddr*>(&a), sizeof a) != 0) Fail("bind 127.0.0.1");
    const int port = BoundPort(fd);
    ::close(fd);
    return port;
}

} // namespace sim
