#include "maximalfile.h"

#include "infra/daycount.h"
#include "infra/encoding.h"
#include "model/core/records.h"
#include "model/file/contactfile.h"
#include "model/file/container.h"
#include "model/ini/inistore.h"
#include "model/ini/sectionvalues.h"
#include "model/test/stest.h"
#include "model/test/testfunctions.h"
#include "model/test/testsections.h"
#include "model/words/tyreadr.h"

#include <initializer_list>
#include <stdexcept>
#include <vector>

namespace qortool {
namespace {

// Texts joined from pieces and numbers (without the operator+ chains some
// compilers warn about).
std::string Cat(std::initializer_list<std::string_view> parts)
{
    std::string text;
    for (const std::string_view part : parts) {
        text += part;
    }
    return text;
}

std::string Num(long long value)
{
    return std::to_string(value);
}

constexpr int kBuses = 12; // 12 buses of 16 contacts: all 192
constexpr std::string_view kSepText{"\x07", 1};

// The kind letters of one test: every letter the diagram knows, in blocks
// that open and close, with level-change tacts between them.
std::string KindLetters(int testIndex)
{
    const std::string pattern = "-i-o-O-g-G-L-G-E-F-W-M-W-R-P-C-S-T-G-N-";
    std::string d1;
    while (d1.size() < kMaximalTacts) {
        d1 += pattern;
    }
    d1.resize(kMaximalTacts);
    if (testIndex == kMaximalTests - 1) {
        d1[0] = 'i'; // the last test differs a little
    }
    return d1;
}

// The second row: word and function numbers as hex digits (0..F), the test
// a T tact calls as a decimal digit.
std::string SecondRow(const std::string &d1)
{
    std::string d2;
    for (std::size_t t = 0; t < d1.size(); ++t) {
        d2.push_back(d1[t] == 'T' ? '2' : "0123456789ABCDEF"[t % 16]);
    }
    return d2;
}

// Mostly steady levels, as on a real board: each line rests high, low or
// undefined and changes once, in a level-change tact of its own.
std::string Levels(int line, int testIndex)
{
    const std::string shapes = "-_x";
    std::string levels(kMaximalTacts, shapes[static_cast<std::size_t>((line + testIndex) % 3)]);
    const auto change = static_cast<std::size_t>((line * 2 + 1) % kMaximalTacts);
    for (std::size_t t = change; t < levels.size(); ++t) {
        levels[t] = shapes[static_cast<std::size_t>((line + testIndex + 1) % 3)];
    }
    return levels;
}

std::string Values(int seed, int count, int modulo)
{
    std::string values;
    for (int c = 0; c < count; ++c) {
        if (c > 0) {
            values.push_back('/');
        }
        values += std::to_string((seed * 37 + c * 101) % modulo);
    }
    return values;
}

void Put(std::string &text, std::string_view key, std::string_view value)
{
    text += key;
    text += '=';
    text += value;
    text += "\r\n";
}

void Section(std::string &text, std::string_view name)
{
    text += '[';
    text += name;
    text += "]\r\n";
}

std::string Diagram(int testIndex)
{
    std::string text;
    Section(text, "DIAGRAMM");
    const std::string d1 = KindLetters(testIndex);
    Put(text, "D1", d1);
    Put(text, "D2", SecondRow(d1));
    for (int line = 1; line <= kMaximalLines; ++line) {
        Put(text, Num(line),
            Cat({Num(line - 1), kSepText, Levels(line, testIndex), kSepText, "К", Num(line)}));
    }
    for (int c = 0; c < kMaximalCycles; ++c) {
        Put(text, qv::NumberedName("Z", c),
            Cat({"Узел А", kSepText, Levels(c + 1, 0), kSepText, "Узел Б", kSepText,
                 Levels(c + 2, 1)}));
        Put(text, qv::NumberedName("ZM", c), "3<");
    }
    return text;
}

std::string Words(int testIndex)
{
    std::string text;
    for (int n = 1; n <= qv::kMaxWords; ++n) {
        Section(text, qv::NumberedName("IWORDS", n));
        Put(text, "NAME", n == 1 ? "*" : Cat({"Вход ", Num(n)}));
        Put(text, "TYRE", std::to_string(n % kBuses));
        Put(text, "CODE", std::to_string(n % 2));
        Put(text, "DATA", n == 1 ? "5" : Values(n + testIndex, kMaximalCycles, 65536));
    }
    for (int n = 1; n <= qv::kMaxWords; ++n) {
        Section(text, qv::NumberedName("OWORDS", n));
        Put(text, "NAME", Cat({"Выход ", Num(n)}));
        Put(text, "TYRE", std::to_string((n + 3) % kBuses));
        Put(text, "CODE", std::to_string((n + 1) % 2));
        Put(text, "DATA", Values(n * 3 + testIndex, kMaximalCycles, 65536));
        Put(text, "TYPE", n % 4 == 0 ? "O" : "o");
        if (n % 4 == 0) {
            Put(text, "OWAIT", n % 8 == 0 ? "10 мс" : "250");
        }
    }
    // Generator words of every kind: pulse, frequency, delay (ms and µs),
    // counted and conditional G-cycles.
    const int tyres[] = {1, 2, 0, 0, 0, 0};
    const int codes[] = {17, 18, -1, -2, -10, -20};
    for (int n = 1; n <= qv::kMaxWords; ++n) {
        const std::size_t kind = static_cast<std::size_t>(n % 6);
        Section(text, qv::NumberedName("GWORDS", n));
        Put(text, "NAME", Cat({"Генератор ", Num(n)}));
        Put(text, "TYRE", std::to_string(tyres[kind]));
        Put(text, "CODE", std::to_string(codes[kind]));
        Put(text, "DATA", Values(n + testIndex, kMaximalCycles, codes[kind] == -20 ? 16 : 1000));
    }
    return text;
}

std::string Functions(int testIndex)
{
    std::string text;
    for (int n = 1; n <= 16; ++n) {
        Section(text, qv::NumberedName("FFUNCS", n));
        Put(text, "NAME", Cat({"Память ", Num(n)}));
        Put(text, "TYPE", std::to_string(n % 3));
        Put(text, "FILE", Cat({"f", Num(n), ".dat"}));
        Put(text, "ADRSTART", "0");
        Put(text, "ADREND", std::to_string(255 + n + testIndex));
        Put(text, "ADRINC", "1");
        Put(text, "ADRW", std::to_string(n));
        Put(text, "DATW", std::to_string(1000 + n));
    }
    for (int n = 1; n <= 16; ++n) {
        Section(text, qv::NumberedName("MFUNCS", n));
        Put(text, "NAME", Cat({"ОЗУ ", Num(n)}));
        Put(text, "ADRSTART", "0");
        Put(text, "ADREND", std::to_string(65535 + n));
        Put(text, "ADRINC", "1");
        Put(text, "ALG", std::to_string(n % 64));
        Put(text, "ADRW", Cat({"i", Num(n)}));
        Put(text, "ADRW2", Cat({"i", Num(17 - n)}));
        Put(text, "DATW", std::to_string(n));
        Put(text, "ADRR", Cat({"i", Num(n)}));
        if (n % 2 == 0) {
            Put(text, "ADRR2", Cat({"i", Num(17 - n)}));
        }
        Put(text, "DATR", std::to_string(n));
    }
    for (int n = 1; n <= 16; ++n) {
        Section(text, qv::NumberedName("PFUNCS", n));
        Put(text, "NAME", Cat({"ПЗУ ", Num(n)}));
        Put(text, "FILE", Cat({"p", Num(n), ".dat"}));
        Put(text, "ADRSTART", "0");
        Put(text, "ADREND", std::to_string(1023 + n));
        Put(text, "ADRINC", "1");
        Put(text, "PARAM0", std::to_string(n));
        Put(text, "PARAM1", std::to_string(n % 4));
        Put(text, "ALG", std::to_string(n % 3 + 1));
        Put(text, "ADRW", Cat({"i", Num(n)}));
        Put(text, "DATW", std::to_string(n));
        Put(text, "ADRR", Cat({"o", Num(n)}));
        Put(text, "DATR", std::to_string(n));
    }
    for (int n = 1; n <= 16; ++n) {
        Section(text, qv::NumberedName("VFUNCS", n));
        Put(text, "NAME", Cat({"Осциллограмма ", Num(n)}));
        Put(text, "TACT", std::to_string(n * 7));
        Put(text, "INFO", Cat({"Строка 1", kSepText, "Строка 2"}));
        Put(text, "VSWEEP", "0123456789ABC012");
        Put(text, "VDIV", "0123012301230123");
    }
    for (int n = 1; n <= 16; ++n) {
        Section(text, qv::NumberedName("SFUNCS", n));
        Put(text, "NAME", Cat({"Порт ", Num(n)}));
        Put(text, "TYPE", std::to_string(n % 2));
        Put(text, "WMODE", std::to_string(n % 3));
        Put(text, "NBYTES", std::to_string(n * 16));
        Put(text, "FILE", Cat({"s", Num(n)}) + ".dat");
        Put(text, "SPEED", "115200");
        Put(text, "BITDATA", "8");
        Put(text, "PARITY", std::to_string(n % 5));
        Put(text, "STOPBIT", "1");
        Put(text, "HANDLING", std::to_string(n % 2 + 1));
    }
    return text;
}

} // namespace

std::string MaximalTestBlock(int testIndex)
{
    std::string text;
    Section(text, "MAIN");
    Put(text, "NAME", Cat({"Тест ", Num(testIndex + 1)}));
    Put(text, "CYCLE", std::to_string(kMaximalCycles));
    Put(text, "START", "3");
    text += Diagram(testIndex);
    text += Words(testIndex);
    text += Functions(testIndex);

    // Through the model and back: the block as the section writers write it.
    qv::IniStore draft;
    draft.FromText(text);
    qv::STest test;
    qv::TestReadContext context;
    context.testIndex = testIndex;
    qv::ReadTestSections(draft, test, context);
    qv::FinishTestFileLoad();
    qv::IniStore written;
    qv::WriteTestSections(written, test, testIndex, nullptr);
    qv::FinishTestFileSave(false, std::string());
    return written.ToText();
}

GeneratedFile MaximalTestFile(std::string_view contactFileName)
{
    qv::CryptoProvider crypto;
    GeneratedFile file;

    qv::ContactFileContent contacts;
    contacts.created = qv::ToDayCount({2024, 3, 15, 9, 0, 0, 0});
    contacts.modified = contacts.created;
    for (int c = 1; c <= qv::kMaxContacts; ++c) {
        contacts.records.push_back(
            {static_cast<std::uint16_t>(c), qv::Utf8ToCp1251(Cat({"Конт", Num(c)}))});
    }
    file.cnt = qv::BuildContactFile(contacts, crypto);

    qv::TTyreAdr tyres;
    for (int bus = 0; bus < kBuses; ++bus) {
        std::string definition;
        for (int bit = 0; bit < 16; ++bit) {
            definition.push_back(static_cast<char>(bus * 16 + bit + 1));
        }
        tyres.Add(definition);
    }
    std::string general = "[]\r\n";
    Put(general, "CNT", contactFileName);
    Put(general, "SYS", "16");
    Put(general, "NTEST", std::to_string(kMaximalTests));
    Put(general, "FCREATE", "15.03.2024 10:00:00");
    Put(general, "FMODIFIED", "15.03.2024 10:30:00");
    Put(general, "FVERSION", "1.6");
    Put(general, "FAUTHOR", "Генератор предельного файла");
    Put(general, "FTITLE", "Предельный файл");
    Put(general, "FLOGERROR", "");
    const std::string generalText = qv::Utf8ToCp1251(general);

    std::vector<std::string> tests;
    for (int i = 0; i < kMaximalTests; ++i) {
        tests.push_back(qv::Utf8ToCp1251(MaximalTestBlock(i)));
        if (tests.back().size() > qv::kMaxBlockText) {
            throw std::length_error("maximal test block too long");
        }
    }
    qv::ContainerParts parts;
    parts.tyres = &tyres;
    parts.generalText = generalText;
    parts.testTexts = tests;
    file.qor = qv::BuildContainer(parts, crypto, qv::ToDayCount({2024, 3, 15, 10, 30, 0, 0}));
    return file;
}

} // namespace qortool
