#pragma once

// The main window's services that start something outside the window: the
// probe menu, the test editor round trip, the data editor, the byte
// splitter, the self-diagnostics, and the input hooks of the remote server.
// Owned by the main window (a child object); it connects the commands.

#include <QObject>
#include <functional>
#include <memory>

namespace qv {

class DeskSession;
class TBaseForm;

namespace desk {
struct MainActions;
}

namespace services {

class InputHooks;
class ProbeCommands;

class MainServices : public QObject
{
    Q_OBJECT

public:
    // refill: fills the shown view again (after the probe entries changed).
    // desk: the unit's session; null without a unit.
    MainServices(TBaseForm &window, DeskSession *desk, std::function<void()> refill);
    ~MainServices() override;

    void connectActions(const desk::MainActions &actions);

    ProbeCommands &probes() { return *m_probes; }
    InputHooks &inputHooks() { return *m_hooks; }

    // "&Редактор диагностических тестов": the secondary windows close, the
    // main window hides while the editor runs, and the file is opened
    // again on the editor's test when the editor saved the open file.
    void editTests();
    // "Р&едактор данных" without a file.
    void openDataEditor();
    // "Разбивка на L/H байты".
    void startByteSplitter();
    // "&Диагностика системы".
    void selfDiagnostics();

private:
    TBaseForm &m_window;
    DeskSession *m_desk;
    ProbeCommands *m_probes = nullptr;
    InputHooks *m_hooks = nullptr;
};

} // namespace services
} // namespace qv
