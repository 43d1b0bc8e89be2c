#pragma once

// The diagnosis in the operator's words and in its JSON form. Contact
// names come from the contact file (index 0 = contact 1; "" = unnamed).

#include "model/diagnosis/diagnosis.h"

#include <span>
#include <string>

namespace qv::diagnosis {

using ContactNames = std::span<const std::string>;

// "контакт 1 «D0»"; an unnamed contact: "контакт 1".
std::string ContactText(int contact, ContactNames names);
// "контакт 1 «D0» — постоянно 1", "контакты 1 «D0» и 2 «D1» — замыкание (И)".
std::string FaultText(const Fault &fault, ContactNames names);
// The line of a hypothesis: the fault, ", объясняет 2 ошибки" and, for an
// intermittent one, ", нестабильно: 3 из 10 прогонов".
std::string HypothesisText(const Diagnosis &diagnosis, const Hypothesis &h, ContactNames names);
// "неотличимо от: контакты 1 «D0» и 9 «A0» — замыкание (ИЛИ); ..."; "" when
// the test tells the hypothesis from every other fault.
std::string EquivalentsText(const Hypothesis &h, ContactNames names);
// "обрыв или замыкание на питание" for a contact read high (the unit's
// inputs read an open contact as 1); "" for other faults.
std::string_view FaultNote(const Fault &fault);
// The console lines: "Диагноз: " + the hypothesis, one each (followed by
// "  " + its equivalents when `equivalents` and it has any), then the
// unexplained wrong bits; none for an empty diagnosis.
std::vector<std::string> DiagnosisLines(const Diagnosis &diagnosis, ContactNames names,
                                        bool equivalents = true);
// The lines of the hypotheses (and unexplained bits) that concern one
// test, without equivalents.
std::vector<std::string> DiagnosisLinesOfTest(const Diagnosis &diagnosis, int test,
                                              ContactNames names);

// [{"kind": "stuck-high", "contacts": [1], "names": ["D0"], "explains": 2,
//   "passes": [1], "equivalents": [{"kind": ..., "contacts": [...]}]}, ...]
std::string DiagnosisJson(const Diagnosis &diagnosis, ContactNames names);
// A JSON string literal, quotes included.
std::string JsonText(std::string_view text);

} // namespace qv::diagnosis
