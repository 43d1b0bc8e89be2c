#pragma once

// The question the unit asks when a function of the running test found
// errors: go on with the test or stop. The record starts with the kind
// (QuestionKind), the 1-based test number and the function's number; the
// rest is the function's own detail.

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace qv {

class TQuorvik;

// The first byte of a question record; the values are the unit's.
enum class QuestionKind : std::uint8_t {
    FFunction = 1,
    MFunction = 2,
    PFunction = 3,
    Nothing = 4,     // asks nothing: no answer
    TestStarted = 5, // names the test the unit now runs; answered at once
};

// The kind of a record's first byte; nullopt for an empty record or a
// byte of no kind.
std::optional<QuestionKind> QuestionKindOf(std::span<const std::uint8_t> record);
// Whether the kind asks about a function (and waits for the operator).
bool AsksAboutFunction(QuestionKind kind);

// The letter of a function question: 'F', 'M' or 'P' ('?' for any other).
char QuestionLetter(QuestionKind kind);
// "Найдены ошибки при отработке M-функции." and the function, then
// "Продолжить выполнение теста?".
std::string UnitQuestionText(const TQuorvik &doc, QuestionKind kind,
                             std::span<const std::uint8_t> record);

} // namespace qv
