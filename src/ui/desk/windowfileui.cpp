#include "ui/desk/windowfileui.h"

#include "infra/mesbo.h"
#include "infra/version.h"
#include "ui/debug/savechoice.h"

#include <QFileInfo>
#include <QInputDialog>
#include <QLineEdit>

namespace qv::desk {

void WindowFileUi::ShowLog(LogKind kind, const std::string &, const std::string &log)
{
    std::string text = LogHeading(kind, log);
    for (const std::string &line : LogLinesForDisplay(log))
        text += "\n" + line;
    Mesbo().Show(text, MbError, kProductName);
}

void WindowFileUi::ShowFileErrors(const std::string &heading, const std::string &log)
{
    Mesbo().Show(heading + log, MbError, kProductName);
}

bool WindowFileUi::AskPassword(PasswordRequest &request)
{
    const QString file = QFileInfo(QString::fromStdString(request.File)).fileName();
    for (;;) {
        bool ok = false;
        const QString typed =
            QInputDialog::getText(m_window, QStringLiteral("Пароль"),
                                  QStringLiteral("Введите пароль файла \"%1\":").arg(file),
                                  QLineEdit::Password, QString(), &ok);
        if (!ok)
            return false;
        std::string padded;
        Bytes32 check{};
        if (request.Transform &&
            request.Transform(typed.left(request.MaxLength).toStdString(), padded, check) &&
            check == request.Check) {
            request.Password = padded;
            return true;
        }
    }
}

bool WindowFileUi::AskSaveChoice(SaveChoiceRequest &request)
{
    request.Backup = m_backup.read && m_backup.read();
    debug::TfmSaveChoice dialog(request, QStringLiteral("Сохранить"), m_window);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    if (m_backup.store)
        m_backup.store(request.Backup);
    return true;
}

} // namespace qv::desk
