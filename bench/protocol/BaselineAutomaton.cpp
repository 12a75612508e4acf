#include "BaselineAutomaton.h"

#include <algorithm>
#include <bit>
#include <cstring>


namespace baseline {

namespace {

constexpr std::uint8_t kMark = '$';
constexpr std::uint8_t kStart2 = '!';
constexpr std::uint8_t kEnd2 = '.';
// Smallest LEN that holds a sequence number and one item (length and code bytes).
constexpr std::size_t kMinLen = 4 + 2;
// Unused item entries kept with their buffers for the next frames; beyond this they are freed.
constexpr std::size_t kMaxSpare = 256;

inline void Copy16(std::uint8_t* dst, const std::uint8_t* src)
{
    std::uint64_t a, b;
    std::memcpy(&a, src, 8);
    std::memcpy(&b, src + 8, 8);
    std::memcpy(dst, &a, 8);
    std::memcpy(dst + 8, &b, 8);
}

// Copies n bytes (at most an item's 256) with overlapping fixed-size moves, which
// beat a library call or a string instruction at these sizes and mostly random lengths.
inline void CopyShort(std::uint8_t* dst, const std::uint8_t* src, std::size_t n)
{
    if (n >= 16) {
        const std::uint8_t* const srcEnd = src + n - 16;
        std::uint8_t* const dstEnd = dst + n - 16;
        Copy16(dstEnd, srcEnd); // the tail first: the loop below may stop short of it
        for (; src < srcEnd; src += 16, dst += 16) Copy16(dst, src);
    } else if (n >= 8) {
        std::uint64_t head, tail;
        std::memcpy(&head, src, 8);
        std::memcpy(&tail, src + n - 8, 8);
        std::memcpy(dst, &head, 8);
        std::memcpy(dst + n - 8, &tail, 8);
    } else if (n >= 4) {
        std::uint32_t head, tail;
        std::memcpy(&head, src, 4);
        std::memcpy(&tail, src + n - 4, 4);
        std::memcpy(dst, &head, 4);
        std::memcpy(dst + n - 4, &tail, 4);
    } else if (n > 0) {
        const std::uint8_t a = src[0], b = src[n / 2], c = src[n - 1];
        dst[0] = a;
        dst[n / 2] = b;
        dst[n - 1] = c;
    }
}

inline void CopyBytes(std::uint8_t* dst, const std::uint8_t* src, std::size_t n)
{
    if (n <= 256) CopyShort(dst, src, n);
    else std::memcpy(dst, src, n);
}


} // namespace

void TProtocolAutomata::Feed(const std::uint8_t* bytes, std::size_t count)
{
    if (count == 0) return;
    Run(bytes, bytes + count);
}

void TProtocolAutomata::Run(const std::uint8_t* p, const std::uint8_t* const end)
{
    while (p < end) {
        switch (state_) {
        case sHunt: {
            const void* mark = std::memchr(p, kMark, static_cast<std::size_t>(end - p));
            if (!mark) return;
            p = static_cast<const std::uint8_t*>(mark) + 1;
            state_ = sMark2;
            break;
        }
        case sMark2:
            // A byte other than "!" is dropped, even a second "$".
            if (*p++ == kStart2) StartFrame();
            else state_ = sHunt;
            break;
        case sLenHi:
            if (end - p >= 6) {
                // LEN and sequence number whole in this read.
                lenHi_ = p[0];
                lenLo_ = p[1];
                p += 2;
                if (!AcceptLen()) break;
                std::memcpy(seq_.data(), p, 4);
                p += 4;
                state_ = sItemLength;
                break;
            }
            lenHi_ = *p++;
            state_ = sLenLo;
            break;
        case sLenLo:
            lenLo_ = *p++;
            if (AcceptLen()) state_ = sSeq0;
            break;
        case sSeq0:
        case sSeq1:
        case sSeq2:
        case sSeq3:
            seq_[state_ - sSeq0] = *p++;
            ++state_;
            break;
        case sItemLength: {
            const std::size_t space = ItemSpace();
            std::uint8_t* const buffer = items_.data();
            std::size_t count = itemCount_;
            bool dropped = false;
            if (static_cast<std::size_t>(end - p) >= space - count) {
                // The rest of the items lies in this read: take it at once, then
                // check that the items end exactly at LEN.
                const std::uint8_t* const first = p;
                const std::size_t start = count;
                CopyBytes(buffer + count, p, space - count);
                while (count < space) {
                    const std::size_t length = buffer[count];
                    // A zero length, or an item that would run past LEN - 4, cannot end on
                    // LEN: drop the frame here and look at this byte again as a possible "$".
                    if (length == 0 || count + 1 + length > space) {
                        dropped = true;
                        break;
                    }
                    count += length + 1;
                }
                p = first + (count - start);
            } else {
                // Items whole in this read one by one; a cut one goes on byte by byte.
                while (p < end) {
                    const std::size_t length = *p;
                    if (length == 0 || count + 1 + length > space) {
                        dropped = true;
                        break;
                    }
                    if (static_cast<std::size_t>(end - p) <= length) break;
                    CopyShort(buffer + count, p, length + 1);
                    count += length + 1;
                    p += length + 1;
                }
            }
            itemCount_ = count;
            if (dropped) {
                DropBadFrame();
            } else if (count == space) {
                state_ = sCheck;
            } else if (p < end) {
                remaining_ = *p;
                items_[itemCount_++] = *p++;
                state_ = sItemBody;
            }
            break;
        }
        case sItemBody: {
            const std::size_t n = std::min<std::size_t>(remaining_, static_cast<std::size_t>(end - p));
            std::memcpy(items_.data() + itemCount_, p, n);
            itemCount_ += n;
            p += n;
            remaining_ = static_cast<std::uint8_t>(remaining_ - n);
            if (remaining_ == 0) state_ = itemCount_ == ItemSpace() ? sCheck : sItemLength;
            break;
        }
        case sCheck:
            if (end - p >= 3) {
                // Check byte and end marks whole in this read.
                check_ = p[0];
                state_ = sHunt;
                if (p[1] != kMark) {
                    p += 2;
                } else if (p[2] != kEnd2) {
                    p += 3;
                } else {
                    p += 3;
                    CompleteFrame();
                }
                break;
            }
            check_ = *p++;
            state_ = sEnd1;
            break;
        case sEnd1:
            state_ = *p++ == kMark ? sEnd2 : sHunt;
            break;
        case sEnd2:
            state_ = sHunt;
            if (*p++ == kEnd2) CompleteFrame();
            break;
        default:
            state_ = sHunt;
            break;
        }
    }
}

bool TProtocolAutomata::AcceptLen()
{
    if (((std::size_t(lenHi_) << 8) | lenLo_) < kMinLen) {
        state_ = sHunt;
        return false;
    }
    // The item buffer grows to this frame's LEN - 4 at most, once.
    if (items_.size() < ItemSpace()) {
        items_.reserve(ItemSpace());
        items_.resize(ItemSpace());
    }
    return true;
}

void TProtocolAutomata::DropBadFrame()
{
    state_ = sHunt;
    if (frameFromRescan_) return;
    // Everything the frame took after its "$!": LEN, sequence and items.
    TBArray bytes;
    bytes.swap(rescan_); // a handler feeding from OnFrame must not disturb these bytes
    bytes.reserve(6 + itemCount_);
    bytes.assign({lenHi_, lenLo_, seq_[0], seq_[1], seq_[2], seq_[3]});
    bytes.insert(bytes.end(), items_.begin(), items_.begin() + static_cast<std::ptrdiff_t>(itemCount_));
    struct Restore {
        TProtocolAutomata& self;
        TBArray& bytes;
        bool outer;
        ~Restore()
        {
            self.rescanning_ = outer;
            if (self.rescan_.capacity() < bytes.capacity()) self.rescan_.swap(bytes);
        }
    } restore{*this, bytes, rescanning_};
    rescanning_ = true;
    Run(bytes.data(), bytes.data() + bytes.size());
}

void TProtocolAutomata::StartFrame()
{
    frameFromRescan_ = rescanning_;
    itemCount_ = 0;
    remaining_ = 0;
    seq_ = {};
    lenHi_ = 0;
    lenLo_ = 0;
    state_ = sLenHi;
}

std::uint8_t TProtocolAutomata::Checksum() const
{
    const std::uint8_t* data = items_.data();
    const std::size_t n = itemCount_;
    std::uint64_t wide = 0;
    std::size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, data + i, 8);
        wide ^= word;
    }
    if (i < n && n >= 8) {
        // The last n - i bytes: the end of the last 8-byte word, without the bytes
        // already counted.
        std::uint64_t word;
        std::memcpy(&word, data + n - 8, 8);
        const unsigned counted = 8 * static_cast<unsigned>(8 - (n - i));
        if constexpr (std::endian::native == std::endian::little) wide ^= word >> counted;
        else wide ^= word << counted;
    } else {
        for (; i < n; ++i) wide ^= data[i];
    }
    wide ^= wide >> 32;
    wide ^= wide >> 16;
    wide ^= wide >> 8;
    return static_cast<std::uint8_t>(wide ^ lenHi_ ^ lenLo_ ^ seq_[0] ^ seq_[1] ^ seq_[2] ^ seq_[3]);
}

