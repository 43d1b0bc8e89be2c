#include "model/test/testsections.h"

#include "model/core/logmarkers.h"
#include "model/ini/inistore.h"
#include "model/ini/sectionvalues.h"
#include "model/test/diagramsection.h"
#include "model/test/stest.h"
#include "model/test/testfitness.h"
#include "model/test/testfunctions.h"

#include <array>

namespace qv {
namespace {

constexpr std::array kSaveOrder = {
    SectionKindInfo{SectionKind::Main, "MAIN", "Основные данные теста"},
    SectionKindInfo{SectionKind::Diagram, "DIAGRAMM", "Временная диаграмма"},
    SectionKindInfo{SectionKind::IWords, "IWORDS", "Входные слова"},
    SectionKindInfo{SectionKind::OWords, "OWORDS", "Выходные слова"},
    SectionKindInfo{SectionKind::GWords, "GWORDS", "G-слова"},
    SectionKindInfo{SectionKind::FFuncs, "FFUNCS", "F-функции"},
    SectionKindInfo{SectionKind::MFuncs, "MFUNCS", "M-функции"},
    SectionKindInfo{SectionKind::PFuncs, "PFUNCS", "P-функции"},
    SectionKindInfo{SectionKind::VFuncs, "VFUNCS", "V-функции"},
    SectionKindInfo{SectionKind::SFuncs, "SFUNCS", "S-функции"},
};

constexpr std::array kLoadOrder = {
    kSaveOrder[0], kSaveOrder[1], kSaveOrder[2], kSaveOrder[3], kSaveOrder[4],
    kSaveOrder[5], kSaveOrder[6], kSaveOrder[7], kSaveOrder[9], kSaveOrder[8],
};

// The sections of one kind. The tact array, word and function models hook
// in here as they are added; until then a kind without a model has no
// sections to read or write.
void ReadKind(SectionKind kind, const IniStore &ini, STest &test, const TestReadContext &context)
{
    switch (kind) {
    case SectionKind::Main:
        ReadMainSection(ini, test);
        break;
    case SectionKind::Diagram:
        ReadDiagramSection(ini, kDiagramSection, test);
        break;
    case SectionKind::IWords:
        test.IWords.Read(ini, test.Cycles);
        break;
    case SectionKind::OWords:
        test.OWords.Read(ini, test.Cycles);
        break;
    case SectionKind::GWords:
        test.GWords.Read(ini, test.Cycles);
        break;
    case SectionKind::FFuncs:
        ReadFFunctions(ini, test);
        break;
    case SectionKind::MFuncs:
        ReadMFunctions(ini, test);
        break;
    case SectionKind::PFuncs:
        ReadPFunctions(ini, test);
        break;
    case SectionKind::SFuncs:
        ReadSFunctions(ini, test);
        break;
    case SectionKind::VFuncs:
        ReadVFunctions(ini, test, context);
        break;
    default:
        break;
    }
}

// param is null for a save without parameters.
void WriteKind(SectionKind kind, IniStore &ini, const STest &test, int testIndex, SSaveParam *param)
{
    switch (kind) {
    case SectionKind::Main:
        WriteMainSection(ini, test);
        break;
    case SectionKind::Diagram:
        WriteDiagramSection(ini, kDiagramSection, test, param);
        break;
    case SectionKind::IWords:
        if (param) {
            param->WordKind = 'i';
        }
        test.IWords.Write(ini, param);
        break;
    case SectionKind::OWords:
        test.OWords.Write(ini, param);
        break;
    case SectionKind::GWords:
        test.GWords.Write(ini, param);
        break;
    case SectionKind::FFuncs:
        WriteFFunctions(ini, test, param);
        break;
    case SectionKind::MFuncs:
        WriteMFunctions(ini, test, param);
        break;
    case SectionKind::PFuncs:
        WritePFunctions(ini, test, param);
        break;
    case SectionKind::VFuncs:
        WriteVFunctions(ini, test, testIndex, param);
        break;
    case SectionKind::SFuncs:
        WriteSFunctions(ini, test, param);
        break;
    default:
        break;
    }
}

} // namespace

std::span<const SectionKindInfo> SectionKindsInSaveOrder()
{
    return kSaveOrder;
}

std::span<const SectionKindInfo> SectionKindsInLoadOrder()
{
    return kLoadOrder;
}

void ReadMainSection(const IniStore &ini, STest &test)
{
    test.Name = ini.ReadString(kMainSection, "NAME", "");
    // Nothing is sized from a count the image could not carry.
    test.Cycles = ReadIntInRange(ini, kMainSection, "CYCLE", 0, 0, kMaxImageCount);
    test.StartTact = ReadIntInRange(ini, kMainSection, "START", 0, 0, kMaxImageCount);
}

void WriteMainSection(IniStore &ini, const STest &test)
{
    ini.WriteString(kMainSection, "NAME", test.Name);
    ini.WriteInteger(kMainSection, "CYCLE", test.Cycles);
    ini.WriteInteger(kMainSection, "START", test.StartTact);
}

void ReadTestSections(const IniStore &ini, STest &test, const TestReadContext &context)
{
    // A malformed value takes its key's default and is logged below; the
    // test is shown, but not run.
    MalformedValues malformed;
    for (const auto &info : SectionKindsInLoadOrder()) {
        ReadKind(info.kind, ini, test, context);
    }
    test.LoadProblems = malformed.Problems();
    FileFacts file;
    file.reservedNames = CompanionFileNames(context.testFilePath, context.contactFilePath);
    file.tyres = context.tyres;
    for (std::string &problem : RunBlockers(test, file)) {
        test.LoadProblems.push_back(std::move(problem));
    }
    if (context.addLogLine) {
        const std::string prefix = "Тест " + std::to_string(context.testIndex + 1) + ". ";
        for (const std::string &problem : test.LoadProblems) {
            context.addLogLine(prefix + problem, kLogWarning);
        }
    }
}

void WriteTestSections(IniStore &ini, const STest &test, SSaveParam &param)
{
    WriteTestSections(ini, test, param.TestIndex, &param);
}

void WriteTestSections(IniStore &ini, const STest &test, int testIndex, SSaveParam *param)
{
    if (param) {
        param->TestIndex = testIndex;
    }
    for (const auto &info : SectionKindsInSaveOrder()) {
        WriteKind(info.kind, ini, test, testIndex, param);
        ini.WriteString(kDescSection, info.descKey, info.descText);
    }
}

} // namespace qv
