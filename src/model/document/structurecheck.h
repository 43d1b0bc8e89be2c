#pragma once

// The structure check of a test's diagram: unclosed and unopened G-cycles and
// F-function blocks, levels that differ between a block's opening and closing
// tacts, F-functions whose values do not fit their bus, G-cycles closed by
// the wrong letter, and level changes the unit cannot make. The document runs
// it after every load; the notes are lines "Такт №<n>: <message>" + CR LF,
// tact numbers 1-based, messages from the catalogue (114..121, 127, 128).

#include <functional>
#include <string>

namespace qv {

struct STest;

// Kind letters of the tacts the check looks at.
inline constexpr char kTactGOpen = 'G';
inline constexpr char kTactFOpen = 'F';
inline constexpr char kTactChange = '-';

// True when the F-function of that number has values that fit its bus.
using FFunctionFits = std::function<bool(int functionNumber)>;

// The notes of one test; an empty text when the diagram is sound. Without
// fFits the F-function values are not checked.
std::string CheckStructure(const STest &test, const FFunctionFits &fFits = {});

// One note line.
std::string DiagramNote(int tactIndex, int message);

} // namespace qv
