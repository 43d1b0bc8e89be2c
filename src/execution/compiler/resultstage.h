#pragma once

namespace qv {

// What the windows do once a decoded result is in the document: repaint the
// view shown, then recount the error columns and the error count.
enum class ResultStage : int { RepaintViews = 1, RecountErrors = 2 };

} // namespace qv
