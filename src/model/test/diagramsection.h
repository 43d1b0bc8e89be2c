#pragma once

// The DIAGRAMM section of a test: the keys of its tact array (TTimeArray)
// and the probe entries of each cycle, keys Z<c> (name and reference
// levels, pairs joined by 0x07) and ZM<c> (one mark character per entry),
// which go into the test's probe arrays.

#include <string_view>

namespace qv {

class IniStore;
struct SSaveParam;
struct STest;

// Reads the section, only when it exists: the tact array, then the probe
// entries of every cycle that has a Z key. A malformed line or mark text is
// reported (ReportMalformedValue) and left out.
void ReadDiagramSection(const IniStore &ini, std::string_view section, STest &test);
// Writes the section. Probe measurements replace references only when the
// save asks for probe data (proberule.h).
void WriteDiagramSection(IniStore &ini, std::string_view section, const STest &test,
                         const SSaveParam *param);

} // namespace qv
