#include "ui/desk/windowfileui.h"

#include "infra/mesbo.h"
#include "infra/version.h"

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

bool WindowFileUi::AskSaveChoice(SaveChoiceRequest &)
{
    Mesbo().Show("Окно сохранения файла пока недоступно: файл не сохранён", MbWarning,
                 kProductName);
    return false;
}

} // namespace qv::desk
