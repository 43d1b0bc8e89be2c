#include "program.h"

#include <stdexcept>

namespace qv::sim {

namespace {

struct Malformed
{
    std::string text;
};

class Cursor
{
public:
    explicit Cursor(std::span<const std::uint8_t> bytes)
        : m_bytes(bytes)
    {}

    std::uint32_t Take(std::size_t n, const char *what)
    {
        if (m_bytes.size() - m_at < n)
            throw Malformed{std::string("программа обрывается на поле \"") + what +
                            "\" (смещение " + std::to_string(m_at) + ")"};
        std::uint32_t v = 0;
        for (std::size_t i = 0; i < n; ++i)
            v |= static_cast<std::uint32_t>(m_bytes[m_at + i]) << (8 * i);
        m_at += n;
        return v;
    }
    int Byte(const char *what) { return static_cast<int>(Take(1, what)); }
    std::uint16_t Word(const char *what) { return static_cast<std::uint16_t>(Take(2, what)); }
    std::string Text(const char *what)
    {
        const std::size_t n = Take(1, what);
        std::string text;
        for (std::size_t i = 0; i < n; ++i)
            text.push_back(static_cast<char>(Take(1, what)));
        return text;
    }
    bool AtEnd() const { return m_at == m_bytes.size(); }
    std::size_t Offset() const { return m_at; }

private:
    std::span<const std::uint8_t> m_bytes;
    std::size_t m_at = 0;
};

void Values(Cursor &in, ProgInput &w, int cycles)
{
    const int flag = in.Byte("признак константы");
    if (flag > 1)
        throw Malformed{"признак константы не 0 и не 1"};
    w.constant = flag == 1;
    const int count = w.constant ? 1 : cycles;
    for (int c = 0; c < count; ++c)
        w.values.push_back(in.Word("значение слова"));
}

char Kind(Cursor &in)
{
    const int k = in.Byte("вид слова");
    if (k != 'i' && k != 'o' && k != 'g')
        throw Malformed{"неизвестный вид слова " + std::to_string(k)};
    return static_cast<char>(k);
}

void ReadTactArray(Cursor &in, ProgTest &t)
{
    const int lines = in.Byte("число линий");
    for (int i = 0; i < lines; ++i)
        t.lineChannels.push_back(in.Word("канал линии"));
    const int columns = in.Byte("число тактов");
    for (int i = 0; i < columns; ++i) {
        ProgColumn col;
        col.a = static_cast<std::uint8_t>(in.Byte("такт"));
        col.b = static_cast<std::uint8_t>(in.Byte("такт"));
        t.columns.push_back(col);
    }
}

void ReadInputs(Cursor &in, ProgTest &t)
{
    const int inputs = in.Byte("число входных слов");
    for (int i = 0; i < inputs; ++i) {
        ProgInput w;
        w.id = in.Byte("номер слова");
        w.bus = in.Byte("шина слова");
        Values(in, w, t.cycles);
        t.inputs.push_back(std::move(w));
    }
}

void ReadOutputs(Cursor &in, ProgTest &t)
{
    const int outputs = in.Byte("число выходных слов");
    for (int i = 0; i < outputs; ++i) {
        ProgOutput w;
        w.id = in.Byte("номер слова");
        w.bus = in.Byte("шина слова");
        w.wait = in.Byte("признак ожидания") != 0;
        if (w.wait)
            w.waitLimit = in.Take(4, "предел ожидания");
        w.mark = in.Byte("отметка проверки");
        for (int c = 0; c < t.cycles; ++c)
            w.refs.push_back(in.Word("эталон"));
        t.outputs.push_back(std::move(w));
    }
}

void ReadGenerators(Cursor &in, ProgTest &t)
{
    const int gens = in.Byte("число генераторов");
    for (int i = 0; i < gens; ++i) {
        ProgInput w;
        w.id = in.Byte("номер слова");
        w.kind = in.Word("вид генератора");
        Values(in, w, t.cycles);
        t.generators.push_back(std::move(w));
    }
    const int gcycles = in.Byte("число G-циклов");
    for (int i = 0; i < gcycles; ++i) {
        ProgInput w;
        w.id = in.Byte("номер слова");
        w.kind = static_cast<std::uint16_t>(in.Byte("вид G-цикла"));
        Values(in, w, t.cycles);
        t.gCycles.push_back(std::move(w));
    }
}

ProgF ReadF(Cursor &in)
{
    ProgF f;
    f.number = in.Byte("номер F");
    f.direction = static_cast<char>(in.Byte("направление"));
    if (f.direction != 'w' && f.direction != 'r' && f.direction != 'c')
        throw Malformed{"неизвестное направление F-функции"};
    f.adrKind = Kind(in);
    f.adrId = in.Byte("слово адреса");
    f.adrMask = in.Word("маска адреса");
    f.datId = in.Byte("слово данных");
    f.datMask = in.Word("маска данных");
    f.start = in.Take(4, "начальный адрес");
    f.end = in.Take(4, "конечный адрес");
    f.inc = in.Word("шаг");
    f.itemSize = in.Byte("размер элемента");
    f.file = in.Text("имя файла");
    return f;
}

ProgM ReadM(Cursor &in)
{
    ProgM m;
    m.number = in.Byte("номер M");
    m.adrWrite = in.Byte("адрес записи");
    m.masks[0] = in.Word("маска");
    m.adrWrite2 = in.Byte("адрес записи 2");
    m.masks[1] = in.Word("маска");
    m.datWrite = in.Byte("данные записи");
    m.adrRead = in.Byte("адрес чтения");
    m.masks[2] = in.Word("маска");
    m.adrRead2 = in.Byte("адрес чтения 2");
    m.masks[3] = in.Word("маска");
    m.datRead = in.Byte("данные чтения");
    m.start = in.Take(4, "начальный адрес");
    m.end = in.Take(4, "конечный адрес");
    m.inc = in.Word("шаг");
    m.datMask = in.Word("маска данных");
    m.alg = in.Word("алгоритмы");
    return m;
}

ProgP ReadP(Cursor &in)
{
    ProgP p;
    p.number = in.Byte("номер P");
    p.adrWriteKind = Kind(in);
    p.adrWrite = in.Byte("адрес записи");
    p.adrWriteMask = in.Word("маска");
    p.datWrite = in.Byte("данные записи");
    p.adrReadKind = Kind(in);
    p.adrRead = in.Byte("адрес чтения");
    p.adrReadMask = in.Word("маска");
    p.datRead = in.Byte("данные чтения");
    p.start = in.Take(3, "начальный адрес");
    p.end = in.Take(3, "конечный адрес");
    p.inc = in.Word("шаг");
    p.datMask = in.Word("маска данных");
    p.alg = in.Byte("алгоритм");
    p.cycles = in.Word("циклы");
    p.param = in.Word("параметр");
    p.file = in.Text("имя файла");
    return p;
}

// A counted list of functions, each read by `read`.
template <typename Record, typename Read>
void ReadFunctions(Cursor &in, const char *what, std::vector<Record> &into, Read read)
{
    const int count = in.Byte(what);
    for (int i = 0; i < count; ++i)
        into.push_back(read(in));
}

void ReadVFunction(Cursor &in, ProgTest &t)
{
    t.hasV = in.Byte("признак V-функции") != 0;
    if (t.hasV) {
        t.vTact = in.Byte("такт V-функции");
        t.vTimeBase = in.Word("развертка");
    }
}

// One test of the image, in the order of its sections.
void ReadTest(Cursor &in, ProgTest &t)
{
    t.index = in.Byte("номер теста");
    t.startTact = in.Byte("такт начала цикла");
    t.cycles = in.Byte("число циклов");
    ReadTactArray(in, t);
    ReadInputs(in, t);
    ReadOutputs(in, t);
    ReadGenerators(in, t);
    ReadFunctions(in, "число F-функций", t.fFuncs, ReadF);
    ReadFunctions(in, "число M-функций", t.mFuncs, ReadM);
    ReadFunctions(in, "число P-функций", t.pFuncs, ReadP);
    ReadVFunction(in, t);
}

} // namespace

std::optional<Program> ReadProgram(std::span<const std::uint8_t> image, std::string *error)
{
    Cursor in(image);
    Program p;
    try {
        p.flags = static_cast<std::uint8_t>(in.Byte("флаги"));
        const bool debug = p.Has(FlagDebug);
        if (debug) {
            p.activeCycle = in.Byte("активный цикл");
            p.debugFirst = in.Byte("начало отладки");
            p.debugLast = in.Byte("конец отладки");
        }
        const int buses = in.Byte("число шин");
        for (int b = 0; b < buses; ++b) {
            std::vector<std::uint16_t> bus;
            const int width = in.Byte("ширина шины");
            for (int i = 0; i < width; ++i)
                bus.push_back(in.Word("канал шины"));
            p.buses.push_back(std::move(bus));
        }
        const int tests = in.Byte("число тестов");
        for (int i = 0; i < tests; ++i) {
            ProgTest t;
            ReadTest(in, t);
            p.tests.push_back(std::move(t));
        }
        if (!in.AtEnd())
            throw Malformed{"лишние байты после программы (смещение " +
                            std::to_string(in.Offset()) + ")"};
    } catch (const Malformed &m) {
        if (error)
            *error = m.text;
        return std::nullopt;
    }
    return p;
}

} // namespace qv::sim
