#include "platform/io/TcpClient.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include "platform/io/HostLookup.h"

namespace io {

namespace {

// Reads of one ReadFromStack stop here even if the peer keeps sending.
constexpr std::size_t kMaxReadPerCall = 256 * 1024;
// A write that makes no progress for this long fails when no read time-out is set.
constexpr int kDefaultWriteWaitMs = 10000;

std::string ErrorText(const std::string& what, int code) { return what + ": " + std::strerror(code); }

} // namespace

TTcpClient::TTcpClient()
{
    wakeFd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wakeFd_ < 0) throw ETcpSocketError(ErrorText("eventfd", errno), errno);
}

TTcpClient::~TTcpClient()
{
    CloseSocket();
    ::close(wakeFd_);
}

void TTcpClient::SetHost(const std::string& host)
{
    std::lock_guard lock(settingsLock_);
    host_ = host;
}

std::string TTcpClient::GetHost() const
{
    std::lock_guard lock(settingsLock_);
    return host_;
}

void TTcpClient::SetPort(int port)
{
    std::lock_guard lock(settingsLock_);
    port_ = port;
}

int TTcpClient::GetPort() const
{
    std::lock_guard lock(settingsLock_);
    return port_;
}

int TTcpClient::WaitFor(int fd, short events, int timeoutMs) const
{
    if (cancelled_.load()) return -1;
    pollfd p[2] = {{fd, events, 0}, {wakeFd_, POLLIN, 0}};
    for (;;) {
        const int r = ::poll(p, 2, timeoutMs);
        if (r < 0 && errno == EINTR) continue;
        if (p[1].revents || cancelled_.load()) return -1;
        return r < 0 ? 1 : r; // a failing poll lets the caller's socket call report the error
    }
}

void TTcpClient::Connect(int timeoutMs)
{
    Disconnect();
    std::uint32_t address = 0;
    const std::string host = GetHost();
    const int port = GetPort();
    if (!LookupIPv4(host, address)) throw ETcpSocketError("Host not found: " + host, EHOSTUNREACH);
    if (port <= 0 || port > 65535) throw ETcpSocketError("Invalid port " + std::to_string(port), EINVAL);

    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) throw ETcpSocketError(ErrorText("socket", errno), errno);
    const int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);

    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<std::uint16_t>(port));
    to.sin_addr.s_addr = htonl(address);
    int error = 0;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&to), sizeof to) != 0) {
        error = errno;
        if (error == EINPROGRESS) {
            const int w = WaitFor(fd, POLLOUT, timeoutMs > 0 ? timeoutMs : -1);
            if (w <= 0) {
                ::close(fd);
                throw ETcpConnectTimeout(w < 0 ? "Connect cancelled" : "Connect timed out", ETIMEDOUT);
            }
            socklen_t len = sizeof error;
            if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &len) != 0) error = errno;
        }
    }
    if (error != 0) {
        ::close(fd);
        if (error == ETIMEDOUT) throw ETcpConnectTimeout(ErrorText("connect", error), error);
        throw ETcpConnectFailed(ErrorText("connect", error), error);
    }
    std::unique_lock lock(socketLock_);
    fd_ = fd;
}

bool TTcpClient::Connected() const
{
    std::shared_lock lock(socketLock_);
    return fd_ >= 0;
}

void TTcpClient::CloseSocket()
{
    std::unique_lock lock(socketLock_);
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

void TTcpClient::Disconnect()
{
    CloseSocket();
    input_.clear();
}

std::size_t TTcpClient::ReadFromStack()
{
    std::shared_lock lock(socketLock_);
    if (fd_ < 0) throw ETcpSocketError("Not connected", ENOTCONN);
    if (cancelled_.load()) return 0;
    // What has arrived already needs no wait.
    if (const std::size_t n = ReceiveWaiting()) return n;
    const int timeout = ReadTimeout.load();
    const int w = WaitFor(fd_, POLLIN, timeout > 0 ? timeout : -1);
    if (w < 0) return 0;
    if (w == 0) throw ETcpReadTimeout("Read timed out", ETIMEDOUT);
    return ReceiveWaiting();
}

std::size_t TTcpClient::ReceiveWaiting()
{
    std::size_t total = 0;
    std::uint8_t chunk[16384];
    while (total < kMaxReadPerCall) {
        const ssize_t n = ::recv(fd_, chunk, sizeof chunk, MSG_DONTWAIT);
        if (n > 0) {
            input_.insert(input_.end(), chunk, chunk + n);
            total += static_cast<std::size_t>(n);
            if (static_cast<std::size_t>(n) < sizeof chunk) break; // drained
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
        if (total > 0) break; // the close or error shows on the next read
        if (n == 0) throw ETcpClosedGracefully("Connection closed gracefully", 0);
        throw ETcpSocketError(ErrorText("recv", errno), errno);
    }
    return total;
}

std::vector<std::uint8_t> TTcpClient::ExtractInput(std::size_t count)
{
    count = std::min(count, input_.size());
    if (count == input_.size()) {
        std::vector<std::uint8_t> all;
        all.swap(input_);
        return all;
    }
    std::vector<std::uint8_t> out(input_.begin(), input_.begin() + static_cast<std::ptrdiff_t>(count));
    input_.erase(input_.begin(), input_.begin() + static_cast<std::ptrdiff_t>(count));
    return out;
}

void TTcpClient::OpenWriteBuffer()
{
    buffering_ = true;
    writeBuffer_.clear();
}

void TTcpClient::Write(const void* data, std::size_t count)
{
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    if (buffering_) writeBuffer_.insert(writeBuffer_.end(), bytes, bytes + count);
    else SendAll(bytes, count);
}

void TTcpClient::CloseWriteBuffer()
{
    if (!buffering_) return;
    buffering_ = false;
    std::vector<std::uint8_t> pending;
    pending.swap(writeBuffer_);
    SendAll(pending.data(), pending.size());
}

void TTcpClient::SendAll(const std::uint8_t* data, std::size_t count)
{
    std::shared_lock lock(socketLock_);
    if (fd_ < 0) throw ETcpSocketError("Not connected", ENOTCONN);
    const int timeout = ReadTimeout.load();
    std::size_t done = 0;
    while (done < count) {
        const ssize_t n = ::send(fd_, data + done, count - done, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) throw ETcpSocketError(ErrorText("send", errno), errno);
        const int w = WaitFor(fd_, POLLOUT, timeout > 0 ? timeout : kDefaultWriteWaitMs);
        if (w <= 0) throw ETcpSocketError(w < 0 ? "Write cancelled" : "Write timed out", ETIMEDOUT);
    }
}

void TTcpClient::Cancel()
{
    cancelled_ = true;
    const std::uint64_t one = 1;
    [[maybe_unused]] const auto n = ::write(wakeFd_, &one, sizeof one);
}

} // namespace io
