// Multi-level titles: the header tree's ring of children and its errors, the bands the
// grid builds from "|"-separated captions, and the heights it measures for them.
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "GridFixture.h"
#include "controls/grid/DBGridEx.h"
#include "controls/grid/DBGridExTitleTree.h"
#include "controls/grid/GridLibConsts.h"
#include "platform/rtl/Exception.h"

namespace {

using namespace grid;
using gridtest::GridTest;

std::string ErrorOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const rtl::Exception& e) {
        return e.Message;
    }
    return {};
}

// The texts of a node's children, in ring order.
std::vector<std::string> ChildTexts(const THeadTreeNode& node)
{
    std::vector<std::string> texts;
    if (!node.Child) return texts;
    const THeadTreeNode* child = node.Child;
    do {
        texts.push_back(child->Text);
        child = child->Next;
    } while (child != node.Child);
    return texts;
}

using Texts = std::vector<std::string>;

TEST(HeadTree, ChildrenFormARingUnderTheirHost)
{
    THeadTreeNode root;
    EXPECT_EQ(root.Next, &root);
    EXPECT_EQ(root.Child, nullptr);
    EXPECT_EQ(root.Depth(), 0);
    THeadTreeNode* a = root.AddChild(&root, "a", 10, 5);
    EXPECT_EQ(a->Next, a);
    THeadTreeNode* b = root.AddChild(&root, "b", 20, 5);
    THeadTreeNode* c = root.AddSibling(a, "c", 30, 5);
    EXPECT_EQ(ChildTexts(root), (Texts{"a", "c", "b"}));
    EXPECT_EQ(b->Next, a);
    EXPECT_EQ(c->Host, &root);
    EXPECT_EQ(c->Width, 30);
    THeadTreeNode* x = root.AddChild(b, "x", 5, 5);
    EXPECT_EQ(x->Depth(), 2);
    EXPECT_TRUE(root.Contains(x));
    EXPECT_TRUE(a->Contains(x)); // a sibling's subtree
    EXPECT_FALSE(x->Contains(a));

    std::vector<std::string> visited;
    root.ForEachNode([&](THeadTreeNode& node) { visited.push_back(node.Text); });
    EXPECT_EQ(visited, (Texts{"a", "c", "b", "x"}));

    THeadTreeNode stranger;
    EXPECT_EQ(ErrorOf([&] { root.AddChild(&stranger, "s", 1, 1); }), msg::NodeNotInTree);
    EXPECT_EQ(ErrorOf([&] { root.AddSibling(&stranger, "s", 1, 1); }), msg::NodeNotInTree);
    EXPECT_EQ(ErrorOf([&] { root.GroupSiblings(&stranger, a, "s", 1); }), msg::NodeNotInTree);
    EXPECT_EQ(ChildTexts(root), (Texts{"a", "c", "b"}));

    b->FreeChildren();
    EXPECT_EQ(b->Child, nullptr);
    EXPECT_EQ(ChildTexts(*b), Texts{});
}

