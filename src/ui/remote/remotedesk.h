#pragma once

// The main window's view of remote control: which role is active, starting
// one, the "closeform" command, and what an opened file means for the link.
// RemoteControl implements it; the window works without one (the commands
// then say that remote control is not available).

#include <QString>

namespace qv {

class RemoteDesk
{
public:
    enum class Role { None, Client, Server };

    virtual ~RemoteDesk() = default;
    virtual Role ActiveRole() const = 0;
    // Starts a role and shows its window. address: "HOST[:PORT]" for a
    // client, "[ADDR:]PORT" for a server; empty keeps the window's fields.
    // connectNow presses the connect button at once.
    virtual void Start(Role role, const QString &address, bool connectNow) = 0;
    // "closeform": the role's window closes itself while the link is down.
    virtual void CloseForm() = 0;
    // The operator opened a file: a server with a client sends it over and
    // has it opened there.
    virtual void FileOpened(const QString &path) = 0;
    // The system is a logged-in client: the operator's own opens are off.
    virtual bool ClientLoggedIn() const = 0;
    // A peer is logged in on the active role's link (it may start a run).
    virtual bool LinkUp() const = 0;
    // Switches the role off at once, its window too (no question).
    virtual void Stop() = 0;
};

} // namespace qv
