// The value change dump of one test. Time runs in tacts: every tact a cycle
// runs is one time step, the cycles one after the other. Scopes: the
// contacts of the diagram (one wire each, "-" high, "_" low, anything else
// unknown), the reference values of the input and output words (one vector
// each, as wide as the word's bus), and after a run the values read (one
// vector per output word, unknown where nothing was read). A word's value
// changes at the tacts that use it and holds until its next use.

#include "infra/version.h"
#include "model/content/tablecontent.h"
#include "model/document/quorvik.h"
#include "model/export/testexport.h"
#include "model/test/stest.h"

#include <sstream>
#include <vector>

namespace qv {

namespace {

constexpr int kDefaultWordWidth = 16;

// VCD identifiers: printable ASCII from '!' to '~', shortest first.
std::string Identifier(int index)
{
    constexpr int kFirst = '!';
    constexpr int kCount = '~' - '!' + 1;
    std::string id;
    do {
        id += static_cast<char>(kFirst + index % kCount);
        index /= kCount;
    } while (index-- > 0);
    return id;
}

// A reference name without white space (names are UTF-8 and kept).
std::string VarName(std::string_view name, std::string_view fallback)
{
    std::string text;
    for (const char c : name)
        text += static_cast<unsigned char>(c) <= ' ' ? '_' : c;
    return text.empty() ? std::string(fallback) : text;
}

char LevelBit(char level)
{
    switch (level) {
    case '-':
        return '1';
    case '_':
        return '0';
    default:
        return 'x';
    }
}

std::string Vector(std::optional<std::int32_t> value, int width)
{
    std::string bits(static_cast<std::size_t>(width), 'x');
    if (value) {
        const auto raw = static_cast<std::uint32_t>(*value);
        for (int b = 0; b < width; ++b)
            bits[static_cast<std::size_t>(width - 1 - b)] =
                (b < 32 && ((raw >> b) & 1U)) ? '1' : '0';
    }
    return "b" + bits + " ";
}

struct Signal
{
    std::string id;
    int width = 1;
    std::string last; // the value last dumped
};

struct WordSignal
{
    char kind = 'i';
    int word = 0;
    bool read = false; // the values read, not the reference
    Signal signal;
};

class VcdWriter
{
public:
    VcdWriter(const TQuorvik &doc, const STest &test, int index)
        : m_doc(doc)
        , m_test(test)
        , m_index(index)
        , m_hasRun(doc.TestRunFlags()[static_cast<std::size_t>(index)] != 0)
    {}

    std::string Write(std::string_view sourceName, std::string_view date)
    {
        Header(sourceName, date);
        Declarations();
        Changes();
        return m_out.str();
    }

private:
    void Header(std::string_view sourceName, std::string_view date)
    {
        m_out << "$date\n    " << date << "\n$end\n";
        m_out << "$version\n    " << kProductName << ' ' << kProductVersion << "\n$end\n";
        m_out << "$comment\n    " << sourceName << ", test " << m_index + 1
              << "; one time step is one tact\n$end\n";
        m_out << "$timescale 1 us $end\n";
    }

    Signal NewSignal(int width)
    {
        Signal signal;
        signal.id = Identifier(m_next++);
        signal.width = width;
        return signal;
    }

    int WidthOf(const TWord &words, int id) const
    {
        const int width = words.BusWidth(id, m_doc.Doc().Tyres);
        return width > 0 ? width : kDefaultWordWidth;
    }

    void DeclareWords(const TWord &words, bool read)
    {
        for (const SWord &word : words.Words()) {
            WordSignal w{words.Kind(), word.Id, read, NewSignal(WidthOf(words, word.Id))};
            std::string name(1, words.Kind());
            name += std::to_string(word.Id);
            if (!word.Name.empty()) {
                name += '_';
                name += VarName(word.Name, "");
            }
            m_out << "$var wire " << w.signal.width << ' ' << w.signal.id << ' ' << name
                  << " $end\n";
            m_words.push_back(std::move(w));
        }
    }

