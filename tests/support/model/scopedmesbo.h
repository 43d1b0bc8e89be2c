#pragma once

// Installs a ScriptedMesbo for the life of a test and gives back the
// previous service afterwards, so a test can look at what the model showed.
// Internal failures are let through again from its start.

#include "infra/mesbo.h"
#include "model/core/modelfailure.h"

#include <memory>

namespace qv {

class ScopedMesbo
{
public:
    ScopedMesbo()
    {
        auto scripted = std::make_unique<ScriptedMesbo>();
        m_scripted = scripted.get();
        m_previous = InstallMesbo(std::move(scripted));
        RestartInternalFailureThrottle();
    }
    ~ScopedMesbo() { InstallMesbo(std::move(m_previous)); }
    ScopedMesbo(const ScopedMesbo &) = delete;
    ScopedMesbo &operator=(const ScopedMesbo &) = delete;

    ScriptedMesbo &operator*() { return *m_scripted; }
    ScriptedMesbo *operator->() { return m_scripted; }

private:
    ScriptedMesbo *m_scripted = nullptr;
    std::unique_ptr<TMesbo> m_previous;
};

} // namespace qv
