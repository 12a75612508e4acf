#include "platform/rtl/Stream.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

#include "platform/rtl/Exception.h"

namespace rtl {

std::int64_t TStream::GetSize()
{
    const std::int64_t pos = Seek(0, TSeekOrigin::soCurrent);
    const std::int64_t size = Seek(0, TSeekOrigin::soEnd);
    Seek(pos, TSeekOrigin::soBeginning);
    return size;
}

void TStream::ReadBuffer(void* buffer, std::int64_t count)
{
    if (count > 0 && Read(buffer, count) != count) throw EReadError("Stream read error");
}

void TStream::WriteBuffer(const void* buffer, std::int64_t count)
{
    if (count > 0 && Write(buffer, count) != count) throw EWriteError("Stream write error");
}

std::int64_t TStream::CopyFrom(TStream& source, std::int64_t count)
{
    if (count == 0) {
        source.SetPosition(0);
        count = source.GetSize();
    }
    std::vector<std::uint8_t> buf(static_cast<std::size_t>(std::min<std::int64_t>(count, 65536)));
    std::int64_t left = count;
    while (left > 0) {
        const std::int64_t n = std::min<std::int64_t>(left, static_cast<std::int64_t>(buf.size()));
        source.ReadBuffer(buf.data(), n);
        WriteBuffer(buf.data(), n);
        left -= n;
    }
    return count;
}

std::int64_t TMemoryStream::Read(void* buffer, std::int64_t count)
{
    const std::int64_t size = GetSize();
    if (count <= 0 || pos_ >= size) return 0;
    const std::int64_t n = std::min(count, size - pos_);
    std::memcpy(buffer, data_.data() + pos_, static_cast<std::size_t>(n));
    pos_ += n;
    return n;
}

std::int64_t TMemoryStream::Write(const void* buffer, std::int64_t count)
{
    if (count <= 0) return 0;
    const std::int64_t end = pos_ + count;
    if (end > GetSize()) data_.resize(static_cast<std::size_t>(end));
    std::memcpy(data_.data() + pos_, buffer, static_cast<std::size_t>(count));
    pos_ = end;
    return count;
}

std::int64_t TMemoryStream::Seek(std::int64_t offset, TSeekOrigin origin)
{
    std::int64_t base = 0;
    if (origin == TSeekOrigin::soCurrent) base = pos_;
    else if (origin == TSeekOrigin::soEnd) base = GetSize();
    pos_ = std::max<std::int64_t>(0, base + offset);
    return pos_;
}

void TMemoryStream::SetSize(std::int64_t newSize)
{
    data_.resize(static_cast<std::size_t>(std::max<std::int64_t>(0, newSize)));
}

void TMemoryStream::LoadFromStream(TStream& source)
{
    source.SetPosition(0);
    const std::int64_t size = source.GetSize();
    data_.resize(static_cast<std::size_t>(size));
    source.ReadBuffer(data_.data(), size);
    pos_ = 0;
}

void TMemoryStream::SaveToStream(TStream& dest) const
{
    dest.WriteBuffer(data_.data(), static_cast<std::int64_t>(data_.size()));
}

void TMemoryStream::LoadFromFile(const std::string& path)
{
    TFileStream f(path, fmOpenRead);
    LoadFromStream(f);
}

void TMemoryStream::SaveToFile(const std::string& path) const
{
    TFileStream f(path, fmCreate);
    SaveToStream(f);
}

TFileStream::TFileStream(const std::string& path, int mode)
{
    int flags = O_RDONLY;
    if (mode == fmCreate) flags = O_RDWR | O_CREAT | O_TRUNC;
    else if (mode == fmOpenWrite) flags = O_WRONLY;
    else if (mode == fmOpenReadWrite) flags = O_RDWR;
    fd_ = ::open(path.c_str(), flags | O_CLOEXEC, 0644);
    if (fd_ < 0) RaiseLastOSError("Cannot open file \"" + path + "\"");
}

TFileStream::~TFileStream()
{
    if (fd_ >= 0) ::close(fd_);
}

std::int64_t TFileStream::Read(void* buffer, std::int64_t count)
{
    std::int64_t done = 0;
    auto* p = static_cast<char*>(buffer);
    while (done < count) {
        const ssize_t n = ::read(fd_, p + done, static_cast<std::size_t>(count - done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += n;
    }
    return done;
}

std::int64_t TFileStream::Write(const void* buffer, std::int64_t count)
{
    std::int64_t done = 0;
    auto* p = static_cast<const char*>(buffer);
    while (done < count) {
        const ssize_t n = ::write(fd_, p + done, static_cast<std::size_t>(count - done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break; // a full disk ends the write short; WriteBuffer raises
        done += n;
    }
    return done;
}

std::int64_t TFileStream::Seek(std::int64_t offset, TSeekOrigin origin)
{
    // clang-format off
    const int whence = origin == TSeekOrigin::soBeginning ? SEEK_SET
                     : origin == TSeekOrigin::soCurrent   ? SEEK_CUR : SEEK_END;
    const off_t r = ::lseek(fd_, offset, whence);
    // clang-format on
    if (r < 0) RaiseLastOSError("Seek failed");
    return r;
}

void TFileStream::SetSize(std::int64_t newSize)
{
    if (::ftruncate(fd_, newSize) != 0) RaiseLastOSError("Cannot set file size");
}

} // namespace rtl
