#include "remote/clientservercommon.h"

#include "execution/threads/postcall.h"
#include "infra/paths.h"
#include "remote/messageframer.h"

#include <QDateTime>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <QTimer>

namespace qv {

namespace {

QString Quoted(const QString &text)
{
    return u'"' + text + u'"';
}

// The kind of a socket error as the connection log names it.
QString ErrorKind(QAbstractSocket::SocketError error)
{
    switch (error) {
    case QAbstractSocket::ConnectionRefusedError:
    case QAbstractSocket::SocketTimeoutError:
    case QAbstractSocket::NetworkError:
        return QStringLiteral("подключение");
    case QAbstractSocket::RemoteHostClosedError:
        return QStringLiteral("отключение");
    case QAbstractSocket::HostNotFoundError:
        return QStringLiteral("обзор");
    default:
        return QStringLiteral("основная");
    }
}

// When a message last went to a socket; cleared once the peer speaks.
constexpr const char *kLastSendProperty = "qvLastSend";

// What one connection has brought of the message being assembled, with its
// two clocks. A child of its socket: it goes when the socket goes.
class SocketInbox : public QObject
{
public:
    explicit SocketInbox(QTcpSocket *socket)
        : QObject(socket)
    {
        setObjectName(kName);
        quiet.setSingleShot(true);
        deadline.setSingleShot(true);
    }

    // Found by its name: the class has no meta-object of its own to be
    // told from the socket's other children by.
    static SocketInbox *Of(QTcpSocket *socket)
    {
        return static_cast<SocketInbox *>(
            socket->findChild<QObject *>(kName, Qt::FindDirectChildrenOnly));
    }

    void Clear()
    {
        framer.Clear();
        quiet.stop();
        deadline.stop();
    }

    static constexpr QLatin1StringView kName{"qvSocketInbox"};

