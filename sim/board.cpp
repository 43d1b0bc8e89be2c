#include "board.h"

#include "infra/encoding.h"
#include "infra/safefile.h"
#include "infra/unitcodes.h"
#include "inifile.h"

#include <charconv>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace qv::sim {

Board DefaultBoard()
{
    Board board;
    board.versions = {{'3', '2'}, {'1', '7'}, {0, 0}, {'1', '0'}, {'1', '1'}, {0, 0}};
    board.parameters = {{"Такт", 0.125f},
                        {"Операция ввода-вывода", 0.75f},
                        {"Цикл ожидания", 0.35f},
                        {"Задержка", 1.0f}};
    for (int n = 1; n <= 16; ++n) {
        board.waitT0[static_cast<std::size_t>(n - 1)] = 1.2f + 0.05f * static_cast<float>(n);
        board.waitTinc[static_cast<std::size_t>(n - 1)] = 0.35f + 0.01f * static_cast<float>(n);
    }
    board.supplies = {{"+5 В", 320, 500}, {"+12 В", 85, 200}};
    return board;
}

namespace {

// Thrown inside the parser and turned into the caller's error text.
struct BoardError
{
    std::string text;
};

[[noreturn]] void Bad(const IniFile::Line &line, const std::string &what)
{
    throw BoardError{"строка " + std::to_string(line.number) + " (" + line.key + "): " + what};
}

template <typename T>
T Number(const IniFile::Line &line, std::string_view text, T low, T high)
{
    T value{};
    const auto *end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end || value < low || value > high)
        Bad(line, Quoted(text) + " - не число в допустимых пределах");
    return value;
}

int Command(const IniFile::Line &line, const std::string &text)
{
    if (const auto code = UnitCommandByName(text))
        return *code;
    return Number<int>(line, text, 1, 38);
}

std::vector<std::uint16_t> Channels(const IniFile::Line &line)
{
    std::vector<std::uint16_t> channels;
    for (const auto &piece : SplitList(line.value, ','))
        channels.push_back(Number<std::uint16_t>(line, piece, 0, 65535));
    return channels;
}

std::array<float, 16> Sixteen(const IniFile::Line &line)
{
    const auto pieces = SplitList(line.value, ',');
    if (pieces.size() != 16)
        Bad(line, "нужно 16 чисел через запятую");
    std::array<float, 16> values{};
    for (std::size_t i = 0; i < 16; ++i)
        values[i] = Number<float>(line, pieces[i], 0.0f, 1e9f);
    return values;
}

// "NAME:NUMBER" pairs for per-command faults.
std::map<int, int> CommandValues(const IniFile::Line &line, int high)
{
    std::map<int, int> values;
    for (const auto &piece : SplitList(line.value, ',')) {
        const auto colon = piece.find(':');
        if (colon == std::string::npos)
            Bad(line, "нужно КОМАНДА:ЧИСЛО");
        values[Command(line, piece.substr(0, colon))] =
            Number<int>(line, std::string_view(piece).substr(colon + 1), 0, high);
    }
    return values;
}

void ReadUnit(Board &board, const IniFile::Line &line)
{
    const std::string &v = line.value;
    if (SameName(line.key, "Type")) {
        if (SameName(v, "arm") || v == "0")
            board.type = 0;
        else if (SameName(v, "msdos") || v == "1")
            board.type = 1;
        else
            Bad(line, "тип блока - arm или msdos");
    } else if (SameName(line.key, "BuildDate")) {
        const auto parts = SplitList(v, '-');
        if (parts.size() != 3)
            Bad(line, "дата пишется как ГГГГ-ММ-ДД");
        board.year = Number<int>(line, parts[0], 0, 65535);
        board.month = Number<int>(line, parts[1], 1, 12);
        board.day = Number<int>(line, parts[2], 1, 31);
    } else if (SameName(line.key, "BuildTime")) {
        const auto parts = SplitList(v, ':');
        if (parts.size() != 3)
            Bad(line, "время пишется как ЧЧ:ММ:СС");
        board.hour = Number<int>(line, parts[0], 0, 23);
        board.minute = Number<int>(line, parts[1], 0, 59);
        board.second = Number<int>(line, parts[2], 0, 59);
    } else if (SameName(line.key, "MaxPayload")) {
        board.maxPayload = Number<std::uint32_t>(line, v, 64, 2u * 1024 * 1024);
    } else if (SameName(line.key, "MaxBlock")) {
        board.maxBlock = Number<std::uint32_t>(line, v, 1, 2u * 1024 * 1024 - 16);
    } else if (SameName(line.key, "StoreLimit")) {
        board.storeLimit = Number<std::uint64_t>(line, v, 0, 1ull << 40);
    } else {
        Bad(line, "неизвестный ключ раздела [Unit]");
    }
}

