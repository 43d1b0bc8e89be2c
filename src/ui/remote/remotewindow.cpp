#include "ui/remote/remotewindow.h"

#include "infra/mesbo.h"
#include "model/settings/remotesettings.h"
#include "remote/client.h"
#include "remote/server.h"
#include "ui/services/secondarywindows.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTabBar>
#include <QTabWidget>
#include <QTextDocument>
#include <QTextEdit>
#include <QVBoxLayout>

namespace qv {

namespace {

const QString kConnect = QStringLiteral("Соединение");
const QString kDisconnect = QStringLiteral("Отключиться");
// A marked tab's caption: dark red.
const QColor kMarkedTab(0x80, 0x00, 0x00);

QString ColourName(RemoteLogColour colour)
{
    switch (colour) {
    case RemoteLogColour::Navy:
        return QStringLiteral("#000080");
    case RemoteLogColour::Red:
        return QStringLiteral("#FF0000");
    case RemoteLogColour::DarkBlue:
        return QStringLiteral("#00008B");
    case RemoteLogColour::Green:
        return QStringLiteral("#008000");
    case RemoteLogColour::Default:
        break;
    }
    return {};
}

// One log line as HTML; a chat line has only its prefix coloured.
QString LineHtml(const RemoteLogLine &line)
{
    const QString time = line.time.toString(QStringLiteral("hh:mm:ss.zzz")) + QStringLiteral(": ");
    QString prefix;
    QString text = line.text;
    const bool chat =
        line.colour == RemoteLogColour::DarkBlue || line.colour == RemoteLogColour::Green;
    if (chat &&
        (text.startsWith(QStringLiteral(">> ")) || text.startsWith(QStringLiteral("<< ")))) {
        prefix = text.left(3);
        text = text.mid(3);
    }
    const QString colour = ColourName(line.colour);
    const auto coloured = [&colour](const QString &part) {
        return colour.isEmpty() ? part.toHtmlEscaped()
                                : QStringLiteral("<span style=\"color:%1\">%2</span>")
                                      .arg(colour, part.toHtmlEscaped());
    };
    QString body = chat ? coloured(prefix) + text.toHtmlEscaped() : coloured(text);
    if (line.bold)
        body = QStringLiteral("<b>") + body + QStringLiteral("</b>");
    // Always marked up: a line without a tag would be taken for plain text
    // and show its escapes ("&quot;") as they are.
    return QStringLiteral("<span>") + time.toHtmlEscaped() + body + QStringLiteral("</span>");
}

void FillBox(QComboBox *box, const std::vector<std::string> &history, const std::string &current,
             std::string_view fallback)
{
    for (const std::string &entry : history)
        box->addItem(QString::fromStdString(entry));
    QString text = QString::fromStdString(current);
    if (text.trimmed().isEmpty())
        text = box->count() > 0 ? box->itemText(0) : QString::fromUtf8(fallback);
    box->setCurrentText(text);
}

} // namespace

TfmRemote::TfmRemote(TClient *client, TServer *server, RemoteSettings &settings, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_client(client)
    , m_server(server)
    , m_role(client ? static_cast<TClientServerCommon &>(*client)
                    : static_cast<TClientServerCommon &>(*server))
    , m_settings(settings)
{
    setObjectName(QStringLiteral("fmRemote"));
    // Opening a file closes the secondary windows; this one holds the link.
    services::SetStaysOnReset(*this);
    setWindowTitle(QStringLiteral("Удаленное управление - ") +
                   (client ? QStringLiteral("клиент") : QStringLiteral("сервер")));
    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("pcRemote"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_pages);

    m_pageWidgets[ConnectionPage] = BuildConnectionPage();
    m_pageWidgets[InfoPage] = BuildLogPage(m_logs[InfoPage]);
    m_pageWidgets[ChatPage] = BuildChatPage();
    m_pageWidgets[ClientSettingsPage] = BuildSettingsPage(true);
    m_pageWidgets[ServerSettingsPage] = BuildSettingsPage(false);
    m_pages->addTab(m_pageWidgets[ConnectionPage], QStringLiteral("Соединение"));
    m_pages->addTab(m_pageWidgets[InfoPage], QStringLiteral("Инфо"));
    m_pages->addTab(m_pageWidgets[ChatPage], QStringLiteral("Чат"));
    m_pages->addTab(m_pageWidgets[ClientSettingsPage], QStringLiteral("Настройки"));
    m_pages->addTab(m_pageWidgets[ServerSettingsPage], QStringLiteral("Настройки"));
    m_pages->setTabVisible(client ? ServerSettingsPage : ClientSettingsPage, false);
    connect(m_pages, &QTabWidget::currentChanged, this,
            [this](int index) { MarkPage(static_cast<Page>(index), false); });

    ShowLog(m_role.ConnectionLog(), m_logs[ConnectionPage], ConnectionPage);
    ShowLog(m_role.InfoLog(), m_logs[InfoPage], InfoPage);
    ShowLog(m_role.ChatLog(), m_logs[ChatPage], ChatPage);
    m_traffic->setText(m_role.TrafficLine());
    connect(&m_role, &TClientServerCommon::TrafficChanged, m_traffic, &QLabel::setText);
    connect(&m_role, &TClientServerCommon::ChatReceived, this, [] { QApplication::beep(); });
    connect(&m_role, &TClientServerCommon::StateChanged, this, [this] { OnStateChanged(); });
    if (m_client) {
        connect(m_client, &TClient::ConnectFailed, this, [this] { SetConnectCaption(false); });
        connect(m_client, &TClient::ConnectionLost, this, [this] { SetConnectCaption(false); });
    }
    OnStateChanged();
    resize(460, 360);
}

TfmRemote::~TfmRemote() = default;

QWidget *TfmRemote::BuildConnectionPage()
{
    auto *page = new QWidget(this);
    auto *layout = new QVBoxLayout(page);
    m_logs[ConnectionPage] = new QTextEdit(page);
    m_logs[ConnectionPage]->setObjectName(QStringLiteral("reConnection"));
    m_logs[ConnectionPage]->setReadOnly(true);
    m_traffic = new QLabel(page);
    m_traffic->setObjectName(QStringLiteral("lbTraffic"));
    layout->addWidget(m_logs[ConnectionPage]);
    layout->addWidget(m_traffic);
    return page;
}

QWidget *TfmRemote::BuildLogPage(QTextEdit *&view)
{
    view = new QTextEdit(this);
    view->setObjectName(QStringLiteral("reInfo"));
    view->setReadOnly(true);
    return view;
}

QWidget *TfmRemote::BuildChatPage()
{
    auto *page = new QWidget(this);
    auto *layout = new QVBoxLayout(page);
    m_chatSplitter = new QSplitter(Qt::Vertical, page);
    m_chatSplitter->setObjectName(QStringLiteral("spChat"));
    m_logs[ChatPage] = new QTextEdit(m_chatSplitter);
    m_logs[ChatPage]->setObjectName(QStringLiteral("reChat"));
    m_logs[ChatPage]->setReadOnly(true);
    auto *inputRow = new QWidget(m_chatSplitter);
    auto *row = new QHBoxLayout(inputRow);
    row->setContentsMargins(0, 0, 0, 0);
    m_chatInput = new QPlainTextEdit(inputRow);
    m_chatInput->setObjectName(QStringLiteral("meChat"));
    m_chatInput->installEventFilter(this);
    m_chatSend = new QPushButton(QStringLiteral("Отправить"), inputRow);
    m_chatSend->setObjectName(QStringLiteral("btSend"));
    row->addWidget(m_chatInput);
    row->addWidget(m_chatSend);
    connect(m_chatSend, &QPushButton::clicked, this, [this] { SendChat(); });
    layout->addWidget(m_chatSplitter);
    if (m_settings.chatSplitter > 0)
        m_chatSplitter->setSizes({m_settings.chatSplitter, 60});
    return page;
}

QWidget *TfmRemote::BuildSettingsPage(bool client)
{
    auto *page = new QWidget(this);
    auto *form = new QFormLayout(page);
    if (client != (m_client != nullptr))
        return page; // the other role's page stays hidden and empty
    if (client) {
        m_address = new QComboBox(page);
        m_address->setObjectName(QStringLiteral("cbAddress"));
        m_address->setEditable(true);
        FillBox(m_address, m_settings.serverAddresses, m_settings.serverAddress,
                RemoteSettings::kDefaultServerAddress);
        form->addRow(QStringLiteral("IP-адрес сервера:"), m_address);
    }
    m_port = new QComboBox(page);
    m_port->setObjectName(QStringLiteral("cbPort"));
    m_port->setEditable(true);
    FillBox(m_port, client ? m_settings.clientPorts : m_settings.serverPorts,
            client ? m_settings.clientPort : m_settings.serverPort, RemoteSettings::kDefaultPort);
    form->addRow(QStringLiteral("Порт соединения:"), m_port);
    m_connect = new QPushButton(kConnect, page);
    m_connect->setObjectName(QStringLiteral("btConnect"));
    connect(m_connect, &QPushButton::clicked, this, [this] { ToggleConnection(); });
    form->addRow(m_connect);
    if (client) {
        m_keepLog = new QCheckBox(QStringLiteral("Вести лог-журнал работы"), page);
        m_keepLog->setObjectName(QStringLiteral("chLog"));
        m_keepLog->setChecked(m_settings.keepLog);
        form->addRow(m_keepLog);
    }
    return page;
}

QTextEdit *TfmRemote::LogView(Page page) const
{
    return page <= ChatPage ? m_logs[page] : nullptr;
}

void TfmRemote::ShowLog(RemoteLog &log, QTextEdit *view, Page page)
{
    // The page shows what the log keeps, no more.
    view->document()->setMaximumBlockCount(static_cast<int>(RemoteLog::kMaxLines));
    for (const RemoteLogLine &line : log.Lines())
        view->append(LineHtml(line));
    connect(&log, &RemoteLog::LineAdded, view,
            [this, view, page](const RemoteLogLine &line) { AddLine(view, page, line); });
    connect(&log, &RemoteLog::Cleared, view, &QTextEdit::clear);
}

void TfmRemote::AddLine(QTextEdit *view, Page page, const RemoteLogLine &line)
{
    view->append(LineHtml(line));
    if (m_pages->currentIndex() != page || !isVisible())
        MarkPage(page, true);
}

void TfmRemote::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    MarkPage(static_cast<Page>(m_pages->currentIndex()), false); // the shown page is seen
}

void TfmRemote::MarkPage(Page page, bool marked)
{
    if (page > ServerSettingsPage || m_marked[page] == marked)
        return;
    if (marked && m_pages->currentIndex() == page && isVisible())
        return;
    m_marked[page] = marked;
    m_pages->tabBar()->setTabTextColor(page, marked ? kMarkedTab : QColor());
}

bool TfmRemote::PageMarked(Page page) const
{
    return m_marked[page];
}

bool TfmRemote::PageShown(Page page) const
{
    return m_pages->isTabVisible(page);
}

bool TfmRemote::LinkUp() const
{
    return m_role.LoggedIn();
}

void TfmRemote::OnStateChanged()
{
    const bool loggedIn = LinkUp();
    m_pages->setTabVisible(InfoPage, loggedIn);
    m_pages->setTabVisible(ChatPage, loggedIn);
    if (m_role.GetState() == TClientServerCommon::State::Idle)
        SetConnectCaption(false);
}

void TfmRemote::SetConnectCaption(bool active)
{
    m_active = active;
    if (m_connect)
        m_connect->setText(active ? kDisconnect : kConnect);
}

void TfmRemote::ToggleConnection()
{
    if (m_active) {
        SetConnectCaption(false);
        if (m_client)
            m_client->Disconnect();
        else
            m_server->StopListening();
        return;
    }
    bool portOk = false;
    const uint port = m_port->currentText().trimmed().toUInt(&portOk);
    // Port 0 lets a server listen on any free port (its log tells which).
    if (!portOk || (port == 0 && m_client) || port > 65535) {
        m_role.ConnectionLog().Add(QStringLiteral("Неверный номер порта: ") + m_port->currentText(),
                                   RemoteLogColour::Red, true);
        return;
    }
    m_pages->setCurrentIndex(ConnectionPage);
    SetConnectCaption(true);
    if (m_client) {
        m_client->Connect(m_address->currentText().trimmed(), static_cast<quint16>(port));
        return;
    }
    const QString listen = m_listen.value_or(QString::fromStdString(m_settings.listenAddress));
    const QHostAddress address =
        listen.isEmpty() ? QHostAddress(QHostAddress::Any) : QHostAddress(listen);
    if (address.isNull()) {
        m_role.ConnectionLog().Add(QStringLiteral("Неверный адрес прослушивания: ") + listen,
                                   RemoteLogColour::Red, true);
        SetConnectCaption(false);
        return;
    }
    if (!m_server->Listen(address, static_cast<quint16>(port)))
        SetConnectCaption(false);
}

void TfmRemote::UseAddress(const QString &address, const QString &port)
{
    if (m_client && !address.isEmpty())
        m_address->setCurrentText(address);
    else if (m_server)
        m_listen = address;
    if (!port.isEmpty())
        m_port->setCurrentText(port);
}

bool TfmRemote::Command(const QString &name, const QByteArray &bytes, const QString &text)
{
    if (name == QStringLiteral("closeform")) {
        if (!LinkUp())
            close();
        return true;
    }
    if (!LinkUp())
        return true;
    if (name == QStringLiteral("sendbuffer"))
        m_role.SendData(bytes, {});
    else if (name == QStringLiteral("sendfile") && m_server)
        return m_role.SendFile(text);
    else if (name == QStringLiteral("openfile") && m_server)
        m_role.SendText(RemoteCommand::Open, QFileInfo(text).fileName());
    else if (name == QStringLiteral("bufapply"))
        return m_role.ApplyBuffer(text);
    else if (name == QStringLiteral("11"))
        m_role.SendCommand(RemoteCommand::Click, bytes);
    return true;
}

void TfmRemote::SendChat()
{
    const QString text = m_chatInput->toPlainText().trimmed();
    if (!text.isEmpty())
        m_role.Chat(text);
    m_chatInput->clear();
}

bool TfmRemote::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_chatInput && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            key->modifiers().testFlag(Qt::ControlModifier)) {
            SendChat();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TfmRemote::RememberTexts()
{
    if (m_client) {
        RemoteSettings::Remember(m_settings.serverAddresses,
                                 m_address->currentText().toStdString());
        m_settings.serverAddress = m_address->currentText().trimmed().toStdString();
        RemoteSettings::Remember(m_settings.clientPorts, m_port->currentText().toStdString());
        m_settings.clientPort = m_port->currentText().trimmed().toStdString();
        m_settings.keepLog = m_keepLog->isChecked();
    } else {
        RemoteSettings::Remember(m_settings.serverPorts, m_port->currentText().toStdString());
        m_settings.serverPort = m_port->currentText().trimmed().toStdString();
    }
    const QList<int> sizes = m_chatSplitter->sizes();
    if (!sizes.isEmpty() && sizes.front() > 0)
        m_settings.chatSplitter = sizes.front();
}

void TfmRemote::closeEvent(QCloseEvent *event)
{
    if (m_closing) {
        event->accept();
        return;
    }
    if (Mesbo().Show("Завершить удаленное управление?", MbQuestion, windowTitle().toStdString()) !=
        MbYes) {
        event->ignore();
        return;
    }
    m_closing = true;
    RememberTexts();
    event->accept();
    emit CloseConfirmed();
}

} // namespace qv
