#pragma once

// TfmRemote (form name "fmRemote"): the window of a remote role,
// "Удаленное управление - клиент" or "- сервер". Pages: "Соединение" (the
// connection log and the traffic line), "Инфо" and "Чат" (while logged in),
// and the role's "Настройки" (address and port lists with their history,
// the connect button). It shows the role's logs as they grow and is the
// entry through which the main window sends commands over the link.
//
// The window belongs to the role's owner (RemoteControl) and stays while
// the role exists. Closing asks "Завершить удаленное управление?"; on Yes
// the current texts go to the history lists and CloseConfirmed() is
// emitted, after which the owner destroys the role and the window.

#include "remote/remotelog.h"

#include <QWidget>
#include <optional>

class QCheckBox;
class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QSplitter;
class QTabWidget;
class QTextEdit;

namespace qv {

class TClient;
class TClientServerCommon;
class TServer;
struct RemoteSettings;

class TfmRemote : public QWidget
{
    Q_OBJECT
public:
    enum Page { ConnectionPage = 0, InfoPage, ChatPage, ClientSettingsPage, ServerSettingsPage };

    // Exactly one of client and server is given; settings hold the lists
    // and are written back when the window closes.
    TfmRemote(TClient *client, TServer *server, RemoteSettings &settings,
              QWidget *parent = nullptr);
    ~TfmRemote() override;

    // The commands of the main window and the run: "sendbuffer" (bytes),
    // "sendfile" (text: path), "openfile" (text: path), "bufapply" (text),
    // "11" (bytes: a click), "closeform". All but "closeform" act only
    // while the link is up; the result is false only for a failed
    // "bufapply" or "sendfile".
    bool Command(const QString &name, const QByteArray &bytes = {}, const QString &text = {});

    // Texts for this session (the command line): the server's address (a
    // client) or the address to listen on (a server; empty: every
    // interface), and the port; an empty text keeps the field.
    void UseAddress(const QString &address, const QString &port);

    // The connect button: connects or listens when idle, else disconnects
    // or stops listening.
    void ToggleConnection();
    // Whether a page's tab is marked (a line came while it was not shown).
    bool PageMarked(Page page) const;
    bool PageShown(Page page) const;

    QTabWidget *Pages() const { return m_pages; }
    QComboBox *AddressBox() const { return m_address; }
    QComboBox *PortBox() const { return m_port; }
    QPushButton *ConnectButton() const { return m_connect; }
    QPlainTextEdit *ChatInput() const { return m_chatInput; }
    QPushButton *ChatSendButton() const { return m_chatSend; }
    QTextEdit *LogView(Page page) const;
    QLabel *TrafficLabel() const { return m_traffic; }

signals:
    // The operator confirmed closing: the role is to be switched off.
    void CloseConfirmed();

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *BuildConnectionPage();
    QWidget *BuildLogPage(QTextEdit *&view);
    QWidget *BuildChatPage();
    QWidget *BuildSettingsPage(bool client);
    void ShowLog(RemoteLog &log, QTextEdit *view, Page page);
    void AddLine(QTextEdit *view, Page page, const RemoteLogLine &line);
    void MarkPage(Page page, bool marked);
    void OnStateChanged();
    void SetConnectCaption(bool active);
    void SendChat();
    void RememberTexts();
    bool LinkUp() const;

    TClient *m_client;
    TServer *m_server;
    TClientServerCommon &m_role;
    RemoteSettings &m_settings;
    QTabWidget *m_pages = nullptr;
    QWidget *m_pageWidgets[5] = {};
    QTextEdit *m_logs[3] = {};
    QLabel *m_traffic = nullptr;
    QSplitter *m_chatSplitter = nullptr;
    QPlainTextEdit *m_chatInput = nullptr;
    QPushButton *m_chatSend = nullptr;
    QComboBox *m_address = nullptr;
    QComboBox *m_port = nullptr;
    QPushButton *m_connect = nullptr;
    QCheckBox *m_keepLog = nullptr;
    std::optional<QString> m_listen; // the session's listen address
    bool m_active = false;           // the connect button reads "Отключиться"
    bool m_marked[5] = {};
    bool m_closing = false;
};

} // namespace qv
