// The grid among other controls: leaving it with a new or edited record, the row of the
// current record painted again when another control or the program changes it, and the
// tool tips of cut-off texts and the titles' hints.
#include <memory>
#include <string>

#include <QApplication>
#include <QScreen>
#include <gtest/gtest.h>

#include "GridInputTest.h"
#include "controls/editors/DBNumberEditEx.h"
#include "controls/grid/DBGridExToolTips.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Form.h"
#include "platform/ui/Hints.h"
#include "platform/ui/InputState.h"
#include "platform/ui/StdControls.h"
#include "platform/ui/Timer.h"
#include "support/Snapshot.h"

namespace {

using namespace grid;
using gridtest::GridInputTest;

class GridFocusAndTips : public GridInputTest {
protected:
    // The grid and a number editor bound to AMOUNT on one shown form.
    void ShowOnForm(std::initializer_list<const char*> fields = {"ID", "NAME", "AMOUNT"})
    {
        form = std::make_unique<ui::TForm>();
        form->SetBounds(40, 40, 460, 280);
        Grid->SetParent(form.get());
        Grid->SetBounds(0, 0, 400, 200);
        number = new editors::TDBNumberEditEx(form.get());
        number->SetBounds(10, 220, 120, 21);
        number->SetDataSource(&Source);
        number->SetDataField("AMOUNT");
        Bind();
        for (const char* field : fields) AddColumn(field);
        uitest::ShowActive(form.get());
        Grid->SetFocus();
    }
    void TearDown() override
    {
        if (form) {
            Grid->SetParent(nullptr);
            form.reset();
        }
        GridInputTest::TearDown();
    }
    // What the screen shows of the grid (the window's last paints, not a new one).
    QImage OnScreen()
    {
        QApplication::processEvents();
        const QPoint origin = Grid->mapTo(Grid->window(), QPoint(0, 0));
        return Grid->screen()
            ->grabWindow(Grid->window()->winId(), origin.x(), origin.y(), Grid->width(), Grid->height())
            .toImage()
            .convertToFormat(QImage::Format_RGB32);
    }
    // The grid drawn anew.
    QImage Drawn() { return uitest::Render(Grid.get()); }
    void Retype(const std::string& text)
    {
        number->SelectAll();
        QTest::keyClicks(number->EditWindow(), QString::fromStdString(text));
    }
    // The tool tip shown now, if any.
    static const TToolTipsWindow* ToolTip()
    {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* tip = dynamic_cast<const TToolTipsWindow*>(w); tip && tip->isVisible()) return tip;
        return nullptr;
    }

    std::unique_ptr<ui::TForm> form;
    editors::TDBNumberEditEx* number = nullptr;
    rtl::TScopedFormatSettings numbers_{'.', ','};
};

TEST_F(GridFocusAndTips, ARecordChangedElsewhereShowsInItsRowAtOnce)
{
    Records(6);
    ShowOnForm();
    Key(Qt::Key_Down);
    (void)OnScreen();

    // Another control changes the current record.
    number->SetFocus();
    Retype("12.6");
    Grid->SetFocus();
    EXPECT_EQ(F("AMOUNT")->GetAsFloat(), 12.6);
    EXPECT_EQ(OnScreen(), Drawn());

    // The program moves the record and the other control changes it.
    Data.SetRecNo(5);
    (void)OnScreen();
    number->SetFocus();
    Retype("7.25");
    Grid->SetFocus();
    EXPECT_EQ(F("AMOUNT")->GetAsFloat(), 7.25);
    EXPECT_EQ(OnScreen(), Drawn());

    // A grid cursor the program put on another row than the current record's: the
    // current record's row is painted again all the same.
    Data.Post();
    Data.Edit();
    Grid->SetRow(Grid->TitleOffset());
    (void)OnScreen();
    F("AMOUNT")->SetAsFloat(-200);
    EXPECT_EQ(OnScreen(), Drawn());
}

