#include "programlisting.h"

#include <sstream>

namespace qv::sim {

namespace {

std::string Hex(unsigned value, int digits = 4)
{
    std::ostringstream out;
    out << "0x";
    out.width(digits);
    out.fill('0');
    out << std::hex << std::uppercase << value;
    return out.str();
}

template <class T>
std::string Join(const std::vector<T> &values)
{
    std::string text;
    for (const auto v : values)
        text.append(text.empty() ? "" : " ").append(std::to_string(v));
    return text;
}

std::string FlagNames(std::uint8_t flags)
{
    static const char *names[] = {
        "отладка",        "зонд",     "G,O-циклы", "циклический", "результат за проход",
        "стоп по ошибке", "все тесты"};
    std::string text;
    for (int bit = 0; bit < 7; ++bit) {
        if ((flags >> bit) & 1)
            text.append(text.empty() ? "" : ", ").append(names[bit]);
    }
    return text.empty() ? "нет" : text;
}

std::string ColumnText(const ProgColumn &col, std::size_t index)
{
    if (index == 0 || (col.a == 0 && col.b == 0))
        return "-";
    if (col.a < 'A')
        return "линия " + std::to_string(col.a) + (col.b ? " → -" : " → _");
    const char letter = static_cast<char>(col.a);
    if (letter == 'C' || letter == 'R' || letter == 'W' || letter == 'E' || letter == 'L' ||
        letter == 'N')
        return std::string(1, letter) + "(такт " + std::to_string(col.b + 1) + ")";
    return std::string(1, letter) + std::to_string(col.b);
}

void Inputs(std::ostream &out, const char *title, const std::vector<ProgInput> &words,
            const char *kindTitle)
{
    out << "  " << title << ": " << words.size() << "\n";
    for (const auto &w : words) {
        out << "    #" << w.id;
        if (kindTitle)
            out << " " << kindTitle << " " << w.kind;
        else
            out << " шина " << w.bus;
        out << (w.constant ? " константа: " : " по циклам: ") << Join(w.values) << "\n";
    }
}

} // namespace

std::string ProgramListing(const Program &p)
{
    std::ostringstream out;
    out << "Флаги: " << Hex(p.flags, 2) << " (" << FlagNames(p.flags) << ")\n";
    if (p.Has(FlagDebug))
        out << "Отладка: цикл " << p.activeCycle + 1 << ", такты " << p.debugFirst + 1 << ".."
            << p.debugLast + 1 << "\n";
    out << "Шин: " << p.buses.size() << "\n";
    for (std::size_t b = 0; b < p.buses.size(); ++b)
        out << "  шина " << b << " (" << p.buses[b].size() << " бит): " << Join(p.buses[b]) << "\n";
    out << "Тестов: " << p.tests.size() << "\n";
    for (const auto &t : p.tests) {
        out << "Тест №" << t.index + 1 << ": начало цикла " << t.startTact << ", циклов "
            << t.cycles << "\n";
        out << "  линии (каналы): " << Join(t.lineChannels) << "\n";
        out << "  такты: " << t.columns.size() << "\n   ";
        for (std::size_t c = 0; c < t.columns.size(); ++c)
            out << " " << c + 1 << ":" << ColumnText(t.columns[c], c);
        out << "\n";
        Inputs(out, "входные слова", t.inputs, nullptr);
        out << "  выходные слова: " << t.outputs.size() << "\n";
        for (const auto &w : t.outputs) {
            out << "    #" << w.id << " шина " << w.bus;
            if (w.wait)
                out << " ожидание до " << w.waitLimit;
            if (w.mark)
                out << " отметка " << w.mark;
            out << " эталоны: " << Join(w.refs) << "\n";
        }
        Inputs(out, "генераторы", t.generators, "вид");
        Inputs(out, "G-циклы", t.gCycles, "по условию");
        out << "  F-функции: " << t.fFuncs.size() << "\n";
        for (const auto &f : t.fFuncs)
            out << "    F" << f.number << " " << f.direction << " адрес " << f.adrKind << f.adrId
                << " (маска " << Hex(f.adrMask) << ") данные #" << f.datId << " (маска "
                << Hex(f.datMask) << ") " << f.start << ".." << f.end << " шаг " << f.inc
                << " элемент " << f.itemSize << " байт, файл \"" << f.file << "\"\n";
        out << "  M-функции: " << t.mFuncs.size() << "\n";
        for (const auto &m : t.mFuncs)
            out << "    M" << m.number << " запись i" << m.adrWrite << "/i" << m.adrWrite2
                << " данные " << Hex(static_cast<unsigned>(m.datWrite), 2) << " чтение i"
                << m.adrRead << "/i" << m.adrRead2 << " данные "
                << Hex(static_cast<unsigned>(m.datRead), 2) << " " << m.start << ".." << m.end
                << " шаг " << m.inc << " алгоритмы " << Hex(m.alg) << "\n";
        out << "  P-функции: " << t.pFuncs.size() << "\n";
        for (const auto &pf : t.pFuncs)
            out << "    P" << pf.number << " запись " << pf.adrWriteKind << pf.adrWrite
                << " чтение " << pf.adrReadKind << pf.adrRead << " " << pf.start << ".." << pf.end
                << " шаг " << pf.inc << " алгоритм " << pf.alg << " циклы " << pf.cycles
                << " параметр " << pf.param << ", файл \"" << pf.file << "\"\n";
        if (t.hasV)
            out << "  V-функция: такт " << t.vTact + 1 << ", развертка " << t.vTimeBase << "\n";
    }
    return out.str();
}

} // namespace qv::sim
