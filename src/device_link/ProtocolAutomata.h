#pragma once
// The unit protocol: cuts a unit's byte stream into frames and wraps host commands
// into frames.
//
// Unit to host: "$!" LEN(16 bit BE) SEQ(32 bit BE) items CHK "$."
//   LEN = 4 + item bytes; an item is a length byte L (1..255, counting code and
//   data), the code byte and L - 1 data bytes; CHK = XOR of LEN, SEQ and items.
// Host to unit: "$!" LEN(8 bit) command bytes CHK "$."; CHK = LEN XOR the bytes.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/rtl/Delegate.h"

namespace device_link {

using TArray = std::vector<std::uint8_t>;
using TBArray = std::vector<std::uint8_t>;

// An item's data bytes, read like a TBArray (and turned into one where a copy is wanted).
class TItemData {
public:
    using value_type = std::uint8_t;
    using size_type = std::size_t;
    using const_iterator = const std::uint8_t*;
    using iterator = const_iterator;

    TItemData() = default;
    TItemData(const std::uint8_t* bytes, std::size_t count) : bytes_(bytes), count_(count) {}

    const std::uint8_t* data() const { return bytes_; }
    std::size_t size() const { return count_; }
    bool empty() const { return count_ == 0; }
    const_iterator begin() const { return bytes_; }
    const_iterator end() const { return bytes_ + count_; }
    std::uint8_t operator[](std::size_t i) const { return bytes_[i]; }
    operator TBArray() const { return TBArray(begin(), end()); }

    friend bool operator==(const TItemData& a, const TItemData& b)
    {
        return a.count_ == b.count_ && (a.count_ == 0 || std::memcmp(a.bytes_, b.bytes_, a.count_) == 0);
    }
    friend bool operator==(const TItemData& a, const TBArray& b) { return a == TItemData(b.data(), b.size()); }

private:
    const std::uint8_t* bytes_ = nullptr;
    std::size_t count_ = 0;
};

// One decoded item: its code and its data bytes, also as an 8-bit string (same bytes,
// zero bytes included). In the packet the automaton hands out, Data and Text both
// show the frame's bytes as they were received, copied once; they last until the next
// frame. A copy of an item holds its own bytes.
struct TProtocolCommands {
    std::int32_t Code = 0;
    TItemData Data;
    std::string_view Text;

    TProtocolCommands() = default;
    TProtocolCommands(std::int32_t code, std::string_view bytes) : Code(code) { own(bytes); }
    TProtocolCommands(std::int32_t code, const TBArray& data)
        : TProtocolCommands(code, std::string_view(reinterpret_cast<const char*>(data.data()), data.size()))
    {
    }
    TProtocolCommands(const TProtocolCommands& other) : Code(other.Code) { own(other.Text); }
    TProtocolCommands(TProtocolCommands&& other) noexcept { take(other); }
    TProtocolCommands& operator=(const TProtocolCommands& other)
    {
        if (this != &other) {
            Code = other.Code;
            own(other.Text);
        }
        return *this;
    }
    TProtocolCommands& operator=(TProtocolCommands&& other) noexcept
    {
        if (this != &other) take(other);
        return *this;
    }

private:
    friend class TProtocolAutomata;
    // The item as the given bytes of a frame show it.
    void view(std::int32_t code, const std::uint8_t* bytes, std::size_t count)
    {
        Code = code;
        Data = TItemData(bytes, count);
        Text = std::string_view(reinterpret_cast<const char*>(bytes), count);
        owned_ = false;
    }
    void own(std::string_view bytes)
    {
        bytes_.assign(bytes);
        pointAtOwnBytes();
    }
    void pointAtOwnBytes()
    {
        Data = TItemData(reinterpret_cast<const std::uint8_t*>(bytes_.data()), bytes_.size());
        Text = bytes_;
        owned_ = true;
    }
    void take(TProtocolCommands& other) noexcept
    {
        Code = other.Code;
        bytes_ = std::move(other.bytes_);
        if (other.owned_) {
            pointAtOwnBytes();
        } else {
            Data = other.Data;
            Text = other.Text;
            owned_ = false;
        }
        other.pointAtOwnBytes();
    }

    std::string bytes_; // the bytes of a copy; kept for reuse while the item is a view
    bool owned_ = true;
};

// The items of a frame, read like a vector. Refilling it keeps the buffers of
// entries no longer in use, so a steady stream of frames allocates nothing.
// Copies hold the items only.
class TProtocolCommandList {
public:
    using value_type = TProtocolCommands;
    using iterator = TProtocolCommands*;
    using const_iterator = const TProtocolCommands*;

