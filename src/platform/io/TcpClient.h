#pragma once
// TCP client over POSIX sockets: connect with a time-out, reads with a time-out that
// tell a time-out, a peer close and a socket error apart, and whole-buffer writes
// collected in a write buffer.
//
// One thread connects, reads and disconnects; another may write meanwhile. Cancel
// (any thread) ends the current and every later wait at once, so a thread that is
// asked to stop is not held by a read time-out.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <vector>

#include "platform/rtl/Exception.h"

namespace io {

// Every failure of the client; Code is errno where the system gave one.
class ETcpError : public rtl::Exception {
public:
    ETcpError(std::string message, int code) : Exception(std::move(message)), Code(code) {}
    int Code;
};
// The connect attempt was refused or the host is unreachable.
// clang-format off
class ETcpConnectFailed : public ETcpError { using ETcpError::ETcpError; };
// The connect attempt did not complete within its time-out.
class ETcpConnectTimeout : public ETcpError { using ETcpError::ETcpError; };
// A socket call outside the connect attempt failed: host lookup, socket creation,
// reading or writing.
class ETcpSocketError : public ETcpError { using ETcpError::ETcpError; };
// Nothing arrived within the read time-out.
class ETcpReadTimeout : public ETcpError { using ETcpError::ETcpError; };
// The peer closed the connection.
class ETcpClosedGracefully : public ETcpError { using ETcpError::ETcpError; };
// clang-format on

class TTcpClient {
public:
    TTcpClient();
    ~TTcpClient();
    TTcpClient(const TTcpClient&) = delete;
    TTcpClient& operator=(const TTcpClient&) = delete;

    void SetHost(const std::string& host);
    std::string GetHost() const;
    void SetPort(int port);
    int GetPort() const;
    // Longest wait of ReadFromStack in ms; 0 waits without limit.
    std::atomic<int> ReadTimeout{0};

    // Connects to Host:Port, giving up after timeoutMs. Raises ETcpConnectFailed,
    // ETcpConnectTimeout or ETcpSocketError.
    void Connect(int timeoutMs);
    bool Connected() const;
    // Closes the connection and empties the input buffer.
    void Disconnect();

    // Waits at most ReadTimeout for bytes and moves all that arrived into the input
    // buffer; returns their number (0 after Cancel). Raises ETcpReadTimeout,
    // ETcpClosedGracefully or ETcpSocketError.
    std::size_t ReadFromStack();
    std::size_t InputBufferSize() const { return input_.size(); }
    // Takes count bytes (at most what is buffered) from the front of the input buffer.
    std::vector<std::uint8_t> ExtractInput(std::size_t count);

    // Writes collect in the write buffer from OpenWriteBuffer until CloseWriteBuffer,
    // which sends them in one piece; outside it Write sends at once. Raises ETcpSocketError.
    void OpenWriteBuffer();
    void Write(const void* data, std::size_t count);
    void CloseWriteBuffer();

    // Ends the current wait and every later one at once (thread-safe).
    void Cancel();

private:
    void SendAll(const std::uint8_t* data, std::size_t count);
    // Moves what the socket holds into the input buffer without waiting; caller holds socketLock_.
    std::size_t ReceiveWaiting();
    // Waits for the events on fd or for Cancel; 0 on time-out, -1 when cancelled.
    int WaitFor(int fd, short events, int timeoutMs) const;
    void CloseSocket();

    mutable std::mutex settingsLock_;
    std::string host_;
    int port_ = 0;

    // Held shared while the socket is used, exclusively while it is opened or closed.
    mutable std::shared_mutex socketLock_;
    int fd_ = -1;
    int wakeFd_ = -1;
    std::atomic<bool> cancelled_{false};

    std::vector<std::uint8_t> input_;
    bool buffering_ = false;
    std::vector<std::uint8_t> writeBuffer_;
};

} // namespace io
