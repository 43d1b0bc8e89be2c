#pragma once

// Where each desk command's state lands in the main window: its action, its
// run bar button, its menu or the information panel's test-list button.

namespace qv::desk {

class CommandStates;
class InfoPanel;
class RunBar;
struct MainActions;

void ApplyCommandStates(const CommandStates &states, const MainActions &actions, RunBar &bar,
                        InfoPanel &info);

} // namespace qv::desk
