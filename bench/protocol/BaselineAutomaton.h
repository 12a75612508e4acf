#pragma once
// The frame automaton as it was before its items became views of the frame's bytes:
// each item copied into Data and again into Text. Kept only as the baseline of
// protocol_bench, which feeds it the same stream in the same run.
//
// Unit to host: "$!" LEN(16 bit BE) SEQ(32 bit BE) items CHK "$."
//   LEN = 4 + item bytes; an item is a length byte L (1..255, counting code and
//   data), the code byte and L - 1 data bytes; CHK = XOR of LEN, SEQ and items.
// Host to unit: "$!" LEN(8 bit) command bytes CHK "$."; CHK = LEN XOR the bytes.
#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "platform/rtl/Delegate.h"

namespace baseline {

using TArray = std::vector<std::uint8_t>;
using TBArray = std::vector<std::uint8_t>;

// One decoded item: its code and its data bytes, also as an 8-bit string
// (same bytes, zero bytes included).
struct TProtocolCommands {
    std::int32_t Code = 0;
    TBArray Data;
    std::string Text;
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


    // Bytes reserved for the frame being received and for a second look at a
    // dropped one; each part stays within the largest LEN + 2 seen.
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

} // namespace baseline
