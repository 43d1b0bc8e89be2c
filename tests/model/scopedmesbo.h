#pragma once

// Installs a ScriptedMesbo for the life of a test and gives back what it
// showed.

#include "infra/mesbo.h"

#include <memory>
#include <string>
#include <vector>

namespace qv::testing {

class ScopedMesbo
{
public:
    ScopedMesbo()
    {
        auto box = std::make_unique<ScriptedMesbo>();
        m_box = box.get();
        m_previous = InstallMesbo(std::move(box));
    }
    ~ScopedMesbo() { InstallMesbo(std::move(m_previous)); }
    ScopedMesbo(const ScopedMesbo &) = delete;
    ScopedMesbo &operator=(const ScopedMesbo &) = delete;

    std::vector<ScriptedMesbo::Shown> Shown() const { return m_box->ShownMessages(); }
    std::vector<std::string> Texts() const
    {
        std::vector<std::string> texts;
        for (const auto &shown : m_box->ShownMessages())
            texts.push_back(shown.text);
        return texts;
    }

private:
    ScriptedMesbo *m_box = nullptr;
    std::unique_ptr<TMesbo> m_previous;
};

} // namespace qv::testing
