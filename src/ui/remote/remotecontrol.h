#pragma once

// RemoteControl: the remote roles of the program. It owns at most one role
// object (TClient or TServer) with its window (TfmRemote), the run's link
// (TRemoteRunLink, for the program's life) and, while a server role
// exists, the capture of the operator's presses, which go to a logged-in
// client. A client opens the files the server sends and repeats its clicks.
//
// The role and its window go together: closing the window (after its
// question) or choosing the active role's command again with the link down
// switches the role off. It reaches the main window only through
// RemoteHost.

#include "remote/remoterunlink.h"
#include "ui/remote/remotedesk.h"
#include "ui/remote/remotehost.h"

#include <QObject>
#include <atomic>
#include <memory>

namespace qv {

class ClickCapture;
namespace run {
class RunCommand;
}
class SettingsStore;
class TClient;
class TClientServerCommon;
class TfmRemote;
class TServer;
struct RemoteClick;

class RemoteControl final : public QObject, public RemoteDesk
{
    Q_OBJECT
public:
    // Attaches itself to the window's commands; the window and the store
    // must outlive it. receiveDir: where received files go (the program's
    // "remote" folder).
    RemoteControl(RemoteHost &window, SettingsStore &store, QString receiveDir);
    ~RemoteControl() override;

    RemoteControl(const RemoteControl &) = delete;
    RemoteControl &operator=(const RemoteControl &) = delete;

    // RemoteDesk
    Role ActiveRole() const override;
    void Start(Role role, const QString &address, bool connectNow) override;
    void CloseForm() override;
    void FileOpened(const QString &path) override;
    bool ClientLoggedIn() const override;
    bool LinkUp() const override;
    void Stop() override;

    // For the run driver: the link, and whether the bench runs the test
    // (server with a client) or a server watches (logged-in client).
    RemoteRunLink *Link() { return &m_link; }
    // Has every run of the command ask for the link and the role.
    void ServeRuns(run::RunCommand &command);
    bool ServerWithBench() const; // any thread
    bool ClientWatched() const;

    TfmRemote *Window() const { return m_form.get(); }
    TClient *Client() const { return m_client.get(); }
    TServer *Server() const { return m_server.get(); }
    ClickCapture *Capture() const { return m_capture.get(); }

signals:
    // A role started or stopped.
    void RoleChanged();

private:
    TClientServerCommon *Role_() const;
    void MakeWindow(TClient *client, TServer *server);
    void SendClick(const RemoteClick &click);
    // A file of the test file did not reach the bench: the bench is left
    // as it was, and the operator here is told.
    void TransferFailed(const QString &failed, const QString &testFile);
    // Repeats a click; a window the bench is still opening gets a while.
    void Replay(const RemoteClick &click, int triesLeft);
    void MarkActions();

    RemoteHost &m_host;
    SettingsStore &m_store;
    QString m_receiveDir;
    TRemoteRunLink m_link;
    std::unique_ptr<TfmRemote> m_form; // before the roles: it watches them
    std::unique_ptr<ClickCapture> m_capture;
    std::unique_ptr<TClient> m_client;
    std::unique_ptr<TServer> m_server;
    std::atomic<bool> m_serverRole{false};
};

} // namespace qv
