#pragma once

// RemoteHost: what the remote roles need of the main window, and no more:
// the document (whose data files go with a file sent to the bench), opening
// a file the server sends, being told which remote roles exist, and ticking
// the two role commands. The main window implements it; RemoteControl
// reaches the window only through it.

#include <QString>

namespace qv {

class RemoteDesk;
class TQuorvik;

class RemoteHost
{
public:
    virtual ~RemoteHost() = default;

    virtual TQuorvik &Document() = 0;
    // Opens a file by name; false when it was not loaded. askToSave false:
    // no question about unsaved changes.
    virtual bool OpenFile(const QString &path, bool askToSave) = 0;
    // The window's commands use these roles from now on; null takes them
    // back.
    virtual void SetRemoteDesk(RemoteDesk *remote) = 0;
    // The "Клиент" and "Сервер" commands are ticked while their role is on.
    virtual void ShowRemoteRoles(bool client, bool server) = 0;
};

} // namespace qv
