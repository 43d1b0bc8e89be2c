#include "ui/desk/window/commandtargets.h"

#include "ui/desk/infopanel.h"
#include "ui/desk/mainactions.h"
#include "ui/desk/runbar.h"
#include "ui/desk/window/commandstates.h"

#include <QAction>
#include <QMenu>
#include <QToolButton>
#include <utility>

namespace qv::desk {
namespace {

template <typename Target>
void Apply(Target *target, const CommandState &state)
{
    target->setEnabled(state.enabled);
    if (state.checked)
        target->setChecked(*state.checked);
}

} // namespace

void ApplyCommandStates(const CommandStates &states, const MainActions &a, RunBar &bar,
                        InfoPanel &info)
{
    using C = DeskCommand;
    const std::pair<DeskCommand, QAction *> actions[] = {
        {C::SaveFile, a.saveFile},
        {C::FileInfo, a.fileInfo},
        {C::Diagram, a.diagramm},
        {C::Table, a.table},
        {C::Comment, a.comment},
        {C::FullTable, a.fullTable},
        {C::ParedTable, a.paredTable},
        {C::IncScale, a.incScale},
        {C::DecScale, a.decScale},
        {C::SetScale, a.setScale},
        {C::Solid, a.solidTest},
        {C::Debug, a.debug},
        {C::Zond, a.zond},
        {C::Cycles, a.cycles},
        {C::Run, a.pusk},
        {C::TyreData, a.tyreData},
        {C::IWord, a.iWord},
        {C::OWord, a.oWord},
        {C::GWord, a.gWord},
        {C::FuncG, a.funcG},
        {C::FuncF, a.funcF},
        {C::FuncM, a.funcM},
        {C::FuncP, a.funcP},
        {C::FuncV, a.funcV},
        {C::FuncS, a.funcS},
        {C::EditQor, a.editQor},
        {C::ViewCnt, a.viewCnt},
        // The "Отладка" entry of the main menu goes with its menu.
        {C::DebugMenu, a.debugMenu->menuAction()}};
    const std::pair<DeskCommand, QToolButton *> buttons[] = {{C::RunButton, bar.Pusk()},
                                                             {C::SolidButton, bar.Solid()},
                                                             {C::DebugButton, bar.Debug()},
                                                             {C::ZondButton, bar.Zond()},
                                                             {C::CyclesButton, bar.Cycles()}};
    const std::pair<DeskCommand, QMenu *> menus[] = {{C::TableFormMenu, a.tableFormMenu},
                                                     {C::ScaleMenu, a.scaleMenu},
                                                     {C::DebugMenu, a.debugMenu}};
    for (const auto &[command, action] : actions)
        Apply(action, states.Of(command));
    for (const auto &[command, button] : buttons)
        Apply(button, states.Of(command));
    for (const auto &[command, menu] : menus)
        menu->setEnabled(states.Of(command).enabled);
    info.SetTestInfoEnabled(states.Of(C::TestInfo).enabled);
}

} // namespace qv::desk
