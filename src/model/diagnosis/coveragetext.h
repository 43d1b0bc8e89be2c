#pragma once

// The fault coverage in the operator's words and in JSON.

#include "model/diagnosis/coverage.h"
#include "model/diagnosis/diagnosistext.h"

#include <string>
#include <vector>

namespace qv::diagnosis {

// "обнаруживается 87 % одиночных неисправностей (52 из 60)".
std::string CoverageTotalText(const Coverage &coverage);
// One line per contact: "контакт 1 «D0» (чтение, управление): постоянно 0 —
// да, постоянно 1 — да; замыкание с 2 «D1»: И — да, ИЛИ — нет".
std::string ContactCoverageText(const ContactCoverage &contact, ContactNames names);
// "Не видны ни одному тесту: контакт 9 «A0», ..." or, when every contact
// shows some fault, "Каждый контакт виден хотя бы одному тесту".
std::string BlindText(const Coverage &coverage, ContactNames names);
// The whole table: a line per contact, the total, the blind contacts.
std::vector<std::string> CoverageLines(const Coverage &coverage, ContactNames names);
std::string CoverageJson(const Coverage &coverage, ContactNames names);

} // namespace qv::diagnosis
