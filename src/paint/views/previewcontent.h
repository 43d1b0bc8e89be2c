#pragma once

// The sample content the settings window shows in its colour pages, painted
// by the view painters in preview mode: a diagram of 27 columns and 5 rows
// with a tact of every kind, a level line, a probe row and the start-tact
// row, and a table of 7 columns and 9 rows with words of both sides.

#include "model/content/textgrid.h"

namespace qv::views {

inline constexpr int kPreviewTacts = 25;
inline constexpr int kPreviewStartTact = 7;

TextGrid PreviewDiagram();
TextGrid PreviewTable();

} // namespace qv::views
