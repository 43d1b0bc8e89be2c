#include "model/core/logmarkers.h"
#include "model/core/records.h"
#include "model/ini/inistore.h"
#include "model/test/stest.h"
#include "model/test/testsections.h"
#include "support/model/initext.h"

#include <gtest/gtest.h>

namespace qv {
namespace {

TEST(TestSections, ATestWritesMainThenDescribesEverySectionKindInOrder)
{
    IniStore ini;
    STest test;
    test.Name = "Тест";
    test.Cycles = 3;
    test.StartTact = 2;
    SSaveParam param;
    WriteTestSections(ini, test, param);
    EXPECT_EQ(ini.ToText(), "[MAIN]\r\nNAME=Тест\r\nCYCLE=3\r\nSTART=2\r\n"
                            "[DESC]\r\nMAIN=Основные данные теста\r\n"
                            "DIAGRAMM=Временная диаграмма\r\nIWORDS=Входные слова\r\n"
                            "OWORDS=Выходные слова\r\nGWORDS=G-слова\r\nFFUNCS=F-функции\r\n"
                            "MFUNCS=M-функции\r\nPFUNCS=P-функции\r\nVFUNCS=V-функции\r\n"
                            "SFUNCS=S-функции\r\n[DIAGRAMM]\r\nD1=\r\nD2=\r\n");
    EXPECT_EQ(param.WordKind, 'i');
}

TEST(TestSections, VFunctionsAreReadLastButWrittenBeforeSFunctions)
{
    const auto save = SectionKindsInSaveOrder();
    const auto load = SectionKindsInLoadOrder();
    ASSERT_EQ(save.size(), load.size());
    EXPECT_EQ(save[8].descKey, "VFUNCS");
    EXPECT_EQ(save[9].descKey, "SFUNCS");
    EXPECT_EQ(load[8].descKey, "SFUNCS");
    EXPECT_EQ(load[9].descKey, "VFUNCS");
}

TEST(TestSections, AMalformedFunctionSectionIsLoggedNamingTheTestAndKeepsTheTest)
{
    STest test;
    TestReadContext context;
    context.testIndex = 2;
    std::vector<std::pair<std::string, char>> lines;
    context.addLogLine = [&](const std::string &text, char marker) {
        lines.emplace_back(text, marker);
    };
    ReadTestSections(IniOf("[MAIN]\r\nNAME=t\r\n[MFUNCS1]\r\nADRW=i1\r\n"), test, context);
    EXPECT_EQ(test.Name, "t");
    ASSERT_EQ(test.MFuncs.Count(), 1);
    EXPECT_EQ(test.MFuncs.ByNumber(1)->AdrRead, 0);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].first, "Тест 3. раздел [MFUNCS1], ключ ADRR: значение \"\" не является "
                              "ссылкой на слово (буква и номер)");
    EXPECT_EQ(lines[0].second, kLogWarning);
    EXPECT_EQ(test.LoadProblems.size(), 1u);
}

} // namespace
} // namespace qv