    MessageFramer framer;
    QTimer quiet;    // the stream went quiet: a message without a length ends
    QTimer deadline; // the message begun has had its time to complete
};

} // namespace

void TClientServerCommon::KeepApart(QTcpSocket *socket)
{
    // A message has no length: two that the peer reads in one go would
    // read as one. A message that follows one the peer has not answered
    // yet waits until the peer has surely read the first.
    const QVariant last = socket->property(kLastSendProperty);
    if (!last.isValid())
        return;
    const qint64 since = QDateTime::currentMSecsSinceEpoch() - last.toLongLong();
    if (since >= 0 && since < kRemoteMessageGapMs)
        QThread::msleep(static_cast<unsigned long>(kRemoteMessageGapMs - since));
}

QString DefaultReceiveDir()
{
    return QString::fromStdString((AppDataDir() / "remote").string());
}

struct TClientServerCommon::Wait
{
    RemoteCommand awaited;
    QEventLoop &loop;
    State restore;
    bool arrived = false;
};

TClientServerCommon::TClientServerCommon(QString receiveDir, QObject *parent)
    : QObject(parent)
    , m_receiver(std::move(receiveDir))
{}

TClientServerCommon::~TClientServerCommon()
{
    if (m_wait)
        m_wait->loop.quit();
    AbortEventWait();
}

bool TClientServerCommon::SendCommand(RemoteCommand command, const QByteArray &payload,
                                      QTcpSocket *socket)
{
    if (OffThread()) {
        // Sockets are the owner's: the message goes out from its thread. A
        // message that cannot go wakes a waiter at once.
        const QPointer<QTcpSocket> target(socket);
        const bool toPeer = socket == nullptr;
        PostCall(this, [this, command, payload, target, toPeer] {
            if ((!toPeer && !target) || !SendCommand(command, payload, target.data()))
                AbortEventWait();
        });
        return true;
    }
    QTcpSocket *target = socket ? socket : m_peer.data();
    const QByteArray message = CommandWord(command) + payload;
    if (!target || static_cast<std::size_t>(message.size()) > kRemoteBufferSize)
        return false;
    KeepApart(target);
    if (target->write(message) != message.size())
        return false;
    // Out at once and alone, so that the peer reads it as one message.
    target->flush();
    target->setProperty(kLastSendProperty, QDateTime::currentMSecsSinceEpoch());
    m_bytesSent += message.size();
    emit TrafficChanged(TrafficLine());
    return true;
}

bool TClientServerCommon::SendText(RemoteCommand command, const QString &text, QTcpSocket *socket)
{
    if (command == RemoteCommand::Error)
        Log(m_connectionLog, text, RemoteLogColour::Red, true);
    else if (command == RemoteCommand::ErrorInfo)
        Log(m_infoLog, text, RemoteLogColour::Red, true);
    return SendCommand(command, ToWire(text), socket);
}

bool TClientServerCommon::SendData(const QByteArray &bytes, const QString &name)
{
    const bool isFile = !name.isEmpty();
    const QByteArray wireName = ToWire(name);
    const QString first = (isFile ? QStringLiteral("Отправка файла ") + Quoted(name)
                                  : QStringLiteral("Отправка буфера данных")) +
                          QStringLiteral(" (") + QString::number(bytes.size()) + u')';
    const QString failure = isFile ? QStringLiteral("Ошибка при отправке файла")
                                   : QStringLiteral("Ошибка при отправке буфера данных");
    Log(m_infoLog, first + QStringLiteral("..."));

    const std::size_t count =
        (static_cast<std::size_t>(bytes.size()) + kRemoteBlockSize - 1) / kRemoteBlockSize;
    if (count > kMaxRemoteBlocks || wireName.size() > 255) {
        Log(m_infoLog, failure, RemoteLogColour::Red);
        return false;
    }
    const auto ackCommand = isFile ? RemoteCommand::FileOk : RemoteCommand::BufOk;
    const QPointer<TClientServerCommon> self(this);
    for (std::size_t i = 0; i < count; ++i) {
        const auto offset = static_cast<qsizetype>(i * kRemoteBlockSize);
        const RemoteBlock block{wireName, static_cast<quint16>(i), static_cast<quint16>(count),
                                bytes.mid(offset, static_cast<qsizetype>(kRemoteBlockSize))};
        const auto answer = isFile ? Exchange(RemoteCommand::File, FileBlockPayload(block),
                                              ackCommand, kRemoteAnswerTimeoutMs)
                                   : Exchange(RemoteCommand::Buf, BufferBlockPayload(block),
                                              ackCommand, kRemoteAnswerTimeoutMs);
        if (!answer) {
            if (!self)
                return false;
            Log(m_infoLog, QStringLiteral("Нет подтверждения от удаленного компьютера"),
                RemoteLogColour::Red);
            return false;
        }
        const auto ack = isFile ? ParseFileAck(*answer) : ParseBufferAck(*answer);
        if (!ack || ack->name != wireName || ack->index != block.index) {
            Log(m_infoLog, failure, RemoteLogColour::Red);
            return false;
        }
    }
    Log(m_infoLog, first + QStringLiteral("... выполнена"));
    return true;
}

bool TClientServerCommon::SendFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        m_infoLog.Add(QStringLiteral("Ошибка открытия файла + ") + Quoted(path),
                      RemoteLogColour::Red);
        return false;
    }
    return SendData(file.readAll(), QFileInfo(path).fileName());
}

bool TClientServerCommon::WaitFor(RemoteCommand command, int milliseconds)
{
    if (m_wait)
        return false; // one answer is awaited at a time
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    Wait wait{command, loop, m_state};
    m_wait = &wait;
    SetState(State::Waiting);
    timer.start(milliseconds);
    const QPointer<TClientServerCommon> self(this);
    loop.exec();
    if (!self)
        return false; // destroyed while waiting: touch nothing of it
    m_wait = nullptr;
    SetState(wait.restore);
    return wait.arrived;
}

bool TClientServerCommon::ApplyBuffer(const QString &text)
{
    return ApplyBuffer(ToWire(text));
}

bool TClientServerCommon::ApplyBuffer(const QByteArray &wireText)
{
    // Nullopt also when the object went away while waiting.
    const auto answer = Exchange(RemoteCommand::BufApply, wireText, RemoteCommand::BufApply,
                                 kRemoteAnswerTimeoutMs);
    return answer && *answer == "OK";
}

