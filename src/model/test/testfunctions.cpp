#include "model/test/testfunctions.h"

#include "model/core/records.h"
#include "model/io/scofile.h"
#include "model/test/funclinks.h"
#include "model/test/stest.h"
#include "model/test/testsections.h"

#include <filesystem>

namespace qv {

void ReadFFunctions(const IniStore &ini, STest &test)
{
    test.FFuncs.LoadFromFile(ini, kFFuncsPrefix, WordLinksOf(test));
}

void ReadMFunctions(const IniStore &ini, STest &test)
{
    test.MFuncs.LoadFromFile(ini, kMFuncsPrefix, WordLinksOf(test));
}

void ReadPFunctions(const IniStore &ini, STest &test)
{
    test.PFuncs.LoadFromFile(ini, kPFuncsPrefix, WordLinksOf(test));
}

void ReadSFunctions(const IniStore &ini, STest &test)
{
    test.SFuncs.LoadFromFile(ini, kSFuncsPrefix);
}

void ReadVFunctions(const IniStore &ini, STest &test, const TestReadContext &context)
{
    // A load starts with the first test: whatever an earlier load left is
    // forgotten, so the oscillogram file is read afresh.
    if (context.testIndex == 0)
        ScoFile().ResetScoState();
    const bool ok =
        test.VFuncs.LoadFromFile(ini, kVFuncsPrefix, context.oscillogramPath, context.testIndex);
    if (!ok && !test.VFuncs.FailureText().empty() && context.showError)
        context.showError(test.VFuncs.FailureText());
}

void WriteFFunctions(IniStore &ini, const STest &test, const SSaveParam *param)
{
    test.FFuncs.SaveToFile(ini, kFFuncsPrefix, param);
}

void WriteMFunctions(IniStore &ini, const STest &test, const SSaveParam *param)
{
    test.MFuncs.SaveToFile(ini, kMFuncsPrefix, param);
}

void WritePFunctions(IniStore &ini, const STest &test, const SSaveParam *param)
{
    test.PFuncs.SaveToFile(ini, kPFuncsPrefix, param);
}

void WriteSFunctions(IniStore &ini, const STest &test, const SSaveParam *param)
{
    test.SFuncs.SaveToFile(ini, kSFuncsPrefix, param);
}

void WriteVFunctions(IniStore &ini, const STest &test, int testIndex, const SSaveParam *param)
{
    // A save starts with the first test: waveforms staged by a save that
    // failed before its oscillogram step must not reach this file.
    if (testIndex == 0)
        ScoFile().ResetScoState();
    test.VFuncs.SaveToFile(ini, kVFuncsPrefix, testIndex, param);
}

void FinishTestFileLoad()
{
    ScoFile().ResetScoState();
}

bool FinishTestFileSave(bool written, const std::string &testFilePath, std::string *error)
{
    if (!written) {
        ScoFile().ResetScoState();
        return true;
    }
    const std::string scoPath =
        std::filesystem::path(testFilePath).replace_extension(".sco").string();
    return ScoFile().WriteScoFile(scoPath, error);
}

void ResetFunctionRunResults(STest &test)
{
    test.FFuncs.ResetRunResults();
    test.MFuncs.ResetRunResults();
    test.PFuncs.ResetRunResults();
    test.SFuncs.ResetRunResults();
}

void RestoreMFunctionRanges(STest &test)
{
    test.MFuncs.RestoreSavedRanges();
}

} // namespace qv
