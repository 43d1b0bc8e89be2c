#include "model/settings/settings.h"

#include "infra/helpers.h"
#include "model/ini/inistore.h"
#include "model/settings/displaysettings.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <map>

namespace qv {

const std::array<std::string_view, TSettings::kOptionCount> &TSettings::OptionKeys()
{
    static const std::array<std::string_view, kOptionCount> keys = {
        "Отправлять результат при завершении отработки диаграммы в циклическом режиме",
        "Останавливаться при обнаружении ошибки в G - цикле",
        "Останавливаться при обнаружении ошибки в тесте",
        "Включить режим контроля токов",
        "Разрешить изменять комментарии к тесту/файлу",
        "Показывать окно комментариев при открытии файла",
        "Показывать окно комментариев при смене теста",
        "Создавать резервную копию диагностического файла при сохранении",
        "Автоподбор ширины столбцов диаграммы при открытии файла",
        "Выдавать сообщение об окончании выполнения теста",
        "Спрашивать о перезаписи существующего файла данных F/S-функции",
        "Показывать прогоны для О-слов",
    };
    return keys;
}

const std::array<std::string_view, TSettings::kLimitCount> &TSettings::LimitKeys()
{
    static const std::array<std::string_view, kLimitCount> keys = {
        "Максимальное количество шин данных", "Максимальное количество тестов",
        "Максимальное количество слов",       "Максимальное количество функций",
        "Максимальное десятичное число",      "Максимальное количество циклов",
        "Максимальное длина имени контакта",
    };
    return keys;
}

const std::array<std::int32_t, TSettings::kOptionCount> &TSettings::DefaultOptions()
{
    static const std::array<std::int32_t, kOptionCount> values = {1, 1, 1, 1, 0, 1,
                                                                  1, 1, 0, 1, 1, 1};
    return values;
}

const std::array<std::int32_t, TSettings::kLimitCount> &TSettings::DefaultLimits()
{
    static const std::array<std::int32_t, kLimitCount> values = {5, 16, 16, 16, 65535, 16, 8};
    return values;
}

TSettings::TSettings(std::string startDirectory)
    : StartDirectory(std::move(startDirectory))
    , Limits(DefaultLimits())
    , Options(DefaultOptions())
{}

namespace {

// The -1 rule shared by every integer key.
void ReadInteger(const IniStore &store, std::string_view section, std::string_view key,
                 std::int32_t &value)
{
    const auto text = store.Find(section, key);
    if (!text)
        return;
    const auto read = ParseIniInteger(*text);
    if (read && *read != -1)
        value = *read;
}

// A time must be a positive finite number of sane size; any other value
// keeps the default, as a malformed one does.
void ReadTime(const IniStore &store, std::string_view section, std::string_view key, double &value)
{
    constexpr double kMaxTime = 1e6;
    if (const auto text = store.Find(section, key)) {
        if (const auto read = ParseSettingsFloat(*text);
            read && std::isfinite(*read) && *read > 0 && *read <= kMaxTime)
            value = *read;
    }
}

// The position of an "MRU<n>" key, or nullopt for any other key.
std::optional<int> RecentPosition(std::string_view key)
{
    const auto prefix = TSettings::kRecentKeyPrefix;
    if (key.size() <= prefix.size() || !SameTextNoCase(key.substr(0, prefix.size()), prefix))
        return std::nullopt;
    key.remove_prefix(prefix.size());
    int position = 0;
    const auto [end, ec] = std::from_chars(key.data(), key.data() + key.size(), position);
    if (ec != std::errc() || end != key.data() + key.size() || position < 0)
        return std::nullopt;
    return position;
}

} // namespace

void TSettings::Load(const IniStore &store, bool modelW5)
{
    if (modelW5)
        Options[OptCurrentControl] = 0;
    StartDirectory = store.ReadString(kGeneral, kKeyStartDirectory, StartDirectory);
    DataEditor = store.ReadString(kGeneral, kKeyDataEditor, DataEditor);
    Operator = store.ReadString(kResults, kKeyOperator, Operator);
    ResultsDatabase = store.ReadString(kResults, kKeyResultsDatabase, ResultsDatabase);
    std::int32_t askSerial = AskSerial ? 1 : 0;
    ReadInteger(store, kResults, kKeyAskSerial, askSerial);
    AskSerial = askSerial != 0;
    for (int i = 0; i < kOptionCount; ++i)
        ReadInteger(store, kGeneral, OptionKeys()[static_cast<std::size_t>(i)],
                    Options[static_cast<std::size_t>(i)]);
    ReadTime(store, kGeneral, kKeyIoTime, IoTime);
    ReadTime(store, kGeneral, kKeyWaitTime, WaitTime);

    const auto &table = ColourTable();
    for (int i = 0; i < kColourCount; ++i) {
        std::int32_t value = static_cast<std::int32_t>(Colours.Get(i));
        ReadInteger(store, kColours, table[static_cast<std::size_t>(i)].name, value);
        Colours.Set(i, static_cast<std::uint32_t>(value));
    }

    Oscillogram.Load(store);

    for (int i = 0; i < kLimitCount; ++i)
        ReadInteger(store, kLimits, LimitKeys()[static_cast<std::size_t>(i)],
                    Limits[static_cast<std::size_t>(i)]);

    if (!store.SectionExists(kRecentFiles))
        return;
    std::multimap<int, std::string> ordered;
    for (const auto &key : store.ReadSection(kRecentFiles)) {
        if (const auto position = RecentPosition(key))
            ordered.emplace(*position, store.ReadString(kRecentFiles, key, {}));
    }
    RecentFiles.clear();
    for (auto it = ordered.rbegin(); it != ordered.rend(); ++it) {
        if (!it->second.empty())
            AddRecentFile(it->second); // oldest first, so the first key ends on top
    }
}

void TSettings::Save(IniStore &store) const
{
    store.WriteString(kGeneral, kKeyStartDirectory, StartDirectory);
    for (int i = 0; i < kOptionCount; ++i)
        store.WriteInteger(kGeneral, OptionKeys()[static_cast<std::size_t>(i)],
                           Options[static_cast<std::size_t>(i)]);
    store.WriteString(kGeneral, kKeyIoTime, FormatSettingsFloat(IoTime));
    store.WriteString(kGeneral, kKeyWaitTime, FormatSettingsFloat(WaitTime));
    store.WriteString(kGeneral, kKeyDataEditor, DataEditor);

    const auto &table = ColourTable();
    for (int i = 0; i < kColourCount; ++i)
        store.WriteInteger(kColours, table[static_cast<std::size_t>(i)].name, Colours.Get(i));

    Oscillogram.Save(store);

    for (int i = 0; i < kLimitCount; ++i)
        store.WriteInteger(kLimits, LimitKeys()[static_cast<std::size_t>(i)],
                           Limits[static_cast<std::size_t>(i)]);
    store.WriteString(kResults, kKeyOperator, Operator);
    store.WriteString(kResults, kKeyResultsDatabase, ResultsDatabase);
    store.WriteInteger(kResults, kKeyAskSerial, AskSerial ? 1 : 0);

    store.EraseSection(kRecentFiles);
    for (std::size_t i = 0; i < RecentFiles.size() && i < kMaxRecentFiles; ++i)
        store.WriteString(kRecentFiles, std::string(kRecentKeyPrefix) + std::to_string(i + 1),
                          RecentFiles[i]);
}

void TSettings::ApplyTo(SDisplaySettings &display) const
{
    display.Sizes = Limits;
    display.Switches = Options;
    for (int i = 0; i < kColourCount; ++i) {
        const auto value = static_cast<std::int32_t>(Colours.Get(i));
        if (i < kDiagramColourCount)
            display.Colours[static_cast<std::size_t>(i)] = value;
        else
            display.ExtraColours[static_cast<std::size_t>(i - kDiagramColourCount)] = value;
    }
}

void TSettings::TakeFrom(const SDisplaySettings &display)
{
    Limits = display.Sizes;
    Options = display.Switches;
    for (int i = 0; i < kColourCount; ++i) {
        const std::int32_t value =
            i < kDiagramColourCount
                ? display.Colours[static_cast<std::size_t>(i)]
                : display.ExtraColours[static_cast<std::size_t>(i - kDiagramColourCount)];
        Colours.Set(i, static_cast<std::uint32_t>(value));
    }
}

void TSettings::AddRecentFile(const std::string &path)
{
    if (path.empty())
        return;
    std::erase(RecentFiles, path);
    RecentFiles.insert(RecentFiles.begin(), path);
    if (RecentFiles.size() > kMaxRecentFiles)
        RecentFiles.resize(kMaxRecentFiles);
}

std::int32_t TSettings::Option(int index) const
{
    return index >= 0 && index < kOptionCount ? Options[static_cast<std::size_t>(index)] : 0;
}

void TSettings::SetOption(int index, std::int32_t value)
{
    if (index >= 0 && index < kOptionCount)
        Options[static_cast<std::size_t>(index)] = value;
}

bool SystemModelIsW5()
{
    const char *model = std::getenv("QUORVIK_SYSTEM_MODEL");
    return model != nullptr && SameTextNoCase(model, "W5");
}

std::optional<double> ParseSettingsFloat(std::string_view text)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    std::string digits(text);
    std::replace(digits.begin(), digits.end(), ',', '.');
    if (digits.empty() || digits.front() == '+')
        return std::nullopt;
    double value = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value,
                                           std::chars_format::fixed);
    if (ec != std::errc() || end != digits.data() + digits.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::string FormatSettingsFloat(double value)
{
    char buffer[64];
    const auto [end, ec] =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    return ec == std::errc() ? std::string(buffer, end) : std::string("0");
}

} // namespace qv
