// The most-recently-used text list.
#include "EditorsTestSupport.h"

#include "controls/editors/MRUList.h"

using namespace editors;

namespace {

class MRUListTest : public ::testing::Test {
protected:
    std::vector<std::string> Items(const rtl::TStrings& list)
    {
        std::vector<std::string> out;
        for (int i = 0; i < list.GetCount(); ++i) out.push_back(list[i]);
        return out;
    }
    using V = std::vector<std::string>;
    bool keyWaiting = false;
    ui::TInputStateScope input{0};
    TMRUListEx mru;

    // clang-format off
    void SetUp() override { input.KeyPressProbe = [this] { return keyWaiting; }; }
    // clang-format on
};

} // namespace

TEST_F(MRUListTest, AddPutsTheNewestLastAndMovesAnExistingEntryInsteadOfRepeatingIt)
{
    EXPECT_EQ(mru.GetLimit(), 100);
    EXPECT_EQ(mru.GetRows(), 7);
    EXPECT_TRUE(mru.GetAutoAdd());
    EXPECT_FALSE(mru.GetCaseSensitive());
    mru.Add("alpha");
    mru.Add("  beta  ");
    mru.Add("gamma");
    mru.Add("   ");
    mru.Add("");
    EXPECT_EQ(Items(mru.GetItems()), (V{"alpha", "beta", "gamma"}));
    // Differs only by blanks and case: the old entry moves to the end, as it was written.
    mru.Add(" ALPHA ");
    EXPECT_EQ(Items(mru.GetItems()), (V{"beta", "gamma", "alpha"}));
    // Letters outside ASCII compare by the locale too.
    mru.Add("\xC9t\xE9"); // "Été"
    mru.Add("\xE9T\xC9");
    EXPECT_EQ(Items(mru.GetItems()), (V{"beta", "gamma", "alpha", "\xC9t\xE9"}));

    mru.SetCaseSensitive(true);
    mru.Add("Beta");
    mru.Add("gamma");
    EXPECT_EQ(Items(mru.GetItems()), (V{"beta", "alpha", "\xC9t\xE9", "Beta", "gamma"}));
}

TEST_F(MRUListTest, TheLimitDropsTheOldestEntries)
{
    for (const char* t : {"1", "2", "3", "4", "5"}) mru.Add(t);
    mru.SetLimit(2);
    EXPECT_EQ(Items(mru.GetItems()), (V{"4", "5"}));
    mru.Add("6");
    EXPECT_EQ(Items(mru.GetItems()), (V{"5", "6"}));
    mru.Add("5");
    EXPECT_EQ(Items(mru.GetItems()), (V{"6", "5"}));
    // A negative limit keeps nothing (and does not loop).
    mru.SetLimit(-3);
    EXPECT_EQ(mru.GetLimit(), 0);
    EXPECT_TRUE(Items(mru.GetItems()).empty());
    mru.Add("7");
    EXPECT_TRUE(Items(mru.GetItems()).empty());
}

TEST_F(MRUListTest, FilteringKeepsTheEntriesStartingWithTheTextAndLetsTheHandlerOverrule)
{
    for (const char* t : {"Apple", "apricot", "banana", "APPLET", "ap"}) mru.Add(t);
    rtl::TStringList list;
    list.Add("stale");
    EXPECT_TRUE(mru.FilterItemsTo(list, "ap"));
    EXPECT_EQ(Items(list), (V{"Apple", "apricot", "APPLET", "ap"}));
    EXPECT_TRUE(mru.FilterItemsTo(list, ""));
    EXPECT_EQ(list.GetCount(), 5);
    EXPECT_TRUE(mru.FilterItemsTo(list, "apples and pears"));
    EXPECT_EQ(list.GetCount(), 0);

    mru.SetCaseSensitive(true);
    mru.FilterItemsTo(list, "ap");
    EXPECT_EQ(Items(list), (V{"apricot", "ap"}));
    mru.FilterItemsTo(list, "APP");
    EXPECT_EQ(Items(list), (V{"APPLET"}));

    std::vector<std::string> asked;
    mru.OnFilterItem =
        TFilterMRUItemEventEx::FromFunction([&](rtl::TObject* sender, const std::string& item, bool& accept) {
            EXPECT_EQ(sender, &mru);
            asked.push_back(item);
            if (item == "banana") accept = true;
            if (item == "ap") accept = false;
        });
    mru.FilterItemsTo(list, "ap");
    EXPECT_EQ(Items(list), (V{"apricot", "banana"}));
    EXPECT_EQ(asked.size(), 5u); // every entry is put to the handler
}

TEST_F(MRUListTest, FilteringStopsForAWaitingKeyAtEveryHundredthEntry)
{
    mru.SetLimit(1000);
    for (int i = 0; i < 250; ++i) mru.Add("item " + std::to_string(i));
    rtl::TStringList list;
    // A key already waits: nothing is taken.
    keyWaiting = true;
    EXPECT_FALSE(mru.FilterItemsTo(list, "item"));
    EXPECT_EQ(list.GetCount(), 0);
    // A key arrives while the 150th entry is looked at: the look at entry 200 stops.
    keyWaiting = false;
    int seen = 0;
    mru.OnFilterItem = TFilterMRUItemEventEx::FromFunction([&](rtl::TObject*, const std::string&, bool&) {
        if (++seen == 150) keyWaiting = true;
    });
    EXPECT_FALSE(mru.FilterItemsTo(list, "item"));
    EXPECT_EQ(list.GetCount(), 200);
    EXPECT_EQ(list[199], "item 199");
    // Without the stop-on-key rule it runs to the end.
    mru.SetStopOnKey(false);
    EXPECT_TRUE(mru.FilterItemsTo(list, "item"));
    EXPECT_EQ(list.GetCount(), 250);
}

TEST_F(MRUListTest, AssignCopiesTheSettingsAndTheEventsReachTheOwner)
{
    int activeChanges = 0, dropDowns = 0;
    std::vector<bool> closeUps;
    mru.OnActiveChange = rtl::TNotifyEvent::FromFunction([&](rtl::TObject*) { ++activeChanges; });
    mru.OnDropDown = rtl::TNotifyEvent::FromFunction([&](rtl::TObject*) { ++dropDowns; });
    mru.OnCloseUp = TCloseUpEventEx::FromFunction([&](rtl::TObject*, bool accept) { closeUps.push_back(accept); });
    mru.SetActive(true);
    mru.SetActive(true);
    EXPECT_EQ(activeChanges, 1);
    mru.DropDown();
    mru.CloseUp(true);
    mru.CloseUp(false);
    EXPECT_EQ(dropDowns, 1);
    EXPECT_EQ(closeUps, (std::vector<bool>{true, false}));

    TMRUListEx source;
    source.SetActive(true);
    source.GetItems().Add("x");
    source.GetItems().Add("y");
    source.SetLimit(1);
    source.SetRows(3);
    source.SetCaseSensitive(true);
    source.SetAutoAdd(false);
    source.SetWidth(250);
    TMRUListEx copy;
    copy.Assign(&source);
    EXPECT_TRUE(copy.GetActive());
    EXPECT_EQ(Items(copy.GetItems()), (V{"y"}));
    EXPECT_EQ(copy.GetLimit(), 1);
    EXPECT_EQ(copy.GetRows(), 3);
    EXPECT_TRUE(copy.GetCaseSensitive());
    EXPECT_TRUE(copy.GetAutoAdd());
    EXPECT_EQ(copy.GetWidth(), 0);
}