TEST_F(GridFocusAndTips, LeavingTheGridDropsAnUntouchedNewRecordOrWritesTheEditor)
{
    Records(4);
    ShowOnForm();
    Key(Qt::Key_Insert);
    ASSERT_EQ(Data.State(), db::dsInsert);
    number->SetFocus();
    EXPECT_EQ(Data.State(), db::dsBrowse);
    EXPECT_EQ(Data.RecordCount(), 4);

    // Text typed into the cell editor reaches the field when the focus leaves.
    Grid->SetFocus();
    Key(Qt::Key_Right);
    Type("Zed");
    ASSERT_TRUE(EditorShown());
    number->SetFocus();
    EXPECT_EQ(Data.State(), db::dsEdit);
    EXPECT_EQ(Name(), "Zed");
    Data.Post();

    // Without dgCancelOnExit the new record stays.
    Grid->SetOptions(Grid->GetOptions().Exclude(dgCancelOnExit));
    Grid->SetFocus();
    Key(Qt::Key_Insert);
    number->SetFocus();
    EXPECT_EQ(Data.State(), db::dsInsert);
    Data.Cancel();
}

TEST_F(GridFocusAndTips, TabLeavesAGridWithoutTabStopsForTheNextControl)
{
    Records(4);
    ShowOnForm();
    Grid->SetReadOnly(true);
    Key(Qt::Key_Down);
    const int col = Grid->Col();
    Key(Qt::Key_Tab);
    EXPECT_TRUE(number->Focused());
    Key(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_TRUE(Grid->Focused());
    // Shift+Tab from the grid: the control before it, which is the last one of the form.
    Key(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_TRUE(number->Focused());
    Grid->SetFocus();
    EXPECT_EQ(RecNo(), 2);
    EXPECT_EQ(Grid->Col(), col);

    // A cell editor shown in such a grid passes Tab on as well.
    Grid->SetReadOnly(false);
    for (int i = 0; i < Grid->Columns().Count(); ++i) Grid->Columns().Items(i)->SetReadOnly(true);
    Grid->SetOptions(Grid->GetOptions().Include(dgAlwaysShowEditor));
    Grid->ShowEditor();
    ASSERT_TRUE(EditorShown());
    ASSERT_TRUE(Grid->InplaceEdit()->Focused());
    Key(Qt::Key_Tab);
    EXPECT_TRUE(number->Focused());
    Key(Qt::Key_Backtab, Qt::ShiftModifier);
    ASSERT_TRUE(Grid->InplaceEdit()->Focused());
    Key(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_TRUE(number->Focused());
    // So does the editor of a grid without dgTabs.
    Grid->SetFocus();
    Grid->Columns().Items(1)->SetReadOnly(false);
    Grid->SetOptions(Grid->GetOptions().Exclude(dgTabs));
    ASSERT_TRUE(Grid->InplaceEdit()->Focused());
    Key(Qt::Key_Tab);
    EXPECT_TRUE(number->Focused());
    Grid->SetOptions(Grid->GetOptions().Include(dgTabs));

    // One column with a tab stop keeps Tab in the grid.
    Grid->SetFocus();
    Key(Qt::Key_Tab);
    EXPECT_FALSE(number->Focused());
    EXPECT_EQ(Grid->SelectedIndex(), 1);
}

TEST_F(GridFocusAndTips, AFieldAsksForTheFocusOfTheGridOnlyWhileTheGridCanTakeIt)
{
    form = std::make_unique<ui::TForm>();
    form->SetBounds(40, 40, 460, 280);
    Grid->SetParent(form.get());
    Grid->SetBounds(0, 0, 400, 200);
    // The grid hears the field's request before the editor does.
    Bind();
    for (const char* field : {"ID", "NAME", "AMOUNT"}) AddColumn(field);
    number = new editors::TDBNumberEditEx(form.get());
    number->SetBounds(10, 220, 120, 21);
    number->SetDataSource(&Source);
    number->SetDataField("AMOUNT");
    uitest::ShowActive(form.get());
    Grid->SetFocus();

    Grid->SetEnabled(false);
    F("AMOUNT")->FocusControl();
    EXPECT_TRUE(number->Focused()) << "a disabled grid leaves the request to the editor";
    EXPECT_EQ(Grid->SelectedField(), F("AMOUNT"));
    EXPECT_FALSE(Grid->EditorMode());

    Grid->SetEnabled(true);
    Grid->SetSelectedIndex(0);
    Grid->Hide();
    F("NAME")->FocusControl(); // nobody else shows NAME
    Grid->Show();
    EXPECT_FALSE(Grid->GridFocused());
    EXPECT_EQ(Grid->SelectedField(), F("NAME"));

    F("AMOUNT")->FocusControl();
    EXPECT_TRUE(Grid->GridFocused());
    EXPECT_TRUE(Grid->EditorMode());
    EXPECT_FALSE(number->Focused());
}

// Tips follow the pointer, which a real window system moves on its own: offscreen only.
using GridToolTips = GridFocusAndTips;

TEST_F(GridToolTips, ACutOffTextShowsItsToolTipAtOnceAndAFittingOneNone)
{
    ui::TManualTimers timers;
    SetNames({"Short", "A name that the column cuts off", "Mid"});
    ShowGrid({"ID", "NAME"});
    TColumnEx* name = Grid->Columns().Items(1);
    name->SetWidth(60);
    name->SetToolTips(true);
    name->Title()->SetHint("Who it is|The name of the record");
    const int row = Grid->TitleOffset();

    Move(Center(2, row + 1));
    const TToolTipsWindow* tip = ToolTip();
    ASSERT_NE(tip, nullptr);
    EXPECT_EQ(tip->Caption(), "A name that the colu"); // NAME holds 20 characters
    EXPECT_EQ(tip->Font().Color(), ui::clWindowText);
    testsupport::SaveSnapshot(const_cast<TToolTipsWindow*>(tip), "grid", "tool-tip-of-a-cut-off-name");
    Move(Center(2, row));
    EXPECT_EQ(ToolTip(), nullptr); // "Short" fits

    // Ctrl held keeps tool tips away.
    {
        ui::TInputStateScope ctrl(ui::ssCtrl);
        Move(Center(1, row + 1));
        Move(Center(2, row + 1));
        EXPECT_EQ(ToolTip(), nullptr);
    }

    // The title's hint, its short part, after the usual pause.
    Move(Center(2, 0));
    EXPECT_EQ(ui::HintShownFor(), nullptr);
    timers.Advance(ui::HintSettings().Pause);
    EXPECT_EQ(ui::HintShownFor(), Grid.get());
    EXPECT_EQ(ui::ControlHintWindow().Caption(), "Who it is");
    ui::CancelHint();
}

TEST_F(GridToolTips, RightToLeftATipStandsOverTheCellAsDrawn)
{
    ui::TManualTimers timers;
    SetNames({"Short", "A name that the column cuts off", "Mid"});
    Grid->setLayoutDirection(Qt::RightToLeft);
    ShowGrid({"ID", "NAME"});
    TColumnEx* name = Grid->Columns().Items(1);
    name->SetWidth(60);
    name->SetToolTips(true);
    const ui::TRect drawn = Grid->LayoutRect(Grid->CellRect(2, Grid->TitleOffset() + 1));

    Move({(drawn.Left + drawn.Right) / 2, (drawn.Top + drawn.Bottom) / 2});
    const TToolTipsWindow* tip = ToolTip();
    ASSERT_NE(tip, nullptr);
    const QPoint at = Grid->mapFromGlobal(tip->pos());
    EXPECT_GE(at.x(), drawn.Left);
    EXPECT_LT(at.x(), drawn.Right);
    ui::CancelHint();
}

TEST_F(GridToolTips, AGroupedTitlesTipCoversTheColumnsOwnBandFromItsFirstPixel)
{
    ui::TManualTimers timers;
    Grid->SetUseMultiTitle(true);
    ShowGrid({"ID", "NAME"});
    TColumnEx* name = Grid->Columns().Items(1);
    name->SetWidth(40);
    name->Title()->SetToolTips(true);
    Grid->Columns().Items(0)->Title()->SetCaption("Person|Number");
    name->Title()->SetCaption("Person|The name of the person");
    const ui::TRect cell = Grid->CellRect(2, 0);
    const THeadTreeNode* leaf = Grid->TitleLeaf(1);
    ASSERT_NE(leaf, nullptr);
    const int top = cell.Bottom - leaf->Height + 1;

    Move({(cell.Left + cell.Right) / 2, top + 2});
    const TToolTipsWindow* tip = ToolTip();
    ASSERT_NE(tip, nullptr);
    EXPECT_EQ(tip->Caption(), "The name of the person");
    EXPECT_EQ(Grid->mapFromGlobal(tip->pos()).y() - Grid->ClientOffset().Y, top);
    ui::CancelHint();
}

} // namespace
