#pragma once

// TBaseForm (form name "BaseForm"): the operator's desk. It owns the
// document for the life of the window, the views (diagram over table), the
// commands with their menus and bars ("Главное меню", "Панель
// инструментов", "Пуск", "Общие сведения"), the information panel with the
// test tabs, and the comment window. It reads its settings from the
// settings store it is given and gives them back at close.
//
// The run itself belongs to the run driver: StartRun() calls the handler
// set with SetRunHandler(), which calls RunFinished() when the run is over.
//
// The window composes collaborators that it owns and that reach it through
// small hosts of callbacks, never through its members. In ui/desk/window:
// DeskFiles (open, recent files, drops, command line), ListCommands (word
// and function lists), DebugCommands (debug range, cycle, values, probes),
// WindowCommands (properties, settings, calibration, help), DeskComment
// (the comment window) and CommandStates (the enabled and ticked states);
// in ui/desk: MainKeys (the operator keys). What is left here: building
// (mainwindow.cpp, with the observer and close), the views switch with
// tests and modes (mainwindow_state.cpp), the window's side of an open
// (mainwindow_open.cpp), and the wiring, run hook and remote roles
// (mainwindow_commands.cpp).
//
// What is made outside the window reaches it through a narrow host it
// implements: the run command through run::RunHost, the remote roles
// through RemoteHost; the services it owns get a host of callbacks.

#include "execution/port/unitstatus.h"
#include "model/settings/displaycolours.h"
#include "paint/views/pictures.h"
#include "paint/views/qorfunc.h"
#include "ui/desk/mainactions.h"
#include "ui/desk/mainkeys.h"
#include "ui/desk/window/commandstates.h"
#include "ui/desk/window/deskfiles.h"
#include "ui/remote/remotehost.h"
#include "ui/run/runhost.h"

#include <QMainWindow>
#include <QPointer>
#include <QStringList>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

class QToolBar;

namespace qv {

class DeskSession;
class RemoteControl;
class RemoteDesk;
class DiagramView;
class DocumentObserver;
enum class StatusField;
enum class ResultStage : int;
class SettingsStore;
class TableView;
class TestFileUi;
class TQuorvik;
class TfmComment;

namespace services {
class MainServices;
}

namespace diagnosis {
struct Diagnosis;
}

namespace desk {
class ClosingWindow;
class DebugCommands;
class DeskComment;
class DiagnosisCommands;
class ExportCommand;
class InfoPanel;
class ListCommands;
class RunBar;
class WindowCommands;
} // namespace desk

class TBaseForm : public QMainWindow, public run::RunHost, public RemoteHost
{
    Q_OBJECT

public:
    static constexpr int kMinWidth = 725;
    static constexpr int kMinHeight = 200;
    static constexpr int kInitialWidth = 739;
    static constexpr int kInitialHeight = 539;
    static constexpr int kAllTests = 20; // the "все" tab

    // store: the settings (read now, given back at close); null = defaults
    // kept in memory. desk: the session stopped at close (settings written,
    // monitor and port released); may be null.
    explicit TBaseForm(qv::SettingsStore *store = nullptr, DeskSession *desk = nullptr,
                       QWidget *parent = nullptr);
    ~TBaseForm() override;

    // What the command line asks for (desk::DeskFiles::ParseCommandLine).
    using CommandLine = desk::DeskFiles::CommandLine;
    static CommandLine ParseCommandLine(const QStringList &arguments)
    {
        return desk::DeskFiles::ParseCommandLine(arguments);
    }
    static QString FileFromArguments(const QStringList &arguments)
    {
        return ParseCommandLine(arguments).file;
    }

    // First activation: opens the file of the command line after 10 ms (its
    // folder becoming the start directory), then the remote role, then runs
    // `then` (may be empty).
    void StartFromCommandLine(const QStringList &arguments, std::function<void()> then = {});
    // The remote roles (null: not available); must outlive the window or
    // be taken back with null.
    void SetRemoteDesk(qv::RemoteDesk *remote) override { m_remote = remote; }
    // The "Клиент" and "Сервер" commands ticked as their roles are on.
    void ShowRemoteRoles(bool client, bool server) override;

