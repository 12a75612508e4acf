#include <gtest/gtest.h>

#include "platform/rtl/Delegate.h"

using rtl::Delegate;
using rtl::ListenerList;

namespace {

struct Counter {
    int hits = 0;
    int last = 0;
    // clang-format off
    void On(int v) { ++hits; last = v; }
    // clang-format on
    void Other(int v) { last = -v; }
    int Twice(int v) const { return 2 * v; }
};

} // namespace

TEST(Delegate, EqualityNamesObjectAndMethod)
{
    Counter a, b;
    Delegate<void(int)> a1(&a, &Counter::On), a2(&a, &Counter::On);
    Delegate<void(int)> aOther(&a, &Counter::Other), b1(&b, &Counter::On);
    EXPECT_TRUE(a1 == a2);
    EXPECT_FALSE(a1 == aOther);
    EXPECT_FALSE(a1 == b1);
    EXPECT_FALSE(a1 == Delegate<void(int)>());
    EXPECT_TRUE(Delegate<void(int)>() == Delegate<void(int)>(nullptr));

    a1(7);
    EXPECT_EQ(a.hits, 1);
    EXPECT_EQ(a.last, 7);

    const Counter c;
    Delegate<int(int)> twice(&c, &Counter::Twice);
    EXPECT_EQ(twice(21), 42);

    auto f = Delegate<void(int)>::FromFunction([&](int v) { a.last = v * 10; });
    auto g = Delegate<void(int)>::FromFunction([&](int v) { a.last = v * 10; });
    EXPECT_TRUE(f == Delegate<void(int)>(f));
    EXPECT_FALSE(f == g);
    f(3);
    EXPECT_EQ(a.last, 30);
}

TEST(ListenerList, SecondAddRemovesAndThirdAppendsAgain)
{
    Counter a, b;
    ListenerList<void(int)> list;
    Delegate<void(int)> da(&a, &Counter::On), db(&b, &Counter::On);

    EXPECT_TRUE(list.Add(da));
    EXPECT_TRUE(list.Add(db));
    list.Dispatch(1);
    EXPECT_EQ(a.hits, 1);
    EXPECT_EQ(b.hits, 1);

    EXPECT_FALSE(list.Add(da)); // second registration: inactive, a hole stays
    EXPECT_FALSE(list.Contains(da));
    EXPECT_EQ(list.Count(), 2u);
    list.Dispatch(2);
    EXPECT_EQ(a.hits, 1);
    EXPECT_EQ(b.hits, 2);

    EXPECT_TRUE(list.Add(da)); // third: appended after b
    EXPECT_EQ(list.Count(), 3u);
    EXPECT_TRUE(list[2] == da);
    list.Dispatch(3);
    EXPECT_EQ(a.hits, 2);
    EXPECT_EQ(a.last, 3);
}

TEST(ListenerList, ListenerMayAddDuringDispatch)
{
    Counter late;
    ListenerList<void(int)> list;
    Delegate<void(int)> lateD(&late, &Counter::On);
    auto adder = Delegate<void(int)>::FromFunction([&](int) { list.Add(lateD); });
    list.Add(adder);
    list.Dispatch(5); // adds late while iterating; late is called in the same pass
    EXPECT_EQ(late.hits, 1);
    EXPECT_EQ(list.Count(), 2u);
}
