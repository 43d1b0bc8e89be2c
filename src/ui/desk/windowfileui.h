#pragma once

// Loading and saving as the main window shows them: the wait notice, the
// load/save log window and the file-errors window (both left open beside the
// main window, which owns them), the password dialog, and the save choice in
// its dialog, whose backup option is the setting read and stored through the
// two hooks.

#include "model/file/testfileui.h"

#include <QPointer>
#include <functional>

class QLabel;
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

    void ShowNotice(const std::string &text) override;
    void HideNotice() override;
    void ShowLog(LogKind kind, const std::string &path, const std::string &log) override;
    void ShowFileErrors(const std::string &heading, const std::string &log) override;
    bool AskPassword(PasswordRequest &request) override;
    bool AskSaveChoice(SaveChoiceRequest &request) override;

    // The notice while one is shown; null otherwise.
    QLabel *Notice() const;

private:
    QWidget *m_window;
    BackupSetting m_backup;
    QPointer<QLabel> m_notice; // created on first use, owned by the window
};

} // namespace qv::desk
