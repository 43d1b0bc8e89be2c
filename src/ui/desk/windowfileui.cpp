#include "ui/desk/windowfileui.h"

#include "infra/mesbo.h"
#include "infra/version.h"
#include "ui/debug/savechoice.h"
#include "ui/file/fileerrorswindow.h"
#include "ui/file/logwindow.h"
#include "ui/file/passworddialog.h"

#include <QApplication>
#include <QLabel>

namespace qv::desk {

void WindowFileUi::ShowNotice(const std::string &text)
{
    if (!m_notice) {
        m_notice = new QLabel(m_window, Qt::Tool | Qt::FramelessWindowHint);
        m_notice->setObjectName(QStringLiteral("fmNotice"));
        m_notice->setFrameStyle(QFrame::Panel | QFrame::Raised);
        m_notice->setMargin(16);
    }
    m_notice->setText(QString::fromStdString(text));
    m_notice->adjustSize();
    if (m_window != nullptr)
        m_notice->move(m_window->geometry().center() - m_notice->rect().center());
    m_notice->show();
    m_notice->raise();
    // The load or save runs on this thread; let the notice paint first.
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void WindowFileUi::HideNotice()
{
    if (m_notice)
        m_notice->hide();
}

QLabel *WindowFileUi::Notice() const
{
    return m_notice && m_notice->isVisible() ? m_notice.data() : nullptr;
}

void WindowFileUi::ShowLog(LogKind kind, const std::string &path, const std::string &log)
{
    // The log only informs: it stays beside the main window until closed.
    auto *window = new file::TfmLog(kind, path, log, m_window);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowModality(Qt::NonModal);
    window->show();
    window->raise();
}

void WindowFileUi::ShowFileErrors(const std::string &heading, const std::string &log)
{
    auto *window = new file::TfmFileErrors(heading, log, m_window);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowModality(Qt::NonModal);
    window->show();
    window->raise();
}

bool WindowFileUi::AskPassword(PasswordRequest &request)
{
    return file::TfmPassword::Ask(request, m_window);
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
