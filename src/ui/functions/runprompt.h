#pragma once

// Whether a run waits in one of its prompts (the function error question,
// the V-function info window). While it does, the function windows refuse
// changes to what the waiting run works on.

namespace qv::functions {

// Marks a prompt as open for its own life; prompts may nest.
class RunPromptScope
{
public:
    RunPromptScope();
    ~RunPromptScope();
    RunPromptScope(const RunPromptScope &) = delete;
    RunPromptScope &operator=(const RunPromptScope &) = delete;
};

bool RunPromptOpen();

// True, after "Выполнение теста не завершено" (error icon), while a
// prompt is open: the caller then leaves its values as they were.
bool RefusedWhileRunPrompt();

} // namespace qv::functions
