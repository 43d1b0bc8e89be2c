#include "model/file/scriptedfileui.h"

#include "infra/mesbo.h"
#include "infra/messages.h"

namespace qv {

void ScriptedFileUi::ShowNotice(const std::string &text)
{
    m_notices.push_back(text);
    m_noticeShown = true;
}

void ScriptedFileUi::HideNotice()
{
    m_noticeShown = false;
}

void ScriptedFileUi::ShowLog(LogKind kind, const std::string &path, const std::string &log)
{
    m_logs.push_back({kind, path, log});
}

void ScriptedFileUi::ShowFileErrors(const std::string &heading, const std::string &log)
{
    m_fileErrors.push_back(heading + "\r\n" + log);
}

bool ScriptedFileUi::AskPassword(PasswordRequest &request)
{
    ++m_passwordRequests;
    auto &queue = Queue(request.Mode);
    while (!queue.empty()) {
        const std::string typed = queue.front();
        queue.pop_front();
        std::string padded;
        Bytes32 check{};
        if (request.Transform && request.Transform(typed, padded, check) &&
            check == request.Check) {
            request.Password = padded;
            return true;
        }
        if (Mesbo().Show(Msg(30), MbErrorRetryCancel, "Пароль") != MbRetry) {
            return false;
        }
    }
    return false;
}

bool ScriptedFileUi::AskSaveChoice(SaveChoiceRequest &request)
{
    ++m_saveChoiceRequests;
    if (m_choice.cancel) {
        return false;
    }
    SSaveParam &param = *request.Param;
    param.FileName = m_choice.fileName.value_or(request.FileName);
    param.Kinds = m_choice.kinds;
    if (!m_choice.onlyActiveTest) {
        param.Test = -1;
    }
    if (!m_choice.onlyActiveTest || !m_choice.onlyActiveCycle) {
        param.Cycle = -1;
    }
    request.Backup = m_choice.backup;
    return true;
}

std::vector<std::string> ScriptedFileUi::LogLines() const
{
    std::vector<std::string> lines;
    for (const auto &shown : m_logs) {
        for (auto &line : LogLinesForDisplay(shown.log)) {
            lines.push_back(std::move(line));
        }
    }
    return lines;
}

void ScriptedFileUi::Clear()
{
    m_logs.clear();
    m_notices.clear();
    m_fileErrors.clear();
    m_noticeShown = false;
    m_passwordRequests = 0;
    m_saveChoiceRequests = 0;
}

} // namespace qv