void ReadVersions(Board &board, const IniFile &file)
{
    std::optional<std::size_t> count;
    for (const auto &line : file.Section("Versions")) {
        if (SameName(line.key, "Count")) {
            count = Number<std::size_t>(line, line.value, 0, 255);
            continue;
        }
        std::size_t position = 0;
        for (std::size_t i = 0; i < kDevicePrograms.size(); ++i) {
            if (SameName(line.key, kDevicePrograms[i].tag))
                position = i + 1;
        }
        if (position == 0)
            position = Number<std::size_t>(line, line.key, 1, 255);
        std::array<std::uint8_t, 2> pair{0, 0};
        if (line.value != "-") {
            if (line.value.size() != 3 || line.value[1] != '.')
                Bad(line, "версия пишется как X.Y (по одному символу) или \"-\"");
            pair = {static_cast<std::uint8_t>(line.value[0]),
                    static_cast<std::uint8_t>(line.value[2])};
        }
        if (board.versions.size() < position)
            board.versions.resize(position, {0, 0});
        board.versions[position - 1] = pair;
    }
    if (count)
        board.versions.resize(*count, {0, 0});
}

void ReadCalibration(Board &board, const IniFile &file)
{
    bool parametersGiven = false;
    for (const auto &line : file.Section("Calibration")) {
        const std::string &v = line.value;
        if (SameName(line.key, "T1") || SameName(line.key, "T2") || SameName(line.key, "T3")) {
            const auto index = static_cast<std::size_t>(line.key[1] - '1');
            board.periods[index] = SameName(v, "none")
                                       ? std::nullopt
                                       : std::optional<float>(Number<float>(line, v, 0.0f, 1e9f));
        } else if (SameName(line.key, "Parameter")) {
            if (!parametersGiven)
                board.parameters.clear();
            parametersGiven = true;
            const auto colon = v.rfind(':');
            if (colon == std::string::npos || colon == 0)
                Bad(line, "параметр пишется как ИМЯ:ЗНАЧЕНИЕ");
            const auto encoded = TryUtf8ToCp1251(v.substr(0, colon));
            if (!encoded || encoded->size() > 255)
                Bad(line,
                    "имя параметра должно быть не длиннее 255 символов кодовой страницы 1251");
            board.parameters.push_back(
                {v.substr(0, colon),
                 Number<float>(line, std::string_view(v).substr(colon + 1), 0.0f, 1e9f)});
        } else if (SameName(line.key, "T0")) {
            board.waitT0 = Sixteen(line);
        } else if (SameName(line.key, "Tinc")) {
            board.waitTinc = Sixteen(line);
        } else {
            Bad(line, "неизвестный ключ раздела [Calibration]");
        }
    }
}

void ReadIdentification(Board &board, const IniFile::Line &line)
{
    if (SameName(line.key, "Wrong")) {
        const auto channels = Channels(line);
        board.wrongContacts = {channels.begin(), channels.end()};
    } else if (SameName(line.key, "AnswerLimit")) {
        board.identificationAnswerLimit = Number<int>(line, line.value, 0, 380);
    } else if (SameName(line.key, "AlwaysStatuses")) {
        board.identificationAlwaysStatuses = Number<int>(line, line.value, 0, 1) == 1;
    } else {
        Bad(line, "неизвестный ключ раздела [Identification]");
    }
}

