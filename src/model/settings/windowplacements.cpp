#include "model/settings/windowplacements.h"

namespace qv {

std::optional<std::string> WindowPlacements::Value(std::string_view window,
                                                   std::string_view key) const
{
    return m_store.Find(window, key);
}

void WindowPlacements::SetValue(std::string_view window, std::string_view key,
                                std::string_view value)
{
    // A line break inside a value would split the entry in the file.
    std::string clean(value);
    std::erase_if(clean, [](char c) { return c == '\r' || c == '\n'; });
    m_store.WriteString(window, key, clean);
}

void WindowPlacements::Forget(std::string_view window)
{
    m_store.EraseSection(window);
}

} // namespace qv
