#pragma once

// What the document does to the model of its tests when run results are
// reset and when debug or probe mode changes, and the word questions the
// compiler and the structure check ask of it (inversion masks, whether a
// value fits a word's bus). TQuorvik calls these for its open file; they are
// kept apart from it so that they work on any SQor.

#include <cstdint>

namespace qv {

struct SQor;
struct STest;

// The inversion mask of word `id` of kind 'i' or 'o' in test `testIndex`:
// the low bits of its bus width set when the word is inverse (Code 0), else
// 0. Kind 'g', an absent test or word give 0; any other kind throws
// InternalError("TQuorvik::WordMask").
std::uint16_t WordMask(const SQor &doc, char kind, int id, int testIndex);

// 13 when value needs more bits than the bus of the word has, else -1. Word
// references below 1000 are input words, 1000..1999 output words
// (ref - 1000); 2000 and above give -1.
int ValueFitsWord(const SQor &doc, const STest &test, std::int64_t value, int wordRef);

// Input words and the pulse, frequency, delay and G-cycle generator words
// take their reference values as run values again (constants repeated for
// every cycle).
void ResetWordRuns(STest &test);

// Debug mode entered: every test's debug range becomes its whole diagram.
void EnterDebugRanges(SQor &doc);

// Probe mode entered: the per-cycle probe arrays exist, and every cycle
// without entries gets the default "Зонд" entry, one 'x' per tact.
void AddDefaultProbes(STest &test);

} // namespace qv