    void Declarations()
    {
        m_out << "$scope module " << VarName(m_test.Name, "test" + std::to_string(m_index + 1))
              << " $end\n";
        m_cycle = NewSignal(32);
        m_out << "$var integer 32 " << m_cycle.id << " cycle $end\n";
        m_out << "$scope module contacts $end\n";
        for (const TLine &line : m_test.Tacts.Lines()) {
            m_lines.push_back(NewSignal(1));
            const auto contact = static_cast<std::size_t>(line.Contact);
            const std::string &name =
                contact < m_doc.Cnt().Names.size() ? m_doc.Cnt().Names[contact] : std::string();
            m_out << "$var wire 1 " << m_lines.back().id << ' '
                  << VarName(name, "contact" + std::to_string(line.Contact + 1)) << " $end\n";
        }
        m_out << "$upscope $end\n$scope module reference $end\n";
        DeclareWords(m_test.IWords, false);
        DeclareWords(m_test.OWords, false);
        m_out << "$upscope $end\n";
        if (m_hasRun) {
            m_out << "$scope module read $end\n";
            DeclareWords(m_test.OWords, true);
            m_out << "$upscope $end\n";
        }
        m_out << "$upscope $end\n$enddefinitions $end\n";
    }

    // Adds the value to the time step's changes when it differs.
    static void Change(Signal &signal, std::string value, std::string &changes)
    {
        if (value == signal.last)
            return;
        signal.last = value;
        changes += value + signal.id + "\n";
    }

    std::optional<std::int32_t> WordValue(const WordSignal &w, int cycle) const
    {
        const TWord &words = w.kind == 'i' ? static_cast<const TWord &>(m_test.IWords)
                                           : static_cast<const TWord &>(m_test.OWords);
        if (w.read)
            return m_test.OWords.ValueAt(w.word, cycle, ValueSet::Run);
        const SWord *word = words.Find(w.word);
        return words.ValueAt(w.word, word && word->IsConstant() ? 0 : cycle, ValueSet::Reference);
    }

    void Changes()
    {
        // Words read "unknown" until their first use.
        m_out << "#0\n$dumpvars\n";
        for (WordSignal &w : m_words) {
            w.signal.last = Vector(std::nullopt, w.signal.width);
            m_out << w.signal.last << w.signal.id << '\n';
        }
        m_out << "$end\n";
        long time = 0;
        const std::string &d1 = m_test.Tacts.D1;
        for (int cycle = 0; cycle < m_test.Cycles; ++cycle) {
            const auto [first, last] = CycleTacts(m_test, cycle, false);
            for (int tact = first; tact <= last; ++tact, ++time) {
                std::string changes;
                Change(m_cycle, Vector(cycle + 1, 32), changes);
                for (std::size_t j = 0; j < m_lines.size(); ++j) {
                    const std::string &levels = m_test.Tacts.Lines()[j].Levels;
                    const char level =
                        static_cast<std::size_t>(tact) < levels.size() ? levels[tact] : 'x';
                    Change(m_lines[j], std::string(1, LevelBit(level)), changes);
                }
                const char letter = d1[static_cast<std::size_t>(tact)];
                const char kind = letter == 'O' ? 'o' : letter;
                const int item = m_test.Tacts.ItemAt(tact);
                for (WordSignal &w : m_words) {
                    if (w.kind == kind && w.word == item)
                        Change(w.signal, Vector(WordValue(w, cycle), w.signal.width), changes);
                }
                if (time > 0 && !changes.empty())
                    m_out << '#' << time << '\n';
                m_out << changes;
            }
        }
        m_out << '#' << time << '\n';
    }

    const TQuorvik &m_doc;
    const STest &m_test;
    int m_index;
    bool m_hasRun;
    std::ostringstream m_out;
    int m_next = 0;
    Signal m_cycle;
    std::vector<Signal> m_lines;
    std::vector<WordSignal> m_words;
};

} // namespace

std::string VcdOfTest(const TQuorvik &doc, int test, std::string_view sourceName,
                      std::string_view date)
{
    return VcdWriter(doc, *doc.Test(test), test).Write(sourceName, date);
}

} // namespace qv
