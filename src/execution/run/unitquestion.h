#pragma once

// The question the unit asks when a function of the running test found
// errors: go on with the test or stop. The record starts with the kind
// (1 F-, 2 M-, 3 P-function), the 1-based test number and the function's
// number; the rest is the function's own detail.

#include <cstdint>
#include <span>
#include <string>

namespace qv {

class TQuorvik;

// The letter of a question kind: 'F', 'M' or 'P' ('?' for any other).
char QuestionLetter(int kind);
// "Найдены ошибки при отработке M-функции." and the function, then
// "Продолжить выполнение теста?".
std::string UnitQuestionText(const TQuorvik &doc, int kind, std::span<const std::uint8_t> record);

} // namespace qv
