#pragma once

// Texts the V-function windows share: the sweep and amplitude choices and
// the info text, stored with CR LF line breaks and edited with "\n".

#include <QString>
#include <QStringList>
#include <string>

namespace qv::functions {

// The 13 sweeps, "1,6 мс" .. "10 c".
QStringList SweepChoices();
// The 4 amplitudes with " В", their decimal comma replaced by `comma`
// ("2,5 В" or "2.5 В").
QStringList AmplitudeChoices(const QString &comma = QStringLiteral(","));

std::string ToStoredLines(const QString &text);
QString FromStoredLines(const std::string &text);

} // namespace qv::functions
