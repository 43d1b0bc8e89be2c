#pragma once

// The port's text for a unit that did not answer a command in time. Also
// used by windows that wait for an answer in slices of their own and give up
// after the port's time-out: the operator reads the same words either way.

#include <string>

namespace qv {

// "Блок диагностики не ответил на команду NAME за MS мс"; code 0 (any
// command) leaves the command out.
std::string NoAnswerText(int code, long long milliseconds);

} // namespace qv
