// The incremental search typed into the current column: the text grows with each
// character that still matches, moves to the first record that matches it, and ends with
// its time-out.
#include <string>

#include "controls/grid/DBGridEx.h"
#include "platform/rtl/SysUtils.h"

namespace grid {

bool TCustomDBGridEx::incSearchMatch(const std::string& text, std::string& shown) const
{
    const TColumnEx* column = selectedColumn();
    if (!column) return false;
    const std::string display = column->DisplayText();
    if (!rtl::AnsiStartsText(text, display)) return false;
    shown = display.substr(0, text.size());
    return true;
}

void TCustomDBGridEx::StartIncSearch(const std::string& Text, int TimeOut, TIncSearchDirection Direction)
{
    db::TDataSet* dataSet = dataLink_->DataSet();
    if (!dataLink_->Active() || !dataSet) return;
    const std::string old = incSearchText_;
    std::string wanted = old + Text;
    bool found = false;
    // An empty text looks for nothing and moves nowhere.
    if (!wanted.empty()) {
        std::string shown;
        if (Direction == isdFromTop && incSearchMatch(wanted, shown)) {
            found = true;
            wanted = shown;
        } else if (!db::IsEditState(dataSet->State())) {
            // (Leaving a record being edited would post or drop it: no walk then.)
            TRecordWalk walk(*this, *dataSet, true);
            if (Direction == isdFromTop) dataSet->First();
            else if (Direction == isdDown) dataSet->Next();
            else dataSet->Prior();
            auto atEnd = [&] { return Direction == isdUp ? dataSet->Bof() : dataSet->Eof(); };
            while (!atEnd()) {
                if (incSearchMatch(wanted, shown)) {
                    found = true;
                    wanted = shown;
                    walk.Keep();
                    break;
                }
                if (Direction == isdUp) dataSet->Prior();
                else dataSet->Next();
            }
        }
    }
    HideEditor();
    incSearchActive_ = true;
    // A character that found nothing is dropped.
    incSearchText_ = found ? wanted : old;
    InvalidateRow(Row());
    incSearchTimeOut_ = TimeOut;
    KillTimer(IncSearchTimerId);
    if (TimeOut >= 0) SetTimer(IncSearchTimerId, TimeOut);
}

void TCustomDBGridEx::StopIncSearch()
{
    if (!incSearchActive_ && !TimerActive(IncSearchTimerId)) return;
    KillTimer(IncSearchTimerId);
    incSearchActive_ = false;
    incSearchText_.clear();
    InvalidateRow(Row());
    if (options_.Contains(dgAlwaysShowEditor) && !HasState(rtl::csDestroying)) ShowEditor();
}

void TCustomDBGridEx::TimerTick(int id)
{
    if (id == IncSearchTimerId) {
        StopIncSearch();
        return;
    }
    // The base grid's timer of column moving shares the number.
    if (id == AutoScrollTimerId && (mouseMode_ != mmNone || recordDrag_ || cellDrag_)) {
        autoScrollTick();
        return;
    }
    ui::TCustomGrid::TimerTick(id);
}

} // namespace grid
