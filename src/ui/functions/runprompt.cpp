#include "ui/functions/runprompt.h"

#include "infra/mesbo.h"
#include "infra/version.h"

#include <atomic>

namespace qv::functions {
namespace {

std::atomic<int> g_openPrompts{0};

} // namespace

RunPromptScope::RunPromptScope()
{
    ++g_openPrompts;
}

RunPromptScope::~RunPromptScope()
{
    --g_openPrompts;
}

bool RunPromptOpen()
{
    return g_openPrompts.load() > 0;
}

bool RefusedWhileRunPrompt()
{
    if (!RunPromptOpen())
        return false;
    Mesbo().Show("Выполнение теста не завершено", MbError, kProductName);
    return true;
}

} // namespace qv::functions
