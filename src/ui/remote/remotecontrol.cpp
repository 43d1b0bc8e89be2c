#include "ui/remote/remotecontrol.h"

#include "execution/desk/settingsstore.h"
#include "infra/mesbo.h"
#include "model/document/quorvik.h"
#include "model/functions/funcf.h"
#include "model/functions/funcs.h"
#include "model/functions/prog.h"
#include "model/test/stest.h"
#include "remote/client.h"
#include "remote/server.h"
#include "ui/remote/clickcapture.h"
#include "ui/remote/remotewindow.h"
#include "ui/run/runcommand.h"

#include <QDir>
#include <QFileInfo>
#include <QTimer>

namespace qv {

namespace {

constexpr const char *kPlacement = "fmRemote";
// A click for a window that is not shown yet is tried again this often, for
// up to the link's answer time.
constexpr int kReplayRetryMs = 50;
constexpr int kReplayTries = kRemoteAnswerTimeoutMs / kReplayRetryMs;

// "HOST:PORT", "[V6]:PORT", "PORT" (portOnly) or "HOST": the two parts,
// either possibly empty.
std::pair<QString, QString> SplitAddress(const QString &text, bool portOnlyAllowed)
{
    const QString trimmed = text.trimmed();
    if (trimmed.startsWith(u'[')) {
        const auto close = trimmed.indexOf(u']');
        if (close > 0) {
            const QString rest = trimmed.mid(close + 1);
            return {trimmed.mid(1, close - 1), rest.startsWith(u':') ? rest.mid(1) : QString()};
        }
    }
    const auto colon = trimmed.lastIndexOf(u':');
    if (colon >= 0 && trimmed.indexOf(u':') == colon)
        return {trimmed.left(colon), trimmed.mid(colon + 1)};
    bool number = false;
    trimmed.toUInt(&number);
    if (portOnlyAllowed && number)
        return {QString(), trimmed};
    return {trimmed, QString()};
}

// The data files of the F-, S- and P-functions of every test of the open
// file that lie beside it: the bench runs the tests with them.
QStringList DataFilesOf(const TQuorvik &doc, const QString &testFile)
{
    const std::filesystem::path testPath = testFile.toStdString();
    QStringList files;
    const auto add = [&](const std::string &name) {
        if (name.empty())
            return;
        const std::filesystem::path path = DataFilePath(testPath, name);
        std::error_code ec;
        const QString text = QString::fromStdString(path.string());
        if (!path.empty() && std::filesystem::is_regular_file(path, ec) && !files.contains(text))
            files << text;
    };
    for (int t = 0; t < doc.Doc().NTest; ++t) {
        const STest *test = doc.Test(t);
        if (test == nullptr)
            continue;
        for (const SFuncF &f : test->FFuncs)
            add(f.FileName);
        for (const SFuncS &f : test->SFuncs)
            add(f.FileName);
        for (const SProg &p : test->PFuncs)
            add(p.FileName);
    }
    return files;
}

} // namespace

RemoteControl::RemoteControl(RemoteHost &window, SettingsStore &store, QString receiveDir)
    : m_host(window)
    , m_store(store)
    , m_receiveDir(std::move(receiveDir))
{
    m_host.SetRemoteDesk(this);
    MarkActions();
}

RemoteControl::~RemoteControl()
{
    Stop();
    m_host.SetRemoteDesk(nullptr);
}

RemoteDesk::Role RemoteControl::ActiveRole() const
{
    if (m_client)
        return Role::Client;
    return m_server ? Role::Server : Role::None;
}

TClientServerCommon *RemoteControl::Role_() const
{
    if (m_client)
        return m_client.get();
    return m_server.get();
}

void RemoteControl::Start(Role role, const QString &address, bool connectNow)
{
    if (role == Role::None || ActiveRole() != Role::None)
        return;
    RemoteSettings &settings = m_store.Remote();
    settings.EnsureIdentity();
    if (role == Role::Client) {
        m_client = std::make_unique<TClient>(
            m_receiveDir, RemoteLogin{QString::fromStdString(settings.userName),
                                      QString::fromStdString(settings.productNumber)});
        // Opened once the message has been read: a question the open may
        // ask must not keep the link from being read meanwhile.
        connect(
            m_client.get(), &TClient::OpenRequested, this,
            [this](const QString &path) { m_host.OpenFile(path, true); }, Qt::QueuedConnection);
        connect(m_client.get(), &TClient::ClickRequested, this,
                [this](const RemoteClick &click) { Replay(click, kReplayTries); });
        m_link.BindClient(m_client.get());
        m_client->SetReceiveLimits(qint64{settings.receiveLimitMb} * 1024 * 1024,
                                   settings.receiveLimitFiles);
        MakeWindow(m_client.get(), nullptr);
    } else {
        m_server = std::make_unique<TServer>(m_receiveDir);
        m_serverRole = true;
        m_link.BindServer(m_server.get());
        m_server->SetReceiveLimits(qint64{settings.receiveLimitMb} * 1024 * 1024,
                                   settings.receiveLimitFiles);
        MakeWindow(nullptr, m_server.get());
        m_capture = std::make_unique<ClickCapture>();
        m_capture->SetIgnoredForms({m_form->objectName()});
        connect(m_capture.get(), &ClickCapture::Pressed, this,
                [this](const RemoteClick &click) { SendClick(click); });
    }
    if (!address.isEmpty()) {
        const auto [host, port] = SplitAddress(address, role == Role::Server);
        m_form->UseAddress(host, port);
    }
    MarkActions();
    emit RoleChanged();
    if (connectNow)
        m_form->ToggleConnection();
}

void RemoteControl::MakeWindow(TClient *client, TServer *server)
{
    m_form = std::make_unique<TfmRemote>(client, server, m_store.Remote());
    if (const auto geometry = m_store.Placements().Geometry(kPlacement))
        m_form->restoreGeometry(QByteArray::fromBase64(QByteArray::fromStdString(*geometry)));
    // The window goes once the call that closed it has returned.
    connect(m_form.get(), &TfmRemote::CloseConfirmed, this,
            [this] { QTimer::singleShot(0, this, [this] { Stop(); }); });
    m_form->show();
}

void RemoteControl::Stop()
{
    if (ActiveRole() == Role::None)
        return;
    m_capture.reset();
    m_link.Unbind();
    m_serverRole = false;
    if (m_form) {
        m_store.Placements().SetGeometry(kPlacement,
                                         m_form->saveGeometry().toBase64().toStdString());
        m_form.reset();
    }
    m_client.reset();
    m_server.reset();
    MarkActions();
    emit RoleChanged();
}

void RemoteControl::CloseForm()
{
    if (m_form)
        m_form->Command(QStringLiteral("closeform"));
}

void RemoteControl::FileOpened(const QString &path)
{
    if (!m_server || !m_server->LoggedIn() || !m_form)
        return;
    // A test file opens only with its contact file beside it; its comments
    // and oscillograms belong to it too, and its tests run with their data
    // files: all of these go first. The bench opens the file only once all
    // of them arrived whole: after a failed transfer it would open an older
    // copy of the same name.
    const QFileInfo file(path);
    QStringList files;
    for (const QString &name : file.dir().entryList(QDir::Files)) {
        const QFileInfo companion(file.dir().filePath(name));
        if (companion.completeBaseName() == file.completeBaseName() &&
            companion.fileName() != file.fileName())
            files << companion.filePath();
    }
    for (const QString &data : DataFilesOf(m_host.Document(), path))
        if (!files.contains(data))
            files << data;
    files << path;
    for (const QString &sent : files) {
        if (!m_form)
            return;
        if (!m_form->Command(QStringLiteral("sendfile"), {}, sent)) {
            TransferFailed(QFileInfo(sent).fileName(), file.fileName());
            return;
        }
    }
    if (m_form)
        m_form->Command(QStringLiteral("openfile"), {}, path);
}

void RemoteControl::TransferFailed(const QString &failed, const QString &testFile)
{
    const QString text = QStringLiteral("Не удалось передать файл \"") + failed +
                         QStringLiteral("\" на удаленный стенд. Файл \"") + testFile +
                         QStringLiteral("\" на стенде не открыт");
    if (m_server)
        m_server->InfoLog().Add(text, RemoteLogColour::Red, true);
    Mesbo().Show(text.toStdString(), MbError, "Удаленное управление: сервер");
}

bool RemoteControl::ClientLoggedIn() const
{
    return m_client && m_client->LoggedIn();
}

bool RemoteControl::LinkUp() const
{
    const TClientServerCommon *role = Role_();
    return role != nullptr && role->LoggedIn();
}

bool RemoteControl::ServerWithBench() const
{
    return m_serverRole && m_link.Connected();
}

bool RemoteControl::ClientWatched() const
{
    return ClientLoggedIn();
}

void RemoteControl::SendClick(const RemoteClick &click)
{
    if (!m_server || !m_server->LoggedIn() || !m_form)
        return;
    if (const auto payload = ClickPayload(click))
        m_form->Command(QStringLiteral("11"), *payload);
}

void RemoteControl::Replay(const RemoteClick &click, int triesLeft)
{
    if (!m_client || ReplayClick(click))
        return;
    if (triesLeft > 0) {
        QTimer::singleShot(kReplayRetryMs, this,
                           [this, click, triesLeft] { Replay(click, triesLeft - 1); });
        return;
    }
    m_client->InfoLog().Add(QStringLiteral("Не найдено окно для нажатия кнопки мыши: ") +
                                click.formName + u' ' + click.controlName,
                            RemoteLogColour::Red);
}

void RemoteControl::ServeRuns(run::RunCommand &command)
{
    command.SetRemote([this] {
        return run::RunCommand::RemoteRole{&m_link, ServerWithBench(), ClientWatched()};
    });
}

void RemoteControl::MarkActions()
{
    m_host.ShowRemoteRoles(m_client != nullptr, m_server != nullptr);
}

} // namespace qv
