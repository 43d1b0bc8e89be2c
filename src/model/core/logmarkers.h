#pragma once

// The marker bytes of the load and save logs. A log is lines of text, each
// ended by its marker and CR LF; the readers of a test's sections add
// warning lines, the container warning and error lines, and the log window
// tells the two apart by the marker.

namespace qv {

// Marker bytes that end the text of a log line (before its CR LF).
inline constexpr char kLogWarning = '\x01';
inline constexpr char kLogError = '\x02';

} // namespace qv