std::optional<QByteArray> TClientServerCommon::Exchange(RemoteCommand command,
                                                        const QByteArray &payload,
                                                        RemoteCommand answer, int milliseconds)
{
    if (!OffThread()) {
        const QPointer<TClientServerCommon> self(this);
        if (!SendCommand(command, payload) || !WaitFor(answer, milliseconds) || !self)
            return std::nullopt;
        return m_lastPayload;
    }
    // The wait is set up before the message goes, so that no answer can
    // come before it; a signal left over from an earlier answer is dropped.
    const std::lock_guard exchange(m_exchangeMutex);
    {
        const std::lock_guard lock(m_eventMutex);
        m_eventAwaited = answer;
        m_eventAnswer.reset();
    }
    m_event.WaitFor(std::chrono::milliseconds(0));
    SendCommand(command, payload);
    m_event.WaitFor(std::chrono::milliseconds(milliseconds));
    const std::lock_guard lock(m_eventMutex);
    m_eventAwaited.reset();
    return std::exchange(m_eventAnswer, std::nullopt);
}

void TClientServerCommon::Chat(const QString &text)
{
    if (SendText(RemoteCommand::Chat, text))
        m_chatLog.Add(QStringLiteral("<< ") + text, RemoteLogColour::Green);
}

void TClientServerCommon::ResetTransfer()
{
    m_receiver.Reset();
}

QString TClientServerCommon::TrafficLine() const
{
    return QStringLiteral("Отдача: %1 Кб | Прием: %2 Кб")
        .arg(static_cast<double>(m_bytesSent) / 1024.0, 0, 'f', 2)
        .arg(static_cast<double>(m_bytesReceived) / 1024.0, 0, 'f', 2);
}

void TClientServerCommon::Log(RemoteLog &log, const QString &text, RemoteLogColour colour,
                              bool bold)
{
    if (!OffThread()) {
        log.Add(text, colour, bold);
        return;
    }
    PostCall(this, [&log, text, colour, bold] { log.Add(text, colour, bold); });
}

bool TClientServerCommon::OffThread() const
{
    return QThread::currentThread() != thread();
}

bool TClientServerCommon::OfferToEventWait(RemoteCommand command, const QByteArray &payload)
{
    {
        const std::lock_guard lock(m_eventMutex);
        if (m_eventAwaited != command || m_eventAnswer)
            return false;
        m_eventAnswer = payload;
    }
    m_event.Set();
    return true;
}

void TClientServerCommon::AbortEventWait()
{
    {
        const std::lock_guard lock(m_eventMutex);
        if (!m_eventAwaited)
            return;
    }
    m_event.Set();
}

void TClientServerCommon::EndBlockWaits()
{
    const auto isBlockAck = [](RemoteCommand command) {
        return command == RemoteCommand::FileOk || command == RemoteCommand::BufOk;
    };
    if (m_wait && isBlockAck(m_wait->awaited))
        m_wait->loop.quit();
    {
        const std::lock_guard lock(m_eventMutex);
        if (!m_eventAwaited || !isBlockAck(*m_eventAwaited))
            return;
    }
    m_event.Set();
}

void TClientServerCommon::ClearStatistics()
{
    m_bytesSent = 0;
    m_bytesReceived = 0;
    emit TrafficChanged(TrafficLine());
}

void TClientServerCommon::SetState(State state)
{
    if (state != State::Waiting)
        m_loggedIn = state == State::LoggedIn;
    if (m_wait && state != State::Waiting) {
        // A change while waiting (a lost peer) is what the wait returns to.
        m_wait->restore = state;
        if (m_state == State::Waiting)
            return;
    }
    if (state == m_state)
        return;
    m_state = state;
    emit StateChanged(state);
}

void TClientServerCommon::Watch(QTcpSocket *socket)
{
    socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    auto *inbox = new SocketInbox(socket);
    connect(&inbox->quiet, &QTimer::timeout, this, [this, socket] { TakeOpen(socket); });
    connect(&inbox->deadline, &QTimer::timeout, this, [this, socket] { Overdue(socket); });
    connect(socket, &QTcpSocket::readyRead, this, [this, socket] { ReadFrom(socket); });
    connect(socket, &QTcpSocket::errorOccurred, this,
            [this, socket](QAbstractSocket::SocketError error) {
                LogSocketError(socket, error);
                OnSocketError(socket, error);
            });
    const void *key = socket;
    // What a connection left half-said is not the start of the next one's.
    connect(socket, &QTcpSocket::disconnected, inbox, [inbox] { inbox->Clear(); });
    connect(socket, &QTcpSocket::disconnected, this, [this, key] { Lost(key); });
}

