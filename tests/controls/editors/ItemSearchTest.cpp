// The item search routines on their own, as the grid's lookup combo box uses them: a plain
// edit and a Locate of the test's own.
#include "EditorsTestSupport.h"

#include "controls/editors/ItemSearch.h"
#include "platform/ui/EditBase.h"

using namespace editors;

namespace {

class ItemSearchTest : public uitest::FormTest {
protected:
    void SetUp() override
    {
        FormTest::SetUp();
        edit = new ui::TCustomEdit(form);
        uitest::ShowActive(form);
        edit->SetFocus();
        // clang-format off
        for (const char* s : {"Apple", "apricot", "Banana", "\xC9" "clair", "Cherry"}) items.Add(s);
        // clang-format on
    }
    // Finds in items and shows the item as a list would.
    bool Locate(const std::string& text, bool partial)
    {
        calls.push_back(text + (partial ? " partial" : " exact"));
        const int index = FindItemText(items, items.GetCount(), text, partial);
        if (index < 0) return false;
        edit->SetText(items.StringAt(index));
        SelectCompletedPart(*edit, static_cast<int>(text.size()));
        const bool changed = index != current;
        current = index;
        return changed;
    }
    TLocateTextEx Locator()
    {
        return [this](const std::string& text, bool partial) { return Locate(text, partial); };
    }
    bool SearchKeys(const std::string& keys) { return SearchTypedKeys(*edit, keys, Locator()); }

    ui::TCustomEdit* edit = nullptr;
    rtl::TStringList items;
    std::vector<std::string> calls;
    int current = -1;
};

} // namespace

TEST_F(ItemSearchTest, FindItemTextComparesWithoutCaseWholeOrAsAPrefix)
{
    struct Case {
        const char* Text;
        bool Partial;
        int Count;
        int Found;
    };
    const Case cases[] = {
        // clang-format off
        {"apple", false, 5, 0},       {"APR", true, 5, 1},        {"apr", false, 5, -1},
        {"b", true, 5, 2},            {"\xE9" "c", true, 5, 3},   // letter case of 8-bit letters too
        {"cherry", false, 4, -1},     // only the first Count items
        {"Cherry pie", true, 5, -1},  // longer than the item
        {"", true, 5, 0},             {"", false, 5, -1},
        // clang-format on
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Text);
        EXPECT_EQ(FindItemText(items, c.Count, c.Text, c.Partial), c.Found);
    }
    EXPECT_EQ(FindItemText(items, 99, "cherry", false), 4);
}

TEST_F(ItemSearchTest, TypedKeysSearchTheTextBeforeTheCaretAndBackspaceWidensTheSelection)
{
    EXPECT_TRUE(SearchKeys("a"));
    EXPECT_EQ(edit->Text(), "Apple");
    EXPECT_EQ(edit->SelText(), "pple");
    EXPECT_TRUE(SearchKeys("pr"));
    EXPECT_EQ(edit->Text(), "apricot");
    EXPECT_EQ(edit->SelText(), "icot");
    EXPECT_EQ(calls, (std::vector<std::string>{"a partial", "Apr partial"}));

    EXPECT_FALSE(SearchKeys("\b"));
    EXPECT_EQ(edit->SelText(), "ricot");
    EXPECT_EQ(calls.size(), 2u); // Backspace searches nothing
    // With part of the end unselected, Backspace first selects up to the end.
    edit->SetSelStart(3);
    edit->SetSelLength(2);
    EXPECT_FALSE(SearchKeys("\b"));
    EXPECT_EQ(edit->SelText(), "icot");
    edit->SelectAll();
    EXPECT_FALSE(SearchKeys("\b"));
    EXPECT_EQ(edit->SelStart(), 0);
    EXPECT_EQ(edit->SelLength(), 7);
}

TEST_F(ItemSearchTest, TypedFreeTextCompletesAtTheEndAndIsLocatedExactlyElsewhere)
{
    auto complete = [&](bool backspace) {
        // clang-format off
        CompleteTypedText(*edit, backspace, [&](const std::string& keys) { return SearchKeys(keys); }, Locator());
        // clang-format on
    };
    edit->SetText("ba");
    edit->SetSelStart(2);
    complete(false);
    EXPECT_EQ(edit->Text(), "Banana");
    EXPECT_EQ(edit->SelText(), "nana");
    EXPECT_EQ(calls.back(), "ba partial");

    // In the middle, or after Backspace: the whole text, exactly; the caret stays.
    edit->SetText("cherry");
    edit->SetSelStart(3);
    complete(false);
    EXPECT_EQ(calls.back(), "cherry exact");
    EXPECT_EQ(edit->Text(), "Cherry");
    EXPECT_EQ(edit->SelStart(), 3);
    EXPECT_EQ(edit->SelLength(), 0);
    edit->SetText("che");
    edit->SetSelStart(3);
    complete(true);
    EXPECT_EQ(calls.back(), "che exact");
    EXPECT_EQ(edit->Text(), "che");
    EXPECT_EQ(edit->SelStart(), 3);
}
