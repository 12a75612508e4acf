#pragma once
// The colours of selected and highlighted cells, decided by one style object that the
// grids share (DBGridExStyle, unless a grid is given another).
#include <vector>

#include "controls/grid/DBGridExTypes.h"
#include "platform/rtl/Persistent.h"
#include "platform/ui/Graphics.h"

namespace grid {

class TDBGridExStyle : public rtl::TPersistent {
public:
    TDBGridExStyle();
    // The grids that use this style are left without one, the last registered first.
    ~TDBGridExStyle() override;
    TDBGridExStyle(const TDBGridExStyle&) = delete;
    TDBGridExStyle& operator=(const TDBGridExStyle&) = delete;

    // The colours of a data cell; dataCol and dataRow count data columns and data rows.
    // True when Font or Background was changed.
    virtual bool GetDataCellParams(TCustomDBGridEx& Grid, TColumnEx* Column, ui::TFont& AFont,
                                   ui::TColor& Background, ui::TGridDrawState State, int dataCol, int dataRow);
    // The colours of a title, indicator or footer cell that belongs to the selection;
    // CellKind is TCellArea::Code(). True when Font or Background was changed.
    virtual bool GetFixedCellParams(TCustomDBGridEx& Grid, TColumnEx* Column, ui::TFont& AFont,
                                    ui::TColor& Background, bool Selected, ui::TGridDrawState State,
                                    unsigned CellKind);
    // Reads the screen's colour count; runs again on every system colour change.
    virtual void ReadScreenColors();

    void AddGrid(TCustomDBGridEx* grid);
    void RemoveGrid(TCustomDBGridEx* grid);
    bool IsGridRegistered(const TCustomDBGridEx* grid) const;

    // On screens of more than 256 colours selected cells are blended from their own
    // background instead of taking the plain highlight colour.
    bool GetBlendedHighlight() const { return blendedHighlight_; }
    void SetBlendedHighlight(bool value) { blendedHighlight_ = value; }
    // -1 for more than 256 colours.
    int ScreenColorCount() const { return screenColorCount_; }
    // The focus frame around the current cell (and the frame of the current row).
    bool GetFocusFrame() const { return focusFrame_; }
    void SetFocusFrame(bool value) { focusFrame_ = value; }

protected:
    void SetScreenColorCount(int count) { screenColorCount_ = count; }

private:
    void sysColorsChanged() { ReadScreenColors(); }
    bool manyColors() const { return screenColorCount_ < 0 || screenColorCount_ > 256; }

    std::vector<TCustomDBGridEx*> grids_;
    bool blendedHighlight_ = true;
    int screenColorCount_ = -1;
    bool focusFrame_ = true;
};

// The highlight colour blended from two colours (system colours resolved first), per
// channel m = (c1 + c2) / 2 moved 60% towards 225 and, with contrast, a quarter further
// away from 122; taken to the nearest integer, halves to even, within 0..255.
ui::TColor BlendColors(ui::TColor color1, ui::TColor color2, bool contrast);

// The style every grid uses unless it is given another.
TDBGridExStyle& DBGridExStyle();

} // namespace grid
