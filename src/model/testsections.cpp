#include "model/testsections.h"

#include "model/inistore.h"

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
    (void)context;
    switch (kind) {
    case SectionKind::Main:
        ReadMainSection(ini, test);
        break;
    default:
        break;
    }
}

void WriteKind(SectionKind kind, IniStore &ini, const STest &test, SSaveParam &param)
{
    switch (kind) {
    case SectionKind::Main:
        WriteMainSection(ini, test);
        break;
    case SectionKind::IWords:
        param.WordKind = 'i';
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
    test.Cycles = ini.ReadInteger(kMainSection, "CYCLE", 0);
    test.StartTact = ini.ReadInteger(kMainSection, "START", 0);
}

void WriteMainSection(IniStore &ini, const STest &test)
{
    ini.WriteString(kMainSection, "NAME", test.Name);
    ini.WriteInteger(kMainSection, "CYCLE", test.Cycles);
    ini.WriteInteger(kMainSection, "START", test.StartTact);
}

void ReadTestSections(const IniStore &ini, STest &test, const TestReadContext &context)
{
    for (const auto &info : SectionKindsInLoadOrder()) {
        ReadKind(info.kind, ini, test, context);
    }
}

void WriteTestSections(IniStore &ini, const STest &test, SSaveParam &param)
{
    for (const auto &info : SectionKindsInSaveOrder()) {
        WriteKind(info.kind, ini, test, param);
        ini.WriteString(kDescSection, info.descKey, info.descText);
    }
}

} // namespace qv
