// The grid on the data module's log query, its statement built by the log query builder,
// over 100,000 log records: what the grid shows after opening, paging, going to the end
// and back and sorting by a title click is what the engine returns for the statement, in
// the same order.
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <QApplication>
#include <QTest>
#include <gtest/gtest.h>

#include "controls/grid/DBGridEx.h"
#include "controls/grid/DBGridExFindDlgs.h"
#include "controls/grid/DBGridExUtils.h"
#include "platform/fb/FbTestDatabase.h"
#include "platform/fb/IBSQL.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/UiTestSupport.h"
#include "storage/DModule.h"
#include "storage/FakeMainForm.h"
#include "storage/SQL_Filter.h"
#include "support/Snapshot.h"
#include "support/TempDir.h"

namespace {

using namespace grid;

constexpr int kRecords = 100'000;

class LogGrid : public uitest::UiTest {
protected:
    void SetUp() override
    {
        UiTest::SetUp();
        const std::string path = fbtest::CopyBuiltDatabase(dir.Path(), storage::kDatabaseFileName);
        // Times in another order than the records, none twice: a sort by time reorders them.
        fbtest::ExecuteSql(path,
                           "execute block as declare i integer = 0; begin "
                           "insert into DEVICES (ID, ALIAS, DEVICETYPE) values (1, 'Roof', 3); "
                           "while (i < "
                               + std::to_string(kRecords)
                               + ") do begin "
                                 "insert into EVENT_LOG (ID, DT, DEVICEID, DATACODE, DATA) values "
                                 "(gen_id(GEN_EVENT_LOG_ID, 1), 45000 + mod(:i * 7919, 100000) / 1000e0, mod(:i, 2), "
                                 "mod(:i * 37, 170) + 1, x'3304'); "
                                 "i = i + 1; end end",
                           false);
        main.ProgramFile = dir.File("kv7200");
        dm = std::make_unique<storage::TDM>(nullptr, main);
        filter.BaseSQL = "select * from get_log";
        filter.WhereWord = "where";
        filter.ExcludeField = "DATACODE";
        filter.IncludeField = "DEVICEID";
        filter.AddCondition("DATACODE < 1000");
        Reopen();

        grid = std::make_unique<TDBGridEx>();
        grid->SetBounds(0, 0, 640, 360);
        grid->SetReadOnly(true);
        grid->SetOptionsEx(grid->GetOptionsEx().Include(dghAutoSortMarking));
        grid->ColumnDefValues().Title().SetTitleButton(true);
        for (const char* field : {"DTS", "ALIAS", "CODES", "DATAS", "ID"}) grid->Columns().Add()->SetFieldName(field);
        // As the log view does: a title click orders the statement by the column's time.
        grid->OnSortMarkingChanged = rtl::TNotifyEvent::FromFunction([this](rtl::TObject*) {
            filter.ClearOrder();
            for (int i = 0; i < grid->SortMarkedColumns().Count(); ++i) {
                TColumnEx* column = grid->SortMarkedColumns().Items(i);
                filter.AddOrder(column->GetFieldName() == "DTS" ? "DT" : column->GetFieldName());
                filter.SortOrder = column->Title()->GetSortMarker() == smUpEx ? 1 : 0;
            }
            Reopen();
        });
        grid->SetDataSource(&dm->DS_LOG_);
        uitest::ShowActive(grid.get());
    }
    void TearDown() override
    {
        grid.reset();
        dm.reset();
        UiTest::TearDown();
    }

    void Reopen()
    {
        dm->IBQ_LOG_.Close();
        dm->IBQ_LOG_.SetSQL(filter.GetSQLText());
        dm->IBQ_LOG_.Open();
    }
    // The IDs of the records the engine returns for the statement, in its order.
    std::vector<std::string> EngineIds()
    {
        fb::TIBSQL q(&dm->IBDatabase, &dm->IBTransaction);
        q.SetSQL(filter.GetSQLText());
        q.ExecQuery();
        std::vector<std::string> ids;
        while (q.Next()) ids.push_back(std::to_string(q.FieldByName("ID").GetAsInteger()));
        return ids;
    }
    // The ID column of the rows on screen, and where the top row stands in the data set.
    std::vector<std::string> ShownIds()
    {
        std::vector<std::string> ids;
        TColumnEx* column = grid->Columns().Items(4);
        ForEachWindowRecord(grid->DataLink(), [&](int) { ids.push_back(column->DisplayText()); });
        return ids;
    }
    int TopRecNo() { return dm->IBQ_LOG_.GetRecNo() - grid->DataLink().GetActiveRecord(); }
    // The rows on screen are the engine's rows from the top row's place on.
    void ExpectEngineRows(const std::vector<std::string>& engine)
    {
        const std::vector<std::string> shown = ShownIds();
        ASSERT_EQ(static_cast<int>(shown.size()), grid->DataRowCount());
        const int top = TopRecNo();
        ASSERT_GE(top, 1);
        ASSERT_LE(top - 1 + static_cast<int>(shown.size()), static_cast<int>(engine.size()));
        const std::vector<std::string> expected(engine.begin() + (top - 1), engine.begin() + (top - 1) + shown.size());
        EXPECT_EQ(shown, expected);
    }
    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(grid.get(), key, modifiers);
    }

    rtl::TScopedFormatSettings settings{rtl::TFormatSettings::Invariant()};
    testsupport::TempDir dir;
    dmtest::FakeMainForm main;
    std::unique_ptr<storage::TDM> dm;
    storage::TSQLFilter filter;
    std::unique_ptr<TDBGridEx> grid;
};

