#pragma once

// The oscillogram file after a save that staged no waveform (a save without
// V-function data, or one with it while no function holds any waveform).
//
// The file names its records by test, function number and cycle, so a
// reference belongs to whatever function carries that number at the next
// load. When the operator swapped two V-functions, deleted one or added one
// under a number in use, the records of those numbers would show the wrong
// waveform (or the replaced function's) after the next load. Such a save
// therefore brings the records of the saved tests in line with the
// references the functions hold now: a record that still agrees is kept
// byte for byte, one that does not is rewritten or dropped, and a reference
// without a record is added. Records the next load never reads (tests beyond
// the file's, numbers or cycles above 16) stay as they are. A file that
// already agrees, or that cannot be read, is left untouched.

#include "model/io/scofile.h"

#include <optional>
#include <string>
#include <vector>

namespace qv {

struct SQor;

// A waveform a V-function holds as its reference, under the numbers of the
// record that keeps it (all 1-based) and with the parameter block to write.
struct HeldReference
{
    int test = 0;
    int function = 0;
    int cycle = 0;
    WaveformRef samples; // never null
    ScoParams params{};
};

// The references the document's V-functions 1..16 hold in cycles 1..16, in
// test, list and cycle order; the parameter block from the values the test
// file keeps.
std::vector<HeldReference> HeldReferences(const SQor &doc);

// What the records `stored` must become so that the references of tests
// 1..testCount follow their functions (see above), or nullopt when every
// such record already agrees with `held`.
std::optional<std::vector<SScoRecord>>
RecordsFollowingFunctions(const std::vector<SScoRecord> &stored,
                          const std::vector<HeldReference> &held, int testCount);

// Brings the oscillogram file at path in line with the document. Nothing is
// done when the load of the document could not read the oscillogram file
// (its functions then hold no references, and the file must not lose its
// own), when the file cannot be read now, or when it agrees already. False,
// with the reason in *error, when the file could not be written.
bool KeepReferencesWithFunctions(const SQor &doc, const std::string &path, std::string *error);

} // namespace qv
