// The special row of drop-down lists.
#include "EditorsTestSupport.h"

#include "controls/editors/SpecRow.h"
#include "platform/ui/Control.h"

using namespace editors;

namespace {
class SpecRowTest : public uitest::UiTest {};
using V = std::vector<std::string>;
} // namespace

TEST_F(SpecRowTest, CellsTextSplitsAtSemicolonsWithQuotesAndControlCharacters)
{
    struct Case {
        std::string text;
        V cells;
    };
    const Case cases[] = {
        {"", {}},
        {"a;b;c", {"a", "b", "c"}},
        {"(none); - ;x y", {"(none)", " - ", "x y"}},
        {"\t\r\na\t;\n b", {"a", " b"}},
        {"\"x;y\";z", {"x;y", "z"}},
        {"\"say \"\"hi\"\"\";2", {"say \"hi\"", "2"}},
        {"\"\"", {""}},
        {"a;", {"a", ""}},
        {";", {"", ""}},
        {";;x", {"", "", "x"}},
        {"a\tb", {"a", "b"}},
        {"\"ab\"cd;e", {"ab", "cd", "e"}},
        // An unclosed quote takes the rest of the text.
        {"one;\"two;three", {"one", "two;three"}},
        {"\"", {""}},
        {std::string("a;b\0c", 5), {"a", "b"}},
    };
    for (const Case& c : cases) EXPECT_EQ(SplitCellsText(c.text), c.cells) << c.text;

    TSpecRowEx row;
    row.SetCellsText("\"(none)\";\"-\";");
    EXPECT_EQ(row.CellCount(), 3);
    EXPECT_EQ(row.CellText(0), "(none)");
    EXPECT_EQ(row.CellText(1), "-");
    EXPECT_EQ(row.CellText(2), "");
    EXPECT_EQ(row.CellText(3), "");
    EXPECT_EQ(row.CellText(-1), "");
    EXPECT_EQ(row.GetCellsText(), "\"(none)\";\"-\";");
}

TEST_F(SpecRowTest, ColourAndFontComeFromAControlOwnerUntilTheRowHasItsOwn)
{
    ui::TControl owner;
    owner.SetColor(ui::clYellow);
    owner.Font().SetName("DejaVu Serif");
    TSpecRowEx row(&owner);
    int changes = 0;
    row.OnChange = rtl::TNotifyEvent::FromFunction([&](rtl::TObject*) { ++changes; });

    EXPECT_EQ(row.GetColor(), ui::clYellow);
    EXPECT_EQ(row.GetFont().Name(), "DejaVu Serif");
    EXPECT_FALSE(row.FontAssigned());
    EXPECT_EQ(changes, 0); // copying the owner's font is no change
    owner.SetColor(ui::clAqua);
    owner.Font().SetName("DejaVu Sans Mono");
    EXPECT_EQ(row.GetColor(), ui::clAqua);
    EXPECT_EQ(row.GetFont().Name(), "DejaVu Sans Mono");

    row.SetColor(ui::clRed);
    row.GetFont().SetStyle(ui::fsBold);
    EXPECT_EQ(changes, 2);
    EXPECT_TRUE(row.ColorAssigned());
    EXPECT_TRUE(row.FontAssigned());
    owner.SetColor(ui::clGreen);
    owner.Font().SetName("DejaVu Sans");
    EXPECT_EQ(row.GetColor(), ui::clRed);
    EXPECT_EQ(row.GetFont().Name(), "DejaVu Sans Mono");

    TSpecRowEx unowned;
    EXPECT_EQ(unowned.GetColor(), ui::clWindow);
}

TEST_F(SpecRowTest, DefaultsChangesInBracketsAndAssign)
{
    TSpecRowEx row;
    EXPECT_EQ(row.GetShortCut(), 32814); // Alt+Del
    EXPECT_TRUE(row.GetShowIfNotInKeyList());
    EXPECT_TRUE(row.GetValue().IsNull());
    EXPECT_FALSE(row.GetVisible());

    int changes = 0;
    row.OnChange = rtl::TNotifyEvent::FromFunction([&](rtl::TObject* sender) {
        EXPECT_EQ(sender, &row);
        ++changes;
    });
    row.SetVisible(true);
    row.SetVisible(true);
    row.SetValue(rtl::Variant(0));
    row.SetValue(rtl::Variant(0));
    EXPECT_EQ(changes, 2);
    row.SetValue(rtl::Null()); // Null differs from 0
    EXPECT_EQ(changes, 3);

    row.BeginUpdate();
    row.SetCellsText("none");
    row.SetShortCut(ui::VK_F8);
    row.SetShowIfNotInKeyList(false);
    EXPECT_EQ(changes, 3);
    row.EndUpdate();
    EXPECT_EQ(changes, 4);

    ui::TControl owner;
    owner.SetColor(ui::clTeal);
    TSpecRowEx copy(&owner);
    int copyChanges = 0;
    copy.OnChange = rtl::TNotifyEvent::FromFunction([&](rtl::TObject*) { ++copyChanges; });
    copy.Assign(&row);
    EXPECT_EQ(copyChanges, 1);
    EXPECT_EQ(copy.GetCellsText(), "none");
    EXPECT_EQ(copy.GetShortCut(), ui::VK_F8);
    EXPECT_FALSE(copy.GetShowIfNotInKeyList());
    EXPECT_TRUE(copy.GetValue().IsNull());
    EXPECT_TRUE(copy.GetVisible());
    // The source had no colour or font of its own: the copy keeps following its owner.
    EXPECT_FALSE(copy.ColorAssigned());
    EXPECT_FALSE(copy.FontAssigned());
    EXPECT_EQ(copy.GetColor(), ui::clTeal);
    row.SetColor(ui::clMaroon);
    copy.Assign(&row);
    EXPECT_EQ(copy.GetColor(), ui::clMaroon);
}

TEST_F(SpecRowTest, AVisibleRowMatchesItsValue)
{
    TSpecRowEx row;
    row.SetValue(rtl::VarArrayOf({1, "a"}));
    EXPECT_FALSE(row.ValueMatches(rtl::VarArrayOf({1, "a"}))); // hidden
    row.SetVisible(true);
    EXPECT_TRUE(row.ValueMatches(rtl::VarArrayOf({1, "a"})));
    EXPECT_FALSE(row.ValueMatches(rtl::VarArrayOf({1, "b"})));
    row.SetValue(rtl::Null());
    EXPECT_TRUE(row.ValueMatches(rtl::Null()));
    EXPECT_FALSE(row.ValueMatches(rtl::Variant()));
    EXPECT_FALSE(row.ValueMatches(rtl::Variant(0)));
}