    TQuorvik &Document() override { return *m_document; }
    const desk::MainActions &Actions() const { return m_actions; }
    QAction *ExitAction() const { return m_actions.exit; }
    desk::InfoPanel *InfoPanel() const { return m_info; }
    desk::RunBar *RunBar() const { return m_runBar; }
    // "Экспорт…" of the file menu.
    desk::ExportCommand *ExportCommand() const { return m_export; }
    qv::DiagramView *DiagramView() const { return m_diagram; }
    qv::TableView *TableView() const { return m_table; }
    // The probe menu, the external tools and the input hooks.
    services::MainServices &Services() const { return *m_services; }
    qv::SettingsStore &SettingsStore() const { return *m_store; }
    TfmComment *CommentWindow() const; // null until first shown
    QToolBar *Bar(int index) const;    // 0 menu, 1 tools, 2 run, 3 information
    QStringList RecentFiles() const { return m_files->RecentFiles(); }
    QString StartDirectory() const { return m_files->StartDirectory(); }

    // The views take their colours, the document its display block, from the
    // store's settings.
    void ApplySettings();

    // Opens a file by name (a recent-files entry, a dropped file, the command
    // line); false when it was not loaded (the document said why) or the
    // operator kept the open document. askToSave false: the operator was
    // asked about unsaved changes already.
    bool OpenFile(const QString &path, bool askToSave = true) override
    {
        return m_files->Open(path, askToSave);
    }
    // The command "Открыть": the open dialog, then OpenFile.
    void OpenFileCommand() { m_files->OpenCommand(); }
    // Files dropped on the window: exactly one is opened, more are refused.
    void OpenDroppedFiles(const QStringList &paths) { m_files->OpenDropped(paths); }
    // The command "Сохранить": the save through the save choice dialog, then
    // the views show what the file holds; a new name joins the recent files.
    // False when nothing was written.
    bool SaveFile();
    // Before the document is dropped (another file, the end of the
    // program, the test editor): when a save would write something, asks
    // whether to save. False when the operator cancelled or the save he
    // asked for was not written.
    bool ConfirmDiscard();

    // A tab was chosen (index 0..19 a test, kAllTests "все").
    void SelectTest(int index);
    void ShowDiagram();
    void ShowTable();
    void SetTableForm(bool full);
    void ToggleSolidTest();
    void ToggleDebug();
    void ToggleZond();
    void ToggleCycles();
    void OpenComment();

    // "Пуск" (the button or F5): the button stays pressed while the handler
    // runs. Without a handler the operator is told that running is not
    // available.
    void StartRun();
    void SetRunHandler(std::function<void()> handler) override
    {
        m_runHandler = std::move(handler);
    }
    // After a run: tab colours from the document's results, the error count,
    // the views refilled.
    void RunFinished() override;
    // The diagnosis of the run that ended: kept for "Диагноз", its suspect
    // contacts marked on the diagram and in the contact table.
    void SetRunDiagnosis(const diagnosis::Diagnosis &diagnosis) override;
    desk::DiagnosisCommands *DiagnosisCommands() const { return m_diagnosis; }
    // While a run decodes its results: test `index` (0-based) has errors
    // (red tab) or none (blue tab).
    void ShowTestResult(int index, bool failed) override;
    // Results arrived: 1 the shown view is refilled and repainted, 2 the
    // error count is shown again.
    void ShowRunResults(ResultStage stage) override;
    // A word or function chosen on the diagram, the table or a question
    // window (kind as lists::OpenList): its list or its function window.
    // test: the test whose items are shown (0-based); -1 the current one.
    void OpenListAt(char kind, int number, int test = -1) override;
    // Whether the table (rather than the diagram) is shown.
    bool TableShown() const override;
    // The run's windows belong to this window.
    QWidget &RunParent() override { return *this; }
    // The waiting notice of a run (desk::ClosingWindow), one at a time.
    void ShowWaitNotice(const QString &text) override;
    void HideWaitNotice() override;

