#pragma once
// Byte streams with position and size, as the device link, storage and grid
// export read and write them.
#include <cstdint>
#include <string>
#include <vector>

namespace rtl {

// clang-format off
enum class TSeekOrigin { soBeginning, soCurrent, soEnd };
// clang-format on

class TStream {
public:
    virtual ~TStream() = default;
    // Reads up to count bytes; returns how many were read (0 at the end).
    virtual std::int64_t Read(void* buffer, std::int64_t count) = 0;
    // Writes count bytes; returns how many were written.
    virtual std::int64_t Write(const void* buffer, std::int64_t count) = 0;
    // Moves the position; returns the new position.
    virtual std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) = 0;
    virtual void SetSize(std::int64_t newSize) = 0;

    std::int64_t GetPosition() { return Seek(0, TSeekOrigin::soCurrent); }
    void SetPosition(std::int64_t pos) { Seek(pos, TSeekOrigin::soBeginning); }
    virtual std::int64_t GetSize();

    // Read or write exactly count bytes, or raise EReadError / EWriteError.
    void ReadBuffer(void* buffer, std::int64_t count);
    void WriteBuffer(const void* buffer, std::int64_t count);
    // Copies count bytes from source's position; count 0 copies all of source from its start.
    std::int64_t CopyFrom(TStream& source, std::int64_t count);
};

// A stream in memory. Position may pass the size; a write there grows the stream
// and leaves zeros in the gap.
class TMemoryStream : public TStream {
public:
    std::int64_t Read(void* buffer, std::int64_t count) override;
    std::int64_t Write(const void* buffer, std::int64_t count) override;
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
    void SetSize(std::int64_t newSize) override; // keeps the position, even past the new end
    std::int64_t GetSize() override { return static_cast<std::int64_t>(data_.size()); }

    // clang-format off
    void Clear() { data_.clear(); pos_ = 0; }
    // clang-format on
    std::uint8_t* Memory() { return data_.data(); }
    const std::uint8_t* Memory() const { return data_.data(); }
    const std::vector<std::uint8_t>& Bytes() const { return data_; }
    std::string ToString() const { return std::string(data_.begin(), data_.end()); }

    void LoadFromStream(TStream& source); // whole source from its start; position 0 after
    void SaveToStream(TStream& dest) const;
    void LoadFromFile(const std::string& path);
    void SaveToFile(const std::string& path) const;

private:
    std::vector<std::uint8_t> data_;
    std::int64_t pos_ = 0;
};

// clang-format off
enum TFileMode { fmOpenRead = 0, fmOpenWrite = 1, fmOpenReadWrite = 2, fmCreate = 0xFF00 };
// clang-format on

// A file; raises EOSError when it cannot be opened.
class TFileStream : public TStream {
public:
    TFileStream(const std::string& path, int mode);
    ~TFileStream() override;
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;
    std::int64_t Read(void* buffer, std::int64_t count) override;
    std::int64_t Write(const void* buffer, std::int64_t count) override;
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
    void SetSize(std::int64_t newSize) override;
private:
    int fd_ = -1;
};

} // namespace rtl
