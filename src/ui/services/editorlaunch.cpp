#include "ui/services/editorlaunch.h"

#include "execution/editor/editorlink.h"
#include "infra/mesbo.h"
#include "infra/version.h"
#include "ui/help/helpwindow.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileInfo>
#include <QLabel>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>
#include <QVBoxLayout>

namespace qv::services {
namespace {

constexpr int kStartDelayMs = 100;
// After the editor's process has ended, its socket's last bytes and its
// close are waited for this long at most.
constexpr int kLinkDrainMs = 2000;

} // namespace

TfmEditorLaunch::TfmEditorLaunch(QString program, QString file, int test, QWidget *parent)
    : QDialog(parent)
    , m_program(std::move(program))
    , m_file(std::move(file))
    , m_test(test)
{
    setObjectName(QStringLiteral("fmEditorLaunch"));
    setWindowTitle(QStringLiteral("Запуск редактора..."));
    setProperty(help::kHelpPageProperty, QStringLiteral("tools.html"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(
        new QLabel(QStringLiteral("Работает редактор диагностических тестов."), this));
    m_fileLabel = new QLabel(this);
    m_fileLabel->setObjectName(QStringLiteral("lbFile"));
    m_testLabel = new QLabel(this);
    m_testLabel->setObjectName(QStringLiteral("lbTest"));
    layout->addWidget(m_fileLabel);
    layout->addWidget(m_testLabel);
    // The process id keeps two programs' windows apart, the window's own
    // handle two windows of one program.
    m_identifier = (static_cast<std::uint64_t>(QCoreApplication::applicationPid()) << 32) |
                   (static_cast<std::uint64_t>(reinterpret_cast<quintptr>(this)) & 0xFFFFFFFFu);
    connect(&m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart)
            return;
        Mesbo().Show("Не удалось запустить редактор", MbError, kProductName);
        m_processEnded = true;
        done(QDialog::Rejected);
    });
    connect(&m_process, &QProcess::finished, this, [this] {
        m_processEnded = true;
        FinishIfOver();
        QTimer::singleShot(kLinkDrainMs, this, [this] {
            m_socket = nullptr;
            FinishIfOver();
        });
    });
}

TfmEditorLaunch::~TfmEditorLaunch()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(3000);
    }
}

void TfmEditorLaunch::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!m_started) {
        m_started = true;
        QTimer::singleShot(kStartDelayMs, this, [this] { Start(); });
    }
}

void TfmEditorLaunch::closeEvent(QCloseEvent *event)
{
    // The operator waits for the editor; the window closes by itself.
    if (!m_processEnded)
        event->ignore();
    else
        QDialog::closeEvent(event);
}

void TfmEditorLaunch::reject()
{
    if (m_processEnded)
        QDialog::reject();
}

void TfmEditorLaunch::Start()
{
    m_server = std::make_unique<QLocalServer>();
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    const QString name = EditorServerName(m_identifier);
    QLocalServer::removeServer(name); // a socket file left by a program that died
    m_server->listen(name);
    connect(m_server.get(), &QLocalServer::newConnection, this, [this] { TakeConnection(); });
    m_process.setProgram(m_program);
    m_process.setArguments({EditorConnectArgument(m_identifier)});
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QUORVIK_EDIT_BACKUP"),
                       m_backup ? QStringLiteral("1") : QStringLiteral("0"));
    m_process.setProcessEnvironment(environment);
    m_process.setWorkingDirectory(QFileInfo(m_program).absolutePath());
    m_process.setProcessChannelMode(QProcess::ForwardedChannels);
    m_process.start();
}

void TfmEditorLaunch::TakeConnection()
{
    QLocalSocket *socket = m_server->nextPendingConnection();
    if (socket == nullptr)
        return;
    if (m_socket != nullptr) {
        socket->abort(); // one editor per window
        return;
    }
    m_socket = socket;
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
        if (socket == m_socket)
            ReadMessages();
    });
    connect(socket, &QLocalSocket::disconnected, this, [this, socket] {
        if (socket != m_socket)
            return; // a peer already dropped
        ReadMessages();
        m_socket = nullptr;
        FinishIfOver();
    });
    ReadMessages();
}

void TfmEditorLaunch::ReadMessages()
{
    if (m_socket == nullptr)
        return;
    m_buffer += m_socket->readAll();
    EditorMessage message;
    for (;;) {
        const EditorFrame frame = TakeEditorMessage(m_buffer, message);
        if (frame == EditorFrame::Incomplete)
            return;
        if (frame == EditorFrame::Bad) {
            // Not an editor of ours: dropped, and the next connection may
            // be the editor.
            QLocalSocket *foreign = m_socket;
            m_socket = nullptr;
            m_buffer.clear();
            foreign->abort();
            return;
        }
        Handle(message);
    }
}

void TfmEditorLaunch::Handle(const EditorMessage &message)
{
    switch (message.code) {
    case EditorCode::Hello: {
        EditorMessage answer;
        answer.code = EditorCode::Hello;
        answer.value = m_test;
        answer.data = m_file.toUtf8().left(kMaxEditorData);
        if (m_socket != nullptr)
            m_socket->write(EncodeEditorMessage(answer));
        break;
    }
    case EditorCode::Report:
        m_reported = true;
        m_reportedFile = QString::fromUtf8(message.data);
        m_reportedTest = message.value;
        m_fileLabel->setText(QStringLiteral("Имя файла: ") + QFileInfo(m_reportedFile).fileName());
        m_testLabel->setText(QStringLiteral("Номер теста: ") +
                             QString::number(static_cast<qint64>(message.value) + 1));
        break;
    case EditorCode::Done:
        m_done = true;
        FinishIfOver();
        break;
    }
}

void TfmEditorLaunch::FinishIfOver()
{
    if (!m_processEnded || isHidden())
        return;
    if (m_socket != nullptr && m_socket->state() == QLocalSocket::ConnectedState)
        return;
    done(m_done ? QDialog::Accepted : QDialog::Rejected);
}

} // namespace qv::services
