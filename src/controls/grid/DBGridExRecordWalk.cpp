// Walks over the records that leave the view as it was: the window position saved before
// and brought back after, the data set's controls quiet meanwhile.
#include <exception>

#include "controls/grid/DBGridEx.h"
#include "platform/rtl/UpdateScope.h"

namespace grid {

void TCustomDBGridEx::SaveWindowPosition()
{
    savedMiddle_.clear();
    db::TDataSet* dataSet = dataLink_->DataSet();
    const int count = dataLink_->RecordCount();
    // The upper of the two middle records for an even count; none without records.
    const int middle = count / 2 - (count + 1) % 2;
    if (!dataSet || !dataLink_->Active() || middle < 0) return;
    const int current = dataLink_->GetActiveRecord();
    savedOffset_ = current - middle;
    // Read where it stands, without moving (which would post a record being edited).
    dataLink_->SetActiveRecord(middle);
    savedMiddle_ = dataSet->GetBookmark();
    dataLink_->SetActiveRecord(current);
    savedMiddleRow_ = dataSet->GetActiveRecord() - savedOffset_;
}

void TCustomDBGridEx::RestoreWindowPosition()
{
    db::TDataSet* dataSet = dataLink_->DataSet();
    if (!dataSet || savedMiddle_.empty() || !dataSet->BookmarkValid(savedMiddle_)) return;
    placeRecordOnRow(savedMiddle_, savedMiddleRow_);
    dataSet->MoveBy(savedOffset_);
}

void TCustomDBGridEx::placeRecordOnRow(const db::TBookmark& bookmark, int middleRow)
{
    db::TDataSet& dataSet = *dataLink_->DataSet();
    dataSet.GotoBookmark(bookmark);
    // A jump centres a record it brings into the window, which for an even window is not
    // always the row it came from: the window scrolls past its edge until the record
    // stands there again (as far as the records allow), and the cursor comes back to it.
    const int row = dataSet.GetActiveRecord();
    if (row == middleRow) return;
    int moved = 0;
    if (row > middleRow) {
        moved += dataSet.MoveBy(dataSet.WindowRecordCount() - 1 - row);
        moved += dataSet.MoveBy(row - middleRow);
    } else {
        moved += dataSet.MoveBy(-row);
        moved += dataSet.MoveBy(row - middleRow);
    }
    dataSet.MoveBy(-moved);
}

TCustomDBGridEx::TRecordWalk::TRecordWalk(TCustomDBGridEx& grid, db::TDataSet& dataSet, bool bySearch)
    : grid_(grid), bySearch_(bySearch), quiet_(dataSet)
{
    // A position that cannot be noted lets the controls speak again (quiet_ ends).
    grid_.SaveWindowPosition();
}

TCustomDBGridEx::TRecordWalk::~TRecordWalk() noexcept(false)
{
    // However the restore ends, a walk of the search holds the search while the controls
    // speak again: quiet_ ends before searchHeld_. A failing walk's error travels on;
    // otherwise the first error of the end does (the scopes close so).
    const rtl::TScopeExit holdSearch([this] {
        if (bySearch_) searchHeld_.emplace(grid_.incSearchLocked_);
    });
    if (!keep_) rtl::CloseScope(unwinding_, [this] { grid_.RestoreWindowPosition(); });
}

} // namespace grid
