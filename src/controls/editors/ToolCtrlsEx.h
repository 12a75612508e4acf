#pragma once
// Routines shared by the editors and the grid that belong to no single control: Variant
// equality, field lists from ';'-separated names, the right-to-left rule of a field,
// centred images, check-box placement, double-click detection and the dotted tree lines.
#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/db/DataSet.h"
#include "platform/rtl/Variant.h"
#include "platform/ui/Bitmap.h"
#include "platform/ui/Canvas.h"
#include "platform/ui/Control.h"

namespace editors {

// Values equal for an editor: arrays match when they have the same bounds and equal
// elements; Unassigned matches only Unassigned; otherwise the runtime's comparison.
bool VarEquals(const rtl::Variant& A, const rtl::Variant& B);

// Raises EDatabaseError "Field '%s' not found", prefixed with "<name>: " when Component
// has a name.
[[noreturn]] void FieldNotFoundError(const rtl::TComponent* Component, std::string_view Name);
// Appends the fields named in a ';'-list to List, in order. A name the data set lacks
// raises EDatabaseError "Field '%s' not found", prefixed with "<name>: " when Component
// has a name.
void FieldsByNamesToList(std::vector<db::TField*>& List, const db::TDataSet& DataSet,
                         const rtl::TComponent* Component, std::string_view Names);
std::vector<db::TField*> FieldsByNamesToArray(const db::TDataSet& DataSet, const rtl::TComponent* Component,
                                              std::string_view Names);
// Null clears every named field; any other value goes to the fields as
// the data set's FieldValues (an array for several fields).
void AssignFieldsValue(db::TDataSet& DataSet, std::string_view Names, const rtl::Variant& Value);

// Whether a control showing Field lays itself out mirrored: it reads right to left
// (BiDiMode) and Field is not a number, date or time, which keep the left-to-right
// alignment of their digits. Without a field the control's mode decides.
bool DBUseRightToLeftAlignment(const ui::TControl& Control, const db::TField* Field);

// Draws image ImageIndex of Images centred in Rect, clipped to Rect when it is larger;
// a selected image is blended with the highlight colour.
void DrawImageCentered(ui::TCanvas& Canvas, const ui::TRect& Rect, const ui::TCustomImageList* Images,
                       int ImageIndex, bool Selected);

// The rectangle of a check box in Rect: the system check-box size (no larger than Rect)
// placed by the horizontal and vertical alignment.
ui::TRect CheckBoxRect(const ui::TRect& Rect, ui::TAlignment HorzAlign, ui::TTextLayout VertAlign);

// Two presses IntervalMs apart at these points make a double click (the system's time
// and distance); a negative interval does not.
bool IsDoubleClick(ui::TPoint FirstPoint, ui::TPoint SecondPoint, std::int64_t IntervalMs);

// One-pixel dots every second pixel, in the pen's colour, from Start along Length
// pixels. When the parity of Start.X + Start.Y is not Parity (0 or 1), the dots start one
// pixel later, so that lines drawn in pieces stay on one grid of dots.
void DrawDottedLine(ui::TCanvas& Canvas, ui::TPoint Start, int Length, int Parity, bool Horizontal);

// Tree nodes and connectors drawn in one cell.
enum TTreeElementEx {
    teMinusMiddleEx = 0, // expanded node with lines above and below
    teMinusLastEx = 1,   // expanded node, line above only
    teMinusFirstEx = 2,  // expanded node, line below only
    tePlusMiddleEx = 3,  // collapsed node ...
    tePlusLastEx = 4,
    tePlusFirstEx = 5,
    teBranchEx = 6,      // a line through the cell with a branch to the right
    teLastBranchEx = 7,  // a line from the top to the centre, branch to the right
    teFirstBranchEx = 8, // a line from the centre to the bottom, branch to the right
    teLineEx = 9,        // a line through the cell
};
void DrawTreeElement(ui::TCanvas& Canvas, const ui::TRect& Rect, int Parity, TTreeElementEx Element);

} // namespace editors
