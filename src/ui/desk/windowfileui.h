#pragma once

// Loading and saving as the main window shows them: logs and file errors in
// message boxes, the read password asked in a small dialog, the save choice
// answered "not now" until its dialog exists.

#include "model/testfileui.h"

class QWidget;

namespace qv::desk {

class WindowFileUi : public TestFileUi
{
public:
    explicit WindowFileUi(QWidget *window)
        : m_window(window)
    {}

    void ShowNotice(const std::string &) override {}
    void HideNotice() override {}
    void ShowLog(LogKind kind, const std::string &path, const std::string &log) override;
    void ShowFileErrors(const std::string &heading, const std::string &log) override;
    bool AskPassword(PasswordRequest &request) override;
    bool AskSaveChoice(SaveChoiceRequest &request) override;

private:
    QWidget *m_window;
};

} // namespace qv::desk
