#pragma once

// "Закрыть вторичные окна": before a file is opened and before the test
// editor runs, every visible window with a caption closes except the main
// window and the windows that stay (the remote window marks itself with
// SetStaysOnReset).

class QWidget;

namespace qv::services {

// Closes every visible top-level window with a caption other than `main`
// and the windows marked to stay.
void CloseSecondaryWindows(const QWidget *main);

// Marks a window to survive CloseSecondaryWindows.
void SetStaysOnReset(QWidget &window, bool stays = true);

} // namespace qv::services
