#pragma once
// A base grid with text cells that records what its hooks are told, and the
// fixture the grid and in-place edit tests share.
#include <map>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "UiTestSupport.h"

#include "platform/ui/Form.h"
#include "platform/ui/Grids.h"
#include "platform/ui/InplaceEdit.h"

namespace uitest {

class TTextGrid : public ui::TCustomGrid {
public:
    using TCustomGrid::TCustomGrid;

    // The protected handlers, for driving the grid as its window would.
    using TCustomGrid::CalcSizingState;
    using TCustomGrid::DoMouseWheelDown;
    using TCustomGrid::GridFocused;
    using TCustomGrid::HandleAllocated;
    using TCustomGrid::MaxTopLeft;
    using TCustomGrid::ScrollTimerId;
    using TCustomGrid::KeyDown;
    using TCustomGrid::MouseDown;
    using TCustomGrid::MouseMove;
    using TCustomGrid::MouseUp;
    using TCustomGrid::ScrollBarControl;
    using TCustomGrid::ScrollBarShown;
    using TCustomGrid::ScrollMessage;
    using TCustomGrid::ScrollTimerInterval;
    using TCustomGrid::SizingLinePos;
    using TCustomGrid::TimerTick;

    std::string& Cell(int col, int row) { return cells[{col, row}]; }
    void Key(ui::Word key, ui::TShiftState shift = 0) { KeyDown(key, shift); }
    void ClickAt(int x, int y, ui::TShiftState shift = 0)
    {
        MouseDown(ui::mbLeft, shift, x, y);
        MouseUp(ui::mbLeft, shift, x, y);
    }
    ui::TPoint Center(int col, int row) const
    {
        const ui::TRect r = CellRect(col, row);
        return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
    }

    std::map<std::pair<int, int>, std::string> cells;
    std::vector<std::pair<int, int>> moves;
    std::vector<std::tuple<int, int, std::string>> editsSet;
    std::vector<std::tuple<int, int, ui::TRect, ui::TGridDrawState>> drawn;
    int colWidthChanges = 0;
    int rowHeightChanges = 0;
    int topLeftChanges = 0;
    std::string mask;
    int limit = 0;
    bool modifiable = true;
    std::string refused; // characters CanEditAcceptKey refuses

protected:
    void DrawCell(int col, int row, const ui::TRect& rect, ui::TGridDrawState state) override
    {
        drawn.emplace_back(col, row, rect, state);
        Canvas().TextRect(rect, rect.Left + 2, rect.Top + 2, cells[{col, row}]);
    }
    void ColumnMoved(int from, int to) override { moves.emplace_back(from, to); }
    void ColWidthsChanged() override
    {
        ++colWidthChanges;
        TCustomGrid::ColWidthsChanged();
    }
    void RowHeightsChanged() override
    {
        ++rowHeightChanges;
        TCustomGrid::RowHeightsChanged();
    }
    void TopLeftChanged() override
    {
        ++topLeftChanges;
        TCustomGrid::TopLeftChanged();
    }
    std::string GetEditText(int col, int row) override { return cells[{col, row}]; }
    void SetEditText(int col, int row, const std::string& value) override
    {
        editsSet.emplace_back(col, row, value);
        cells[{col, row}] = value;
    }
    std::string GetEditMask(int, int) override { return mask; }
    int GetEditLimit() override { return limit; }
    bool CanEditModify() override { return modifiable; }
    bool CanEditAcceptKey(char key) override { return refused.find(key) == std::string::npos; }
};

// A grid without border and scroll bars unless a test asks for them, so that the
// client area is the grid's own size.
class GridTest : public UiTest {
protected:
    void SetUp() override
    {
        UiTest::SetUp();
        form = new ui::TForm;
        form->SetBounds(40, 40, 400, 300);
        UseGrid<TTextGrid>();
    }
    // Puts a grid of class G in the place of the present one.
    template <typename G>
    G* UseGrid()
    {
        delete grid;
        auto* g = new G(form);
        grid = g;
        grid->SetBorderStyle(ui::bsNone);
        grid->SetScrollBars(ui::ssNone);
        grid->SetBounds(0, 0, 200, 100);
        return g;
    }
    void TearDown() override
    {
        delete form;
        UiTest::TearDown();
    }
    // Columns and rows of one size each.
    void Matrix(int cols, int rows, int width, int height)
    {
        grid->SetColCount(cols);
        grid->SetRowCount(rows);
        grid->SetDefaultColWidth(width);
        grid->SetDefaultRowHeight(height);
    }
    // The last text the grid was handed for a cell, or "<none>".
    std::string LastSet(int col, int row) const
    {
        for (auto it = grid->editsSet.rbegin(); it != grid->editsSet.rend(); ++it)
            if (std::get<0>(*it) == col && std::get<1>(*it) == row) return std::get<2>(*it);
        return "<none>";
    }

    ui::TForm* form = nullptr;
    TTextGrid* grid = nullptr;
};

} // namespace uitest