void ReadCurrents(Board &board, const IniFile &file)
{
    bool suppliesGiven = false;
    for (const auto &line : file.Section("Currents")) {
        if (SameName(line.key, "Supply")) {
            if (!suppliesGiven)
                board.supplies.clear();
            suppliesGiven = true;
            const auto parts = SplitList(line.value, ':');
            if (parts.size() != 3 || parts[0].empty())
                Bad(line, "цепь пишется как ИМЯ:ТОК_мА:ПРЕДЕЛ_мА");
            board.supplies.push_back({parts[0], Number<int>(line, parts[1], 0, 65535),
                                      Number<int>(line, parts[2], 0, 65535)});
        } else if (SameName(line.key, "AlarmAfter")) {
            board.alarmAfterMs = Number<int>(line, line.value, 0, 3600000);
        } else {
            Bad(line, "неизвестный ключ раздела [Currents]");
        }
    }
}

void ReadFaults(FaultPlan &faults, const IniFile::Line &line)
{
    if (SameName(line.key, "Silent")) {
        for (const auto &name : SplitList(line.value, ','))
            faults.silent.insert(Command(line, name));
    } else if (SameName(line.key, "Corrupt")) {
        for (const auto &name : SplitList(line.value, ','))
            faults.corrupt.insert(Command(line, name));
    } else if (SameName(line.key, "CorruptNotify")) {
        for (const auto &name : SplitList(line.value, ','))
            faults.corruptNotify.insert(Command(line, name));
    } else if (SameName(line.key, "Hang")) {
        for (const auto &name : SplitList(line.value, ','))
            faults.hang.insert(Command(line, name));
    } else if (SameName(line.key, "Delay")) {
        faults.delayMs = CommandValues(line, 3600000);
    } else if (SameName(line.key, "Garbage")) {
        faults.garbage = CommandValues(line, 1 << 20);
    } else if (SameName(line.key, "DropAfterBlocks")) {
        faults.dropAfterBlocks = Number<int>(line, line.value, 0, 1 << 30);
    } else if (SameName(line.key, "Times")) {
        faults.times = Number<int>(line, line.value, 0, 1 << 30);
    } else {
        Bad(line, "неизвестный ключ раздела [Faults]");
    }
}

std::set<int> Contacts(const IniFile::Line &line)
{
    std::set<int> contacts;
    for (const auto &piece : SplitList(line.value, ','))
        contacts.insert(Number<int>(line, piece, 1, 192) - 1);
    return contacts;
}

// "A-B,C-D": pairs of two different contacts 1..192.
std::vector<ContactPair> Pairs(const IniFile::Line &line)
{
    std::vector<ContactPair> pairs;
    for (const auto &piece : SplitList(line.value, ',')) {
        const auto dash = piece.find('-');
        if (dash == std::string::npos)
            Bad(line, "пара контактов пишется как A-B");
        const int a = Number<int>(line, piece.substr(0, dash), 1, 192) - 1;
        const int b = Number<int>(line, piece.substr(dash + 1), 1, 192) - 1;
        if (a == b)
            Bad(line, "контакт не может быть замкнут сам на себя");
        pairs.push_back({a, b});
    }
    return pairs;
}

void ReadBehaviour(BoardBehaviour &b, const IniFile::Line &line)
{
    if (SameName(line.key, "TactTime")) {
        b.tactMicros = Number<int>(line, line.value, 0, 10000000);
    } else if (SameName(line.key, "StuckLow")) {
        b.stuckLow = Contacts(line);
    } else if (SameName(line.key, "StuckHigh")) {
        b.stuckHigh = Contacts(line);
    } else if (SameName(line.key, "StuckEvery")) {
        b.stuckEvery = Number<int>(line, line.value, 0, 1000000);
    } else if (SameName(line.key, "BridgedAnd")) {
        b.bridgedAnd = Pairs(line);
    } else if (SameName(line.key, "BridgedOr")) {
        b.bridgedOr = Pairs(line);
    } else if (SameName(line.key, "Swapped")) {
        b.swapped = Pairs(line);
    } else if (SameName(line.key, "FaultEvery")) {
        b.faultEvery = Number<int>(line, line.value, 0, 1000000);
    } else if (SameName(line.key, "MemoryFault")) {
        b.memoryFault = Number<std::uint32_t>(line, line.value, 0, 0xFFFFFF);
    } else if (SameName(line.key, "DataSeed")) {
        b.dataSeed = Number<std::uint32_t>(line, line.value, 0, 0xFFFF);
    } else if (SameName(line.key, "ProgrammingFails")) {
        b.programmingFails = Number<int>(line, line.value, 0, 1) == 1;
    } else if (SameName(line.key, "ProbeContact")) {
        b.probeContact = Number<int>(line, line.value, 1, 192) - 1;
    } else if (SameName(line.key, "ProbeLevels")) {
        if (line.value.find_first_not_of("-_+") != std::string::npos)
            Bad(line, "уровни пишутся символами -, _ и +");
        b.probeLevels = line.value;
    } else {
        Bad(line, "неизвестный ключ раздела [Board]");
    }
}