TEST_F(LogGrid, TheRowsShownAreTheEnginesRowsInOrderWhereverTheGridGoes)
{
    const std::vector<std::string> engine = EngineIds();
    ASSERT_EQ(engine.size(), static_cast<std::size_t>(kRecords));
    ExpectEngineRows(engine);
    EXPECT_EQ(TopRecNo(), 1);
    EXPECT_TRUE(grid->ScrollBarShown(ui::sbVertical));

    const int page = grid->VisibleDataRowCount();
    Key(Qt::Key_PageDown);
    EXPECT_EQ(dm->IBQ_LOG_.GetRecNo(), 1 + page);
    ExpectEngineRows(engine);

    Key(Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(dm->IBQ_LOG_.GetRecNo(), kRecords);
    ExpectEngineRows(engine);
    EXPECT_EQ(ShownIds().back(), engine.back());
    EXPECT_TRUE(grid->ScrollBarShown(ui::sbVertical));
    EXPECT_EQ(grid->VertScrollBar().ScrollBar()->Position(), kRecords);
    testsupport::SaveSnapshot(grid.get(), "grid", "log-query-at-its-end");

    Key(Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(dm->IBQ_LOG_.GetRecNo(), 1);
    ExpectEngineRows(engine);

    // A title click sorts the statement by time; once more, the other way round.
    const ui::TRect title = grid->CellRect(1, 0);
    QTest::mouseClick(grid.get(), Qt::LeftButton, {},
                      QPoint(grid->ClientOffset().X + (title.Left + title.Right) / 2,
                             grid->ClientOffset().Y + (title.Top + title.Bottom) / 2));
    ASSERT_EQ(grid->Columns().Items(0)->Title()->GetSortMarker(), smDownEx);
    const std::vector<std::string> byTime = EngineIds();
    ASSERT_NE(byTime, engine);
    ExpectEngineRows(byTime);
    Key(Qt::Key_PageDown);
    ExpectEngineRows(byTime);
    // (A little aside: the same place so soon would make a double click.)
    QTest::mouseClick(grid.get(), Qt::LeftButton, {},
                      QPoint(grid->ClientOffset().X + title.Left + 8,
                             grid->ClientOffset().Y + (title.Top + title.Bottom) / 2));
    ASSERT_EQ(grid->Columns().Items(0)->Title()->GetSortMarker(), smUpEx);
    const std::vector<std::string> backwards = EngineIds();
    EXPECT_EQ(backwards.front(), byTime.back());
    ExpectEngineRows(backwards);
    EXPECT_TRUE(Exceptions.empty());
}

TEST_F(LogGrid, AFindThatFindsNothingLeavesTheRowsWhereTheyWere)
{
    // As the log view filters: most codes left out.
    for (int code = 20; code < 170; ++code) filter.AddExclusion(code);
    TDBGridExFindDlg dialog;
    std::set<int> parities;
    // Windows of odd and of even length: a jump centres a record a row lower in an even one.
    const int rowSpan = grid->DefaultRowHeight() + grid->GridLineWidth();
    // The current record on the bottom row, and halfway up the window (where a record put
    // a row too low would show).
    for (const int height : {360, 360 + rowSpan})
        for (const bool halfway : {false, true}) {
            grid->SetBounds(0, 0, 640, height);
            Reopen();
            Key(Qt::Key_PageDown);
            Key(Qt::Key_PageDown);
            Key(Qt::Key_Down, Qt::ControlModifier);
            const int rows = grid->DataLink().RecordCount();
            ASSERT_EQ(grid->Row(), grid->TitleOffset() + rows - 1);
            for (int i = 0; halfway && i < rows / 2; ++i) Key(Qt::Key_Up);
            const int row = grid->Row();
            parities.insert(rows % 2);
            SCOPED_TRACE(testing::Message() << rows << " rows, row " << row);
            const int recNo = dm->IBQ_LOG_.GetRecNo();
            const int top = TopRecNo();
            const std::vector<std::string> shown = ShownIds();

            dialog.Execute(*grid, "no such text", "", false, {});
            // Only the ID column: a walk over all the records looks at one cell each.
            dialog.cbFindIn->SetFocus();
            QTest::keyClick(dialog.cbFindIn->EditWindow(), Qt::Key_Home);
            QTest::keyClicks(dialog.cbFindIn->EditWindow(), "I");
            ASSERT_EQ(dialog.cbFindIn->Text(), "ID");
            // Up first, while the records below the window are not fetched yet.
            for (const char* direction : {"Up", "Down", "All"}) {
                SCOPED_TRACE(direction);
                dialog.cbFindDirection->SetFocus();
                QTest::keyClick(dialog.cbFindDirection->EditWindow(), Qt::Key_Home);
                QTest::keyClicks(dialog.cbFindDirection->EditWindow(), QString(direction).left(1));
                ASSERT_EQ(dialog.cbFindDirection->Text(), direction);
                QTest::mouseClick(dialog.bFind, Qt::LeftButton, {}, QPoint(dialog.bFind->width() / 2, 5));
                ASSERT_EQ(Boxes.Requests.size(), 1u);
                EXPECT_EQ(Boxes.Requests.front().Text, "String \"no such text\" not found.");
                Boxes.Requests.clear();
                EXPECT_EQ(dm->IBQ_LOG_.GetRecNo(), recNo);
                EXPECT_EQ(grid->Row(), row);
                EXPECT_EQ(TopRecNo(), top);
                EXPECT_EQ(ShownIds(), shown);
            }
            dialog.Close();
        }
    EXPECT_EQ(parities.size(), 2u);
    EXPECT_TRUE(Exceptions.empty());
}

} // namespace
