#pragma once

// The main window's services that start something outside the window: the
// probe menu, the test editor round trip, the data editor, the byte
// splitter, the self-diagnostics, and the input hooks of the remote server.
// Owned by the main window (a child object); it connects the commands. It
// reaches the window through the window's widget and a small host of
// callbacks, never through the window's members.

#include "ui/services/probecommands.h"

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class QAction;
class QWidget;

namespace qv {

class DeskSession;
class SettingsStore;
class TQuorvik;

namespace services {

class InputHooks;

class MainServices : public QObject
{
    Q_OBJECT

public:
    struct Host
    {
        // Before the test editor takes the open file: whether the document
        // may go (the operator may save it first, or cancel).
        std::function<bool()> confirmDiscard;
        // After the editor saved the open file: it is opened again without
        // a question; false when it was not loaded.
        std::function<bool(const QString &path)> reopen;
        // The test the editor was on is shown (0-based).
        std::function<void(int test)> selectTest;
        // Fills the shown view again (after the probe entries changed).
        std::function<void()> refill;
    };
    // The window's commands these services answer (none null).
    struct Actions
    {
        QAction *editTests = nullptr;
        QAction *dataEditor = nullptr;
        QAction *byteSplitter = nullptr;
        QAction *selfDiagnostics = nullptr;
        ProbeCommands::Actions probes;
    };

    // `window` hides while the test editor runs and parents the dialogs and
    // this object; the document and the settings store outlive it (all
    // belong to the window). desk: the unit's session; null without a unit.
    MainServices(QWidget &window, TQuorvik &document, SettingsStore &store, DeskSession *desk,
                 Host host);
    ~MainServices() override;

    void ConnectActions(const Actions &actions);

    ProbeCommands &Probes() { return *m_probes; }
    services::InputHooks &InputHooks() { return *m_hooks; }

    // "&Редактор диагностических тестов": the secondary windows close, the
    // main window hides while the editor runs, and the file is opened
    // again on the editor's test when the editor saved the open file.
    void EditTests();
    // "Р&едактор данных" without a file.
    void OpenDataEditor();
    // "Разбивка на L/H байты".
    void StartByteSplitter();
    // "&Диагностика системы".
    void SelfDiagnostics();

private:
    QWidget &m_window;
    TQuorvik &m_document;
    SettingsStore &m_store;
    DeskSession *m_desk;
    Host m_host;
    ProbeCommands *m_probes = nullptr;
    services::InputHooks *m_hooks = nullptr;
};

} // namespace services
} // namespace qv
