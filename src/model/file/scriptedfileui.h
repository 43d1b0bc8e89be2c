#pragma once

// A TestFileUi without windows, for the command-line tool and the tests: it
// records what would be shown and answers from prepared replies.

#include "model/file/testfileui.h"

#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace qv {

class ScriptedFileUi : public TestFileUi
{
public:
    struct ShownLog
    {
        LogKind kind;
        std::string path;
        std::string log;
    };

    // The save choice to give: by default the current name, nothing extra,
    // no backup. Cancel makes the dialog answer Cancel.
    struct SaveChoice
    {
        bool cancel = false;
        std::optional<std::string> fileName; // name only; default: keep the name
        std::int32_t kinds = 0;
        bool onlyActiveTest = true;
        bool onlyActiveCycle = true;
        bool backup = false;
    };

    // Passwords typed into the read (PasswordRequest::ModeRead) or the write
    // request, in this order. A wrong one is answered through the
    // message-box service (catalogue message 30, Retry or Cancel); an empty
    // queue cancels the request.
    void QueuePassword(std::string typed, int mode = PasswordRequest::ModeRead)
    {
        Queue(mode).push_back(std::move(typed));
    }
    void SetSaveChoice(const SaveChoice &choice) { m_choice = choice; }

    void ShowNotice(const std::string &text) override;
    void HideNotice() override;
    void ShowLog(LogKind kind, const std::string &path, const std::string &log) override;
    void ShowFileErrors(const std::string &heading, const std::string &log) override;
    bool AskPassword(PasswordRequest &request) override;
    bool AskSaveChoice(SaveChoiceRequest &request) override;

    const std::vector<ShownLog> &Logs() const { return m_logs; }
    const std::vector<std::string> &Notices() const { return m_notices; }
    bool NoticeShown() const { return m_noticeShown; }
    const std::vector<std::string> &FileErrors() const { return m_fileErrors; }
    int PasswordRequests() const { return m_passwordRequests; }
    int SaveChoiceRequests() const { return m_saveChoiceRequests; }
    // Every line the log windows showed, in order, as the window shows them.
    std::vector<std::string> LogLines() const;
    void Clear();

private:
    std::deque<std::string> &Queue(int mode)
    {
        return mode == PasswordRequest::ModeWrite ? m_writePasswords : m_readPasswords;
    }

    std::deque<std::string> m_readPasswords;
    std::deque<std::string> m_writePasswords;
    SaveChoice m_choice;
    std::vector<ShownLog> m_logs;
    std::vector<std::string> m_notices;
    std::vector<std::string> m_fileErrors;
    bool m_noticeShown = false;
    int m_passwordRequests = 0;
    int m_saveChoiceRequests = 0;
};

} // namespace qv
