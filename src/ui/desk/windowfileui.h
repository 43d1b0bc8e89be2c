#pragma once

// Loading and saving as the main window shows them: the wait notice, the
// load/save log window and the file-errors window (both left open beside the
// main window, which owns them) and the password dialog. The save choice is
// answered "not now" until its dialog exists.

#include "model/testfileui.h"

#include <QPointer>

class QLabel;
class QWidget;

namespace qv::desk {

class WindowFileUi : public TestFileUi
{
public:
    explicit WindowFileUi(QWidget *window)
        : m_window(window)
    {}

    void ShowNotice(const std::string &text) override;
    void HideNotice() override;
    void ShowLog(LogKind kind, const std::string &path, const std::string &log) override;
    void ShowFileErrors(const std::string &heading, const std::string &log) override;
    bool AskPassword(PasswordRequest &request) override;
    bool AskSaveChoice(SaveChoiceRequest &request) override;

    // The notice while one is shown; null otherwise.
    QLabel *notice() const;

private:
    QWidget *m_window;
    QPointer<QLabel> m_notice; // created on first use, owned by the window
};

} // namespace qv::desk
