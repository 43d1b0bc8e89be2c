#pragma once

#include "infra/mesbo.h"

class QWidget;

namespace qv {

// The window implementation of the message-box service: a modal QMessageBox
// with the icon and buttons of the flag word. Callable from any thread; a call
// from a worker thread blocks until the operator answers on the GUI thread.
class QtMesbo : public TMesbo
{
public:
    // parentProvider may return nullptr (the box is then application-modal).
    explicit QtMesbo(QWidget *(*parentProvider)() = nullptr);

    int Show(const std::string &text, int flags, const std::string &caption) override;

private:
    int ShowOnGuiThread(const std::string &text, int flags, const std::string &caption);

    QWidget *(*m_parentProvider)();
};

} // namespace qv
