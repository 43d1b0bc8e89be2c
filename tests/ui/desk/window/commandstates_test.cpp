// Which desk commands are enabled and ticked in each state of the desk.

#include "ui/desk/window/commandstates.h"

#include <gtest/gtest.h>
#include <set>
#include <string>
#include <vector>

namespace qv::desk {
namespace {

using C = DeskCommand;

std::string Name(DeskCommand command)
{
    return "command " + std::to_string(static_cast<int>(command));
}

// Every state the flags can describe, with a file or without.
std::vector<DeskState> AllStates()
{
    std::vector<DeskState> states;
    for (int bits = 0; bits < (1 << 8); ++bits) {
        for (ShownView shown : {ShownView::None, ShownView::Diagram, ShownView::Table}) {
            DeskState s;
            s.fileOpen = (bits & 1) != 0;
            s.singleTest = (bits & 2) != 0;
            s.running = (bits & 4) != 0;
            s.solid = (bits & 8) != 0;
            s.debug = (bits & 16) != 0;
            s.probe = (bits & 32) != 0;
            s.cycles = (bits & 64) != 0;
            s.shown = shown;
            states.push_back(s);
        }
    }
    return states;
}

std::set<DeskCommand> Enabled(const DeskState &state)
{
    const CommandStates states(state);
    std::set<DeskCommand> on;
    for (std::size_t i = 0; i < kDeskCommands; ++i)
        if (states.Of(static_cast<DeskCommand>(i)).enabled)
            on.insert(static_cast<DeskCommand>(i));
    return on;
}

// Written out by hand: what an operator with a file and one test has at hand
// in any view, outside debug mode, with no run going.
const std::set<DeskCommand> kFileCommands = {
    C::SaveFile, C::FileInfo, C::Diagram,   C::Table,       C::Comment,     C::Solid,
    C::Debug,    C::Run,      C::RunButton, C::SolidButton, C::DebugButton, C::TyreData,
    C::IWord,    C::OWord,    C::GWord,     C::FuncG,       C::FuncF,       C::FuncM,
    C::FuncP,    C::FuncV,    C::FuncS,     C::ViewCnt,     C::TestInfo,    C::EditQor};

std::set<DeskCommand> With(std::set<DeskCommand> base, std::initializer_list<DeskCommand> more)
{
    base.insert(more);
    return base;
}

std::set<DeskCommand> Without(std::set<DeskCommand> base, std::initializer_list<DeskCommand> less)
{
    for (DeskCommand command : less)
        base.erase(command);
    return base;
}

TEST(CommandStates, EachDeskEnablesExactlyTheCommandsThatApplyToIt)
{
    struct Case
    {
        const char *what;
        DeskState desk;
        std::set<DeskCommand> enabled;
    };
    const auto desk = [](ShownView shown, bool single, bool running, bool debug) {
        DeskState s;
        s.fileOpen = true;
        s.singleTest = single;
        s.running = running;
        s.debug = debug;
        s.shown = shown;
        return s;
    };
    const Case cases[] = {
        {"nothing open", DeskState{}, {}},
        {"the diagram of one test", desk(ShownView::Diagram, true, false, false),
         With(kFileCommands, {C::IncScale, C::DecScale, C::SetScale, C::ScaleMenu})},
        {"the table of one test", desk(ShownView::Table, true, false, false),
         With(kFileCommands, {C::FullTable, C::ParedTable, C::TableFormMenu})},
        {"all tests, no view", desk(ShownView::None, false, false, false),
         Without(kFileCommands, {C::EditQor})},
        {"a run from the diagram", desk(ShownView::Diagram, true, true, false),
         With(Without(kFileCommands, {C::RunButton}),
              {C::IncScale, C::DecScale, C::SetScale, C::ScaleMenu})},
        {"debugging in the table", desk(ShownView::Table, true, false, true),
         With(kFileCommands, {C::FullTable, C::ParedTable, C::TableFormMenu, C::Zond, C::Cycles,
                              C::ZondButton, C::CyclesButton, C::DebugMenu})},
    };
    for (const Case &c : cases)
        EXPECT_EQ(Enabled(c.desk), c.enabled) << c.what;
}

TEST(CommandStates, WithoutAFileNothingIsEnabledAndTheViewsLoseTheirTicks)
{
    for (DeskState state : AllStates()) {
        if (state.fileOpen)
            continue;
        const CommandStates states(state);
        for (std::size_t i = 0; i < kDeskCommands; ++i)
            EXPECT_FALSE(states.Of(static_cast<DeskCommand>(i)).enabled)
                << Name(static_cast<DeskCommand>(i));
        for (DeskCommand view : {C::Diagram, C::Table, C::FullTable, C::ParedTable})
            EXPECT_EQ(states.Of(view).checked, false) << Name(view);
    }
}

TEST(CommandStates, ARunDisablesOnlyTheRunButtonAndEveryOtherCommandStaysAsItWas)
{
    for (DeskState state : AllStates()) {
        if (state.running)
            continue;
        std::set<DeskCommand> idle = Enabled(state);
        state.running = true;
        const std::set<DeskCommand> running = Enabled(state);
        if (state.fileOpen) {
            EXPECT_TRUE(idle.count(C::RunButton));
            // The menu command stays: starting twice is refused by the run itself.
            EXPECT_TRUE(running.count(C::Run));
        }
        idle.erase(C::RunButton);
        EXPECT_EQ(running, idle);
    }
}

TEST(CommandStates, ModeTicksFollowTheDocumentOnMenuAndRunBarAlike)
{
    for (const DeskState &state : AllStates()) {
        const CommandStates states(state);
        const std::pair<bool, std::vector<DeskCommand>> modes[] = {
            {state.solid, {C::Solid, C::SolidButton}},
            {state.debug, {C::Debug, C::DebugButton}},
            {state.probe, {C::Zond, C::ZondButton}},
            {state.cycles, {C::Cycles, C::CyclesButton}}};
        for (const auto &[on, commands] : modes) {
            for (DeskCommand command : commands)
                EXPECT_EQ(states.Of(command).checked, on) << Name(command);
        }
        // With a file open the views keep the ticks the window gave them.
        if (state.fileOpen) {
            EXPECT_FALSE(states.Of(C::Table).checked.has_value());
        }
        // Commands that are no switches are never ticked.
        EXPECT_FALSE(states.Of(C::SaveFile).checked.has_value());
        EXPECT_FALSE(states.Of(C::Run).checked.has_value());
    }
}

TEST(CommandStates, DebugCommandsNeedDebugModeAndTheFileEditorNeedsOneTest)
{
    for (const DeskState &state : AllStates()) {
        const std::set<DeskCommand> on = Enabled(state);
        for (DeskCommand command :
             {C::Zond, C::Cycles, C::ZondButton, C::CyclesButton, C::DebugMenu})
            EXPECT_EQ(on.count(command) == 1, state.fileOpen && state.debug) << Name(command);
        EXPECT_EQ(on.count(C::EditQor) == 1, state.fileOpen && state.singleTest);
    }
}

} // namespace
} // namespace qv::desk
