#pragma once

// Whether the document holds changes a save would write. A mark taken after
// a load or a save holds what the tests wrote then without save parameters
// (their reference data, which the function windows edit, say); the
// document has changes when the tests write otherwise now, or, in debug
// mode, when a save with debug data would write debug values of the
// current test that differ from its references. Run results are no
// changes.

#include <string>

namespace qv {

struct SQor;
class TQuorvik;

// Every test's sections as a save without parameters writes them, joined.
// Writes nothing anywhere (without parameters no oscillogram is staged).
std::string SavedContent(const SQor &doc);

// Whether a save with debug data would write debug values of the current
// test's input and generator words that differ from their references
// (with all cycles and with only the active cycle chosen).
bool DebugValuesPending(const SQor &doc, int currentTest, int activeCycle);

class SavedContentMark
{
public:
    // After a load or a successful save.
    void Take(const TQuorvik &doc);
    // False without a file.
    bool Changed(const TQuorvik &doc) const;

private:
    std::string m_content;
};

} // namespace qv
