// Variant equality, field lists, check-box placement, double clicks, dotted tree lines,
// centred images and the edit image.
#include "EditorsTestSupport.h"

#include <gmock/gmock.h>

#include "controls/editors/EditImage.h"
#include "controls/editors/EditInterfaces.h"
#include "controls/editors/ToolCtrlsEx.h"
#include "platform/db/MemDataSet.h"
#include "platform/rtl/Exception.h"
#include "platform/ui/Metrics.h"

using namespace editors;
using rtl::Variant;

namespace {

class SupportRoutinesTest : public uitest::UiTest {};

Variant ArrayFrom(int low, std::initializer_list<Variant> values)
{
    Variant a = rtl::VarArrayCreate(low, low + static_cast<int>(values.size()) - 1);
    int i = low;
    for (const Variant& v : values) a[i++] = v;
    return a;
}

// Throws an rtl::Exception with this message.
auto Fails(const std::string& message) { return ::testing::ThrowsMessage<rtl::Exception>(::testing::StrEq(message)); }

// The pixel colour as a plain colour value.
ui::TColor At(const QImage& img, int x, int y) { return uitest::PixelAt(img, x, y); }
ui::TColor Sys(int index) { return ui::SysColors()[index]; }

} // namespace

TEST_F(SupportRoutinesTest, VarEqualsComparesNullUnassignedArraysAndMixedKinds)
{
    struct Case {
        const char* what;
        Variant a, b;
        bool equal;
    };
    const Case cases[] = {
        {"Null, Null", rtl::Null(), rtl::Null(), true},
        {"Unassigned, Unassigned", Variant(), Variant(), true},
        {"Unassigned, Null", Variant(), rtl::Null(), false},
        {"Null, 0", rtl::Null(), Variant(0), false},
        {"Unassigned, 0", Variant(), Variant(0), false},
        {"same bounds", ArrayFrom(0, {1, "a", 2.5}), ArrayFrom(0, {1, "a", 2.5}), true},
        {"bounds 0..2 and 1..3", ArrayFrom(0, {1, 2, 3}), ArrayFrom(1, {1, 2, 3}), false},
        {"one element differs", ArrayFrom(0, {1, 2, 3}), ArrayFrom(0, {1, 2, 4}), false},
        {"array and scalar", ArrayFrom(0, {1}), Variant(1), false},
        {"Null elements", ArrayFrom(0, {rtl::Null()}), ArrayFrom(0, {rtl::Null()}), true},
        {"integer and double", Variant(1), Variant(1.0), true},
        {"integer and currency", Variant(3), Variant(rtl::Currency::FromScaled(30000)), true},
        {"number text and number", Variant("12"), Variant(12), true},
        {"other text and number", Variant("abc"), Variant(12), false},
        {"texts by case", Variant("abc"), Variant("ABC"), false},
        {"True and -1", Variant(true), Variant(-1), true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(VarEquals(c.a, c.b), c.equal) << c.what;
        EXPECT_EQ(VarEquals(c.b, c.a), c.equal) << c.what << " (swapped)";
    }
}

TEST_F(SupportRoutinesTest, FieldListsFollowTheNamesAndNameTheMissingField)
{
    db::TMemDataSet ds;
    db::TField* a = ds.AddField<db::TIntegerField>("A");
    ds.AddField<db::TStringField>("B", db::fkData, 10);
    db::TField* c = ds.AddField<db::TFloatField>("C");

    std::vector<db::TField*> list{a};
    FieldsByNamesToList(list, ds, nullptr, " C ;a");
    EXPECT_EQ(list, (std::vector<db::TField*>{a, c, a})); // appended, in the order named
    EXPECT_EQ(FieldsByNamesToArray(ds, nullptr, "C"), std::vector<db::TField*>{c});

    EXPECT_THAT([&] { FieldsByNamesToArray(ds, nullptr, "A;NOPE;C"); }, Fails("Field 'NOPE' not found"));
    rtl::TComponent editor(nullptr);
    editor.SetName("DBEdit1");
    EXPECT_THAT([&] { FieldsByNamesToList(list, ds, &editor, "NOPE"); }, Fails("DBEdit1: Field 'NOPE' not found"));
    rtl::TComponent unnamed(nullptr);
    EXPECT_THAT([&] { FieldsByNamesToList(list, ds, &unnamed, "NOPE"); }, Fails("Field 'NOPE' not found"));
}

TEST_F(SupportRoutinesTest, AssignFieldsValueSetsSeveralFieldsOrClearsThemWithNull)
{
    db::TMemDataSet ds;
    ds.AddField<db::TIntegerField>("A");
    ds.AddField<db::TStringField>("B", db::fkData, 10);
    ds.Open();
    ds.Append();
    AssignFieldsValue(ds, "A;B", rtl::VarArrayOf({7, "seven"}));
    EXPECT_EQ(ds.FieldByName("A")->GetValue(), Variant(7));
    EXPECT_EQ(ds.FieldByName("B")->GetValue(), Variant("seven"));
    AssignFieldsValue(ds, "B", Variant("one"));
    EXPECT_EQ(ds.FieldByName("B")->GetValue(), Variant("one"));
    AssignFieldsValue(ds, "A;B", rtl::Null());
    EXPECT_TRUE(ds.FieldByName("A")->GetValue().IsNull());
    EXPECT_TRUE(ds.FieldByName("B")->GetValue().IsNull());
    EXPECT_THAT([&] { AssignFieldsValue(ds, "A;Z", rtl::Null()); }, Fails("Field 'Z' not found"));
}

TEST_F(SupportRoutinesTest, CheckBoxRectPlacesTheSystemCheckBoxByBothAlignments)
{
    // A 30 x 40 cell at (10, 20); the check box is 13 x 13.
    const ui::TRect cell{10, 20, 40, 60};
    struct Case {
        ui::TAlignment h;
        ui::TTextLayout v;
        int left, top;
    };
    const Case cases[] = {
        // clang-format off
        {ui::taLeftJustify, ui::tlTop, 10, 20},    {ui::taLeftJustify, ui::tlCenter, 10, 34},
        {ui::taLeftJustify, ui::tlBottom, 10, 47}, {ui::taRightJustify, ui::tlTop, 27, 20},
        {ui::taRightJustify, ui::tlCenter, 27, 34}, {ui::taRightJustify, ui::tlBottom, 27, 47},
        {ui::taCenter, ui::tlTop, 19, 20},         {ui::taCenter, ui::tlCenter, 19, 34},
        // clang-format on
        {ui::taCenter, ui::tlBottom, 19, 47},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CheckBoxRect(cell, c.h, c.v), ui::Bounds(c.left, c.top, 13, 13)) << c.h << "/" << c.v;
    // A cell smaller than the check box limits it.
    EXPECT_EQ(CheckBoxRect({5, 5, 13, 10}, ui::taCenter, ui::tlCenter), (ui::TRect{5, 5, 13, 10}));
    EXPECT_EQ(CheckBoxRect({5, 5, 3, 3}, ui::taRightJustify, ui::tlBottom).Width(), 0);
}

TEST_F(SupportRoutinesTest, IsDoubleClickKeepsToTheSystemTimeAndDistance)
{
    // Fixed metrics: 500 ms, 4 x 4 pixels.
    EXPECT_TRUE(IsDoubleClick({10, 10}, {14, 6}, 500));
    EXPECT_FALSE(IsDoubleClick({10, 10}, {14, 6}, 501));
    EXPECT_FALSE(IsDoubleClick({10, 10}, {15, 10}, 10));
    EXPECT_FALSE(IsDoubleClick({10, 10}, {10, 5}, 10));
    EXPECT_FALSE(IsDoubleClick({10, 10}, {10, 10}, -1));
}

TEST_F(SupportRoutinesTest, DottedLinesKeepToTheParityOfTheirStart)
{
    auto dotsOf = [](ui::TPoint start, int length, int parity, bool horizontal) {
        QImage img = uitest::WhiteImage(30, 30);
        {
            uitest::TImageCanvas c(img);
            c.Canvas.Pen().SetColor(ui::clBlack);
            DrawDottedLine(c.Canvas, start, length, parity, horizontal);
        }
        std::vector<int> dots;
        for (int i = 0; i < 30; ++i) {
            const int x = horizontal ? i : start.X, y = horizontal ? start.Y : i;
            if (At(img, x, y) == ui::clBlack) dots.push_back(i);
        }
        // Nothing drawn off the line.
        QRect line;
        if (!dots.empty())
            line = horizontal ? QRect(dots.front(), start.Y, dots.back() - dots.front() + 1, 1)
                              : QRect(start.X, dots.front(), 1, dots.back() - dots.front() + 1);
        EXPECT_EQ(uitest::InkBounds(img), line);
        return dots;
    };
    // (3, 4): x + y is odd.
    EXPECT_EQ(dotsOf({3, 4}, 10, 1, true), (std::vector<int>{3, 5, 7, 9, 11}));
    EXPECT_EQ(dotsOf({3, 4}, 10, 0, true), (std::vector<int>{4, 6, 8, 10, 12}));
    EXPECT_EQ(dotsOf({3, 4}, 10, 1, false), (std::vector<int>{4, 6, 8, 10, 12}));
    EXPECT_EQ(dotsOf({3, 4}, 10, 0, false), (std::vector<int>{5, 7, 9, 11, 13}));
    // Pieces of one line meet on the same grid of dots.
    std::vector<int> joined = dotsOf({3, 4}, 5, 0, true);
    std::vector<int> rest = dotsOf({8, 4}, 5, 0, true);
    joined.insert(joined.end(), rest.begin(), rest.end());
    EXPECT_EQ(joined, dotsOf({3, 4}, 10, 0, true));
    EXPECT_TRUE(dotsOf({3, 4}, 1, 0, true).empty());
    EXPECT_TRUE(dotsOf({3, 4}, -5, 1, true).empty());
}

TEST_F(SupportRoutinesTest, TreeElementsDrawNodesAndConnectors)
{
    // A 20 x 20 cell: centre (10, 10), node box from (6, 6) to (14, 14).
    struct Case {
        TTreeElementEx element;
        bool node, plus, above, below, branch;
    };
    const Case cases[] = {
        // clang-format off
        {teMinusMiddleEx, true, false, true, true, true},   {teMinusLastEx, true, false, true, false, true},
        {teMinusFirstEx, true, false, false, true, true},   {tePlusMiddleEx, true, true, true, true, true},
        {tePlusLastEx, true, true, true, false, true},      {tePlusFirstEx, true, true, false, true, true},
        {teBranchEx, false, false, true, true, true},       {teLastBranchEx, false, false, true, false, true},
        {teFirstBranchEx, false, false, false, true, true}, {teLineEx, false, false, true, true, false},
        // clang-format on
    };
    const ui::TColor white = ui::RGB(255, 255, 255);
    QImage strip = uitest::WhiteImage(10 * 24, 24);
    for (const Case& c : cases) {
        QImage img = uitest::WhiteImage(20, 20);
        {
            uitest::TImageCanvas canvas(img);
            DrawTreeElement(canvas.Canvas, {0, 0, 20, 20}, 0, c.element);
        }
        QPainter(&strip).drawImage(c.element * 24 + 2, 2, img);
        SCOPED_TRACE(c.element);
        const ui::TColor line = Sys(ui::COLOR_BTNSHADOW);
        EXPECT_EQ(At(img, 10, 2), c.above ? line : white);
        EXPECT_EQ(At(img, 10, 3), white); // dots, not a solid line
        EXPECT_EQ(At(img, 10, 18), c.below ? line : white);
        EXPECT_EQ(At(img, 18, 10), c.branch ? line : white);
        if (!c.node) continue;
        EXPECT_EQ(At(img, 6, 6), line); // the box
        EXPECT_EQ(At(img, 14, 14), line);
        EXPECT_EQ(At(img, 7, 7), Sys(ui::COLOR_WINDOW));
        EXPECT_EQ(At(img, 8, 10), Sys(ui::COLOR_WINDOWTEXT)); // the minus
        EXPECT_EQ(At(img, 12, 10), Sys(ui::COLOR_WINDOWTEXT));
        EXPECT_EQ(At(img, 13, 10), Sys(ui::COLOR_WINDOW));
        EXPECT_EQ(At(img, 10, 8), c.plus ? Sys(ui::COLOR_WINDOWTEXT) : Sys(ui::COLOR_WINDOW));
        EXPECT_EQ(At(img, 10, 12), c.plus ? Sys(ui::COLOR_WINDOWTEXT) : Sys(ui::COLOR_WINDOW));
    }
    editorstest::WriteSnapshot("tree-elements", strip.scaled(strip.size() * 4));
}

TEST_F(SupportRoutinesTest, DrawImageCenteredCentresClipsAndHighlights)
{
    ui::TCustomImageList images(8, 8);
    ui::TBitmap red(8, 8);
    red.Canvas().Brush().SetColor(ui::clRed);
    red.Canvas().FillRect({0, 0, 8, 8});
    images.Add(red);

    auto draw = [&](const ui::TRect& r, int index, bool selected) {
        QImage img = uitest::WhiteImage(20, 20);
        uitest::TImageCanvas c(img);
        DrawImageCentered(c.Canvas, r, &images, index, selected);
        c.End();
        return img;
    };
    QImage centred = draw({0, 0, 20, 20}, 0, false);
    EXPECT_EQ(uitest::InkBounds(centred), QRect(6, 6, 8, 8));
    EXPECT_EQ(At(centred, 6, 6), ui::clRed);
    // Larger than its rectangle: clipped to it.
    EXPECT_EQ(uitest::InkBounds(draw({2, 2, 6, 6}, 0, false)), QRect(2, 2, 4, 4));
    // Selected: blended with the highlight colour.
    QImage selected = draw({0, 0, 20, 20}, 0, true);
    EXPECT_EQ(uitest::InkBounds(selected), QRect(6, 6, 8, 8));
    EXPECT_NE(At(selected, 9, 9), ui::clRed);
    EXPECT_TRUE(uitest::InkBounds(draw({0, 0, 20, 20}, 1, false)).isEmpty());
    EXPECT_TRUE(uitest::InkBounds(draw({0, 0, 20, 20}, -1, false)).isEmpty());
}

namespace {

class TRecordingEditor : public ui::TControl {
public:
    using ui::TControl::TControl;
    std::vector<unsigned> Messages;
    std::vector<rtl::TComponent*> Removed;

protected:
    void WndProc(ui::TMessage& m) override { Messages.push_back(m.Msg); }
    void Notification(rtl::TComponent* c, rtl::TOperation op) override
    {
        ui::TControl::Notification(c, op);
        if (op == rtl::opRemove) Removed.push_back(c);
    }
};

} // namespace

TEST_F(SupportRoutinesTest, EditImageTellsItsEditorWhatChanged)
{
    TRecordingEditor editor;
    TEditImageEx image(&editor);
    EXPECT_EQ(image.GetImageIndex(), -1);
    EXPECT_TRUE(image.GetUseImageHeight());
    EXPECT_FALSE(image.GetVisible());

    image.SetImageIndex(3); // repaints only
    EXPECT_TRUE(editor.Messages.empty());
    auto* images = new ui::TCustomImageList(16, 16);
    image.SetImages(images);
    image.SetVisible(true);
    image.SetWidth(20);
    image.SetUseImageHeight(false);
    EXPECT_EQ(editor.Messages, std::vector<unsigned>(4, CM_EDITIMAGECHANGED));
    image.SetVisible(true); // unchanged: nothing
    image.SetWidth(20);
    EXPECT_EQ(editor.Messages.size(), 4u);

    TRecordingEditor other;
    TEditImageEx copy(&other);
    copy.Assign(&image);
    EXPECT_EQ(copy.GetImages(), images);
    EXPECT_EQ(copy.GetImageIndex(), 3);
    EXPECT_TRUE(copy.GetVisible());
    EXPECT_EQ(copy.GetWidth(), 20);
    EXPECT_TRUE(copy.GetUseImageHeight()); // not copied

    // The editor hears when the image list goes away.
    delete images;
    EXPECT_EQ(editor.Removed, std::vector<rtl::TComponent*>{images});
    image.SetImages(nullptr);
    copy.SetImages(nullptr);
}

TEST_F(SupportRoutinesTest, AnInplaceHolderMustSpeakTheHolderInterface)
{
    ui::TControl plain;
    EXPECT_THAT([&] { RequireInplaceEditHolder(&plain); },
                Fails("InplaceEditHolder have to support IInplaceEditHolderEx interface"));
    EXPECT_EQ(RequireInplaceEditHolder(nullptr), nullptr);

    class THolder : public ui::TControl, public IInplaceEditHolderEx {
    public:
        bool InplaceEditCanModify(ui::TControl*) override { return true; }
        void GetMouseDownInfo(ui::TPoint&, unsigned long&) override {}
        void InplaceEditWndProc(ui::TControl*, ui::TMessage&) override {}
        void InplaceEditKeyDown(ui::TControl*, ui::Word&, ui::TShiftState) override {}
        void InplaceEditKeyPress(ui::TControl*, char&) override {}
        void InplaceEditKeyUp(ui::TControl*, ui::Word&, ui::TShiftState) override {}
    } holder;
    EXPECT_EQ(RequireInplaceEditHolder(&holder), static_cast<IInplaceEditHolderEx*>(&holder));
}
