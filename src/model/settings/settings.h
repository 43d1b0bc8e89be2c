#pragma once

// TSettings: every value of the settings file except the tester port's own
// keys, which the port object reads and writes itself (TCP::LoadSettings).
//
// The object starts at the defaults. Reading follows one rule for every
// integer key: a missing key, a value that is not a number, or -1 keeps the
// current value. Texts and the two floating values keep the current value
// when missing (or, for the floats, malformed).
//
// The document keeps its own copy of the colours, limits and options (its
// display block); ApplyTo and TakeFrom move them across.

#include "model/settings/displaycolours.h"
#include "model/settings/oscillogramcolours.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

class IniStore;
struct SDisplaySettings;

class TSettings
{
public:
    static constexpr std::string_view kGeneral = "Общие";
    static constexpr std::string_view kColours = "Цвета";
    static constexpr std::string_view kLimits = "Ограничения";
    static constexpr std::string_view kRecentFiles = "Список последних файлов";
    static constexpr std::string_view kRecentKeyPrefix = "MRU";

    static constexpr std::string_view kKeyStartDirectory = "Директория запуска";
    static constexpr std::string_view kKeyIoTime = "Время выполнения элементарной операции IO";
    static constexpr std::string_view kKeyWaitTime =
        "Время выполнения вычисления для ожидания О-слова";
    static constexpr std::string_view kKeyDataEditor = "Редактор данных";
    // Where and under whose name the runs are recorded.
    static constexpr std::string_view kResults = "Результаты";
    static constexpr std::string_view kKeyOperator = "Оператор";
    static constexpr std::string_view kKeyResultsDatabase = "База результатов";
    static constexpr std::string_view kKeyAskSerial = "Спрашивать заводской номер платы";

    // Options 0..11: the eleven flags of the page "Общие", then the way wait
    // results are shown (0 pass counts, 1 times).
    enum Option : int {
        OptSendResultInLoop = 0,
        OptStopOnGCycleError = 1,
        OptStopOnTestError = 2,
        OptCurrentControl = 3,
        OptAllowCommentEdit = 4,
        OptCommentsOnOpen = 5,
        OptCommentsOnTestChange = 6,
        OptBackupOnSave = 7,
        OptFitColumnsOnOpen = 8,
        OptRunEndMessage = 9,
        OptAskOverwriteData = 10,
        OptWaitsAsTimes = 11,
    };
    static constexpr int kOptionCount = 12;
    static constexpr int kLimitCount = 7;
    static constexpr std::size_t kMaxRecentFiles = 9;

    static const std::array<std::string_view, kOptionCount> &OptionKeys();
    static const std::array<std::string_view, kLimitCount> &LimitKeys();
    static const std::array<std::int32_t, kOptionCount> &DefaultOptions();
    static const std::array<std::int32_t, kLimitCount> &DefaultLimits();

    // The defaults; the start directory is the executable's folder.
    explicit TSettings(std::string startDirectory = {});

    // modelW5: the bench is of the model without current control; then the
    // current-control option defaults to 0 (before the keys are read).
    void Load(const IniStore &store, bool modelW5);
    // Writes the sections in the file's order; the recent-files section is
    // rewritten whole.
    void Save(IniStore &store) const;

    void ApplyTo(SDisplaySettings &display) const;
    void TakeFrom(const SDisplaySettings &display);

    // A path opened by the operator goes to the top of the list; an earlier
    // entry of the same path is removed and the list keeps at most nine.
    void AddRecentFile(const std::string &path);

    std::int32_t Option(int index) const; // 0 out of range
    void SetOption(int index, std::int32_t value);

    std::string StartDirectory;
    // The data editor's command line (the file's path is added after it);
    // empty: the first installed one found.
    std::string DataEditor;
    // The operator named in the run records; empty: the system's user.
    std::string Operator;
    // The results database (a SQLite file or postgresql://...); empty: the
    // embedded default. Never a password: that stays in ~/.pgpass.
    std::string ResultsDatabase;
    // Whether "Пуск" asks for the board's serial number first.
    bool AskSerial = false;
    double IoTime = 1.5;
    double WaitTime = 0.2723;
    ViewColours Colours;
    OscillogramColours Oscillogram;
    std::array<std::int32_t, kLimitCount> Limits{};
    std::array<std::int32_t, kOptionCount> Options{};
    std::vector<std::string> RecentFiles; // most recent first

    friend bool operator==(const TSettings &, const TSettings &) = default;
};

// Whether this bench is of the model without current control. There is no
// system registry here: the environment variable QUORVIK_SYSTEM_MODEL names
// the model ("W5" in any letter case); unset or anything else means a
// model with current control.
bool SystemModelIsW5();

// A floating settings value: decimal with '.' or ',' as the separator.
std::optional<double> ParseSettingsFloat(std::string_view text);
// The text written for a floating value: shortest form that reads back the
// same, with '.' as the separator.
std::string FormatSettingsFloat(double value);

} // namespace qv
