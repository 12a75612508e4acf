// A program that ends with a grid still bound and shown: the shared style lets go of the
// grid after the application is gone, and the program ends cleanly all the same.
#include <QCoreApplication>
#include <QProcess>
#include <gtest/gtest.h>

#include "controls/grid/DBGridEx.h"
#include "platform/db/DataSource.h"
#include "platform/db/FieldTypes.h"
#include "platform/db/MemDataSet.h"
#include "platform/ui/UiTestSupport.h"
#include "support/ChildRoutine.h"

namespace {

const char* const kGridLeftBound = "grid-left-bound";

// Shows a grid with a title, a footer, a sorted and a wrapped column on a few records,
// then ends with everything still alive, as a program that forgets to free them.
int EndWithABoundGrid()
{
    auto* data = new db::TMemDataSet();
    data->AddField<db::TIntegerField>("ID");
    data->AddField<db::TStringField>("NAME", db::fkData, 20);
    data->Open();
    for (int i = 1; i <= 5; ++i) {
        data->Append();
        data->FieldByName("ID")->SetAsInteger(i);
        data->FieldByName("NAME")->SetAsString("Row " + std::to_string(i));
        data->Post();
    }
    auto* source = new db::TDataSource();
    source->SetDataSet(data);
    auto* grid = new grid::TDBGridEx();
    grid->SetBounds(0, 0, 300, 200);
    grid->SetFooterRowCount(1);
    grid->SetAutoFitColWidths(true);
    grid->SetDataSource(source);
    grid->Columns().Add()->SetFieldName("ID");
    grid::TColumnEx* name = grid->Columns().Add();
    name->SetFieldName("NAME");
    name->Title()->SetSortMarker(grid::smDownEx);
    name->SetWordWrap(true);
    uitest::ShowActive(grid);
    QCoreApplication::processEvents();
    return grid->DataRowCount() == 5 ? 0 : 3;
}

const bool kRegistered = testsupport::RegisterChildRoutine(kGridLeftBound, EndWithABoundGrid);

TEST(GridAtExit, AGridStillBoundWhenTheProgramEndsEndsCleanly)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedChannels);
    child.start(QCoreApplication::applicationFilePath(),
                {QString::fromStdString(testsupport::ChildSwitch(kGridLeftBound))});
    ASSERT_TRUE(child.waitForStarted());
    ASSERT_TRUE(child.waitForFinished(60000));
    EXPECT_EQ(child.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(child.exitCode(), 0);
}

} // namespace
