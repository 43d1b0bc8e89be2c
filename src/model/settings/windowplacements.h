#pragma once

// WindowPlacements: the placement file of the windows (".ini"). One section
// per window name; each holds text values under keys of the window's
// choosing. The window layer stores its binary state (geometry, tool bar
// positions) as hex or base64 text under the keys below.

#include "model/ini/inistore.h"

#include <optional>
#include <string>
#include <string_view>

namespace qv {

class WindowPlacements
{
public:
    static constexpr std::string_view kGeometry = "Geometry";
    static constexpr std::string_view kToolBars = "ToolBars";

    std::optional<std::string> Value(std::string_view window, std::string_view key) const;
    void SetValue(std::string_view window, std::string_view key, std::string_view value);
    void Forget(std::string_view window);

    std::optional<std::string> Geometry(std::string_view window) const
    {
        return Value(window, kGeometry);
    }
    void SetGeometry(std::string_view window, std::string_view text)
    {
        SetValue(window, kGeometry, text);
    }
    std::optional<std::string> ToolBarState(std::string_view window) const
    {
        return Value(window, kToolBars);
    }
    void SetToolBarState(std::string_view window, std::string_view text)
    {
        SetValue(window, kToolBars, text);
    }

    const IniStore &Store() const { return m_store; }
    void SetStore(IniStore store) { m_store = std::move(store); }

private:
    IniStore m_store;
};

} // namespace qv
