// The grid object's published side: which properties are stored, what the setters do
// besides storing, scaling, removal notices, the column mapping, moving columns and the
// columns' popup menus.
#include <functional>
#include <string>
#include <vector>

#include <QMenu>
#include <QTest>
#include <gtest/gtest.h>

#include "GridFixture.h"
#include "controls/grid/DBGridEx.h"
#include "platform/ui/Form.h"

namespace {

using namespace grid;
using gridtest::GridTest;

TEST_F(GridTest, OnlyChangedPropertiesAreStoredAndFooterColorAlways)
{
    struct TProperty {
        const char* Name;
        std::function<bool()> Stored;
        std::function<void()> Change;
    };
    TCustomDBGridEx& g = *Grid;
    const TProperty properties[] = {
        {"AllowedOperations", [&] { return g.IsAllowedOperationsStored(); }, [&] { g.SetAllowedOperations({}); }},
        {"AllowedSelections", [&] { return g.IsAllowedSelectionsStored(); }, [&] { g.SetAllowedSelections({gstAll}); }},
        {"AutoFitColWidths", [&] { return g.IsAutoFitColWidthsStored(); }, [&] { g.SetAutoFitColWidths(true); }},
        {"Color", [&] { return g.IsColorStored(); }, [&] { g.SetColor(ui::clAqua); }},
        {"Columns", [&] { return g.IsColumnsStored(); }, [&] { g.Columns().Add(); }},
        {"DefaultDrawing", [&] { return g.IsDefaultDrawingStored(); }, [&] { g.SetDefaultDrawing(false); }},
        {"DrawMemoText", [&] { return g.IsDrawMemoTextStored(); }, [&] { g.SetDrawMemoText(true); }},
        {"EditActions", [&] { return g.IsEditActionsStored(); }, [&] { g.SetEditActions({geaCopyEx}); }},
        {"FixedColor", [&] { return g.IsFixedColorStored(); }, [&] { g.SetFixedColor(ui::clGray); }},
        {"Flat", [&] { return g.IsFlatStored(); }, [&] { g.SetFlat(true); }},
        {"FooterRowCount", [&] { return g.IsFooterRowCountStored(); }, [&] { g.SetFooterRowCount(2); }},
        {"FrozenCols", [&] { return g.IsFrozenColsStored(); }, [&] { g.SetFrozenCols(1); }},
        {"MinAutoFitWidth", [&] { return g.IsMinAutoFitWidthStored(); }, [&] { g.SetMinAutoFitWidth(100); }},
        {"Options", [&] { return g.IsOptionsStored(); }, [&] { g.SetOptions(g.GetOptions().Include(dgMultiSelect)); }},
        {"OptionsEx", [&] { return g.IsOptionsExStored(); },
         [&] { g.SetOptionsEx(g.GetOptionsEx().Exclude(dghDialogFind)); }},
        {"ReadOnly", [&] { return g.IsReadOnlyStored(); }, [&] { g.SetReadOnly(true); }},
        {"RowHeight", [&] { return g.IsRowHeightStored(); }, [&] { g.SetRowHeight(4); }},
        {"RowLines", [&] { return g.IsRowLinesStored(); }, [&] { g.SetRowLines(2); }},
        {"RowSizingAllowed", [&] { return g.IsRowSizingAllowedStored(); }, [&] { g.SetRowSizingAllowed(true); }},
        {"SortLocal", [&] { return g.IsSortLocalStored(); }, [&] { g.SetSortLocal(true); }},
        {"TitleHeight", [&] { return g.IsTitleHeightStored(); }, [&] { g.SetTitleHeight(3); }},
        {"TitleLines", [&] { return g.IsTitleLinesStored(); }, [&] { g.SetTitleLines(2); }},
        {"UseMultiTitle", [&] { return g.IsUseMultiTitleStored(); }, [&] { g.SetUseMultiTitle(true); }},
        {"VTitleMargin", [&] { return g.IsVTitleMarginStored(); }, [&] { g.SetVTitleMargin(6); }},
    };
    EXPECT_TRUE(g.IsFooterColorStored());
    for (const TProperty& p : properties) {
        SCOPED_TRACE(p.Name);
        EXPECT_FALSE(p.Stored());
        p.Change();
        EXPECT_TRUE(p.Stored());
    }
    EXPECT_TRUE(g.IsFooterColorStored());
}

TEST_F(GridTest, SettersRefuseWhatTheyCannotTakeAndMapWhatTheBaseGridKeeps)
{
    Bind();
    Grid->SetFooterRowCount(2);
    Grid->SetFooterRowCount(-1);
    EXPECT_EQ(Grid->GetFooterRowCount(), 2);
    Grid->SetFrozenCols(1);
    Grid->SetFrozenCols(-1);
    EXPECT_EQ(Grid->GetFrozenCols(), 1);
    Grid->SetRowHeight(-3);
    Grid->SetRowLines(-1);
    EXPECT_EQ(Grid->GetRowHeight(), 0);
    EXPECT_EQ(Grid->GetRowLines(), 0);
    Grid->SetRowSizingAllowed(true);
    EXPECT_NE(Grid->Options() & ui::goRowSizing, 0u);
    Grid->SetOptions(Grid->GetOptions().Include(dgRowSelect)); // the mapping keeps row sizing
    EXPECT_NE(Grid->Options() & ui::goRowSizing, 0u);
    Grid->SetRowSizingAllowed(false);
    EXPECT_EQ(Grid->Options() & ui::goRowSizing, 0u);
    // The base grid selects no ranges of its own.
    EXPECT_EQ(Grid->Options() & ui::goRangeSelect, 0u);

    // Fonts and colours of its own end following the parent's.
    ui::TForm form;
    Grid->SetParent(&form);
    Grid->SetParentFont(true);
    form.Font().SetHeight(-19);
    EXPECT_TRUE(Grid->TitleFont().SameAs(form.Font()));
    EXPECT_TRUE(Grid->FooterFont().SameAs(form.Font()));
    EXPECT_TRUE(Grid->ParentFont());
    Grid->TitleFont().SetHeight(-15);
    EXPECT_FALSE(Grid->ParentFont());
    Grid->SetParentFont(true);
    Grid->SetFooterFont(ui::TFont());
    EXPECT_FALSE(Grid->ParentFont());
    Grid->SetParentColor(true);
    Grid->SetFooterColor(ui::clYellow);
    EXPECT_FALSE(Grid->ParentColor());
    EXPECT_EQ(Grid->GetFooterColor(), ui::clYellow);
    Grid->SetParent(nullptr);
}

TEST_F(GridTest, TitleImagesAreWatchedAndForgottenWhenTheyGo)
{
    Bind();
    auto* images = new ui::TCustomImageList(12, 12);
    Grid->SetTitleImages(images);
    EXPECT_EQ(Grid->GetTitleImages(), images);
    delete images;
    EXPECT_EQ(Grid->GetTitleImages(), nullptr);
}

TEST_F(GridTest, ScalingTakesTheGridFontForTheTitlesAndKeepsTheWidthsSum)
{
    Bind();
    for (const char* name : {"ID", "NAME", "AMOUNT"}) AddColumn(name)->SetWidth(33);
    Grid->Font().SetSize(8);
    Grid->TitleFont().SetSize(10);
    Grid->FooterFont().SetSize(9);
    TColumnEx* own = Grid->Columns().Items(1);
    own->GetFont().SetSize(12);
    const int derivedSize = Grid->Columns().Items(0)->GetFont().Size();
    ASSERT_FALSE(Grid->ParentFont());

    Grid->ChangeScale(1, 1); // nothing
    EXPECT_EQ(Grid->TitleFont().Size(), 10);
    Grid->ChangeScale(2, 1);
    EXPECT_EQ(Grid->TitleFont().Size(), 16); // from the grid's 8 points
    EXPECT_EQ(Grid->FooterFont().Size(), 18);
    EXPECT_EQ(Grid->Font().Size(), 16);
    EXPECT_EQ(own->GetFont().Size(), 24);
    EXPECT_EQ(Grid->Columns().Items(0)->GetFont().Size(), 16); // follows the grid's
    EXPECT_NE(derivedSize, 16);

    // Widths scale on their running sum, so rounding does not add up.
    Grid->ChangeScale(3, 2);
    int sum = 0;
    for (int i = 0; i < 3; ++i) {
        const int width = Grid->Columns().Items(i)->GetWidth();
        EXPECT_NEAR(width, 99, 1);
        sum += width;
    }
    EXPECT_EQ(sum, 297); // 66 * 3 * 3 / 2
}

TEST_F(GridTest, ASourceThatGoesLeavesTheGridAndTheDropDowns)
{
    auto* source = new db::TDataSource;
    source->SetDataSet(&Data);
    Grid->SetDataSource(source);
    TColumnEx* who = AddColumn("WHO");
    who->DropDownBox()->SetListSource(source);
    ASSERT_TRUE(Grid->DataLink().Active());
    delete source;
    EXPECT_EQ(Grid->GetDataSource(), nullptr);
    EXPECT_EQ(who->DropDownBox()->GetListSource(), nullptr);
    EXPECT_FALSE(Grid->DataLink().Active());
}

TEST_F(GridTest, TheIndicatorIsNoDataColumn)
{
    Bind();
    Grid->SetCol(0);
    EXPECT_EQ(Grid->SelectedIndex(), -1);
    EXPECT_EQ(Grid->SelectedField(), nullptr);
    Grid->SetSelectedIndex(2);
    EXPECT_EQ(Grid->Col(), 3);
    EXPECT_EQ(Grid->SelectedField(), F("AMOUNT"));
    Grid->SetSelectedIndex(40); // outside: nothing moves
    EXPECT_EQ(Grid->Col(), 3);
    Grid->SetOptions(Grid->GetOptions().Exclude(dgIndicator));
    EXPECT_EQ(Grid->IndicatorOffset(), 0);
    EXPECT_EQ(Grid->SelectedIndex(), Grid->Col());
}

TEST_F(GridTest, AFieldThatAsksForTheFocusGetsItsColumnAndTheEditor)
{
    Bind();
    uitest::ShowActive(Grid.get());
    F("AMOUNT")->FocusControl();
    EXPECT_EQ(Grid->SelectedField(), F("AMOUNT"));
    EXPECT_TRUE(Grid->EditorMode());
    EXPECT_TRUE(Grid->GridFocused());
}

TEST_F(GridTest, DraggedTitlesMoveTheirColumns)
{
    Bind();
    uitest::ShowActive(Grid.get());
    std::vector<std::pair<int, int>> moves;
    Grid->OnColumnMoved = TMovedEvent::FromFunction([&](rtl::TObject*, int from, int to) { moves.push_back({from, to}); });
    TColumnEx* name = Grid->Columns().Items(1);
    const ui::TRect from = Grid->CellRect(2, 0);
    const ui::TRect to = Grid->CellRect(4, 0);
    gridtest::DragMouse(*Grid, {from.Left + from.Width() / 2, from.Top + 3}, {to.Left + to.Width() / 2, to.Top + 3});
    ASSERT_EQ(moves.size(), 1u);
    EXPECT_EQ(moves[0], std::make_pair(1, 3));
    EXPECT_EQ(Grid->Columns().Items(3), name);
    // A column the grid built from a field takes its field along.
    EXPECT_EQ(F("NAME")->GetIndex(), 3);
    EXPECT_EQ(Grid->ColWidths(4), name->GetWidth());
}

TEST_F(GridTest, TheRightButtonOverADataColumnShowsItsMenu)
{
    Bind();
    uitest::ShowActive(Grid.get());
    QMenu menu;
    Grid->Columns().Items(1)->SetPopupMenu(&menu);
    int gridEvents = 0;
    Grid->OnContextPopup = ui::TContextPopupEvent::FromFunction([&](rtl::TObject*, ui::TPoint, bool&) { ++gridEvents; });
    const ui::TRect cell = Grid->CellRect(2, 1);
    QTest::mouseClick(Grid.get(), Qt::RightButton, {}, gridtest::WidgetPoint(*Grid, {cell.Left + 4, cell.Top + 4}));
    EXPECT_EQ(gridEvents, 1);
    EXPECT_TRUE(menu.isVisible());
    EXPECT_EQ(menu.property("PopupComponent").value<QObject*>(), Grid.get());
    menu.hide();
    // A column without a menu, and the indicator, show none.
    const ui::TRect other = Grid->CellRect(1, 1);
    QTest::mouseClick(Grid.get(), Qt::RightButton, {}, gridtest::WidgetPoint(*Grid, {other.Left + 4, other.Top + 4}));
    QTest::mouseClick(Grid.get(), Qt::RightButton, {}, gridtest::WidgetPoint(*Grid, {3, cell.Top + 4}));
    EXPECT_FALSE(menu.isVisible());
    EXPECT_EQ(gridEvents, 3);
}

TEST_F(GridTest, TheEventsFireThroughTheirOperations)
{
    std::vector<std::string> fired;
    auto notify = [&](const char* name) {
        return rtl::TNotifyEvent::FromFunction([&fired, name](rtl::TObject*) { fired.push_back(name); });
    };
    Grid->EditButtonClick(); // nothing assigned: nothing happens
    Grid->OnEditButtonClick = notify("button");
    Grid->EditButtonClick();
    EXPECT_EQ(fired, (std::vector<std::string>{"button"}));
}

} // namespace
