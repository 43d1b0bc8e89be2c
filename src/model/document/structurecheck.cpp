#include "model/document/structurecheck.h"

#include "infra/helpers.h"
#include "infra/messages.h"
#include "model/test/stest.h"

#include <string_view>

namespace qv {
namespace {

enum Note : int {
    NoteGNotClosed = 114,
    NoteFNotClosed = 115,
    NoteGCloseWithoutOpen = 116,
    NoteFCloseWithoutOpen = 117,
    NoteGLevelsDiffer = 118,
    NoteFLevelsDiffer = 119,
    NoteManyChanges = 120,
    NoteChangeInWordTact = 121,
    NoteFValueTooWide = 127,
    NoteGWrongClose = 128,
};

constexpr std::string_view kGClosers = "LEN";
constexpr std::string_view kFClosers = "WRC";

bool IsIn(std::string_view letters, char c)
{
    return letters.find(c) != std::string_view::npos;
}

// The line's levels at two tacts differ (a line too short for either tact
// has nothing to compare).
bool LevelsDiffer(const TLine &line, int a, int b)
{
    const auto size = static_cast<int>(line.Levels.size());
    return a >= 0 && b >= 0 && a < size && b < size &&
           line.Levels[static_cast<std::size_t>(a)] != line.Levels[static_cast<std::size_t>(b)];
}

class Checker
{
public:
    explicit Checker(const STest &test)
        : m_test(test)
        , m_d1(test.Tacts.D1)
    {}

    std::string Run(const FFunctionFits &fFits)
    {
        WalkBlocks();
        CheckFValues(fFits);
        CheckGClosers();
        CheckLevelChanges();
        return std::move(m_notes);
    }

private:
    void Add(int tact, int message) { m_notes += DiagramNote(tact, message); }

    // Notes at both tacts of a closed block for every contact whose level at
    // its opening differs from the level at its closing. Added once, when
    // the block closes: repeating them at every later tact says nothing new.
    void CompareBlockLevels(int open, int close, int message)
    {
        for (const TLine &line : m_test.Tacts.Lines()) {
            if (LevelsDiffer(line, open, close)) {
                Add(open, message);
                Add(close, message);
            }
        }
    }

    // Blocks: G opens a G-cycle closed by L, E or N; F opens an F-function
    // block closed by W, R or C. W, R and C are also the phases of M- and
    // P-functions: after an M or P tact (and until the next F) they belong
    // to that function and are not an F-block's end.
    void WalkBlocks()
    {
        int openG = -1;
        int openF = -1;
        bool memoryPhases = false;
        for (int t = 0; t < static_cast<int>(m_d1.size()); ++t) {
            const char c = m_d1[static_cast<std::size_t>(t)];
            if (c == kTactGOpen) {
                if (openG >= 0) {
                    Add(openG, NoteGNotClosed);
                }
                openG = t;
            } else if (c == kTactFOpen) {
                if (openF >= 0) {
                    Add(openF, NoteFNotClosed);
                }
                openF = t;
                memoryPhases = false;
            } else if (c == 'M' || c == 'P') {
                memoryPhases = true;
            } else if (IsIn(kGClosers, c)) {
                if (openG < 0) {
                    Add(t, NoteGCloseWithoutOpen);
                } else {
                    CompareBlockLevels(openG, t, NoteGLevelsDiffer);
                    openG = -1;
                }
            } else if (IsIn(kFClosers, c)) {
                if (openF >= 0) {
                    CompareBlockLevels(openF, t, NoteFLevelsDiffer);
                    openF = -1;
                } else if (!memoryPhases) {
                    Add(t, NoteFCloseWithoutOpen);
                }
            }
        }
        if (openG >= 0) {
            Add(openG, NoteGNotClosed);
        }
        if (openF >= 0) {
            Add(openF, NoteFNotClosed);
        }
    }

    int ItemAt(int t) const
    {
        const std::string &d2 = m_test.Tacts.D2;
        return static_cast<std::size_t>(t) < d2.size()
                   ? WD_HexToInt(std::string_view(&d2[static_cast<std::size_t>(t)], 1))
                   : -1;
    }

    void CheckFValues(const FFunctionFits &fFits)
    {
        if (!fFits) {
            return;
        }
        for (int t = 0; t < static_cast<int>(m_d1.size()); ++t) {
            if (m_d1[static_cast<std::size_t>(t)] == kTactFOpen && !fFits(ItemAt(t))) {
                Add(t, NoteFValueTooWide);
            }
        }
    }

    // A counted G-cycle ends with L, an exit-on-condition one with E or N;
    // every closing letter of the wrong kind before the first fitting one is
    // noted at the G tact.
    void CheckGClosers()
    {
        for (int t = 0; t < static_cast<int>(m_d1.size()); ++t) {
            if (m_d1[static_cast<std::size_t>(t)] != kTactGOpen) {
                continue;
            }
            const SWord *word = m_test.GWords.Find(ItemAt(t));
            const GKind kind = word ? GKindOf(*word) : GKind::Undefined;
            std::string_view fitting;
            if (kind == GKind::CountedCycle) {
                fitting = "L";
            } else if (kind == GKind::ConditionalCycle) {
                fitting = "EN";
            } else {
                continue;
            }
            for (std::size_t u = static_cast<std::size_t>(t) + 1; u < m_d1.size(); ++u) {
                if (!IsIn(kGClosers, m_d1[u])) {
                    continue;
                }
                if (IsIn(fitting, m_d1[u])) {
                    break;
                }
                Add(t, NoteGWrongClose);
            }
        }
    }

    // Between adjacent tacts at most one contact may change level; in a tact
    // that is not a level-change tact no contact may change at all.
    void CheckLevelChanges()
    {
        const auto &lines = m_test.Tacts.Lines();
        for (int t = 1; t < static_cast<int>(m_d1.size()); ++t) {
            int changes = 0;
            for (const TLine &line : lines) {
                if (LevelsDiffer(line, t - 1, t)) {
                    ++changes;
                }
            }
            for (int i = 1; i < changes; ++i) {
                Add(t - 1, NoteManyChanges);
            }
            if (m_d1[static_cast<std::size_t>(t)] != kTactChange) {
                for (int i = 0; i < changes; ++i) {
                    Add(t, NoteChangeInWordTact);
                }
            }
        }
    }

    const STest &m_test;
    const std::string &m_d1;
    std::string m_notes;
};

} // namespace

std::string DiagramNote(int tactIndex, int message)
{
    std::string note = "Такт №";
    note += std::to_string(tactIndex + 1);
    note += ": ";
    note += Msg(message);
    note += "\r\n";
    return note;
}

std::string CheckStructure(const STest &test, const FFunctionFits &fFits)
{
    return Checker(test).Run(fFits);
}

} // namespace qv
