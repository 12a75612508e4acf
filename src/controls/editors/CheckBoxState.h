#pragma once
// The state of a check box as editors and grid cells keep it. The painters take the
// windowing layer's ui::TCheckState; convert only where a box is painted.

namespace editors {

enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };

} // namespace editors
