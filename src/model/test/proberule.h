#pragma once

// When a probe measurement becomes the reference of its entry (see
// diagramsection.cpp for the rule): only a debug save that asks for probe data
// writes measurements, only of the test and cycle chosen, and only those of
// a switched-on entry judged against TTL or DTL thresholds.

namespace qv {

struct SSaveParam;
struct SZond;

// Whether the save lets probe measurements of cycle `cycle` of the test
// being written (param->TestIndex) replace references.
bool MeasurementsMayReplace(const SSaveParam *param, int cycle);
// Whether an entry's measurement may stand for its reference.
bool MeasurementReplaces(const SZond &entry);

} // namespace qv
