#include "model/document/quorvik.h"
#include "model/ini/inistore.h"
#include "model/settings/settings.h"

#include <gtest/gtest.h>

namespace qv {
namespace {

IniStore Parse(std::string_view text)
{
    IniStore store;
    store.FromText(text);
    return store;
}

TEST(Settings, StartAtTheBenchDefaults)
{
    const TSettings s("/opt/bench");
    EXPECT_EQ(s.StartDirectory, "/opt/bench");
    EXPECT_EQ(s.Options, (std::array<std::int32_t, 12>{1, 1, 1, 1, 0, 1, 1, 1, 0, 1, 1, 1}));
    EXPECT_EQ(s.Limits, (std::array<std::int32_t, 7>{5, 16, 16, 16, 65535, 16, 8}));
    EXPECT_DOUBLE_EQ(s.IoTime, 1.5);
    EXPECT_DOUBLE_EQ(s.WaitTime, 0.2723);
    EXPECT_EQ(s.Colours, ViewColours());
    EXPECT_TRUE(s.RecentFiles.empty());
}

TEST(Settings, AnEmptyStoreKeepsEveryDefault)
{
    TSettings s("/opt/bench");
    s.Load(IniStore(), false);
    EXPECT_EQ(s, TSettings("/opt/bench"));
}

TEST(Settings, MinusOneMissingAndMalformedValuesKeepTheCurrentValue)
{
    TSettings s;
    s.Load(Parse("[Общие]\r\n"
                 "Останавливаться при обнаружении ошибки в тесте=-1\r\n"
                 "Автоподбор ширины столбцов диаграммы при открытии файла=да\r\n"
                 "Выдавать сообщение об окончании выполнения теста=0\r\n"
                 "Время выполнения элементарной операции IO=быстро\r\n"
                 "Время выполнения вычисления для ожидания О-слова=0,5\r\n"
                 "[Ограничения]\r\n"
                 "Максимальное количество тестов=-1\r\n"
                 "Максимальное количество слов=12x\r\n"
                 "Максимальное десятичное число=4095\r\n"
                 "[Цвета]\r\n"
                 "Фон таблицы=-1\r\n"
                 "Перо таблицы=\r\n"),
           false);
    EXPECT_EQ(s.Option(TSettings::OptStopOnTestError), 1);
    EXPECT_EQ(s.Option(TSettings::OptFitColumnsOnOpen), 0);
    EXPECT_EQ(s.Option(TSettings::OptRunEndMessage), 0);
    EXPECT_DOUBLE_EQ(s.IoTime, 1.5);
    EXPECT_DOUBLE_EQ(s.WaitTime, 0.5);
    EXPECT_EQ(s.Limits[1], 16);
    EXPECT_EQ(s.Limits[2], 16);
    EXPECT_EQ(s.Limits[4], 4095);
    EXPECT_EQ(s.Colours.Get(ClrTableBackground), ViewColours().Get(ClrTableBackground));
    EXPECT_EQ(s.Colours.Get(ClrTablePen), ViewColours().Get(ClrTablePen));
}

TEST(Settings, ATimingConstantBelowZeroOrNotANumberIsNeverTaken)
{
    TSettings s;
    s.Load(Parse("[Общие]\n"
                 "Время выполнения элементарной операции IO=nan\n"
                 "Время выполнения вычисления для ожидания О-слова="
                 "-0.00014648437500000002\n"),
           false);
    EXPECT_DOUBLE_EQ(s.IoTime, 1.5);
    EXPECT_DOUBLE_EQ(s.WaitTime, 0.2723);
}

TEST(Settings, MinusOneKeepsAValueReadEarlierNotJustTheDefault)
{
    TSettings s;
    s.Load(Parse("[Ограничения]\nМаксимальное количество циклов=32\n"), false);
    s.Load(Parse("[Ограничения]\nМаксимальное количество циклов=-1\n"), false);
    EXPECT_EQ(s.Limits[5], 32);
}

TEST(Settings, WordGeColourOf255IsPureRedAndReachesTheDocument)
{
    TSettings s;
    s.Load(Parse("[Цвета]\nСлово GE=255\n"), false);
    EXPECT_EQ(s.Colours.Get(ClrWordGE), 0x0000FFu);
    EXPECT_EQ(RgbFromBgr(s.Colours.Get(ClrWordGE)), 0xFF0000u);
    EXPECT_EQ(s.Colours.Get(ClrWordGN), ViewColours().Get(ClrWordGN));

    SDisplaySettings display;
    s.ApplyTo(display);
    EXPECT_EQ(display.Colours[ClrWordGE], 255);
    EXPECT_EQ(display.ExtraColours[ClrTableWrongWord - kDiagramColourCount],
              static_cast<std::int32_t>(s.Colours.Get(ClrTableWrongWord)));
}

TEST(Settings, ModelW5TurnsCurrentControlOffUnlessTheFileSaysOtherwise)
{
    TSettings w5;
    w5.Load(IniStore(), true);
    EXPECT_EQ(w5.Option(TSettings::OptCurrentControl), 0);

    TSettings w5WithKey;
    w5WithKey.Load(Parse("[Общие]\nВключить режим контроля токов=1\n"), true);
    EXPECT_EQ(w5WithKey.Option(TSettings::OptCurrentControl), 1);

    TSettings other;
    other.Load(IniStore(), false);
    EXPECT_EQ(other.Option(TSettings::OptCurrentControl), 1);
}

TEST(Settings, SystemModelComesFromTheEnvironment)
{
    ::setenv("QUORVIK_SYSTEM_MODEL", "w5", 1);
    EXPECT_TRUE(SystemModelIsW5());
    ::setenv("QUORVIK_SYSTEM_MODEL", "W7", 1);
    EXPECT_FALSE(SystemModelIsW5());
    ::unsetenv("QUORVIK_SYSTEM_MODEL");
    EXPECT_FALSE(SystemModelIsW5());
}

TEST(Settings, RecentFilesAreReadInKeyOrderAndCappedAtNine)
{
    std::string text = "[Список последних файлов]\n";
    for (int i = 12; i >= 1; --i)
        text += "MRU" + std::to_string(i) + "=/tests/" + std::to_string(i) + ".QOR\n";
    text += "MRU0x=/not/a/position.QOR\nMRU13=\n";
    TSettings s;
    s.Load(Parse(text), false);
    ASSERT_EQ(s.RecentFiles.size(), 9u);
    EXPECT_EQ(s.RecentFiles.front(), "/tests/1.QOR");
    EXPECT_EQ(s.RecentFiles.back(), "/tests/9.QOR");
}

TEST(Settings, OpeningAFileMovesItToTheTopWithoutDuplicates)
{
    TSettings s;
    for (int i = 1; i <= 10; ++i)
        s.AddRecentFile("/t/" + std::to_string(i) + ".QOR");
    ASSERT_EQ(s.RecentFiles.size(), 9u);
    EXPECT_EQ(s.RecentFiles.front(), "/t/10.QOR");
    EXPECT_EQ(s.RecentFiles.back(), "/t/2.QOR");

    s.AddRecentFile("/t/5.QOR");
    EXPECT_EQ(s.RecentFiles.size(), 9u);
    EXPECT_EQ(s.RecentFiles.front(), "/t/5.QOR");
    EXPECT_EQ(std::count(s.RecentFiles.begin(), s.RecentFiles.end(), "/t/5.QOR"), 1);
}

TEST(Settings, OscillogramColoursOutsideTwentyFourBitsKeepTheTraceDefaults)
{
    TSettings s;
    s.Load(Parse("[Осциллограммы]\nFile=16777216\nCurrent=-5\n"), false);
    EXPECT_EQ(s.Oscillogram, OscillogramColours{});
    s.Load(Parse("[Осциллограммы]\nFile=16711680\n"), false);
    EXPECT_EQ(s.Oscillogram.File, 0xFF0000u);
    EXPECT_EQ(s.Oscillogram.Current, 0x00FFFFu);
}

TEST(Settings, SavedValuesReadBackEqual)
{
    TSettings s("/data/tests");
    s.SetOption(TSettings::OptAllowCommentEdit, 1);
    s.SetOption(TSettings::OptWaitsAsTimes, 0);
    s.IoTime = 2.125;
    s.WaitTime = 0.0001;
    s.Limits[0] = 7;
    s.Colours.Set(ClrDebugTact, 0x123456);
    s.Oscillogram.Current = 0x0000FF;
    s.AddRecentFile("/data/tests/a.QOR");
    s.AddRecentFile("/data/tests/b.QOR");
    s.Operator = "Петров";
    s.ResultsDatabase = "postgresql://bench@db/results";
    s.AskSerial = true;

    IniStore store;
    s.Save(store);
    EXPECT_EQ(store.ReadSections(),
              (std::vector<std::string>{"Общие", "Цвета", "Осциллограммы", "Ограничения",
                                        "Результаты", "Список последних файлов"}));
    EXPECT_EQ(store.ReadString("Результаты", "Оператор", ""), "Петров");
    EXPECT_EQ(store.ReadInteger("Результаты", "Спрашивать заводской номер платы", 0), 1);
    TSettings results;
    results.Load(store, false);
    EXPECT_EQ(results.ResultsDatabase, "postgresql://bench@db/results");
    EXPECT_TRUE(results.AskSerial);
    EXPECT_EQ(store.ReadInteger("Осциллограммы", "Current", 0), 255);
    EXPECT_EQ(store.ReadString("Список последних файлов", "MRU1", ""), "/data/tests/b.QOR");
    EXPECT_EQ(store.ReadString("Общие", "Время выполнения вычисления для ожидания О-слова", ""),
              "0.0001");

    TSettings back;
    back.Load(store, false);
    EXPECT_EQ(back, s);
}

TEST(Settings, SavingDropsRecentEntriesThatWereRemoved)
{
    TSettings s;
    s.AddRecentFile("/a.QOR");
    s.AddRecentFile("/b.QOR");
    IniStore store;
    s.Save(store);
    s.RecentFiles = {"/c.QOR"};
    s.Save(store);
    EXPECT_EQ(store.ReadSection("Список последних файлов"), std::vector<std::string>{"MRU1"});
}

TEST(Settings, TheDocumentBlockCarriesLimitsOptionsAndColoursBothWays)
{
    TSettings s;
    s.Limits[6] = 12;
    s.SetOption(TSettings::OptBackupOnSave, 0);
    s.Colours.Set(ClrInputWord, 0xABCDEF);
    SDisplaySettings display;
    s.ApplyTo(display);
    EXPECT_EQ(display.Sizes[6], 12);
    EXPECT_EQ(display.Switches[TSettings::OptBackupOnSave], 0);

    TSettings back;
    back.TakeFrom(display);
    EXPECT_EQ(back.Limits, s.Limits);
    EXPECT_EQ(back.Options, s.Options);
    EXPECT_EQ(back.Colours, s.Colours);
}

TEST(Settings, FloatsAcceptEitherSeparatorAndRefuseJunk)
{
    EXPECT_DOUBLE_EQ(ParseSettingsFloat("1,75").value(), 1.75);
    EXPECT_DOUBLE_EQ(ParseSettingsFloat(" 0.2723 ").value(), 0.2723);
    EXPECT_FALSE(ParseSettingsFloat(""));
    EXPECT_FALSE(ParseSettingsFloat("1.5мкс"));
    EXPECT_FALSE(ParseSettingsFloat("nan"));
    EXPECT_EQ(FormatSettingsFloat(1.5), "1.5");
    EXPECT_EQ(FormatSettingsFloat(0.2723), "0.2723");
}

} // namespace
} // namespace qv
