#include "boardrun.h"

#include "infra/unitcodes.h"
#include "scopebus.h"
#include "session.h"

#include <algorithm>
#include <array>

namespace qv::sim {

namespace {

constexpr int kResultCode = QORV_DATA;
constexpr int kStoppedCode = QORV_CANCEL;

void Put(std::vector<std::uint8_t> &out, std::uint32_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

std::uint16_t ChannelOf(int contact, int unitType)
{
    if (unitType != 1)
        return static_cast<std::uint16_t>(contact);
    if (contact < 96)
        return static_cast<std::uint16_t>(272 + contact);
    return contact < 192 ? static_cast<std::uint16_t>(304 + contact) : 0;
}

// The level of every contact (0-based) at one moment of a test.
using Levels = std::array<std::uint8_t, 192>;

// Whether a fault acting only in every nth pass acts in this one.
bool ActsIn(int every, int pass)
{
    return every <= 1 || pass % every == 0;
}

bool HasWiringFaults(const BoardBehaviour &b)
{
    return !b.bridgedAnd.empty() || !b.bridgedOr.empty() || !b.swapped.empty();
}

// What the board puts on a bus instead of the expected levels.
class BoardModel
{
public:
    BoardModel(const Program &program, const Board &board, int pass)
        : m_program(program)
        , m_board(board)
        , m_faults(ActsIn(board.behaviour.faultEvery, pass))
        , m_stuck(m_faults && ActsIn(board.behaviour.stuckEvery, pass))
    {}

    // The stuck contacts only (what the probe sees between reads).
    std::uint16_t Read(int bus, std::uint16_t expected) const
    {
        return ReadAt(bus, expected, nullptr);
    }

    // A read of a word whose bus is expected at `expected` while the other
    // contacts stand at `levels` (the fault-free levels of that moment, the
    // word's own contacts at the expected bits); null: only the stuck
    // contacts act.
    std::uint16_t ReadAt(int bus, std::uint16_t expected, const Levels *levels) const
    {
        if (!m_faults || bus < 0 || static_cast<std::size_t>(bus) >= m_program.buses.size())
            return expected;
        std::uint16_t value = expected;
        const auto &bits = m_program.buses[static_cast<std::size_t>(bus)];
        for (std::size_t i = 0; i < bits.size() && i < 16; ++i) {
            const int contact = ContactOfChannel(bits[i], m_board.type);
            if (contact < 0)
                continue;
            const int own = (expected >> i) & 1;
            const int level = levels ? Bit(contact, own, *levels) : Forced(contact, own);
            value = static_cast<std::uint16_t>(level ? value | (1u << i) : value & ~(1u << i));
        }
        return value;
    }

    std::uint32_t Data(std::uint32_t address, int itemSize) const
    {
        const std::uint32_t v = address * 7u + m_board.behaviour.dataSeed.value_or(0);
        return itemSize >= 4 ? v : v & ((1u << (8 * itemSize)) - 1u);
    }

private:
    // A contact's level with the stuck faults applied.
    int Forced(int contact, int level) const
    {
        if (m_stuck && m_board.behaviour.stuckLow.contains(contact))
            return 0;
        if (m_stuck && m_board.behaviour.stuckHigh.contains(contact))
            return 1;
        return level;
    }

    // What a read contact sees: its own level, or through a crossed wire the
    // other's, or the AND / OR with the contacts shorted to it.
    int Bit(int contact, int own, const Levels &levels) const
    {
        const auto level = [&](int c) { return Forced(c, c == contact ? own : levels[c]); };
        const BoardBehaviour &b = m_board.behaviour;
        for (const ContactPair &p : b.swapped) {
            if (p.a == contact || p.b == contact)
                return level(p.a == contact ? p.b : p.a);
        }
        int v = level(contact);
        for (const ContactPair &p : b.bridgedAnd) {
            if (p.a == contact || p.b == contact)
                v &= level(p.a == contact ? p.b : p.a);
        }
        for (const ContactPair &p : b.bridgedOr) {
            if (p.a == contact || p.b == contact)
                v |= level(p.a == contact ? p.b : p.a);
        }
        return v;
    }

    const Program &m_program;
    const Board &m_board;
    bool m_faults; // the board's faults act in this pass
    bool m_stuck;  // the stuck contacts act in this pass
};

std::uint16_t CycleValue(const std::vector<std::uint16_t> &values, bool constant, int cycle);

void SetBus(Levels &levels, const Program &program, int bus, std::uint16_t value, int unitType)
{
    if (bus < 0 || static_cast<std::size_t>(bus) >= program.buses.size())
        return;
    const auto &bits = program.buses[static_cast<std::size_t>(bus)];
    for (std::size_t i = 0; i < bits.size() && i < 16; ++i) {
        const int contact = ContactOfChannel(bits[i], unitType);
        if (contact >= 0)
            levels[static_cast<std::size_t>(contact)] = (value >> i) & 1u;
    }
}

// The fault-free levels of the board's contacts at the read of each output
// word in each cycle ([word][cycle]). The unit walks the tacts of the run:
// a contact nobody drives floats high, a control line starts low and
// follows the level changes, an input word drives its bus from its tact on,
// and the board drives an output word's bus with the expected value when
// the word is read (at its first tact in the cycle; a word no tact of the
// cycle reads is taken at the cycle's end).
std::vector<std::vector<Levels>> ReadLevels(const Program &program, const ProgTest &t, int unitType)
{
    Levels levels;
    levels.fill(1);
    for (const std::uint16_t channel : t.lineChannels) {
        if (const int c = ContactOfChannel(channel, unitType); c >= 0)
            levels[static_cast<std::size_t>(c)] = 0;
    }
    const bool debug = program.Has(FlagDebug);
    const int n = static_cast<int>(t.columns.size());
    const int cycles = debug ? 1 : t.cycles;
    std::vector<std::vector<Levels>> reads(t.outputs.size());
    for (int k = 0; k < cycles; ++k) {
        const int cycle = debug ? program.activeCycle : k;
        int first = k == 0 || t.startTact >= n ? 0 : t.startTact;
        int last = n - 1;
        if (debug) {
            first = std::clamp(program.debugFirst, 0, std::max(n - 1, 0));
            last = std::clamp(program.debugLast, first, std::max(n - 1, 0));
        }
        std::vector<bool> taken(t.outputs.size(), false);
        for (int c = first; c <= last && c < n; ++c) {
            const ProgColumn col = t.columns[static_cast<std::size_t>(c)];
            if (c > 0 && col.a >= 1 && col.a <= t.lineChannels.size() && col.a < 'A') {
                const int contact = ContactOfChannel(t.lineChannels[col.a - 1u], unitType);
                if (contact >= 0)
                    levels[static_cast<std::size_t>(contact)] = col.b ? 1 : 0;
            } else if (col.a == 'i') {
                for (const auto &w : t.inputs) {
                    if (w.id == col.b)
                        SetBus(levels, program, w.bus, CycleValue(w.values, w.constant, cycle),
                               unitType);
                }
            } else if (col.a == 'o' || col.a == 'O') {
                for (std::size_t i = 0; i < t.outputs.size(); ++i) {
                    const ProgOutput &w = t.outputs[i];
                    if (w.id != col.b)
                        continue;
                    SetBus(levels, program, w.bus, CycleValue(w.refs, false, cycle), unitType);
                    if (!taken[i])
                        reads[i].push_back(levels);
                    taken[i] = true;
                }
            }
        }
        for (std::size_t i = 0; i < t.outputs.size(); ++i) {
            if (taken[i])
                continue;
            Levels at = levels;
            const ProgOutput &w = t.outputs[i];
            SetBus(at, program, w.bus, CycleValue(w.refs, false, cycle), unitType);
            reads[i].push_back(at);
        }
    }
    return reads;
}

std::uint32_t ElementAt(const std::vector<std::uint8_t> &bytes, std::size_t index, int size)
{
    std::uint32_t v = 0;
    for (int b = 0; b < size; ++b)
        v |= static_cast<std::uint32_t>(
                 bytes[index * static_cast<std::size_t>(size) + static_cast<std::size_t>(b)])
             << (8 * b);
    return v;
}

std::uint32_t Steps(std::uint32_t start, std::uint32_t end, std::uint16_t inc)
{
    return end < start ? 0 : (end - start) / std::max<std::uint16_t>(inc, 1) + 1;
}

int InputWidth(const Program &program, const ProgTest &test, int id)
{
    for (const auto &w : test.inputs) {
        if (w.id == id && static_cast<std::size_t>(w.bus) < program.buses.size())
            return static_cast<int>(program.buses[static_cast<std::size_t>(w.bus)].size());
    }
    return 8;
}

bool MemoryFaultIn(const Board &board, const ProgM &m)
{
    const auto &fault = board.behaviour.memoryFault;
    return fault && *fault >= m.start && *fault <= m.end;
}

void EvaluateTest(const Program &program, const Board &board, int test, const ProgTest &t,
                  const std::map<std::string, FileBytes> &sent, int pass, PassResult &result)
{
    const BoardModel model(program, board, pass);
    const bool debug = program.Has(FlagDebug);
    const int cycles = debug ? 1 : t.cycles;
    // The levels around each read matter only to shorted or crossed wires.
    const auto levels = HasWiringFaults(board.behaviour) ? ReadLevels(program, t, board.type)
                                                         : std::vector<std::vector<Levels>>{};
    std::vector<std::uint8_t> out;
    for (std::size_t wi = 0; wi < t.outputs.size(); ++wi) {
        const ProgOutput &w = t.outputs[wi];
        std::vector<bool> wrong;
        for (int k = 0; k < cycles; ++k) {
            const int cycle = debug ? program.activeCycle : k;
            const std::uint16_t ref = static_cast<std::size_t>(cycle) < w.refs.size()
                                          ? w.refs[static_cast<std::size_t>(cycle)]
                                          : 0;
            const Levels *around =
                wi < levels.size() && static_cast<std::size_t>(k) < levels[wi].size()
                    ? &levels[wi][static_cast<std::size_t>(k)]
                    : nullptr;
            const std::uint16_t read =
                around ? model.ReadAt(w.bus, ref, around) : model.Read(w.bus, ref);
            wrong.push_back(read != ref);
            if (read != ref && w.mark != 2)
                ++result.errors;
            Put(out, read, 2);
        }
        if (w.wait) {
            for (int k = 0; k < cycles; ++k) {
                const std::uint32_t limit = w.waitLimit == 0 ? 1 : w.waitLimit;
                Put(out,
                    wrong[static_cast<std::size_t>(k)]
                        ? w.waitLimit
                        : std::min<std::uint32_t>(limit, 1 + static_cast<std::uint32_t>(k)),
                    4);
            }
        }
    }
    for (const auto &g : t.gCycles) {
        if (g.kind != 1)
            continue;
        for (int k = 0; k < cycles; ++k) {
            const std::uint16_t limit =
                g.values.empty()
                    ? 1
                    : g.values[g.constant ? 0
                                          : static_cast<std::size_t>(std::min<int>(
                                                k, static_cast<int>(g.values.size()) - 1))];
            Put(out, std::min<std::uint32_t>(limit, 1 + static_cast<std::uint32_t>(k)), 4);
        }
    }
    for (const auto &f : t.fFuncs) {
        const std::uint32_t count = Steps(f.start, f.end, f.inc);
        std::uint32_t reached = f.end;
        bool error = false;
        std::uint32_t compared = 0;
        PassResult::FFailure failure;
        std::vector<std::uint8_t> data;
        for (std::uint32_t k = 0; k < count; ++k)
            Put(data, model.Data(f.start + k * f.inc, f.itemSize), f.itemSize);
        if (f.direction == 'w') {
            result.files.emplace_back(f.file, data);
        } else {
            const auto found = sent.find(f.file);
            const std::vector<std::uint8_t> empty;
            const std::vector<std::uint8_t> &file =
                found != sent.end() && found->second ? *found->second : empty;
            const std::size_t items =
                file.size() / static_cast<std::size_t>(std::max(f.itemSize, 1));
            if (items < count) {
                error = true;
                reached = f.start + static_cast<std::uint32_t>(items) * f.inc;
            }
            if (f.direction == 'c') {
                for (std::uint32_t k = 0; k < count && k < items; ++k) {
                    const std::uint32_t held = board.behaviour.dataSeed
                                                   ? model.Data(f.start + k * f.inc, f.itemSize)
                                                   : ElementAt(file, k, f.itemSize);
                    compared = held;
                    if (ElementAt(file, k, f.itemSize) != held) {
                        error = true;
                        reached = f.start + k * f.inc;
                        failure.compared = true;
                        failure.expected =
                            static_cast<std::uint16_t>(ElementAt(file, k, f.itemSize));
                        failure.read = static_cast<std::uint16_t>(held);
                        break;
                    }
                }
                result.files.emplace_back("FC\\" + f.file, board.behaviour.dataSeed ? data : file);
            }
        }
        if (error) {
            ++result.errors;
            failure.address = reached;
            result.failedF[{test, f.number}] = failure;
        }
        Put(out, (reached & 0xFFFFFFu) | 0xA5000000u, 4); // the top byte carries nothing
        Put(out, error ? 1 : 0, 1);
        if (f.direction == 'c')
            Put(out, compared, 2);
    }
    for (const auto &m : t.mFuncs) {
        const bool fault = MemoryFaultIn(board, m);
        const std::uint32_t pos = fault ? *board.behaviour.memoryFault : m.end;
        const int lowW = InputWidth(program, t, m.adrWrite);
        const int lowR = InputWidth(program, t, m.adrRead);
        const std::uint16_t written =
            static_cast<std::uint16_t>(0x55 & (m.datMask ? m.datMask : 0xFFFF));
        const std::uint16_t read = fault ? static_cast<std::uint16_t>(written ^ 1u) : written;
        const auto low = [](std::uint32_t p, int w) { return p & ((1u << w) - 1u); };
        if (m.adrWrite)
            Put(out, low(pos, lowW), 2);
        if (m.adrRead)
            Put(out, low(pos, lowR), 2);
        if (m.adrWrite2)
            Put(out, pos >> lowW, 2);
        if (m.adrRead2)
            Put(out, pos >> lowR, 2);
        if (m.datWrite & 0x7F)
            Put(out, written, 2);
        if (m.datRead & 0x7F) {
            Put(out, written, 2);
            Put(out, read, 2);
        }
        for (int bit = 0; bit < 6; ++bit) {
            if ((m.alg >> bit) & 1)
                Put(out, fault ? 1 : 0, 1);
        }
        if (fault)
            ++result.errors;
    }
    for (const auto &p : t.pFuncs) {
        const bool fails = board.behaviour.programmingFails;
        if (fails)
            ++result.errors;
        Put(out, fails ? 0 : 1, 1);
        const auto found = sent.find(p.file);
        const std::uint32_t last = found != sent.end() && found->second && !found->second->empty()
                                       ? found->second->back()
                                       : 0;
        if (p.adrWrite)
            Put(out, p.end, 2);
        if (p.adrRead)
            Put(out, p.end, 2);
        if (p.datWrite & 0x7F)
            Put(out, last, 2);
        if (p.datRead & 0x7F)
            Put(out, last, 2);
    }
    if (program.Has(FlagProbe)) {
        std::vector<char> levels(t.lineChannels.size(), '_');
        const std::string &given = board.behaviour.probeLevels;
        const std::uint16_t probed = board.behaviour.probeContact < 0
                                         ? 0xFFFF
                                         : ChannelOf(board.behaviour.probeContact, board.type);
        for (std::size_t c = 0; c < t.columns.size(); ++c) {
            const ProgColumn col = t.columns[c];
            if (c > 0 && col.a >= 1 && col.a <= levels.size() && col.a < 'A')
                levels[col.a - 1u] = col.b ? '-' : '_';
            char level = '_';
            if (!given.empty()) {
                level = given[c % given.size()];
            } else {
                for (std::size_t l = 0; l < t.lineChannels.size(); ++l) {
                    if (t.lineChannels[l] == probed)
                        level = levels[l];
                }
            }
            if (board.type == 1)
                Put(out, static_cast<std::uint8_t>(level), 1);
            else
                Put(out, level == '-' ? 0x0F : level == '+' ? 0x05 : 0x00, 1);
        }
    }
    result.bodies.push_back(std::move(out));
}

// The bit of a bus that carries the channel, or -1.
int BitOf(const Program &program, int bus, std::uint16_t channel)
{
    if (bus < 0 || static_cast<std::size_t>(bus) >= program.buses.size())
        return -1;
    const auto &bits = program.buses[static_cast<std::size_t>(bus)];
    for (std::size_t i = 0; i < bits.size() && i < 16; ++i) {
        if (bits[i] == channel)
            return static_cast<int>(i);
    }
    return -1;
}

std::uint16_t CycleValue(const std::vector<std::uint16_t> &values, bool constant, int cycle)
{
    if (values.empty())
        return 0;
    const auto last = values.size() - 1;
    return values[constant ? 0 : std::min(static_cast<std::size_t>(std::max(cycle, 0)), last)];
}

// The level of the contact under the oscilloscope probe in each column of a
// cycle: what the lines and the words on its bus put there, and what a
// stuck contact forces.
std::vector<std::uint8_t> ContactLevels(const Program &program, const Board &board,
                                        const ProgTest &t, int cycle, int pass)
{
    const int contact = board.scope.contact;
    const std::uint16_t channel = ChannelOf(contact, board.type);
    const BoardModel model(program, board, pass);
    const bool stuckActs =
        ActsIn(board.behaviour.faultEvery, pass) && ActsIn(board.behaviour.stuckEvery, pass);
    std::vector<std::uint8_t> lines(t.lineChannels.size(), 0);
    std::vector<std::uint8_t> levels;
    std::uint8_t level = 0;
    for (std::size_t c = 0; c < t.columns.size(); ++c) {
        const ProgColumn col = t.columns[c];
        if (c > 0 && col.a >= 1 && col.a <= lines.size() && col.a < 'A') {
            lines[col.a - 1u] = col.b ? 1 : 0;
            if (t.lineChannels[col.a - 1u] == channel)
                level = lines[col.a - 1u];
        } else if (col.a == 'I') {
            for (const auto &w : t.inputs) {
                const int bit = w.id == col.b ? BitOf(program, w.bus, channel) : -1;
                if (bit >= 0)
                    level = (CycleValue(w.values, w.constant, cycle) >> bit) & 1u;
            }
        } else if (col.a == 'O') {
            for (const auto &w : t.outputs) {
                const int bit = w.id == col.b ? BitOf(program, w.bus, channel) : -1;
                if (bit >= 0)
                    level = (model.Read(w.bus, CycleValue(w.refs, false, cycle)) >> bit) & 1u;
            }
        }
        if (stuckActs && board.behaviour.stuckHigh.contains(contact))
            level = 1;
        else if (stuckActs && board.behaviour.stuckLow.contains(contact))
            level = 0;
        levels.push_back(level);
    }
    return levels;
}

} // namespace

std::uint64_t RangeBytes(const ProgF &f)
{
    return static_cast<std::uint64_t>(Steps(f.start, f.end, f.inc)) *
           static_cast<std::uint64_t>(std::max(f.itemSize, 1));
}

int ContactOfChannel(std::uint16_t channel, int unitType)
{
    if (unitType != 1)
        return channel < 192 ? channel : -1;
    if (channel >= 272 && channel < 368)
        return channel - 272;
    if (channel >= 400 && channel < 496)
        return channel - 304;
    return -1;
}

PassResult EvaluateProgram(const Program &program, const Board &board,
                           const std::map<std::string, FileBytes> &sent, int pass)
{
    PassResult result;
    for (std::size_t i = 0; i < program.tests.size(); ++i)
        EvaluateTest(program, board, static_cast<int>(i), program.tests[i], sent, pass, result);
    return result;
}

BoardRun::BoardRun(Program program, const Board &board)
    : m_program(std::move(program))
    , m_board(board)
{}

void BoardRun::BuildSteps()
{
    m_steps.clear();
    m_next = 0;
    const bool debug = m_program.Has(FlagDebug);
    for (std::size_t ti = 0; ti < m_program.tests.size(); ++ti) {
        const ProgTest &t = m_program.tests[ti];
        const int test = static_cast<int>(ti);
        const int n = static_cast<int>(t.columns.size());
        const int cycles = debug ? 1 : std::max(t.cycles, 1);
        if (m_program.Has(FlagAllTests)) // "выполнение теста №N" on the host's status line
            m_steps.push_back(
                {StepKind::Ask, test, 0, 0, {5, static_cast<std::uint8_t>(t.index + 1)}});
        for (int k = 0; k < cycles; ++k) {
            int first = k == 0 || t.startTact >= n ? 0 : t.startTact;
            int last = n - 1;
            if (debug) {
                first = std::clamp(m_program.debugFirst, 0, std::max(n - 1, 0));
                last = std::clamp(m_program.debugLast, first, std::max(n - 1, 0));
            }
            const int cycle = debug ? m_program.activeCycle : k;
            // The probe is synchronised to the V-function's tact, or to the
            // first tact of each cycle when the program names none.
            const int trigger = t.hasV ? t.vTact : first;
            for (int c = first; c <= last && c < n; ++c) {
                m_steps.push_back({StepKind::Tact, test, cycle, c, {}, c == trigger});
                if (k != 0 || debug)
                    continue;
                const ProgColumn col = t.columns[static_cast<std::size_t>(c)];
                const auto testNo = static_cast<std::uint8_t>(t.index + 1);
                if (col.a == 'M') {
                    for (const auto &m : t.mFuncs) {
                        if (m.number != col.b)
                            continue;
                        const auto no = static_cast<std::uint8_t>(m.number);
                        m_steps.push_back({StepKind::Info, test, k, c, {2, testNo, no, 255, 0}});
                        for (std::uint8_t bit = 0; bit < 6; ++bit) {
                            if (!((m.alg >> bit) & 1))
                                continue;
                            const bool fault = MemoryFaultIn(m_board, m);
                            if (fault) {
                                const std::uint32_t a = *m_board.behaviour.memoryFault;
                                std::vector<std::uint8_t> ask{2, testNo, no};
                                Put(ask, a & 0xFF, 1);
                                Put(ask, (a >> 8) & 0xFFFF, 2);
                                Put(ask, bit, 1);
                                Put(ask, 1, 1);
                                Put(ask, 0x55, 2);
                                Put(ask, 0x54, 2);
                                Put(ask, (m.datRead & 0x7F) ? 1 : 0, 1);
                                if (m.datRead & 0x7F) {
                                    Put(ask, static_cast<std::uint32_t>(m.datRead & 0x7F), 1);
                                    Put(ask, 0x54, 2);
                                }
                                m_steps.push_back({StepKind::Ask, test, k, c, ask});
                            }
                            m_steps.push_back({
                                StepKind::Info,
                                test,
                                k,
                                c,
                                {2, testNo, no, bit, static_cast<std::uint8_t>(fault ? 1 : 0)},
                            });
                        }
                    }
                } else if (col.a == 'P') {
                    for (const auto &p : t.pFuncs) {
                        if (p.number != col.b)
                            continue;
                        const auto no = static_cast<std::uint8_t>(p.number);
                        const std::uint32_t total =
                            std::max<std::uint32_t>(Steps(p.start, p.end, p.inc), 1);
                        for (std::uint32_t i = 0; i < 4; ++i) {
                            const std::uint32_t done = total * i / 4;
                            m_steps.push_back({
                                StepKind::Progress,
                                test,
                                k,
                                c,
                                {testNo, no, static_cast<std::uint8_t>(done >> 8),
                                 static_cast<std::uint8_t>(done),
                                 static_cast<std::uint8_t>(total >> 8),
                                 static_cast<std::uint8_t>(total)},
                            });
                        }
                        if (m_board.behaviour.programmingFails) {
                            // The first cell would not take its value.
                            std::vector<std::uint8_t> ask{3, testNo, no};
                            Put(ask, p.start, 4);
                            Put(ask, 0, 1); // no data line
                            Put(ask, 0, 1); // no output-word entries
                            m_steps.push_back({StepKind::Ask, test, k, c, ask});
                        }
                    }
                } else if (const auto failed = m_result.failedF.find({test, col.b});
                           col.a == 'F' && failed != m_result.failedF.end()) {
                    const PassResult::FFailure &f = failed->second;
                    std::vector<std::uint8_t> ask{1, testNo, col.b};
                    Put(ask, f.address, 4);
                    Put(ask, f.compared ? 1 : 0, 1);
                    if (f.compared) {
                        Put(ask, f.expected, 2);
                        Put(ask, f.read, 2);
                    }
                    Put(ask, 0, 1); // no output-word entries
                    m_steps.push_back({StepKind::Ask, test, k, c, ask});
                }
            }
        }
    }
}

bool BoardRun::RunCurrent(const std::weak_ptr<BoardRun> &self) const
{
    const auto run = self.lock();
    return run && !run->m_finished;
}

bool BoardRun::OwnedBy(const Session &session) const
{
    const auto owner = m_owner.lock();
    return owner && owner.get() == &session;
}

void BoardRun::Start(Session &session)
{
    m_owner = session.weak_from_this();
    m_result = EvaluateProgram(m_program, m_board, session.Files().stored, ++m_pass);
    BuildSteps();
    ++m_generation;
    Continue(session);
}

void BoardRun::Continue(Session &session)
{
    while (!m_finished && m_next < m_steps.size()) {
        const Step step = m_steps[m_next++];
        if (step.kind != StepKind::Tact) {
            SendQuestion(session, step);
            return;
        }
        if (step.trigger)
            TriggerScope(step);
        m_pendingMicros += m_board.behaviour.tactMicros;
        if (m_pendingMicros >= 1000) {
            const auto ms = static_cast<int>(m_pendingMicros / 1000);
            m_pendingMicros -= ms * 1000.0;
            const std::weak_ptr<BoardRun> self = weak_from_this();
            const int generation = m_generation;
            session.After(std::chrono::milliseconds(ms), [self, generation](Session &s) {
                const auto run = self.lock();
                if (run && !run->m_finished && run->m_generation == generation)
                    run->Continue(s);
            });
            return;
        }
    }
    if (!m_finished && m_next >= m_steps.size())
        EndPass(session);
}

void BoardRun::TriggerScope(const Step &step) const
{
    ScopeBus &bus = ScopeBus::Instance();
    if (m_board.scope.fault == ScopeFault::NoTrigger || !bus.HasListeners())
        return;
    const ProgTest &t = m_program.tests[static_cast<std::size_t>(step.test)];
    const std::vector<std::uint8_t> levels =
        ContactLevels(m_program, m_board, t, step.cycle, m_pass);
    // The tacts the unit runs in this cycle, from the trigger on, wrapping.
    const int n = static_cast<int>(levels.size());
    const bool debug = m_program.Has(FlagDebug);
    int first = step.cycle == 0 || t.startTact >= n ? 0 : t.startTact;
    int last = n - 1;
    if (debug) {
        first = std::clamp(m_program.debugFirst, 0, std::max(n - 1, 0));
        last = std::clamp(m_program.debugLast, first, std::max(n - 1, 0));
    }
    ScopeTrigger trigger;
    trigger.test = step.test;
    trigger.cycle = step.cycle;
    trigger.tactMicros = m_board.behaviour.tactMicros;
    for (int i = 0, c = step.column; i <= last - first && n > 0; ++i) {
        trigger.levels.push_back(levels[static_cast<std::size_t>(c)]);
        c = c >= last ? first : c + 1;
    }
    bus.Publish(trigger);
}

void BoardRun::SendQuestion(Session &session, const Step &step)
{
    const std::weak_ptr<BoardRun> self = weak_from_this();
    const int code = step.kind == StepKind::Ask    ? QORV_ASK
                     : step.kind == StepKind::Info ? QORV_INFO
                                                   : QORV_PROGRE;
    session.AwaitReply(code, [self, code](Session &s, const Request &reply) {
        s.Ack(reply);
        const auto run = self.lock();
        if (!run || run->m_finished)
            return;
        bool goOn = true;
        if (code == QORV_ASK)
            goOn = reply.data.size() >= 2 && reply.data[1] == 1;
        else if (code == QORV_PROGRE)
            goOn = std::string(reply.data.begin(), reply.data.end()) != "CANCEL";
        if (goOn)
            run->Continue(s);
        else
            run->Stop(s);
    });
    session.Notify(code, 0, step.payload);
}

void BoardRun::StoreFiles(Session &session)
{
    for (const auto &[name, bytes] : m_result.files)
        session.Files().stored[name] = std::make_shared<const std::vector<std::uint8_t>>(bytes);
}

void BoardRun::SendResults(Session &session, int code, bool complete)
{
    StoreFiles(session);
    std::vector<std::uint8_t> out;
    const Step *at = nullptr;
    if (!complete && m_next > 0 && m_next <= m_steps.size())
        at = &m_steps[m_next - 1];
    for (std::size_t ti = 0; ti < m_program.tests.size(); ++ti) {
        const ProgTest &t = m_program.tests[ti];
        int cycle = t.cycles;
        int column = std::max(static_cast<int>(t.columns.size()) - 1, 0);
        if (at) {
            const int test = at->test;
            if (static_cast<int>(ti) == test) {
                cycle = at->cycle + 1;
                column = at->column;
            } else if (static_cast<int>(ti) > test) {
                cycle = 0;
                column = 0;
            }
        }
        Put(out, static_cast<std::uint32_t>(cycle), 1);
        Put(out, static_cast<std::uint32_t>(column), 1);
        const auto &body = m_result.bodies[ti];
        out.insert(out.end(), body.begin(), body.end());
    }
    session.Notify(code, 0, out);
}

void BoardRun::EndPass(Session &session)
{
    if (!m_program.Has(FlagContinuous) || (m_program.Has(FlagStopOnError) && m_result.errors > 0)) {
        m_finished = true;
        SendResults(session, kResultCode, true);
        return;
    }
    if (m_program.Has(FlagResultPerPass)) {
        m_awaitingRetry = true;
        SendResults(session, kResultCode, true);
        return;
    }
    // Without a result per pass the unit runs on until the host cancels.
    const std::weak_ptr<BoardRun> self = weak_from_this();
    session.After(std::chrono::milliseconds(1), [self](Session &s) {
        const auto run = self.lock();
        if (run && !run->m_finished && !run->m_awaitingRetry)
            run->Start(s);
    });
}

void BoardRun::Retry(Session &session)
{
    if (m_finished || !m_awaitingRetry)
        return;
    m_awaitingRetry = false;
    Start(session);
}

void BoardRun::Stop(Session &session)
{
    if (m_finished)
        return;
    m_finished = true;
    SendResults(session, kStoppedCode, m_awaitingRetry || m_next >= m_steps.size());
}

void BoardRun::Cancel(Session &session)
{
    Stop(session);
}

} // namespace qv::sim