void TClientServerCommon::ReadFrom(QTcpSocket *socket)
{
    SocketInbox *inbox = SocketInbox::Of(socket);
    // A socket being closed (a refused login) is not heard further.
    if (!inbox || socket->state() != QAbstractSocket::ConnectedState)
        return;
    const QByteArray bytes = socket->readAll();
    if (bytes.isEmpty())
        return;
    socket->setProperty(kLastSendProperty, QVariant()); // the peer spoke since
    m_bytesReceived += bytes.size();
    emit TrafficChanged(TrafficLine());
    inbox->framer.Append(bytes);
    DispatchWhole(socket);
}

void TClientServerCommon::DispatchWhole(QTcpSocket *socket)
{
    // A message may end anything, this socket too: what it touches after a
    // dispatch is guarded.
    const QPointer<QTcpSocket> guard(socket);
    QPointer<SocketInbox> inbox(SocketInbox::Of(socket));
    bool took = false;
    while (inbox) {
        const auto message = inbox->framer.Next();
        if (!message)
            break;
        took = true;
        Dispatch(*message, guard.data());
    }
    if (!guard || !inbox)
        return;
    // The clock of a message runs from its first byte; a message taken
    // starts the next one's.
    if (took)
        inbox->deadline.stop();
    switch (inbox->framer.State()) {
    case MessageFramer::Pending::Nothing:
        inbox->quiet.stop();
        inbox->deadline.stop();
        break;
    case MessageFramer::Pending::Incomplete:
        inbox->quiet.stop();
        if (!inbox->deadline.isActive())
            inbox->deadline.start(kRemoteAssemblyTimeoutMs);
        break;
    case MessageFramer::Pending::Open:
        inbox->deadline.stop();
        inbox->quiet.start(kRemoteQuietMs); // from the last byte that came
        break;
    }
}

void TClientServerCommon::TakeOpen(QTcpSocket *socket)
{
    SocketInbox *inbox = SocketInbox::Of(socket);
    if (!inbox || inbox->framer.State() != MessageFramer::Pending::Open)
        return;
    Dispatch(inbox->framer.TakeAll(), socket);
}

void TClientServerCommon::Overdue(QTcpSocket *socket)
{
    SocketInbox *inbox = SocketInbox::Of(socket);
    if (!inbox || inbox->framer.State() != MessageFramer::Pending::Incomplete)
        return;
    const auto message = SplitMessage(inbox->framer.TakeAll());
    // Only a connection that is heard at all is answered.
    if (!message || !Admits(message->command, socket))
        return;
    const bool isFile = message->command == RemoteCommand::File;
    if (isFile || message->command == RemoteCommand::Buf) {
        // Never a short block: the transfer fails on both sides.
        m_receiver.Reset();
        RefuseBlock(isFile, socket);
        return;
    }
    m_connectionLog.Add(QStringLiteral("Получено неполное сообщение ") +
                            QString::fromLatin1(CommandWord(message->command).trimmed()),
                        RemoteLogColour::Red);
}

void TClientServerCommon::Dispatch(const QByteArray &bytes, QTcpSocket *from)
{
    const auto message = SplitMessage(bytes);
    if (!message) {
        // Only from a connection that is heard at all: a stranger's junk
        // is not worth a line.
        if (from == m_peer || m_peer.isNull())
            m_connectionLog.Add(QStringLiteral("Получена неизвестная команда"),
                                RemoteLogColour::Red);
        return;
    }
    if (!Admits(message->command, from))
        return;
    if (from == m_peer && OfferToEventWait(message->command, message->payload))
        return;
    if (m_wait && m_wait->awaited == message->command && from == m_peer) {
        m_lastPayload = message->payload;
        m_wait->arrived = true;
        m_wait->loop.quit();
        return;
    }
    m_lastPayload = message->payload;
    switch (message->command) {
    case RemoteCommand::Error:
        m_connectionLog.Add(FromWire(message->payload), RemoteLogColour::Red, true);
        // The peer refused what it was sent: a block waiting for its
        // acknowledgement waits no longer.
        if (from == m_peer)
            EndBlockWaits();
        break;
    case RemoteCommand::ErrorInfo:
        m_infoLog.Add(FromWire(message->payload), RemoteLogColour::Red, true);
        break;
    case RemoteCommand::Chat: {
        const QString text = FromWire(message->payload);
        m_chatLog.Add(QStringLiteral(">> ") + text, RemoteLogColour::DarkBlue);
        emit ChatReceived(text);
        break;
    }
    case RemoteCommand::File:
    case RemoteCommand::Buf:
        ReceiveBlock(message->payload, message->command == RemoteCommand::File, from);
        break;
    default:
        break;
    }
    HandleMessage(message->command, message->payload, from);
    if (m_consumer)
        m_consumer(message->command, message->payload);
}