TEST(HeadTree, GroupingPutsSiblingsUnderABandAsWideAsThemWithTheirLines)
{
    THeadTreeNode root;
    THeadTreeNode* a = root.AddChild(&root, "a", 10, 30);
    THeadTreeNode* b = root.AddChild(&root, "b", 20, 30);
    THeadTreeNode* c = root.AddChild(&root, "c", -1, 30); // a hidden column with its line
    THeadTreeNode* d = root.AddChild(&root, "d", 40, 30);
    for (THeadTreeNode* node : {a, b, c, d}) node->VLineWidth = 1;

    THeadTreeNode* group = root.GroupSiblings(a, c, "g", 12);
    EXPECT_EQ(ChildTexts(root), (Texts{"g", "d"}));
    EXPECT_EQ(root.Child, group);
    EXPECT_EQ(ChildTexts(*group), (Texts{"a", "b", "c"}));
    EXPECT_EQ(group->Width, 10 + 1 + 20); // the hidden column adds nothing, nor its line
    EXPECT_EQ(group->VLineWidth, 1);
    EXPECT_EQ(group->Height, 12);
    EXPECT_EQ(a->Height, 18);
    EXPECT_EQ(a->Host, group);
    EXPECT_EQ(a->Depth(), 2);

    // The last sibling must follow the first on its level.
    EXPECT_EQ(ErrorOf([&] { root.GroupSiblings(d, group, "x", 1); }), msg::ATONotInLevel);
    EXPECT_EQ(ErrorOf([&] { group->GroupSiblings(b, a, "x", 1); }), msg::ATONotInLevel);
    EXPECT_EQ(ChildTexts(*group), (Texts{"a", "b", "c"}));

    // A whole level under one band: the band is alone on it.
    THeadTreeNode* inner = group->GroupSiblings(a, c, "h", 3);
    EXPECT_EQ(inner->Next, inner);
    EXPECT_EQ(group->Child, inner);
    EXPECT_EQ(ChildTexts(*inner), (Texts{"a", "b", "c"}));

    // Without lines the band is just as wide as its members.
    THeadTreeNode flat;
    THeadTreeNode* p = flat.AddChild(&flat, "p", 7, 10);
    THeadTreeNode* q = flat.AddChild(&flat, "q", 0, 10);
    EXPECT_EQ(flat.GroupSiblings(p, q, "pq", 4)->Width, 7);
}

class TitleTree : public GridTest {
protected:
    // Stored columns with these captions, and multi-level titles on.
    void Captions(const std::vector<std::string>& captions)
    {
        Bind();
        const char* fields[] = {"ID", "NAME", "AMOUNT", "FLAG", "CUST"};
        Grid->BeginLayout();
        for (std::size_t i = 0; i < captions.size(); ++i) {
            TColumnEx* column = AddColumn(fields[i]);
            column->SetWidth(60 + 10 * static_cast<int>(i));
            column->Title()->SetCaption(captions[i]);
        }
        Grid->SetUseMultiTitle(true);
        Grid->EndLayout();
    }
    THeadTreeNode& Root() { return Grid->TitleTreeRoot(); }
    THeadTreeNode* Leaf(int i) { return Grid->TitleLeaf(i); }
    int Width(int i) { return Grid->Columns().Items(i)->GetWidth(); }
};

TEST_F(TitleTree, CaptionsWithoutSeparatorsStayFlat)
{
    Captions({"x", "y", "z"});
    EXPECT_EQ(Root().Text, "Root");
    EXPECT_EQ(ChildTexts(Root()), (Texts{"x", "y", "z"}));
    for (int i = 0; i < 3; ++i) {
        ASSERT_NE(Leaf(i), nullptr);
        EXPECT_EQ(Leaf(i)->Column, Grid->Columns().Items(i));
        EXPECT_EQ(Leaf(i)->Depth(), 1);
        EXPECT_EQ(Leaf(i)->Width, Width(i));
        EXPECT_EQ(Leaf(i)->VLineWidth, 1);
    }
    EXPECT_EQ(Leaf(3), nullptr);
}

TEST_F(TitleTree, SharedFirstPartsBecomeBandsLevelByLevel)
{
    Captions({"A|B|x", "A|B|y", "A|C|z"});
    ASSERT_EQ(ChildTexts(Root()), (Texts{"A"}));
    THeadTreeNode* a = Root().Child;
    ASSERT_EQ(ChildTexts(*a), (Texts{"B", "C"}));
    THeadTreeNode* b = a->Child;
    THeadTreeNode* c = b->Next;
    EXPECT_EQ(ChildTexts(*b), (Texts{"x", "y"}));
    EXPECT_EQ(ChildTexts(*c), (Texts{"z"}));
    EXPECT_EQ(Leaf(0)->Host, b);
    EXPECT_EQ(Leaf(2)->Host, c);
    EXPECT_EQ(Leaf(2)->Depth(), 3);
    // A band spans its columns and the lines between them.
    EXPECT_EQ(b->Width, Width(0) + 1 + Width(1));
    EXPECT_EQ(c->Width, Width(2));
    EXPECT_EQ(a->Width, Width(0) + Width(1) + Width(2) + 2);
}