void TProtocolAutomata::CompleteFrame()
{
    if (Checksum() != check_) return;
    packet_.Seq = (std::uint32_t(seq_[0]) << 24) | (std::uint32_t(seq_[1]) << 16)
                  | (std::uint32_t(seq_[2]) << 8) | std::uint32_t(seq_[3]);
    DecodeItems();
    if (OnFrame) OnFrame(packet_);
}

void TProtocolAutomata::DecodeItems()
{
    // The items were checked on arrival: each length is at least 1 and they end
    // exactly at itemCount_, so every read below stays inside the buffer.
    auto& commands = packet_.Commands;
    commands.clear();
    const std::uint8_t* data = items_.data();
    for (std::size_t p = 0; p < itemCount_; p += std::size_t(data[p]) + 1) {
        TProtocolCommands& item = commands.Append();
        const std::size_t dataLength = std::size_t(data[p]) - 1;
        const std::uint8_t* itemData = data + p + 2;
        item.Code = data[p + 1];
        item.Data.clear();
        item.Data.insert(item.Data.end(), itemData, itemData + dataLength);
        item.Text.clear();
        item.Text.append(reinterpret_cast<const char*>(itemData), dataLength);
    }
    commands.TrimSpare(kMaxSpare);
}



} // namespace baseline
