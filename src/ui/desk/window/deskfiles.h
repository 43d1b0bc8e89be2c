#pragma once

// The main window's files: opening one (the "Открыть" dialog, a recent-files
// entry, a drop, the command line), the recent-files menu and the start
// directory, both kept in the settings. What an open does to the rest of the
// window (closing what belonged to the old file, showing the new one) is the
// host's.

#include "model/document/savedcontent.h"

#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <functional>

class QDragEnterEvent;
class QDropEvent;
class QMenu;
class QWidget;

namespace qv {

class SettingsStore;
class TQuorvik;

namespace desk {

class DeskFiles : public QObject
{
public:
    // What the command line asks for: the last argument that is no remote
    // switch is the file; "\REMOTECLIENT"/"\REMOTESERVER" in any letter
    // case, or "--remote-client"/"--remote-server", the remote roles;
    // "--connect HOST:PORT" and "--listen [ADDR:]PORT" give the role's
    // address and start it connecting or listening at once.
    struct CommandLine
    {
        QString file;
        bool remoteClient = false;
        bool remoteServer = false;
        QString address; // of --connect or --listen; empty: none given
    };
    static CommandLine ParseCommandLine(const QStringList &arguments);

    struct Host
    {
        // True while the desk is a logged-in remote client: the server
        // chooses the files then.
        std::function<bool()> remoteClient;
        // Before anything else of an open: whether the old document may go
        // (the operator may save it first, or cancel the open).
        std::function<bool()> mayDiscard;
        // Before a load: the old file's windows close, the document closes.
        std::function<void()> closeForOpen;
        // After a load: the window shows the file (its absolute path).
        std::function<void(const QString &path)> showOpened;
        // The remote role the command line asks for (one is set).
        std::function<void(const CommandLine &line)> startRemote;
    };

    // `window` parents the dialogs and this object; the document, the
    // settings store and the recent-files menu outlive it (all belong to
    // the window).
    DeskFiles(QWidget &window, TQuorvik &document, SettingsStore &store, QMenu &recentMenu,
              Host host);

    // Opens a file by name; false when it was not loaded (the document
    // said why) or the old document was kept. askToSave false skips
    // mayDiscard.
    bool Open(const QString &path, bool askToSave = true);
    // The command "Открыть": the open dialog, then Open.
    void OpenCommand();
    // Files dropped on the window: exactly one is opened, more are refused.
    void OpenDropped(const QStringList &paths);
    // Opens the command line's file after 10 ms, then starts its remote role.
    void StartFromCommandLine(const QStringList &arguments);

    void DragEnter(QDragEnterEvent &event);
    void Drop(QDropEvent &event);

    // A file saved or opened: its folder becomes the start directory and
    // (unless a remote client) it heads the recent files.
    void Remember(const QString &path);
    // After a load or a successful save: what the document holds now is
    // what its file holds.
    void MarkSaved() { m_saved.Take(m_document); }
    // Whether a save would write something the file does not hold yet.
    bool HasUnsavedChanges() const { return m_saved.Changed(m_document); }

    QStringList RecentFiles() const;
    QString StartDirectory() const;
    // Where the open dialog starts: the start directory, else the program's
    // "Тесты" folder, else the program's folder.
    QString DialogDirectory() const;
    // The menu's entries from the settings' list.
    void FillRecentMenu();

private:
    QWidget &m_window;
    TQuorvik &m_document;
    SettingsStore &m_store;
    QMenu &m_recentMenu;
    Host m_host;
    QSet<QString> m_unremembered; // paths the settings cannot hold, told once
    SavedContentMark m_saved;
};

} // namespace desk
} // namespace qv
