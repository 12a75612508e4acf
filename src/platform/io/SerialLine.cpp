#include "platform/io/SerialLine.h"

// termios2 (any bit rate) comes from the kernel's own header; glibc's <termios.h>
// would clash with it, so this file uses the ioctls directly.
#include <asm/termbits.h>
#include <sys/ioctl.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <unistd.h>

namespace io {

namespace {

struct StandardRate {
    std::uint32_t rate;
    unsigned code;
};

constexpr StandardRate kStandardRates[] = {
    // clang-format off
    {50, B50}, {75, B75}, {110, B110}, {134, B134}, {150, B150}, {200, B200}, {300, B300},
    {600, B600}, {1200, B1200}, {1800, B1800}, {2400, B2400}, {4800, B4800}, {9600, B9600},
    {19200, B19200}, {38400, B38400}, {57600, B57600}, {115200, B115200}, {230400, B230400},
    {460800, B460800}, {921600, B921600},
    // clang-format on
};

int RemainingMs(std::chrono::steady_clock::time_point end)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

// A pseudo-terminal has no modem lines; the kernel answers ENOTTY or EINVAL.
bool NoModemLines(int error) { return error == ENOTTY || error == EINVAL; }

} // namespace

std::string SerialDevicePath(const std::string& name)
{
    if (name.size() > 3 && name.compare(0, 3, "COM") == 0) {
        char* end = nullptr;
        const long n = std::strtol(name.c_str() + 3, &end, 10);
        if (end && *end == '\0' && n >= 1) return "/dev/ttyS" + std::to_string(n - 1);
    }
    return "/dev/" + name;
}

bool SerialLine::Open(const std::string& path)
{
    Close();
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    // Not shared: TIOCEXCL keeps other programs out, the lock keeps a second open of
    // this program out (TIOCEXCL does not stop a privileged process).
    termios2 probe;
    if (::ioctl(fd, TCGETS2, &probe) != 0 || ::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::ioctl(fd, TIOCEXCL) != 0) {
        const int error = errno;
        ::close(fd);
        errno = error == EWOULDBLOCK ? EBUSY : error;
        return false;
    }
    fd_ = fd;
    return true;
}

void SerialLine::Close()
{
    if (fd_ < 0) return;
    ::ioctl(fd_, TIOCNXCL);
    ::close(fd_);
    fd_ = -1;
}

bool SerialLine::Apply(const SerialSettings& s)
{
    if (fd_ < 0 || s.DataBits < 5 || s.DataBits > 8 || s.BaudRate == 0) return false;
    termios2 t;
    if (::ioctl(fd_, TCGETS2, &t) != 0) return false;

    t.c_iflag &= ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF | IXANY | INPCK);
    t.c_oflag &= ~OPOST;
    t.c_lflag &= ~(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    t.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS | CBAUD | (CBAUD << IBSHIFT));
    t.c_cflag |= CLOCAL | CREAD;
    static constexpr unsigned kSizes[] = {CS5, CS6, CS7, CS8};
    t.c_cflag |= kSizes[s.DataBits - 5];
    switch (s.Parity) {
    case SerialParity::None: break;
    case SerialParity::Odd: t.c_cflag |= PARENB | PARODD; break;
    case SerialParity::Even: t.c_cflag |= PARENB; break;
    case SerialParity::Mark: t.c_cflag |= PARENB | CMSPAR | PARODD; break;
    case SerialParity::Space: t.c_cflag |= PARENB | CMSPAR; break;
    }
    if (s.StopBits != SerialStopBits::One) t.c_cflag |= CSTOPB;
    if (s.RtsCtsFlow) t.c_cflag |= CRTSCTS;
    if (s.XonXoff) {
        t.c_iflag |= IXON | IXOFF;
        t.c_cc[VSTART] = s.XonChar;
        t.c_cc[VSTOP] = s.XoffChar;
    }
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;

    unsigned code = BOTHER;
    for (const auto& r : kStandardRates)
        if (r.rate == s.BaudRate) code = r.code;
    t.c_cflag |= code;
    t.c_ispeed = s.BaudRate;
    t.c_ospeed = s.BaudRate;
    return ::ioctl(fd_, TCSETS2, &t) == 0;
}

bool SerialLine::ModemBits(unsigned long request, int bits)
{
    if (fd_ < 0) return false;
    if (::ioctl(fd_, request, &bits) == 0) return true;
    return NoModemLines(errno);
}

bool SerialLine::SetDTR(bool on) { return ModemBits(on ? TIOCMBIS : TIOCMBIC, TIOCM_DTR); }

bool SerialLine::SetRTS(bool on) { return ModemBits(on ? TIOCMBIS : TIOCMBIC, TIOCM_RTS); }

bool SerialLine::GetModemSignals(unsigned& signals) const
{
    int bits = 0;
    if (fd_ < 0 || ::ioctl(fd_, TIOCMGET, &bits) != 0) return false;
    signals = 0;
    if (bits & TIOCM_CTS) signals |= sigCTS;
    if (bits & TIOCM_DSR) signals |= sigDSR;
    if (bits & TIOCM_RNG) signals |= sigRING;
    if (bits & TIOCM_CAR) signals |= sigDCD;
    return true;
}

bool SerialLine::Purge(bool input, bool output)
{
    if (fd_ < 0) return false;
    if (!input && !output) return true;
    // clang-format off
    const int which = input && output ? TCIOFLUSH : input ? TCIFLUSH : TCOFLUSH;
    // clang-format on
    return ::ioctl(fd_, TCFLSH, which) == 0;
}

int SerialLine::BytesWaiting() const
{
    int n = 0;
    if (fd_ < 0 || ::ioctl(fd_, FIONREAD, &n) != 0) return -1;
    return n;
}

int SerialLine::OutputQueued() const
{
    int n = 0;
    if (fd_ < 0 || ::ioctl(fd_, TIOCOUTQ, &n) != 0) return -1;
    return n;
}

bool SerialLine::HungUp() const
{
    if (fd_ < 0) return true;
    pollfd p{fd_, POLLIN, 0};
    if (::poll(&p, 1, 0) < 0) return errno != EINTR;
    return (p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}

long SerialLine::ReadAvailable(void* buffer, std::size_t count)
{
    if (fd_ < 0) return -1;
    if (count == 0) return 0;
    for (;;) {
        const ssize_t n = ::read(fd_, buffer, count);
        if (n >= 0) return static_cast<long>(n);
        if (errno == EINTR) continue;
        return errno == EAGAIN ? 0 : -1;
    }
}

bool SerialLine::WaitReadable(int timeoutMs) const
{
    if (fd_ < 0) return false;
    pollfd p{fd_, POLLIN, 0};
    const int r = ::poll(&p, 1, timeoutMs);
    return r > 0 && (p.revents & POLLIN);
}

long SerialLine::Write(const void* buffer, std::size_t count, int timeoutMs)
{
    if (fd_ < 0) return -1;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    const auto* bytes = static_cast<const std::uint8_t*>(buffer);
    std::size_t done = 0;
    while (done < count) {
        const ssize_t n = ::write(fd_, bytes + done, count - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN) return done > 0 ? static_cast<long>(done) : -1;
        const int left = RemainingMs(end);
        if (left == 0) break;
        pollfd p{fd_, POLLOUT, 0};
        if (::poll(&p, 1, left) <= 0) break;
    }
    return static_cast<long>(done);
}

} // namespace io
