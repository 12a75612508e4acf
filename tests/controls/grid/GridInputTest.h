#pragma once
// Driving a shown grid as its user does: keys to whatever has the focus, clicks, drags and
// the wheel on cells, and the scroll bar's own buttons and thumb.
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include <QApplication>
#include <QScrollBar>
#include <QStyleOptionSlider>
#include <QTest>
#include <QWheelEvent>

#include "GridRecordsTest.h"
#include "controls/grid/DBGridEx.h"
#include "controls/grid/DBGridExInplaceEdit.h"
#include "platform/ui/StdControls.h"

namespace gridtest {

// A memory data set that does not number its records.
class TUnnumberedDataSet : public db::TMemDataSet {
public:
    using db::TMemDataSet::TMemDataSet;
    bool IsSequenced() const override { return false; }
};

// A grid whose protected hooks the input tests reach.
class TInputGrid : public TTestGrid {
public:
    using TTestGrid::TTestGrid;
    using ui::TCustomGrid::ScrollBarControl;
    using ui::TCustomGrid::MovingIndex;

    std::vector<std::string> Events;

protected:
    void CellClick(grid::TColumnEx* Column) override
    {
        Events.push_back("cell " + Column->GetFieldName());
        TTestGrid::CellClick(Column);
    }
    void TitleClick(grid::TColumnEx* Column) override
    {
        Events.push_back("title " + Column->GetFieldName());
        TTestGrid::TitleClick(Column);
    }
    void TitleBtnClick(int ACol, grid::TColumnEx* Column) override
    {
        Events.push_back("button " + std::to_string(ACol));
        TTestGrid::TitleBtnClick(ACol, Column);
    }
    void SortMarkingChanged() override
    {
        Events.push_back("sort");
        TTestGrid::SortMarkingChanged();
    }
};

class GridInputTest : public GridRecordsTest {
protected:
    void SetUp() override
    {
        GridRecordsTest::SetUp();
        Grid = std::make_unique<TInputGrid>();
        Grid->SetBounds(0, 0, 400, 200);
    }
    TInputGrid& G() { return static_cast<TInputGrid&>(*Grid); }

    // The grid bound, with a stored column per field, shown in an active window.
    void ShowGrid(std::initializer_list<const char*> fields = {"ID", "NAME", "AMOUNT"})
    {
        Bind();
        for (const char* field : fields) AddColumn(field);
        uitest::ShowActive(Grid.get());
    }

    // A key to whatever has the focus (the grid or its cell editor).
    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QWidget* target = QApplication::focusWidget();
        QTest::keyClick(target ? target : Grid.get(), key, modifiers);
    }
    void Type(const std::string& text)
    {
        QWidget* target = QApplication::focusWidget();
        QTest::keyClicks(target ? target : Grid.get(), QString::fromStdString(text));
    }

    // The middle of a cell, in client coordinates.
    ui::TPoint Center(int col, int row) const
    {
        const ui::TRect r = Grid->CellRect(col, row);
        return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
    }
    QPoint At(ui::TPoint p) const { return WidgetPoint(*Grid, p); }
    void Press(ui::TPoint p, Qt::KeyboardModifiers modifiers = Qt::NoModifier, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mousePress(Grid.get(), button, modifiers, At(p));
    }
    void Move(ui::TPoint p) { QTest::mouseMove(Grid.get(), At(p)); }
    void Release(ui::TPoint p, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
                 Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mouseRelease(Grid.get(), button, modifiers, At(p));
    }
    void Click(int col, int row, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
               Qt::MouseButton button = Qt::LeftButton)
    {
        Press(Center(col, row), modifiers, button);
        Release(Center(col, row), modifiers, button);
    }
    void Wheel(int delta, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        const QPointF p = At(Center(1, Grid->TitleOffset()));
        QWheelEvent e(p, Grid->mapToGlobal(p), QPoint(), QPoint(0, delta), Qt::NoButton, modifiers,
                      Qt::NoScrollPhase, false);
        QApplication::sendEvent(Grid.get(), &e);
    }

    // The vertical bar the grid shows (its own).
    ui::TScrollBar& VBar() { return *G().ScrollBarControl(ui::sbVertical); }
    // The thumb of a bar, in the Qt bar's coordinates.
    static QRect Thumb(const QScrollBar& bar) { return BarPart(bar, QStyle::SC_ScrollBarSlider); }
    // A part of a bar (its thumb, an arrow, a page area), in the Qt bar's coordinates.
    static QRect BarPart(const QScrollBar& bar, QStyle::SubControl part)
    {
        QStyleOptionSlider option;
        option.initFrom(&bar);
        option.subControls = QStyle::SC_All;
        option.orientation = bar.orientation();
        option.minimum = bar.minimum();
        option.maximum = bar.maximum();
        option.sliderPosition = bar.sliderPosition();
        option.sliderValue = bar.value();
        option.singleStep = bar.singleStep();
        option.pageStep = bar.pageStep();
        if (bar.orientation() == Qt::Horizontal) option.state |= QStyle::State_Horizontal;
        return bar.style()->subControlRect(QStyle::CC_ScrollBar, &option, part, &bar);
    }

    // Records 1..count of the people, the first current.
    void Records(int count) { SetNames(Numbered(count)); }
    int RecNo() { return Data.GetRecNo(); }
    // Where the selected records stand, in the order shown.
    std::vector<int> SelectedRecNos()
    {
        std::vector<int> recNos;
        for (int i = 0; i < Grid->SelectedRows().Count(); ++i)
            recNos.push_back(Data.RecNoOfBookmark(Grid->SelectedRows().Items(i)));
        std::sort(recNos.begin(), recNos.end());
        return recNos;
    }
    grid::TDBGridInplaceEdit* Editor() { return Grid->InplaceEdit(); }
    bool EditorShown() { return Editor() && Editor()->Visible(); }
};

} // namespace gridtest
