#pragma once

// Loading and saving as the main window shows them: logs and file errors in
// message boxes, the read password asked in a small dialog, the save choice
// in its dialog, whose backup option is the setting read and stored through
// the two hooks.

#include "model/testfileui.h"

#include <functional>

class QWidget;

namespace qv::desk {

class WindowFileUi : public TestFileUi
{
public:
    struct BackupSetting
    {
        std::function<bool()> read;
        std::function<void(bool)> store;
    };

    WindowFileUi(QWidget *window, BackupSetting backup)
        : m_window(window)
        , m_backup(std::move(backup))
    {}

    void ShowNotice(const std::string &) override {}
    void HideNotice() override {}
    void ShowLog(LogKind kind, const std::string &path, const std::string &log) override;
    void ShowFileErrors(const std::string &heading, const std::string &log) override;
    bool AskPassword(PasswordRequest &request) override;
    bool AskSaveChoice(SaveChoiceRequest &request) override;

private:
    QWidget *m_window;
    BackupSetting m_backup;
};

} // namespace qv::desk