void TClientServerCommon::ReceiveBlock(const QByteArray &payload, bool isFile, QTcpSocket *from)
{
    const auto block = isFile ? ParseFileBlock(payload) : ParseBufferBlock(payload);
    if (!block) {
        m_receiver.Reset();
        RefuseBlock(isFile, from);
        return;
    }
    const BlockResult result = m_receiver.Accept(*block, isFile);
    if (result.started)
        m_infoLog.Add(isFile ? QStringLiteral("Получение файла ") + Quoted(result.name) +
                                   QStringLiteral("...")
                             : QStringLiteral("Получение буфера данных..."));
    switch (result.outcome) {
    case BlockOutcome::Refused:
        RefuseBlock(isFile, from);
        return;
    case BlockOutcome::FolderFull:
        m_infoLog.Add(QStringLiteral("Файл ") + Quoted(result.name) +
                          QStringLiteral(" не принят: папка приема файлов заполнена"),
                      RemoteLogColour::Red);
        SendText(RemoteCommand::Error,
                 QStringLiteral("Папка приема файлов удаленного компьютера заполнена: файл ") +
                     Quoted(result.name) + QStringLiteral(" не принят"),
                 from);
        return;
    case BlockOutcome::CreateFailed:
        SendText(RemoteCommand::Error,
                 QStringLiteral("Ошибка создания файла ") + Quoted(result.name) +
                     QStringLiteral(" на сервере"),
                 from);
        return;
    case BlockOutcome::WriteFailed:
        m_infoLog.Add(QStringLiteral("Ошибка записи файла ") + Quoted(result.name) +
                          QStringLiteral(" на диск"),
                      RemoteLogColour::Red);
        SendText(RemoteCommand::Error,
                 QStringLiteral("Ошибка записи файла ") + Quoted(result.name) +
                     QStringLiteral(" на сервере"),
                 from);
        return;
    case BlockOutcome::Completed:
        m_infoLog.Add(isFile
                          ? QStringLiteral("Файл ") + Quoted(result.name) +
                                QStringLiteral(" получен (") + QString::number(result.size) + u')'
                          : QStringLiteral("Буфер данных получен (") +
                                QString::number(result.size) + u')');
        break;
    case BlockOutcome::Accepted:
        break;
    }
    const RemoteAck ack{block->name, block->index};
    if (isFile)
        SendCommand(RemoteCommand::FileOk, FileAckPayload(ack), from);
    else
        SendCommand(RemoteCommand::BufOk, BufferAckPayload(ack), from);
}

void TClientServerCommon::RefuseBlock(bool isFile, QTcpSocket *from)
{
    m_infoLog.Add(isFile ? QStringLiteral("Ошибка при получении файла")
                         : QStringLiteral("Ошибка при получении буфера данных"),
                  RemoteLogColour::Red);
    SendText(RemoteCommand::Error,
             isFile ? QStringLiteral("Ошибка удаленного компьютера при получении файла")
                    : QStringLiteral("Ошибка удаленного компьютера при получении буфера данных"),
             from);
}

void TClientServerCommon::LogSocketError(QTcpSocket *socket, QAbstractSocket::SocketError error)
{
    // The peer closing the connection is no error: the role logs the
    // disconnection itself.
    if (error == QAbstractSocket::RemoteHostClosedError)
        return;
    m_connectionLog.Add(u'[' + ErrorKind(error) + QStringLiteral("] ") + socket->errorString(),
                        RemoteLogColour::Red, true);
}

void TClientServerCommon::Lost(const void *key)
{
    if (!IsPeer(key))
        return;
    // A transfer from a peer that is gone can never complete.
    m_receiver.Reset();
    if (m_wait)
        m_wait->loop.quit();
    AbortEventWait();
}

} // namespace qv
