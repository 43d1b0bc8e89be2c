#pragma once

// The function side of a test: reading and writing the function sections
// of each kind, the run-result reset and the debug-mode range restore the
// document applies to every test, and the oscillogram file steps that
// surround a whole load or save.

#include <string>
#include <string_view>

namespace qv {

class IniStore;
struct SSaveParam;
struct STest;
struct TestReadContext;

// Section name stems.
inline constexpr std::string_view kFFuncsPrefix = "FFUNCS";
inline constexpr std::string_view kMFuncsPrefix = "MFUNCS";
inline constexpr std::string_view kPFuncsPrefix = "PFUNCS";
inline constexpr std::string_view kVFuncsPrefix = "VFUNCS";
inline constexpr std::string_view kSFuncsPrefix = "SFUNCS";

// F-, M-, P- and S-sections. A malformed value is reported
// (ReportMalformedValue) and read as its default.
void ReadFFunctions(const IniStore &ini, STest &test);
void ReadMFunctions(const IniStore &ini, STest &test);
void ReadPFunctions(const IniStore &ini, STest &test);
void ReadSFunctions(const IniStore &ini, STest &test);
// V-sections, read last. A failure to read the oscillogram file is shown
// once through context.showError and does not stop the load. The first
// test of a load starts from a fresh oscillogram state.
void ReadVFunctions(const IniStore &ini, STest &test, const TestReadContext &context);

// param is null for a save without parameters (the values read from the
// file are written).
void WriteFFunctions(IniStore &ini, const STest &test, const SSaveParam *param);
void WriteMFunctions(IniStore &ini, const STest &test, const SSaveParam *param);
void WritePFunctions(IniStore &ini, const STest &test, const SSaveParam *param);
void WriteSFunctions(IniStore &ini, const STest &test, const SSaveParam *param);
// The first test of a save (testIndex 0) starts from an empty staging buffer.
void WriteVFunctions(IniStore &ini, const STest &test, int testIndex, const SSaveParam *param);

// The container's steps around a whole operation. After a load (whether it
// succeeded or not) the oscillogram records read are released. After a save
// the staged waveforms are written beside the test file (extension ".sco")
// when the test file was written, and dropped otherwise; false (with the
// reason in *error) when the oscillogram file could not be written.
void FinishTestFileLoad();
bool FinishTestFileSave(bool written, const std::string &testFilePath,
                        std::string *error = nullptr);

// Run results of the F-, M-, P- and S-functions of a test are forgotten.
void ResetFunctionRunResults(STest &test);
// Leaving debug mode: every M-function's working range returns to the one
// stored in the file.
void RestoreMFunctionRanges(STest &test);

} // namespace qv
