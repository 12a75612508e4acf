// The drop-down data grid as a pop-up: it never takes the focus, follows the pointer,
// closes accepting on a release over a row, is sized by its grip, takes its owner's keys
// and wheel; and the drop-down grid a grid column keeps.
#include <QApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTest>

#include "LookupGridFixture.h"
#include "controls/grid/DBLookupGridsEx.h"
#include "platform/ui/Metrics.h"
#include "platform/ui/Popup.h"
#include "platform/ui/StdControls.h"
#include "support/Snapshot.h"

namespace {

using namespace grid;

class PopupDataGrid : public lookuptest::LookupTest {
protected:
    void SetUp() override
    {
        LookupTest::SetUp();
        owner = std::make_unique<ui::TControl>();
        owner->SetBounds(100, 100, 220, 30);
        edit = new QLineEdit(owner.get());
        edit->setGeometry(0, 0, 220, 30);
        popup = new TPopupDataGridEx(owner.get());
        popup->SetListSource(&CustomerSource);
        popup->SetKeyField("CUSTID");
        popup->SetListField("CUSTNAME;CUSTID");
        popup->SetRowCount(6);
        popup->SetBounds(100, 130, 220, popup->Height());
        popup->OnCloseUp = editors::TCloseUpEventEx::FromFunction(
            [this](rtl::TObject*, bool accept) { closeUps.push_back(accept); });
        popup->OnUserChange = rtl::TNotifyEvent::FromFunction([this](rtl::TObject*) { ++userChanges; });
    }
    void TearDown() override
    {
        owner.reset();
        EXPECT_TRUE(Exceptions.empty()) << Exceptions.front();
        LookupTest::TearDown();
    }
    void ShowBoth()
    {
        uitest::ShowActive(owner.get());
        edit->setFocus();
        ui::ShowPopupNoActivate(popup);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(popup));
    }
    QPoint OnRow(int row) const
    {
        const int gridRow = row < 0 ? popup->SpecRowGridRow() : popup->TitleOffset() + row;
        const ui::TRect r = popup->CellRect(0, gridRow);
        const ui::TPoint offset = popup->ClientOffset();
        return {offset.X + r.Left + 4, offset.Y + (r.Top + r.Bottom) / 2};
    }
    int Key() const { return popup->GetKeyValue().IsNull() ? 0 : popup->GetKeyValue().AsInteger(); }
    // A move of the pointer with no button held, as the window system delivers it.
    void MoveTo(QPoint at)
    {
        QMouseEvent move(QEvent::MouseMove, at, popup->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(popup, &move);
    }

    std::unique_ptr<ui::TControl> owner;
    QLineEdit* edit = nullptr;
    TPopupDataGridEx* popup = nullptr;
    std::vector<bool> closeUps;
    int userChanges = 0;
};

TEST_F(PopupDataGrid, ThePointerChoosesAndAReleaseOverARowClosesAccepting)
{
    ShowBoth();
    popup->SetKeyValue(1);
    EXPECT_EQ(userChanges, 0);
    MoveTo(OnRow(3));
    EXPECT_EQ(Key(), 4);
    EXPECT_EQ(popup->Text(), "Dave");
    EXPECT_GE(userChanges, 1);
    MoveTo(OnRow(2));
    EXPECT_EQ(Key(), 3);
    EXPECT_TRUE(closeUps.empty());
    QTest::mouseClick(popup, Qt::LeftButton, {}, OnRow(5));
    EXPECT_EQ(Key(), 6);
    ASSERT_EQ(closeUps.size(), 1u);
    EXPECT_TRUE(closeUps[0]);
    // A release outside the rows asks nothing.
    const ui::TRect titleless = popup->ClientRect();
    QTest::mouseClick(popup, Qt::LeftButton, {}, QPoint(popup->ClientOffset().X + titleless.Right + 1, 5));
    EXPECT_EQ(closeUps.size(), 1u);
}

TEST_F(PopupDataGrid, ClicksKeepTheFocusInTheOwner)
{
    ShowBoth();
    ASSERT_EQ(QApplication::focusWidget(), edit);
    EXPECT_FALSE(popup->CanFocus());
    QTest::mouseClick(popup, Qt::LeftButton, {}, OnRow(1));
    EXPECT_EQ(QApplication::focusWidget(), edit);
    EXPECT_FALSE(popup->isActiveWindow());
    EXPECT_EQ(Key(), 2);
}

TEST_F(PopupDataGrid, TheOwnersKeysAndWheelMoveIt)
{
    ShowBoth();
    popup->SetKeyValue(2);
    userChanges = 0;
    ui::Word key = ui::VK_DOWN;
    popup->KeyDownFromOwner(key, 0);
    EXPECT_EQ(key, 0);
    EXPECT_EQ(Key(), 3);
    EXPECT_EQ(userChanges, 1);
    char ch = 'd';
    popup->KeyPressFromOwner(ch);
    EXPECT_EQ(Key(), 4);
    EXPECT_TRUE(popup->MouseWheelFromOwner(0, -120, {0, 0}));
    EXPECT_EQ(Key(), 4);
    EXPECT_EQ(CurrentCustomer(), 7);
    // The first column is the list field until the list field index names another.
    popup->SetListFieldIndex(1);
    EXPECT_EQ(popup->Text(), "4");
}

TEST_F(PopupDataGrid, TheGripSizesItToWholeRowsAndMarksItResized)
{
    popup->SizeGrip()->SetGripVisible(true);
    popup->SpecRow().SetCellsText("(none);-");
    popup->SpecRow().SetVisible(true);
    popup->SetShowTitles(true);
    ShowBoth();
    popup->SetKeyValue(3);
    const int rows = popup->GetRowCount();
    EXPECT_FALSE(popup->Resized());
    editors::TSizeGripEx* grip = popup->SizeGrip();
    const QPoint at(grip->Width() - 4, grip->Height() - 4);
    const QPoint to = grip->mapToGlobal(at) + QPoint(30, 2 * popup->DataRowHeight() + 3);
    QTest::mousePress(grip, Qt::LeftButton, {}, at);
    uitest::MovePointer(grip, grip->mapFromGlobal(to));
    QTest::mouseRelease(grip, Qt::LeftButton, {}, grip->mapFromGlobal(to));
    EXPECT_TRUE(popup->Resized());
    EXPECT_EQ(popup->GetRowCount(), rows + 2);
    EXPECT_EQ(popup->Height(), popup->HeightForRows(rows + 2));
    EXPECT_EQ(popup->Width(), 250);
    testsupport::SaveSnapshot(popup, "grid", "popup-data-grid-open");
    // Never smaller than a scroll bar.
    popup->SetBounds(popup->Left(), popup->Top(), 2, 2);
    EXPECT_GE(popup->Width(), ui::Metrics().VScrollWidth);
    EXPECT_GE(popup->Height(), ui::Metrics().HScrollHeight);
}

TEST_F(PopupDataGrid, AColumnKeepsItsDropDownGridAndHandsItItsEvents)
{
    db::TDataSource source;
    source.SetDataSet(&Orders);
    TDBGridEx grid;
    grid.SetDataSource(&source);
    TColumnEx* column = grid.Columns().Add();
    column->SetFieldName("WHO");
    int draws = 0;
    column->SetOnDropDownBoxDrawColumnCell(TDrawColumnExCellEvent::FromFunction(
        [&](rtl::TObject*, const ui::TRect&, int, TColumnEx*, ui::TGridDrawState) { ++draws; }));
    TPopupDataGridEx* dropDown = column->PopupLookupGrid();
    ASSERT_NE(dropDown, nullptr);
    EXPECT_EQ(column->LookupGrid(), dropDown);
    EXPECT_EQ(column->PopupLookupGrid(), dropDown);
    EXPECT_TRUE(bool(dropDown->OnDrawColumnCell));
    column->DropDownBox()->SetOptions({dlgRowLinesEx});
    EXPECT_EQ(dropDown->GetOptions(), TDBLookupGridExOptions{dlgRowLinesEx});
    EXPECT_TRUE(dropDown->TCustomDBGridEx::GetOptions().Contains(dgRowLines));
    EXPECT_FALSE(dropDown->TCustomDBGridEx::GetOptions().Contains(dgColLines));
    dropDown->SetListSource(&CustomerSource);
    dropDown->SetKeyField("CUSTID");
    dropDown->SetListField("CUSTNAME");
    dropDown->SetKeyValue(2);
    ui::ShowPopupNoActivate(dropDown);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dropDown));
    uitest::Render(dropDown);
    EXPECT_GT(draws, 0);
    // Removing the column frees it.
    QPointer<QWidget> watch(dropDown);
    grid.Columns().Delete(0);
    EXPECT_TRUE(watch.isNull());
}

} // namespace
