#include "ui/desk/window/commandstates.h"

namespace qv::desk {
namespace {

using C = DeskCommand;

// What a file alone makes available: everything that reads or edits the
// document, whatever is shown.
constexpr DeskCommand kWithFile[] = {
    C::SaveFile, C::FileInfo, C::Diagram,     C::Table,      C::Comment, C::Solid,
    C::Debug,    C::Run,      C::TyreData,    C::IWord,      C::OWord,   C::GWord,
    C::FuncG,    C::FuncF,    C::FuncM,       C::FuncP,      C::FuncV,   C::FuncS,
    C::ViewCnt,  C::TestInfo, C::SolidButton, C::DebugButton};
constexpr DeskCommand kTableForms[] = {C::FullTable, C::ParedTable, C::TableFormMenu};
constexpr DeskCommand kScale[] = {C::IncScale, C::DecScale, C::SetScale, C::ScaleMenu};
constexpr DeskCommand kDebugOnly[] = {C::Zond, C::Cycles, C::ZondButton, C::CyclesButton,
                                      C::DebugMenu};
// The view commands lose their ticks when the file goes.
constexpr DeskCommand kViewTicks[] = {C::Diagram, C::Table, C::FullTable, C::ParedTable};

} // namespace

CommandStates::CommandStates(const DeskState &desk)
{
    const auto at = [this](DeskCommand command) -> CommandState & {
        return m_states[static_cast<std::size_t>(command)];
    };
    const auto enable = [&at](const auto &commands, bool on) {
        for (DeskCommand command : commands)
            at(command).enabled = on;
    };
    const bool file = desk.fileOpen;
    enable(kWithFile, file);
    enable(kTableForms, file && desk.shown == ShownView::Table);
    enable(kScale, file && desk.shown == ShownView::Diagram);
    enable(kDebugOnly, file && desk.debug);
    at(C::RunButton).enabled = file && !desk.running;
    at(C::EditQor).enabled = file && desk.singleTest;

    // The modes' ticks follow the document, with or without a file.
    at(C::Solid).checked = at(C::SolidButton).checked = desk.solid;
    at(C::Debug).checked = at(C::DebugButton).checked = desk.debug;
    at(C::Zond).checked = at(C::ZondButton).checked = desk.probe;
    at(C::Cycles).checked = at(C::CyclesButton).checked = desk.cycles;
    if (!file) {
        for (DeskCommand command : kViewTicks)
            at(command).checked = false;
    }
}

} // namespace qv::desk
