#include "device_link/ProtocolAutomata.h"

#include <cstdint>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "platform/rtl/Exception.h"

using device_link::TArray;
using device_link::TBArray;
using device_link::TFrameEvent;
using device_link::TProtocolAutomata;
using device_link::TProtocolPacket;

namespace {

struct Item {
    std::uint8_t code;
    TArray data;
};

// A unit frame built from the wire description, independently of the automaton.
TArray UnitFrame(std::uint32_t seq, const std::vector<Item>& items)
{
    TArray body;
    for (const Item& item : items) {
        body.push_back(static_cast<std::uint8_t>(item.data.size() + 1));
        body.push_back(item.code);
        body.insert(body.end(), item.data.begin(), item.data.end());
    }
    const std::size_t len = body.size() + 4;
    TArray covered = {std::uint8_t(len >> 8), std::uint8_t(len),
                      std::uint8_t(seq >> 24), std::uint8_t(seq >> 16), std::uint8_t(seq >> 8), std::uint8_t(seq)};
    covered.insert(covered.end(), body.begin(), body.end());
    std::uint8_t check = 0;
    for (std::uint8_t b : covered) check ^= b;
    TArray frame = {'$', '!'};
    frame.insert(frame.end(), covered.begin(), covered.end());
    frame.push_back(check);
    frame.push_back('$');
    frame.push_back('.');
    return frame;
}

TArray operator+(TArray a, const TArray& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Copies of every delivered packet, as a handler that keeps them must make.
struct Sink {
    std::vector<TProtocolPacket> packets;
    void OnFrame(TProtocolPacket& packet) { packets.push_back(packet); }
};

struct AutomatonTest : ::testing::Test {
    TProtocolAutomata automaton;
    Sink sink;
    AutomatonTest() { automaton.OnFrame = TFrameEvent(&sink, &Sink::OnFrame); }
    void Feed(const TArray& bytes) { automaton.Feed(bytes); }
    std::vector<std::uint32_t> Seqs() const
    {
        std::vector<std::uint32_t> seqs;
        for (const auto& p : sink.packets) seqs.push_back(p.Seq);
        return seqs;
    }
};

void ExpectPacket(const TProtocolPacket& packet, std::uint32_t seq, const std::vector<Item>& items)
{
    EXPECT_EQ(packet.Seq, seq);
    ASSERT_EQ(packet.Commands.size(), items.size());
    for (std::size_t i = 0; i < items.size(); ++i) {
        EXPECT_EQ(packet.Commands[i].Code, items[i].code) << "item " << i;
        EXPECT_EQ(packet.Commands[i].Data, items[i].data) << "item " << i;
        EXPECT_EQ(packet.Commands[i].Text, std::string(items[i].data.begin(), items[i].data.end())) << "item " << i;
    }
}

const std::vector<Item> kThreeItems = {{0x02, {'A', 'B'}}, {0x2A, {7}}, {0x5A, {1, 2, 3, 4, 5}}};

} // namespace

TEST_F(AutomatonTest, DecodesTheDocumentedUnitFrame)
{
    const TArray wire = {0x24, 0x21, 0x00, 0x08, 0x00, 0x00, 0x00, 0x01, 0x03, 0x02, 0x41, 0x42, 0x0B, 0x24, 0x2E};
    EXPECT_EQ(UnitFrame(1, {{0x02, {'A', 'B'}}}), wire);
    Feed(wire);
    ASSERT_EQ(sink.packets.size(), 1u);
    ExpectPacket(sink.packets[0], 1, {{0x02, {'A', 'B'}}});
}

TEST_F(AutomatonTest, DecodesSequenceNumbersAndItemShapes)
{
    // Sequence 00 00 01 02; an item of code only; a zero byte inside the text; the largest item.
    TArray big(254);
    for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<std::uint8_t>(i * 7);
    const std::vector<Item> items = {{0x10, {}}, {0x20, {0x41, 0x00, 0x42}}, {0xFF, big}};
    Feed(UnitFrame(258, items));
    Feed(UnitFrame(0xFFFFFFFFu, {{0x01, {}}}));
    ASSERT_EQ(sink.packets.size(), 2u);
    ExpectPacket(sink.packets[0], 258, items);
    EXPECT_TRUE(sink.packets[0].Commands[0].Data.empty());
    EXPECT_TRUE(sink.packets[0].Commands[0].Text.empty());
    EXPECT_EQ(sink.packets[0].Commands[1].Text.size(), 3u);
    EXPECT_EQ(sink.packets[1].Seq, 4294967295u);
    // The record is refilled: the smaller second frame leaves no items of the first.
    ASSERT_EQ(sink.packets[1].Commands.size(), 1u);
}

TEST_F(AutomatonTest, SplitFeedingGivesTheSamePacketAsWholeFeeding)
{
    const TArray frame = UnitFrame(0x01020304, kThreeItems);
    for (std::size_t cut = 0; cut <= frame.size(); ++cut) {
        Feed(TArray(frame.begin(), frame.begin() + static_cast<std::ptrdiff_t>(cut)));
        Feed(TArray(frame.begin() + static_cast<std::ptrdiff_t>(cut), frame.end()));
    }
    for (std::uint8_t b : frame) automaton.Feed(&b, 1);
    ASSERT_EQ(sink.packets.size(), frame.size() + 2);
    for (const auto& packet : sink.packets) ExpectPacket(packet, 0x01020304, kThreeItems);
}

TEST_F(AutomatonTest, FramesInOneCallArriveInOrderEachBeforeTheNextIsExamined)
{
    Sink second;
    struct Switcher {
        TProtocolAutomata* automaton;
        Sink* first;
        Sink* next;
        void OnFrame(TProtocolPacket& p)
        {
            first->OnFrame(p);
            automaton->OnFrame = TFrameEvent(next, &Sink::OnFrame);
        }
    } switcher{&automaton, &sink, &second};
    automaton.OnFrame = TFrameEvent(&switcher, &Switcher::OnFrame);
    Feed(UnitFrame(1, kThreeItems) + UnitFrame(2, {{3, {9}}}) + UnitFrame(3, {{4, {}}}));
    ASSERT_EQ(sink.packets.size(), 1u);
    ExpectPacket(sink.packets[0], 1, kThreeItems);
    ASSERT_EQ(second.packets.size(), 2u);
    EXPECT_EQ(second.packets[0].Seq, 2u);
    EXPECT_EQ(second.packets[1].Seq, 3u);
}

TEST_F(AutomatonTest, ItemDataAndTextShowOneCopyThatLastsUntilTheNextFrame)
{
    // What the handler sees in the packet, while it is the automaton's.
    struct Peek {
        TProtocolAutomata* automaton = nullptr;
        TArray feedInside;
        std::vector<const void*> data, text;
        std::vector<std::string> afterFeeding;
        void OnFrame(TProtocolPacket& packet)
        {
            for (const auto& item : packet.Commands) {
                data.push_back(item.Data.data());
                text.push_back(item.Text.data());
            }
            // Bytes fed from the handler (the start of a longer frame) leave the items alone.
            if (!feedInside.empty()) automaton->Feed(std::exchange(feedInside, {}));
            for (const auto& item : packet.Commands) afterFeeding.emplace_back(item.Text);
        }
    } peek;
    peek.automaton = &automaton;
    std::vector<Item> longer(40, Item{0x33, TArray(200, 0x5A)});
    const TArray next = UnitFrame(2, longer);
    peek.feedInside = TArray(next.begin(), next.end() - 20);
    automaton.OnFrame = TFrameEvent(&peek, &Peek::OnFrame);
    Feed(UnitFrame(1, kThreeItems));
    ASSERT_EQ(peek.data.size(), kThreeItems.size());
    EXPECT_EQ(peek.data, peek.text) << "Data and Text show the same bytes";
    EXPECT_EQ(peek.afterFeeding, (std::vector<std::string>{"AB", "\x07", "\x01\x02\x03\x04\x05"}));

    // The rest of the longer frame; a copy of the first packet keeps its own bytes.
    automaton.OnFrame = TFrameEvent(&sink, &Sink::OnFrame);
    Feed(TArray(next.end() - 20, next.end()));
    ASSERT_EQ(sink.packets.size(), 1u);
    ExpectPacket(sink.packets[0], 2, longer);
}

TEST(ProtocolCommands, CopiesAndMovesKeepTheirBytes)
{
    using device_link::TProtocolCommands;
    const std::string longText(100, 'x');
    std::vector<TProtocolCommands> items;
    items.emplace_back(1, "AB");
    items.emplace_back(2, longText);
    items.emplace_back(3, TBArray{0x00, 0x41});
    for (int i = 0; i < 50; ++i) items.emplace_back(4, "pad"); // the vector moves its items as it grows
    EXPECT_EQ(items[0].Text, "AB");
    EXPECT_EQ(items[0].Data, (TBArray{'A', 'B'}));
    EXPECT_EQ(items[1].Text, longText);
    EXPECT_EQ(items[2].Text, std::string("\0A", 2));
    EXPECT_EQ(static_cast<TBArray>(items[2].Data), (TBArray{0x00, 0x41}));
    for (const auto& item : items) EXPECT_EQ(static_cast<const void*>(item.Data.data()), item.Text.data());

    TProtocolCommands copy = items[0];
    items[0] = items[1];
    EXPECT_EQ(copy.Text, "AB");
    EXPECT_EQ(items[0].Text, longText);
    TProtocolCommands moved = std::move(copy);
    EXPECT_EQ(moved.Text, "AB");
    EXPECT_EQ(moved.Data, (TBArray{'A', 'B'}));
    EXPECT_EQ(static_cast<const void*>(moved.Data.data()), moved.Text.data());
}

TEST_F(AutomatonTest, DropsNoiseAndBrokenFramesAndKeepsTheNextGoodOne)
{
    const TArray good = UnitFrame(7, {{5, {'x'}}});
    TArray badCheck = UnitFrame(100, kThreeItems);
    badCheck[badCheck.size() - 3] ^= 0x01;
    TArray badEnd1 = UnitFrame(101, kThreeItems);
    badEnd1[badEnd1.size() - 2] = '#';
    TArray badEnd2 = UnitFrame(102, kThreeItems);
    badEnd2[badEnd2.size() - 1] = ',';
    TArray badMark = UnitFrame(103, kThreeItems);
    badMark[1] = '?';

    Feed(TArray{0x00, 0xFF, '!', '.', '$', 'x'} + good);    // noise, a lone "$"
    Feed(TArray{'$'} + UnitFrame(104, kThreeItems) + good); // "$$!": not a frame start
    Feed(badCheck + good);
    Feed(badEnd1 + good);
    Feed(badEnd2 + good);
    Feed(badMark + good);
    EXPECT_EQ(Seqs(), (std::vector<std::uint32_t>{7, 7, 7, 7, 7, 7}));
}

TEST_F(AutomatonTest, ResetAbandonsAPartialFrame)
{
    const TArray cut = UnitFrame(1, kThreeItems);
    const std::ptrdiff_t half = 9;
    Feed(TArray(cut.begin(), cut.begin() + half));
    automaton.Reset();
    Feed(TArray(cut.begin() + half, cut.end()) + UnitFrame(2, {{1, {}}}));
    EXPECT_EQ(Seqs(), (std::vector<std::uint32_t>{2}));
}

TEST_F(AutomatonTest, ZeroLengthItemsAndLengthMismatchesAreNeverDelivered)
{
    const TArray good = UnitFrame(9, kThreeItems);
    auto withLen = [](TArray frame, std::size_t len) {
        frame[2] = std::uint8_t(len >> 8);
        frame[3] = std::uint8_t(len);
        std::uint8_t check = 0;
        for (std::size_t i = 2; i < frame.size() - 3; ++i) check ^= frame[i];
        frame[frame.size() - 3] = check;
        return frame;
    };
    const TArray proper = UnitFrame(50, kThreeItems);
    const std::size_t len = (std::size_t(proper[2]) << 8) | proper[3];

    // A zero item length, first and after a good item (check byte right for the bytes).
    TArray zeroFirst = {'$', '!', 0, 6, 0, 0, 0, 1, 0, 5};
    zeroFirst.push_back(0 ^ 6 ^ 1 ^ 0 ^ 5);
    zeroFirst.insert(zeroFirst.end(), {'$', '.'});
    // A zero length as the last item, filling LEN exactly, with the right check byte.
    TArray zeroLast = {'$', '!', 0, 7, 0, 0, 0, 2, 1, 5, 0};
    zeroLast.push_back(0 ^ 7 ^ 2 ^ 1 ^ 5 ^ 0);
    zeroLast.insert(zeroLast.end(), {'$', '.'});
    TArray zeroLater = proper;
    zeroLater[12] = 0; // the second item's length byte
    zeroLater = withLen(zeroLater, len);

    const std::vector<TArray> broken = {
        zeroFirst, zeroLast, zeroLater,
        withLen(proper, len - 1), // the last item runs past LEN
        withLen(proper, len - 4), // LEN ends inside the last item
        withLen(proper, 9),       // LEN ends inside the second item
        withLen(proper, 8),       // LEN ends at the first item: the check byte and end marks are wrong
        withLen(proper, 5),       // room for no item
        withLen(proper, 0),
        withLen(proper, len + 1),  // LEN one byte beyond the items
        withLen(proper, len + 40), // LEN beyond the items and into the next frame
        withLen(proper, 0xFFFF),   // LEN far beyond everything that follows
    };
    // Both good frames after each broken one arrive, once. A LEN beyond the items
    // swallows them while the broken frame lasts; a zero item length then ends it,
    // and the second look at its bytes finds them.
    // Fed whole and one byte per call.
    const TArray zeros(256, 0x00);
    for (const bool bytewise : {false, true}) {
        auto feed = [&](const TArray& bytes) {
            if (!bytewise) return Feed(bytes);
            for (std::uint8_t b : bytes) automaton.Feed(&b, 1);
        };
        for (std::size_t i = 0; i < broken.size(); ++i) {
            const std::size_t before = sink.packets.size();
            feed(broken[i] + good);
            feed(good);
            if (i + 1 == broken.size()) {
                EXPECT_EQ(sink.packets.size(), before) << "still inside LEN 0xFFFF";
            }
            feed(zeros);
            EXPECT_EQ(sink.packets.size(), before + 2) << "case " << i << (bytewise ? " byte by byte" : "");
        }
    }
    for (const auto& packet : sink.packets) ExpectPacket(packet, 9, kThreeItems);
}

TEST_F(AutomatonTest, LongestFrameKeepsItsBufferWithinLen)
{
    // LEN 0xFFFF: 255 items of 256 bytes fill 65280 bytes; one of 251 the rest.
    std::vector<Item> items(255, Item{0x11, TArray(254, 0x24)});
    items.push_back(Item{0x12, TArray(249, 0x2E)});
    const TArray frame = UnitFrame(5, items);
    ASSERT_EQ(frame[2], 0xFF);
    ASSERT_EQ(frame[3], 0xFF);
    Feed(frame);
    ASSERT_EQ(sink.packets.size(), 1u);
    ExpectPacket(sink.packets[0], 5, items);
    EXPECT_LE(automaton.BufferCapacity(), 0xFFFFu - 4);

    // Endless items under LEN 0xFFFF are cut off at LEN, dropped and looked at once more.
    TArray flood = {'$', '!', 0xFF, 0xFF, 0, 0, 0, 1};
    for (int i = 0; i < 2000; ++i) {
        flood.insert(flood.end(), {50, 1});
        flood.resize(flood.size() + 49, 0x21);
    }
    Feed(flood + UnitFrame(6, {{1, {}}}));
    EXPECT_LE(automaton.BufferCapacity(), 2 * (0xFFFFu + 2));
    EXPECT_EQ(Seqs(), (std::vector<std::uint32_t>{5, 6}));
}

TEST(ProtocolCommandList, CopiesAndMovesHoldTheItemsOnly)
{
    device_link::TProtocolCommandList list;
    list.push_back({1, "A"});
    list.push_back({2, ""});
    list.push_back({3, TBArray{0x42, 0x43}});
    list.clear(); // entries stay for reuse but are no longer items
    EXPECT_TRUE(list.empty());
    list.push_back({4, "D"});
    device_link::TProtocolCommandList copy = list;
    ASSERT_EQ(copy.size(), 1u);
    EXPECT_EQ(copy[0].Code, 4);
    EXPECT_EQ(copy[0].Text, "D");
    copy = device_link::TProtocolCommandList{{5, ""}, {6, ""}};
    device_link::TProtocolCommandList moved = std::move(copy);
    EXPECT_EQ(moved.size(), 2u);
    EXPECT_EQ(copy.size(), 0u); // NOLINT: a moved-from list is empty
    std::vector<std::int32_t> codes;
    for (const auto& item : moved) codes.push_back(item.Code);
    EXPECT_EQ(codes, (std::vector<std::int32_t>{5, 6}));
}

TEST(ProtocolAutomataBuild, BuildsHostFrames)
{
    TBArray frame = {1, 2, 3}; // previous contents are discarded
    TProtocolAutomata::BuildFrame({0x18}, frame);
    EXPECT_EQ(frame, (TBArray{0x24, 0x21, 0x01, 0x18, 0x19, 0x24, 0x2E}));
    TProtocolAutomata::BuildFrame({}, frame);
    EXPECT_EQ(frame, (TBArray{0x24, 0x21, 0x00, 0x00, 0x24, 0x2E}));
    TProtocolAutomata::BuildFrameStr("\x18", frame);
    EXPECT_EQ(frame, (TBArray{0x24, 0x21, 0x01, 0x18, 0x19, 0x24, 0x2E}));
    TProtocolAutomata::BuildFrameStr(std::string("\x05\x00\xFF", 3), frame);
    EXPECT_EQ(frame, (TBArray{0x24, 0x21, 0x03, 0x05, 0x00, 0xFF, 0x03 ^ 0x05 ^ 0xFF, 0x24, 0x2E}));

    TBArray longest(255, 0x01);
    TProtocolAutomata::BuildFrame(longest, frame);
    ASSERT_EQ(frame.size(), 261u);
    EXPECT_EQ(frame[2], 0xFF);
    EXPECT_EQ(frame[258], 0xFF ^ 0x01); // 255 ones cancel to one
    TBArray kept = frame;
    EXPECT_THROW(TProtocolAutomata::BuildFrame(TBArray(256, 0x01), frame), rtl::Exception);
    EXPECT_EQ(frame, kept);
}

// A million bytes and more: valid frames with about 10% noise between them. Quiet
// noise (no "$!", not ending in "$"), a whole frame with a wrong check byte and a
// run of zero bytes (no item length may be 0) leave the automaton hunting; every frame that starts from hunting
// must arrive once and intact. Frames after hostile noise may be lost, but what
// arrives is always a sent frame, in order, once.
TEST(ProtocolAutomataRandom, NoisyStreamDeliversEveryCleanFrameOnce)
{
    std::mt19937 rng(20240607);
    auto below = [&rng](unsigned n) { return static_cast<unsigned>(rng() % n); };
    auto randomBytes = [&](std::size_t n) {
        TArray b(n);
        for (auto& x : b) x = static_cast<std::uint8_t>(rng());
        return b;
    };
    auto randomItems = [&]() {
        std::vector<Item> items(1 + below(20));
        for (Item& item : items) {
            item.code = static_cast<std::uint8_t>(1 + below(170));
            const unsigned kind = below(10);
            // clang-format off
            item.data = randomBytes(kind < 7 ? below(5) : kind < 9 ? 8 : 64);
            // clang-format on
        }
        return items;
    };

    struct Sent {
        std::uint32_t seq;
        std::vector<Item> items;
        bool required;
    };
    std::vector<Sent> sent;
    TArray stream;
    std::size_t noiseBytes = 0;
    bool hunting = true;
    std::uint32_t seq = 0;
    while (stream.size() < 1'200'000) {
        if (below(100) < 8) {
            const std::size_t before = stream.size();
            const unsigned kind = below(10);
            if (kind < 5) {
                TArray quiet = randomBytes(1 + below(40));
                for (std::size_t i = 1; i < quiet.size(); ++i)
                    if (quiet[i - 1] == '$' && quiet[i] == '!') quiet[i] = '#';
                if (quiet.back() == '$') quiet.back() = ' ';
                stream.insert(stream.end(), quiet.begin(), quiet.end());
            } else if (kind == 5) {
                // A whole frame with a wrong check byte: hunting again after it.
                TArray bad = UnitFrame(0xEEEEEEEE, randomItems());
                bad[bad.size() - 3] ^= static_cast<std::uint8_t>(1 + below(255));
                stream.insert(stream.end(), bad.begin(), bad.end());
            } else {
                TArray bad = UnitFrame(0xEEEEEEEE, randomItems());
                switch (kind) {
                case 6: bad[8] = 0; break;                                                   // zero item length
                case 7: bad[3] = static_cast<std::uint8_t>(bad[3] + 1 + below(30)); break;   // LEN off
                case 8: bad.resize(3 + below(static_cast<unsigned>(bad.size() - 3))); break; // cut short
                default: bad = TArray{'$', '!'} + randomBytes(below(60)); break;
                }
                stream.insert(stream.end(), bad.begin(), bad.end());
                hunting = false;
                if (below(5) != 0) {
                    // Longer than a frame in progress plus a second look can take.
                    stream.insert(stream.end(), 600, 0x00);
                    hunting = true;
                }
            }
            noiseBytes += stream.size() - before;
        }
        Sent frame{++seq, randomItems(), hunting};
        const TArray wire = UnitFrame(frame.seq, frame.items);
        stream.insert(stream.end(), wire.begin(), wire.end());
        sent.push_back(std::move(frame));
    }
    ASSERT_GE(stream.size(), 1'000'000u);
    const double noiseShare = double(noiseBytes) / double(stream.size());
    EXPECT_GT(noiseShare, 0.05);
    EXPECT_LT(noiseShare, 0.25);

    TProtocolAutomata automaton;
    Sink sink;
    automaton.OnFrame = TFrameEvent(&sink, &Sink::OnFrame);
    for (std::size_t pos = 0; pos < stream.size();) {
        const std::size_t n = std::min<std::size_t>(1 + below(4096), stream.size() - pos);
        automaton.Feed(stream.data() + pos, n);
        pos += n;
        ASSERT_LE(automaton.BufferCapacity(), 2 * (0xFFFFu + 2));
    }

    std::size_t next = 0;
    std::size_t required = 0;
    for (const Sent& s : sent) required += s.required ? 1 : 0;
    for (const TProtocolPacket& packet : sink.packets) {
        while (next < sent.size() && sent[next].seq != packet.Seq) {
            ASSERT_FALSE(sent[next].required) << "frame " << sent[next].seq << " lost";
            ++next;
        }
        ASSERT_LT(next, sent.size()) << "delivered a frame never sent, or twice: " << packet.Seq;
        ExpectPacket(packet, sent[next].seq, sent[next].items);
        ++next;
    }
    for (; next < sent.size(); ++next) ASSERT_FALSE(sent[next].required) << "frame " << sent[next].seq << " lost";
    EXPECT_GT(required, sent.size() / 2);
    EXPECT_GE(sink.packets.size(), required);
}