TEST_F(TitleTree, BandsFormOnlyOverNeighboursOfOneParent)
{
    // Not neighbours: two A bands.
    Captions({"A|x", "B|y", "A|z"});
    EXPECT_EQ(ChildTexts(Root()), (Texts{"A", "B", "A"}));
    EXPECT_EQ(Leaf(0)->Text, "x");
    EXPECT_EQ(Leaf(2)->Text, "z");
}

TEST_F(TitleTree, ASecondLevelBandDoesNotReachIntoTheNextGroup)
{
    Captions({"A|B|x", "A|B|y", "B|z"});
    ASSERT_EQ(ChildTexts(Root()), (Texts{"A", "B"}));
    THeadTreeNode* a = Root().Child;
    EXPECT_EQ(ChildTexts(*a), (Texts{"B"}));
    EXPECT_EQ(ChildTexts(*a->Child), (Texts{"x", "y"}));
    EXPECT_EQ(ChildTexts(*a->Next), (Texts{"z"}));
    EXPECT_EQ(Leaf(2)->Text, "z");
    EXPECT_EQ(Leaf(2)->Depth(), 2);
}

TEST_F(TitleTree, DifferentLeadingPartsAtDifferentDepthsEachGetTheirBands)
{
    Captions({"A|B|x", "A|y", "A|B|z"});
    ASSERT_EQ(ChildTexts(Root()), (Texts{"A"}));
    THeadTreeNode* a = Root().Child;
    EXPECT_EQ(ChildTexts(*a), (Texts{"B", "y", "B"}));
    EXPECT_EQ(Leaf(2)->Text, "z");
}

TEST_F(TitleTree, ACaptionEndingInTheSeparatorIsNotGrouped)
{
    Captions({"A|x", "A|", "A|y"});
    EXPECT_EQ(ChildTexts(Root()), (Texts{"A", "A|", "A"}));
    // Separators in a row count as one.
    Grid->Columns().Items(1)->Title()->SetCaption("A||w");
    EXPECT_EQ(ChildTexts(Root()), (Texts{"A"}));
    EXPECT_EQ(Leaf(1)->Text, "w");
}

TEST_F(TitleTree, HiddenColumnsInAGroupTakeNoRoom)
{
    Captions({"A|x", "A|y", "A|z"});
    Grid->Columns().Items(1)->SetVisible(false);
    THeadTreeNode* a = Root().Child;
    EXPECT_EQ(Leaf(1)->Width, -1);
    EXPECT_EQ(a->Width, Width(0) + 1 + Width(2));
    TDBGridOptions options = Grid->GetOptions();
    Grid->SetOptions(options.Exclude(dgColLines));
    a = Root().Child;
    EXPECT_EQ(Leaf(1)->Width, 0);
    EXPECT_EQ(Leaf(0)->VLineWidth, 0);
    EXPECT_EQ(a->Width, Width(0) + Width(2));
}

TEST_F(TitleTree, BandHeightsAddUpToTheTitleRow)
{
    Captions({"A|B|x", "A|B|y", "A|C|z"});
    const int total = Root().Height;
    THeadTreeNode* a = Root().Child;
    THeadTreeNode* b = a->Child;
    THeadTreeNode* c = b->Next;
    EXPECT_EQ(a->Height + b->Height + Leaf(0)->Height, total);
    EXPECT_EQ(a->Height + c->Height + Leaf(2)->Height, total);
    // One line of text ("Wg" is 13 pixels) and the margin per band.
    EXPECT_EQ(a->Height, 13 + 10);
    EXPECT_EQ(Leaf(0)->Height, 13 + 10);
    EXPECT_EQ(total, 3 * 23);
    EXPECT_EQ(Grid->RowHeights(0), total - 1); // with dghFixed3D
    Grid->SetOptionsEx(Grid->GetOptionsEx().Exclude(dghFixed3D));
    EXPECT_EQ(Grid->RowHeights(0), total - 3);
    Grid->SetVTitleMargin(4);
    EXPECT_EQ(Grid->TitleTreeRoot().Height, 3 * 17);
}