    TProtocolCommandList() = default;
    TProtocolCommandList(std::initializer_list<TProtocolCommands> items) : entries_(items), count_(items.size()) {}
    TProtocolCommandList(const TProtocolCommandList& other) : entries_(other.begin(), other.end()), count_(other.count_) {}
    TProtocolCommandList(TProtocolCommandList&& other) noexcept
        : entries_(std::move(other.entries_)), count_(std::exchange(other.count_, 0)) { other.entries_.clear(); }
    TProtocolCommandList& operator=(const TProtocolCommandList& other)
    {
        if (this != &other) {
            entries_.assign(other.begin(), other.end());
            count_ = other.count_;
        }
        return *this;
    }
    TProtocolCommandList& operator=(TProtocolCommandList&& other) noexcept
    {
        entries_ = std::move(other.entries_);
        other.entries_.clear();
        count_ = std::exchange(other.count_, 0);
        return *this;
    }

    std::size_t size() const { return count_; }
    bool empty() const { return count_ == 0; }
    TProtocolCommands& operator[](std::size_t i) { return entries_[i]; }
    const TProtocolCommands& operator[](std::size_t i) const { return entries_[i]; }
    iterator begin() { return entries_.data(); }
    iterator end() { return entries_.data() + count_; }
    const_iterator begin() const { return entries_.data(); }
    const_iterator end() const { return entries_.data() + count_; }

    void push_back(const TProtocolCommands& item) { Append() = item; }
    void clear() { count_ = 0; }
    // Appends an entry that may still hold an earlier frame's values; the caller
    // sets every field.
    TProtocolCommands& Append()
    {
        if (count_ == entries_.size()) entries_.emplace_back();
        return entries_[count_++];
    }
    // Frees the unused entries beyond the first `spare`.
    void TrimSpare(std::size_t spare)
    {
        if (entries_.size() > count_ + spare) entries_.resize(count_ + spare);
    }

private:
    std::vector<TProtocolCommands> entries_;
    std::size_t count_ = 0;
};

// One decoded frame.
struct TProtocolPacket {
    std::uint32_t Seq = 0;
    TProtocolCommandList Commands;
};

using TFrameEvent = rtl::Delegate<void(TProtocolPacket&)>;

class TProtocolAutomata {
public:
    // Called on every frame whose items fill LEN exactly and whose check byte is
    // right. The packet belongs to the automaton and is refilled for the next
    // frame; a handler copies what it keeps. A frame with an item length of 0 or
    // with items that pass LEN is dropped as soon as that shows, and the bytes it
    // took after its "$!" are searched once more for a frame start.
    TFrameEvent OnFrame;

    TProtocolAutomata() = default;
    TProtocolAutomata(const TProtocolAutomata&) = delete;
    TProtocolAutomata& operator=(const TProtocolAutomata&) = delete;

    // Runs the bytes through the automaton in order; a frame may be split across
    // any number of calls. OnFrame runs before any later byte is examined.
    void Feed(const TArray& bytes) { Feed(bytes.data(), bytes.size()); }
    void Feed(const std::uint8_t* bytes, std::size_t count);

    // Back to hunting for "$"; a partial frame is abandoned.
    void Reset() { state_ = sHunt; }

    // XOR of the LEN bytes, the sequence bytes and the item bytes received so far.
    std::uint8_t Checksum() const;

    // Replaces frame with a host-to-unit frame around the command bytes.
    // Raises rtl::Exception for more than 255 bytes, which LEN cannot carry.
    static void BuildFrame(const TBArray& data, TBArray& frame);
    static void BuildFrameStr(const std::string& text, TBArray& frame);

    // Bytes reserved for the frame being received and for a second look at a
    // dropped one; each part stays within the largest LEN + 2 seen. (The items of
    // the frame last delivered, which its packet shows, lie apart.)
    std::size_t BufferCapacity() const { return items_.capacity() + rescan_.capacity(); }

private:
    enum State : std::uint8_t {
        // clang-format off
        sHunt, sMark2, sLenHi, sLenLo, sSeq0, sSeq1, sSeq2, sSeq3,
        sItemLength, sItemBody, sCheck, sEnd1, sEnd2
        // clang-format on
    };

    std::size_t ItemSpace() const { return ((std::size_t(lenHi_) << 8) | lenLo_) - 4; }
    void Run(const std::uint8_t* p, const std::uint8_t* end);
    void StartFrame();
    // Takes LEN; a LEN too short for one item drops the frame.
    bool AcceptLen();
    void DropBadFrame();
    void CompleteFrame();
    void DecodeItems();

    TProtocolPacket packet_;
    std::uint8_t state_ = sHunt;
    // Grows only to LEN - 4 of the largest frame seen; itemCount_ bytes are valid.
    TBArray items_;
    // The items of the frame last delivered, which the packet's items show: the item
    // buffer of that frame, traded for the next frame's.
    TBArray delivered_;
    std::size_t itemCount_ = 0;
    std::uint8_t remaining_ = 0;
    std::array<std::uint8_t, 4> seq_{};
    std::uint8_t lenHi_ = 0;
    std::uint8_t lenLo_ = 0;
    std::uint8_t check_ = 0;
    // A frame dropped for a zero item length or for items running past LEN is
    // looked at again from the byte after its "$!", so a good frame swallowed by
    // it is still found; bytes are looked at again only once.
    TBArray rescan_;
    bool rescanning_ = false;
    bool frameFromRescan_ = false;
};

} // namespace device_link