    // The status monitor's picture for the run bar.
    void SetStatusPicture(qv::UnitStatus code, const QString &resource, const QString &hint);
    // "&Настройка ЧВП" or "&Просмотр ЧВП", as the unit's type says.
    void SetCalibrationCaption(const QString &caption);
    // The wait table file the calibration windows write (default: the
    // program's own ".clb").
    void SetCalibrationFile(std::filesystem::path path);

    // The enabled and ticked states of every command, after any change.
    void UpdateState();

protected:
    void closeEvent(QCloseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    class Observer;
    friend class Observer;

    void BuildBars();
    void BuildViews();
    void ConnectCommands();
    // The window commands with the window's side of new settings.
    void BuildWindowCommands();
    void RestorePlacement();
    void SavePlacement();

    // Before a file is loaded: its windows close, the document closes.
    void ResetForOpen();

    // A file was loaded: the diagram of its first test, its comment, the
    // title; the remote peer is told.
    void ShowOpened(const QString &path);
    // The files collaborator with the window's side of an open.
    void BuildFiles();

    // What the document reports.
    void OnFileOpened();
    void OnFileClosed();
    void OnModeChanged(int mode, bool on);
    void OnStatusChanged(StatusField field, const std::string &text, bool alert);
    // The document made test `index` current (-1 all tests): the views, the
    // information panel, the commands and the tab follow.
    void OnTestSelected(int index);
    void OnSelectionRefused(int current);
    void RefreshViews();

    // The file's name, " - " and the product name; the product name alone
    // without a file.
    void ShowTitle();
    void FillInformation();
    void RefillShownView();
    void ShowTestComment();
    bool SingleTest() const;
    bool FileOpen() const;

    // An option of the document's display block (TSettings::Option...).
    int Option(int index) const;
    // The remote roles: the attached ones, else the window's own.
    qv::RemoteDesk &RemoteDesk();
    // "Клиент" (true) or "Сервер" of the remote-control menu.
    void ToggleRemote(bool client);
    bool RemoteClientConnected() const;
    // The word and function lists with the window's side of a choice.
    void BuildListCommands();
    void SetUpKeys();
    // Hides and empties both views (all tests chosen).
    void HideViews();
    void SetScale();

    qv::SettingsStore *m_store = nullptr;
    std::unique_ptr<qv::SettingsStore> m_ownStore;
    // The unit the desk talks to is of the MS-DOS type (so it is without a
    // unit, as a unit is until it says otherwise).
    bool DosUnit() const;

    DeskSession *m_desk = nullptr;

    ViewColours m_colours;
    views::ViewPictures m_pictures;
    TQorFunc m_qorFunc;
    std::unique_ptr<DocumentObserver> m_observer;
    std::unique_ptr<TestFileUi> m_fileUi;
    std::unique_ptr<TQuorvik> m_document;

    desk::MainActions m_actions;
    QToolBar *m_bars[4] = {};
    desk::RunBar *m_runBar = nullptr;
    desk::ExportCommand *m_export = nullptr;
    desk::DeskFiles *m_files = nullptr;             // a child of the window
    desk::DebugCommands *m_debug = nullptr;         // a child of the window
    desk::WindowCommands *m_windows = nullptr;      // a child of the window
    desk::ListCommands *m_lists = nullptr;          // a child of the window
    desk::DiagnosisCommands *m_diagnosis = nullptr; // a child of the window
    services::MainServices *m_services = nullptr;
    std::unique_ptr<desk::MainKeys> m_keys; // the operator keys; made with the run bar
    desk::InfoPanel *m_info = nullptr;
    qv::DiagramView *m_diagram = nullptr;
    qv::TableView *m_table = nullptr;
    desk::DeskComment *m_comment = nullptr; // a child of the window

    desk::ShownView m_shown = desk::ShownView::None;
    desk::ShownView m_lastView = desk::ShownView::Diagram;
    std::function<void()> m_runHandler;
    bool m_running = false;
    bool m_closing = false;
    qv::RemoteDesk *m_remote = nullptr;
    std::unique_ptr<RemoteControl> m_ownRemote;        // only when none was attached
    std::unique_ptr<desk::ClosingWindow> m_waitNotice; // null: none shown
};

} // namespace qv
