#pragma once

// What a save does to the references the document holds: the output words
// whose references a save would replace by the values a run read wrong,
// keeping those references when the operator says so, and taking over what
// a save wrote as the document's new reference data.

#include <string>
#include <vector>

namespace qv {

struct SQor;
struct SSaveParam;
struct STest;
class TWord;

// Output words of one test that the last run found wrong and whose
// reference data the save would replace by the values read.
struct ReferenceChange
{
    int testIndex = 0;
    std::vector<int> words; // word numbers, in list order
};

// Per test with at least one such word, in test order; empty when the save
// keeps every reference of a word found wrong.
std::vector<ReferenceChange> WrongReferencesReplacedBy(const SQor &doc, SSaveParam &param);

// The question put to the operator before such a save; "Да" takes the
// values read as references.
std::string ReferenceChangeQuestion(const std::vector<ReferenceChange> &changes);

// While it lives, the output words of `changes` show the save their
// reference data as the values read, so that the save keeps their
// references; the values read come back when it dies.
class KeptReferences
{
public:
    KeptReferences(SQor &doc, const std::vector<ReferenceChange> &changes);
    ~KeptReferences();
    KeptReferences(const KeptReferences &) = delete;
    KeptReferences &operator=(const KeptReferences &) = delete;

private:
    struct Held
    {
        int testIndex;
        int word;
        std::string run;
    };
    SQor &m_doc;
    std::vector<Held> m_held;
};

// The DATA a save with `param` writes for each word of `list`, in list
// order (param null: the reference data). param->TestIndex and WordKind
// must be set as the save sets them.
std::vector<std::string> SavedWordData(const TWord &list, const SSaveParam *param);

// After a successful save: the words of every test hold what the save wrote
// as their references, and so do the probe entries whose measurements it
// wrote.
void AdoptSavedData(SQor &doc, SSaveParam *param);

} // namespace qv