TEST_F(TitleTree, ASortMarkerNarrowsTheCaptionsBox)
{
    const std::string caption = "Amount in the currency";
    Captions({caption});
    ui::TCanvas canvas;
    canvas.Font().Assign(Grid->Columns().Items(0)->Title()->GetFont());
    TColumnEx* column = Grid->Columns().Items(0);
    // Wide enough for one line with 8 pixels to spare.
    column->SetWidth(canvas.TextWidth(caption) + 4 + 8);
    EXPECT_EQ(Root().Height, 13 + 10);
    column->Title()->SetSortMarker(smDownEx);
    EXPECT_EQ(Leaf(0)->WIndent, 16);
    EXPECT_EQ(Root().Height, 2 * 13 + 10);
}

TEST_F(TitleTree, EmptyAndVerticalCaptionsAreMeasuredToo)
{
    Captions({"", "Vertical"});
    ui::TCanvas canvas;
    canvas.Font().Assign(Grid->Columns().Items(1)->Title()->GetFont());
    // An empty caption is measured as a blank: one line.
    EXPECT_EQ(Leaf(0)->Text, "");
    EXPECT_EQ(Root().Height, 13 + 10);
    Grid->Columns().Items(1)->Title()->SetOrientation(tohVertical);
    EXPECT_EQ(Root().Height, canvas.TextWidth("Vertical") + 6);
    // A band over a vertical caption stands above the whole of it.
    Grid->Columns().Items(1)->Title()->SetCaption("Band|Vertical");
    THeadTreeNode* band = Root().Child->Next;
    ASSERT_EQ(band->Text, "Band");
    EXPECT_EQ(Leaf(1)->Height, canvas.TextWidth("Vertical") + 6);
    EXPECT_EQ(Root().Height, band->Height + Leaf(1)->Height);
    EXPECT_EQ(band->Height, 13 + 10);
}

TEST_F(TitleTree, AHundredThousandLevelsAreBuiltMeasuredDrawnAndFreed)
{
    // Two columns sharing 100,000 bands: no walk over the tree may recurse per level.
    constexpr int kLevels = 100000;
    std::string shared;
    for (int i = 0; i < kLevels; ++i) shared += (i % 2 ? "L|" : "M|");
    Captions({shared + "x", shared + "y", "z"});
    ASSERT_NE(Leaf(1), nullptr);
    EXPECT_EQ(Leaf(0)->Text, "x");
    EXPECT_EQ(Leaf(1)->Text, "y");
    EXPECT_EQ(Leaf(0)->Host, Leaf(1)->Host);
    EXPECT_EQ(Leaf(0)->Depth(), kLevels + 1);
    EXPECT_EQ(Leaf(2)->Depth(), 1);
    int nodes = 0;
    Root().ForEachNode([&](THeadTreeNode&) { ++nodes; });
    EXPECT_EQ(nodes, kLevels + 3);
    EXPECT_TRUE(Root().Contains(Leaf(1)));
    EXPECT_TRUE(Root().Child->Contains(Leaf(0)));
    EXPECT_FALSE(Leaf(0)->Contains(Root().Child));
    // Every band one line and its margin; the z column's leaf as tall as them all.
    EXPECT_EQ(Root().Height, (kLevels + 1) * 23);
    EXPECT_EQ(Leaf(0)->Height, 23);
    EXPECT_EQ(Leaf(2)->Height, (kLevels + 1) * 23);
    EXPECT_EQ(Grid->RowHeights(0), Root().Height - 1);

    // Shown and painted, then the tree freed and built again by the next layout.
    uitest::ShowActive(Grid.get());
    Grid->repaint();
    Grid->Columns().Items(2)->Title()->SetCaption("M|z");
    EXPECT_EQ(Leaf(2)->Text, "z");
    EXPECT_EQ(Leaf(2)->Host, Root().Child); // under the first band, beside the second
    Grid->SetUseMultiTitle(false);
    Grid->SetUseMultiTitle(true);
    EXPECT_EQ(Leaf(1)->Depth(), kLevels + 1);
}

} // namespace
