#include "remote/remoterunlink.h"

#include "execution/port/comport.h"
#include "execution/threads/postcall.h"
#include "remote/server.h"

namespace qv {

namespace {

// Held reports of a run nobody follows are few; a bench that sends
// without end is not remembered beyond this.
constexpr std::size_t kMaxHeld = 256;

} // namespace

TRemoteRunLink::TRemoteRunLink(QObject *parent)
    : QObject(parent)
{}

TRemoteRunLink::~TRemoteRunLink()
{
    Unbind();
}

void TRemoteRunLink::BindClient(TClientServerCommon *client)
{
    Unbind();
    const std::lock_guard lock(m_mutex);
    m_role = client;
}

void TRemoteRunLink::BindServer(TServer *server)
{
    Unbind();
    {
        const std::lock_guard lock(m_mutex);
        m_role = server;
        m_server = server;
    }
    if (server)
        server->SetConsumer([this](RemoteCommand command, const QByteArray &payload) {
            OnServerMessage(command, payload);
        });
}

void TRemoteRunLink::Unbind()
{
    TServer *server = nullptr;
    {
        const std::lock_guard lock(m_mutex);
        server = m_server;
        m_role = nullptr;
        m_server = nullptr;
        m_held.clear();
    }
    if (server)
        server->SetConsumer({});
    m_lastCheck.reset();
}

bool TRemoteRunLink::Connected() const
{
    const std::lock_guard lock(m_mutex);
    return m_role != nullptr && m_role->LoggedIn();
}

void TRemoteRunLink::SendStatusText(const std::string &text)
{
    SendReport({RunReport::Kind::Status, 0, QString::fromStdString(text)});
}

void TRemoteRunLink::SendEndReport(const std::string &errorText)
{
    SendReport({RunReport::Kind::End, 0, QString::fromStdString(errorText)});
}

void TRemoteRunLink::SendReport(const RunReport &report)
{
    TClientServerCommon *role = nullptr;
    {
        const std::lock_guard lock(m_mutex);
        role = m_server ? nullptr : m_role;
    }
    if (role == nullptr || !role->LoggedIn())
        return;
    if (!role->Exchange(RemoteCommand::Pusk, RunReportPayload(report), RemoteCommand::Pusk,
                        kRemoteAnswerTimeoutMs))
        role->Log(role->InfoLog(),
                  QStringLiteral("Сервер не подтвердил получение сообщения о выполнении теста"),
                  RemoteLogColour::Red);
}

void TRemoteRunLink::SendResult(int code, std::span<const std::uint8_t> bytes)
{
    TClientServerCommon *role = nullptr;
    {
        const std::lock_guard lock(m_mutex);
        role = m_server ? nullptr : m_role;
    }
    if (role == nullptr || !role->LoggedIn())
        return;
    const QByteArray raw(reinterpret_cast<const char *>(bytes.data()),
                         static_cast<qsizetype>(bytes.size()));
    if (!role->SendData(raw, {}))
        return; // the transfer logged why
    if (!role->ApplyBuffer(ResultTag(code)))
        role->Log(role->InfoLog(),
                  QStringLiteral("Сервер не подтвердил обработку результатов теста"),
                  RemoteLogColour::Red);
}

void TRemoteRunLink::StopBench()
{
    TServer *server = nullptr;
    {
        const std::lock_guard lock(m_mutex);
        server = m_server;
    }
    if (server == nullptr || !server->LoggedIn())
        return;
    // The press of the bench's own stop panel, as the click of an operator
    // here would be repeated there: the names are those of the run window.
    RemoteClick click;
    click.formName = QStringLiteral("fmPusk");
    click.formClass = QStringLiteral("qv::run::TfmPusk");
    click.controlName = QStringLiteral("pnStop");
    click.controlClass = QStringLiteral("QLabel");
    click.x = 4;
    click.y = 4;
    if (const auto payload = ClickPayload(click))
        server->SendCommand(RemoteCommand::Click, *payload);
}

void TRemoteRunLink::SendCheckResult(int code, const std::string &text)
{
    TClientServerCommon *role = nullptr;
    {
        const std::lock_guard lock(m_mutex);
        role = m_server ? nullptr : m_role;
    }
    if (role != nullptr && role->LoggedIn())
        role->SendCommand(RemoteCommand::Pusk, RunReportPayload({RunReport::Kind::Check, code,
                                                                 QString::fromStdString(text)}));
}

int TRemoteRunLink::CheckBenchLink(std::string &text)
{
    const QPointer<TServer> server(m_server);
    if (!server || !server->LoggedIn()) {
        text = "Нет связи с удаленным стендом";
        return PortNoLink;
    }
    std::optional<RunReport> check;
    if (m_lastCheck && m_lastCheckAge.isValid() && m_lastCheckAge.elapsed() <= m_checkWaitMs)
        check = m_lastCheck;
    m_lastCheck.reset();
    if (!check) {
        // The check of this run is yet to come: what is held is older.
        {
            const std::lock_guard lock(m_mutex);
            m_held.clear();
        }
        if (server->WaitFor(RemoteCommand::Pusk, m_checkWaitMs) && server)
            check = ParseRunReport(server->LastPayload());
    }
    // A bench that does not say its unit is ready is not taken as ready.
    if (!check || check->kind != RunReport::Kind::Check) {
        text = "Удаленный стенд не сообщил о готовности блока диагностики";
        return PortTimeout;
    }
    if (check->code != PortOk)
        text = check->text.toStdString();
    return check->code;
}

void TRemoteRunLink::OnServerMessage(RemoteCommand command, const QByteArray &payload)
{
    if (command == RemoteCommand::Pusk) {
        const auto report = ParseRunReport(payload);
        if (!report)
            return;
        if (report->kind == RunReport::Kind::Check) {
            m_lastCheck = report;
            m_lastCheckAge.start();
            const std::lock_guard lock(m_mutex);
            m_held.clear();
            return;
        }
        Message message;
        message.kind =
            report->kind == RunReport::Kind::End ? Message::Kind::End : Message::Kind::Status;
        message.text = report->text.toStdString();
        Deliver(std::move(message), Answer::Report);
    } else if (command == RemoteCommand::BufApply && m_server) {
        const auto code = ResultTagCode(payload);
        if (!code)
            return; // the server refused it already
        const QByteArray bytes = m_server->TakeReceivedBuffer();
        Message message;
        message.kind = Message::Kind::Result;
        message.code = *code;
        message.data.assign(bytes.begin(), bytes.end());
        Deliver(std::move(message), Answer::Results);
    }
}

void TRemoteRunLink::Deliver(Message message, Answer answer)
{
    {
        const std::lock_guard lock(m_mutex);
        if (m_handler) {
            m_unanswered.push_back(answer);
            m_handler(message);
            return;
        }
        m_held.push_back({std::move(message), std::nullopt});
        if (m_held.size() > kMaxHeld)
            m_held.pop_front();
    }
    SendAnswer(answer);
}

void TRemoteRunLink::SetHandler(std::function<void(const Message &)> handler)
{
    std::deque<std::optional<Answer>> left;
    {
        const std::lock_guard lock(m_mutex);
        m_handler = std::move(handler);
        if (m_handler) {
            for (const Held &held : m_held) {
                m_unanswered.push_back(held.answer);
                m_handler(held.message);
            }
            m_held.clear();
            return;
        }
        left.swap(m_unanswered);
    }
    // Nobody follows any more: the bench must not wait for what is left.
    for (const std::optional<Answer> &answer : left)
        if (answer)
            PostCall(this, [this, answer = *answer] { SendAnswer(answer); });
}

void TRemoteRunLink::Acknowledge()
{
    std::optional<Answer> answer;
    {
        const std::lock_guard lock(m_mutex);
        if (m_unanswered.empty())
            return;
        answer = m_unanswered.front();
        m_unanswered.pop_front();
    }
    if (answer)
        PostCall(this, [this, answer = *answer] { SendAnswer(answer); });
}

void TRemoteRunLink::SendAnswer(Answer answer)
{
    if (!m_server)
        return;
    if (answer == Answer::Results)
        m_server->ResultsDone();
    else
        m_server->SendCommand(RemoteCommand::Pusk, kRunReportAck);
}

} // namespace qv
