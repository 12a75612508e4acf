#pragma once
// The state of a check box as editors and grid cells keep it. The painters take the
// windowing layer's ui::TCheckState; convert only where a box is painted.

namespace editors {

// clang-format off
enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };
// clang-format on

} // namespace editors
