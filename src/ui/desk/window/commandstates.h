#pragma once

// Which of the desk's commands are enabled and which are ticked, decided from
// a plain picture of the desk with no widgets in it. The window fills a
// DeskState after every change and applies the answer to its actions and
// buttons (ApplyCommandStates), so the rules can be read and tested here.

#include <array>
#include <cstddef>
#include <optional>

namespace qv::desk {

enum class ShownView { None, Diagram, Table };

struct DeskState
{
    bool fileOpen = false;   // a file with at least one test is loaded
    bool singleTest = false; // one test is chosen, not "все"
    bool running = false;    // "Пуск" is in progress
    ShownView shown = ShownView::None;
    // The document's modes.
    bool solid = false;
    bool debug = false;
    bool probe = false;
    bool cycles = false;
};

// Every command whose state follows the desk. A menu command and its button
// on the run bar are separate entries: they do not always agree.
enum class DeskCommand {
    // "&Файл"
    SaveFile,
    FileInfo,
    // "В&ид"
    Diagram,
    Table,
    Comment,
    FullTable,
    ParedTable,
    TableFormMenu,
    IncScale,
    DecScale,
    SetScale,
    ScaleMenu,
    // "Режимы работы" and the run bar
    Solid,
    Debug,
    Zond,
    Cycles,
    Run,
    RunButton,
    SolidButton,
    DebugButton,
    ZondButton,
    CyclesButton,
    // "&Слова и функции"
    TyreData,
    IWord,
    OWord,
    GWord,
    FuncG,
    FuncF,
    FuncM,
    FuncP,
    FuncV,
    FuncS,
    // "Отладка" (the menu and its entries)
    DebugMenu,
    // "&Инструменты"
    EditQor,
    ViewCnt,
    // The information panel's test list.
    TestInfo,
    Count
};
inline constexpr std::size_t kDeskCommands = static_cast<std::size_t>(DeskCommand::Count);

struct CommandState
{
    bool enabled = false;
    std::optional<bool> checked; // empty: the tick stays as it is
};

class CommandStates
{
public:
    explicit CommandStates(const DeskState &desk);

    const CommandState &Of(DeskCommand command) const
    {
        return m_states[static_cast<std::size_t>(command)];
    }

private:
    std::array<CommandState, kDeskCommands> m_states{};
};

} // namespace qv::desk
