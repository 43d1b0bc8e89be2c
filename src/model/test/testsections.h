#pragma once

// The sections of a test block and their owners. The container reads a test
// block into an IniStore and hands it here; every model that keeps a part of
// a test (the MAIN fields, the tact array, the words, the functions) reads
// and writes its own sections, in a fixed order.
//
// Save order (each kind is followed by its DESC key, which is written and
// never read): MAIN, DIAGRAMM, IWORDS<n>, OWORDS<n>, GWORDS<n>, FFUNCS<n>,
// MFUNCS<n>, PFUNCS<n>, VFUNCS<n>, SFUNCS<n>.
// Load order: the same, except that VFUNCS comes last (after SFUNCS).

#include "model/core/records.h"
#include "model/test/stest.h"
#include "model/words/tyreadr.h"

#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace qv {

class IniStore;

enum class SectionKind {
    Main,
    Diagram,
    IWords,
    OWords,
    GWords,
    FFuncs,
    MFuncs,
    PFuncs,
    VFuncs,
    SFuncs,
};

struct SectionKindInfo
{
    SectionKind kind;
    std::string_view descKey;  // the key in DESC (also the section name stem)
    std::string_view descText; // its value
};

// The kinds in save order.
std::span<const SectionKindInfo> SectionKindsInSaveOrder();
// The kinds in load order (VFUNCS last).
std::span<const SectionKindInfo> SectionKindsInLoadOrder();

inline constexpr std::string_view kMainSection = "MAIN";
inline constexpr std::string_view kDescSection = "DESC";

// What a reader of a test's sections gets besides the store and the test.
struct TestReadContext
{
    int testIndex = 0;               // 0-based
    std::string testFilePath;        // the test file being read ("" when unknown)
    std::string contactFilePath;     // its contact file
    const TTyreAdr *tyres = nullptr; // the file's data buses (read before the tests)
    std::string oscillogramPath;     // the test file path with extension ".sco"
    // Shows an error text in an error box (the V-function reader's failure
    // text); the container routes it to the message-box service.
    std::function<void(const std::string &)> showError;
    // Adds a line to the container's load log (marker kLogWarning: the
    // value was skipped and the load goes on; kLogError: it stops).
    std::function<void(const std::string &text, char marker)> addLogLine;
};

// Fills a fresh test from the block in ini, sections in load order. A test
// whose MAIN section is missing gets an empty name and 0 cycles. A value
// that is malformed or that the unit's program cannot carry goes to the
// test's LoadProblems and, as a warning naming test, section and key, to
// context.addLogLine.
void ReadTestSections(const IniStore &ini, STest &test, const TestReadContext &context);

// Writes the test's sections into ini (cleared by the caller), in save order,
// each kind followed by its DESC key. param.TestIndex is the test's index;
// WordKind is set to 'i' before the input and generator words.
void WriteTestSections(IniStore &ini, const STest &test, SSaveParam &param);
// The same for a save with or without parameters: with none (null) every
// section writes its reference data; testIndex is the test's index.
void WriteTestSections(IniStore &ini, const STest &test, int testIndex, SSaveParam *param);

// The MAIN section alone (NAME, CYCLE, START).
void ReadMainSection(const IniStore &ini, STest &test);
void WriteMainSection(IniStore &ini, const STest &test);

} // namespace qv
