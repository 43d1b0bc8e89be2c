#include "ui/services/selftestlaunch.h"

#include "execution/port/hardstatus.h"
#include "execution/port/testerport.h"
#include "infra/mesbo.h"
#include "infra/version.h"
#include "ui/help/helpwindow.h"
#include "ui/services/helperprograms.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QStyle>
#include <QThread>
#include <QTimer>

namespace qv::services {
namespace {

constexpr int kStartDelayMs = 100;
constexpr int kLockWaitMs = 3000;
constexpr int kConnectAttempts = 3;
constexpr unsigned long kConnectPauseMs = 300;
constexpr int kIconSize = 32;
constexpr int kMinTextWidth = 360;

// The other program's picture as the desktop shows it; a computer when the
// desktop has none for it.
QIcon ProgramIcon(const QString &program)
{
    QIcon icon = QFileIconProvider().icon(QFileInfo(program));
    if (icon.pixmap(kIconSize, kIconSize).isNull())
        icon = QApplication::style()->standardIcon(QStyle::SP_ComputerIcon);
    return icon;
}

} // namespace

TfmSelfTestLaunch::TfmSelfTestLaunch(TCP &tester, TthHardStatus *monitor, QString program,
                                     QWidget *parent)
    : QDialog(parent)
    , m_tester(tester)
    , m_monitor(monitor)
    , m_program(std::move(program))
{
    setObjectName(QStringLiteral("fmBodringo"));
    setWindowTitle(QStringLiteral("Запуск ") + DisplayName() + QStringLiteral("..."));
    setWindowFlag(Qt::WindowCloseButtonHint, false);
    setProperty(help::kHelpPageProperty, QStringLiteral("tools.html"));
    const QIcon icon = ProgramIcon(m_program);
    setWindowIcon(icon);
    auto *layout = new QHBoxLayout(this);
    m_icon = new QLabel(this);
    m_icon->setObjectName(QStringLiteral("imIcon"));
    m_icon->setPixmap(icon.pixmap(kIconSize, kIconSize));
    layout->addWidget(m_icon, 0, Qt::AlignTop);
    m_text = new QLabel(this);
    m_text->setObjectName(QStringLiteral("lbText"));
    m_text->setMinimumWidth(kMinTextWidth);
    layout->addWidget(m_text, 1);
    // The window takes the size its text needs, also when the text changes.
    layout->setSizeConstraint(QLayout::SetFixedSize);
    connect(&m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart)
            return;
        RestoreCursor();
        const QString directory = QFileInfo(m_program).absolutePath();
        Mesbo().Show("Параметры запуска:\r\n   " + m_program.toStdString() + "\r\n   " +
                         directory.toStdString(),
                     MbError, "Не удалось запустить " + DisplayName().toStdString());
        TakeBack();
    });
    // The process's end, a crash too, hands the unit back.
    connect(&m_process, &QProcess::finished, this, [this] { TakeBack(); });
}

TfmSelfTestLaunch::~TfmSelfTestLaunch()
{
    if (m_process.state() != QProcess::NotRunning)
        m_process.waitForFinished(-1);
    RestoreCursor();
    if (m_locked && m_monitor != nullptr)
        m_monitor->Unlock();
}

QString TfmSelfTestLaunch::DisplayName()
{
    return QStringLiteral("\"Диагностика системы\"");
}

void TfmSelfTestLaunch::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!m_started) {
        m_started = true;
        QTimer::singleShot(kStartDelayMs, this, [this] { HandOver(); });
    }
}

void TfmSelfTestLaunch::done(int result)
{
    if (m_closeAllowed)
        QDialog::done(result);
}

void TfmSelfTestLaunch::closeEvent(QCloseEvent *event)
{
    if (m_closeAllowed)
        QDialog::closeEvent(event);
    else
        event->ignore();
}

void TfmSelfTestLaunch::HandOver()
{
    m_locked = m_monitor != nullptr && m_monitor->Lock(kLockWaitMs);
    if (m_tester.HasPort()) {
        const SComPort port = m_tester.Port();
        port->Purge();
        port->Detach();
        port->Close();
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_cursorSet = true;
    m_process.setProgram(m_program);
    m_process.setArguments(
        {QStringLiteral("--address"), QString::fromStdString(m_tester.Settings().address)});
    m_process.setWorkingDirectory(QFileInfo(m_program).absolutePath());
    m_process.setProcessChannelMode(QProcess::ForwardedChannels);
    m_process.start();
    if (!m_process.waitForStarted(-1))
        return; // errorOccurred took the unit back
    m_text->setText(
        QStringLiteral("Для продолжения работы с программой \"%1\", завершите программу %2.")
            .arg(QString::fromUtf8(kProductName), DisplayName()));
}

void TfmSelfTestLaunch::RestoreCursor()
{
    if (m_cursorSet)
        QApplication::restoreOverrideCursor();
    m_cursorSet = false;
}

void TfmSelfTestLaunch::TakeBack()
{
    if (m_closeAllowed)
        return;
    m_closeAllowed = true;
    if (m_tester.HasPort()) {
        const SComPort port = m_tester.Port();
        // The other program's link may still be closing on the unit's
        // side for a moment: a refused connection is tried again.
        for (int attempt = 1; !m_tester.Connect(true, false) && attempt < kConnectAttempts;
             ++attempt)
            QThread::msleep(kConnectPauseMs);
        RestoreCursor();
        m_tester.Reset(false, 0);
        port->Handshake();
    }
    RestoreCursor();
    if (m_locked && m_monitor != nullptr) {
        m_locked = false;
        m_monitor->Unlock();
    }
    accept();
}

void LaunchSelfDiagnostics(TCP &tester, TthHardStatus *monitor, QWidget *parent)
{
    TfmSelfTestLaunch window(tester, monitor, HelperProgramPath(kSelfTestProgram), parent);
    window.exec();
}

} // namespace qv::services