void ReadScope(ScopeBehaviour &scope, const IniFile::Line &line)
{
    if (SameName(line.key, "Contact")) {
        scope.contact = Number<int>(line, line.value, 1, 192) - 1;
    } else if (SameName(line.key, "SlowReply")) {
        scope.slowMs = Number<int>(line, line.value, 0, 600000);
    } else if (SameName(line.key, "Fault")) {
        static const std::pair<const char *, ScopeFault> kFaults[] = {
            {"none", ScopeFault::None},         {"notrigger", ScopeFault::NoTrigger},
            {"internal", ScopeFault::Internal}, {"status", ScopeFault::Status},
            {"slow", ScopeFault::Slow},
        };
        for (const auto &[name, fault] : kFaults) {
            if (SameName(line.value, name)) {
                scope.fault = fault;
                return;
            }
        }
        Bad(line, "ожидается none, notrigger, internal, status или slow");
    } else {
        Bad(line, "неизвестный ключ раздела [Scope]");
    }
}

void ReadBoard(Board &board, const IniFile &file)
{
    for (const auto &section : file.Sections()) {
        if (SameName(section, "Unit")) {
            for (const auto &line : file.Section(section))
                ReadUnit(board, line);
        } else if (SameName(section, "Versions")) {
            ReadVersions(board, file);
        } else if (SameName(section, "Calibration")) {
            ReadCalibration(board, file);
        } else if (SameName(section, "Identification")) {
            for (const auto &line : file.Section(section))
                ReadIdentification(board, line);
        } else if (SameName(section, "Currents")) {
            ReadCurrents(board, file);
        } else if (SameName(section, "IoCheck")) {
            for (const auto &line : file.Section(section)) {
                if (!SameName(line.key, "Faults"))
                    Bad(line, "неизвестный ключ раздела [IoCheck]");
                board.ioFaults = Channels(line);
            }
        } else if (SameName(section, "Board")) {
            for (const auto &line : file.Section(section))
                ReadBehaviour(board.behaviour, line);
        } else if (SameName(section, "Faults")) {
            for (const auto &line : file.Section(section))
                ReadFaults(board.faults, line);
        } else if (SameName(section, "Scope")) {
            for (const auto &line : file.Section(section))
                ReadScope(board.scope, line);
        } else {
            throw BoardError{"неизвестный раздел [" + section + "]"};
        }
    }
}

} // namespace

std::optional<Board> ParseBoard(std::string_view text, std::string *error)
{
    const auto file = IniFile::Parse(text, error);
    if (!file)
        return std::nullopt;
    Board board = DefaultBoard();
    try {
        ReadBoard(board, *file);
    } catch (const BoardError &e) {
        *error = e.text;
        return std::nullopt;
    }
    return board;
}

std::optional<Board> LoadBoard(const std::string &path, std::string *error)
{
    // Only a regular file of a sane size: a device such as /dev/urandom
    // never ends, a pipe blocks, and a folder must not pass for an empty
    // (healthy) board.
    std::string problem;
    const auto text = qv::ReadInputFile(path, qv::kBoardFileLimit, &problem);
    if (!text) {
        std::error_code missing;
        *error = std::filesystem::exists(path, missing)
                     ? "файл описания платы: " + problem
                     : "файл описания платы \"" + path + "\" не открывается";
        return std::nullopt;
    }
    std::string why;
    auto board = ParseBoard(*text, &why);
    if (!board)
        *error = "файл описания платы \"" + path + "\": " + why;
    return board;
}

} // namespace qv::sim
