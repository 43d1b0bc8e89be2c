// The main window: its commands wired to the window and to its
// collaborators, the keys, the run hook, the status picture and the remote
// roles.

#include "execution/compiler/resultstage.h"
#include "execution/desk/desksession.h"
#include "execution/desk/settingsstore.h"
#include "execution/port/testerport.h"
#include "infra/mesbo.h"
#include "infra/messages.h"
#include "infra/version.h"
#include "model/document/quorvik.h"
#include "model/settings/settings.h"
#include "remote/clientservercommon.h"
#include "ui/desk/closingwindow.h"
#include "ui/desk/commentwindow.h"
#include "ui/desk/infopanel.h"
#include "ui/desk/mainkeys.h"
#include "ui/desk/mainwindow.h"
#include "ui/desk/runbar.h"
#include "ui/desk/statuspicture.h"
#include "ui/desk/window/debugcommands.h"
#include "ui/desk/window/deskcomment.h"
#include "ui/desk/window/diagnosiscommands.h"
#include "ui/desk/window/listcommands.h"
#include "ui/desk/window/windowcommands.h"
#include "ui/remote/remotecontrol.h"
#include "ui/remote/remotedesk.h"
#include "ui/services/mainservices.h"
#include "ui/services/probecommands.h"
#include "ui/views/diagramview.h"
#include "ui/views/scaledialog.h"
#include "ui/views/tableview.h"

#include <QKeyEvent>
#include <QShortcut>
#include <QToolButton>

namespace qv {

namespace {

services::ProbeCommands::Actions ProbeActions(const desk::MainActions &a)
{
    return {a.zondAdd, a.zondDel, a.zondDelAll, a.zondName};
}

} // namespace

int TBaseForm::Option(int index) const
{
    const auto &switches = m_document->Display().Switches;
    return index >= 0 && static_cast<std::size_t>(index) < switches.size()
               ? switches[static_cast<std::size_t>(index)]
               : 0;
}

qv::RemoteDesk &TBaseForm::RemoteDesk()
{
    // The program attaches its remote control at start; a window made on
    // its own (a tool, a test) gets one of its own the first time it asks.
    if (m_remote == nullptr)
        m_ownRemote = std::make_unique<RemoteControl>(*this, *m_store, DefaultReceiveDir());
    return *m_remote;
}

void TBaseForm::ShowRemoteRoles(bool client, bool server)
{
    for (QAction *action : {m_actions.remoteClient, m_actions.remoteServer})
        action->setCheckable(true);
    m_actions.remoteClient->setChecked(client);
    m_actions.remoteServer->setChecked(server);
}

bool TBaseForm::RemoteClientConnected() const
{
    return m_remote != nullptr && m_remote->ClientLoggedIn();
}

void TBaseForm::ToggleRemote(bool client)
{
    const auto wanted = client ? qv::RemoteDesk::Role::Client : qv::RemoteDesk::Role::Server;
    qv::RemoteDesk &remote = RemoteDesk();
    const qv::RemoteDesk::Role active = remote.ActiveRole();
    if (active == wanted) {
        remote.CloseForm();
    } else if (active == qv::RemoteDesk::Role::None) {
        if (!ConfirmDiscard())
            return;
        ResetForOpen();
        remote.Start(wanted, {}, false);
    } else {
        Mesbo().Show("Удаленное управление уже активно. Отключите данный режим и повторите "
                     "операцию снова",
                     MbError, kProductName);
    }
}

void TBaseForm::ConnectCommands()
{
    const desk::MainActions &a = m_actions;
    const auto on = [this](QAction *action, auto handler) {
        connect(action, &QAction::triggered, this, handler);
    };
    on(a.openFile, [this] { OpenFileCommand(); });
    on(a.saveFile, [this] { SaveFile(); });
    on(a.exit, [this] { close(); });
    on(a.diagramm, [this] { ShowDiagram(); });
    on(a.table, [this] { ShowTable(); });
    on(a.comment, [this] { OpenComment(); });
    on(a.fullTable, [this] { SetTableForm(true); });
    on(a.paredTable, [this] { SetTableForm(false); });
    on(a.incScale, [this] {
        m_diagram->ScaleUp();
        RefreshViews();
    });
    on(a.decScale, [this] {
        m_diagram->ScaleDown();
        RefreshViews();
    });
    on(a.setScale, [this] { SetScale(); });
    on(a.solidTest, [this] { ToggleSolidTest(); });
    on(a.debug, [this] { ToggleDebug(); });
    on(a.zond, [this] { ToggleZond(); });
    on(a.cycles, [this] { ToggleCycles(); });
    services::MainServices::Host servicesHost;
    servicesHost.confirmDiscard = [this] { return ConfirmDiscard(); };
    servicesHost.reopen = [this](const QString &path) { return OpenFile(path, false); };
    servicesHost.selectTest = [this](int test) { SelectTest(test); };
    servicesHost.refill = [this] { RefillShownView(); };
    m_services =
        new services::MainServices(*this, *m_document, *m_store, m_desk, std::move(servicesHost));
    m_services->ConnectActions({a.editQor, a.hexEdit, a.splitBytes, a.bodrin, ProbeActions(a)});
    on(a.remoteClient, [this] { ToggleRemote(true); });
    on(a.remoteServer, [this] { ToggleRemote(false); });
    BuildWindowCommands();
    on(a.pusk, [this] { StartRun(); });

    desk::RunBar &bar = *m_runBar;
    connect(bar.Pusk(), &QToolButton::clicked, this, [this] { StartRun(); });
    connect(bar.Solid(), &QToolButton::clicked, this, [this] { ToggleSolidTest(); });
    connect(bar.Debug(), &QToolButton::clicked, this, [this] { ToggleDebug(); });
    connect(bar.Zond(), &QToolButton::clicked, this, [this] { ToggleZond(); });
    connect(bar.Cycles(), &QToolButton::clicked, this, [this] { ToggleCycles(); });

    desk::InfoPanel &info = *m_info;
    connect(&info, &desk::InfoPanel::TabClicked, this, [this](int index) { SelectTest(index); });

    connect(m_diagram, &qv::DiagramView::ProbeMenuRequested, this,
            [this](int probe, const QPoint &globalPos) {
                m_services->Probes().ShowMenu(probe, globalPos, ProbeActions(m_actions));
            });
    BuildListCommands();
    m_debug = new desk::DebugCommands(
        {*this, *m_document, m_desk, m_actions, *m_diagram, *m_table, *m_info},
        [this] { RefillShownView(); });
    connect(m_table, &qv::TableView::AddressMarkAdvanced, this,
            [this] { m_table->viewport()->update(); });
}

void TBaseForm::BuildWindowCommands()
{
    desk::WindowCommands::Host host;
    host.fileOpen = [this] { return FileOpen(); };
    host.refreshViews = [this] { RefreshViews(); };
    host.settingsAccepted = [this] {
        const int waitsBefore = Option(TSettings::OptWaitsAsTimes);
        ApplySettings();
        if (Option(TSettings::OptWaitsAsTimes) != waitsBefore && TableShown())
            RefillShownView();
        m_comment->UpdateEditable();
        FillInformation();
    };
    m_windows = new desk::WindowCommands(
        {*this, *m_document, *m_store, m_desk, m_actions, m_colours}, std::move(host));
}

void TBaseForm::SetCalibrationFile(std::filesystem::path path)
{
    m_windows->SetCalibrationFile(std::move(path));
}

void TBaseForm::BuildListCommands()
{
    desk::ListCommands::Host host;
    host.fileOpen = [this] { return FileOpen(); };
    host.singleTest = [this] { return SingleTest(); };
    host.refreshViews = [this] { RefreshViews(); };
    host.selectTest = [this](int index) { SelectTest(index < 0 ? kAllTests : index); };
    host.suspects = [this] { return m_diagnosis->Suspects(); };
    host.dosUnit = [this] { return DosUnit(); };
    m_lists = new desk::ListCommands(
        {*this, *m_document, *m_store, m_actions, *m_diagram, *m_table, *m_info}, std::move(host));
    m_diagnosis = new desk::DiagnosisCommands({*this, *m_document, m_actions, *m_diagram, *m_info},
                                              [this] { return FileOpen(); });
}

void TBaseForm::SetRunDiagnosis(const diagnosis::Diagnosis &diagnosis)
{
    m_diagnosis->SetDiagnosis(diagnosis);
}

void TBaseForm::OpenListAt(char kind, int number, int test)
{
    m_lists->OpenAt(kind, number, test);
}

void TBaseForm::OpenComment()
{
    if (!FileOpen())
        return;
    if (m_document->CommentMarks().empty())
        Mesbo().Show("Комментарии для файла отсутствуют", MbError, kProductName);
    m_comment->Show(SingleTest() ? m_document->CurrentTest() + 1 : TfmComment::kFileSlot);
}

void TBaseForm::StartRun()
{
    if (!FileOpen() || m_running)
        return;
    m_running = true;
    m_runBar->Pusk()->setChecked(true);
    m_actions.pusk->setChecked(true);
    UpdateState();
    if (m_runHandler)
        m_runHandler();
    else
        Mesbo().Show("Запуск теста пока недоступен: модуль выполнения теста не подключён",
                     MbInformation, kProductName);
    m_running = false;
    m_runBar->Pusk()->setChecked(false);
    m_actions.pusk->setChecked(false);
    UpdateState();
}

void TBaseForm::RunFinished()
{
    TQuorvik &doc = *m_document;
    for (int i = 0; i < doc.Doc().NTest && i < desk::InfoPanel::kTestTabs; ++i) {
        const auto at = static_cast<std::size_t>(i);
        if (doc.TestRunFlags()[at] == 0)
            continue;
        const bool failed = at < doc.ErrorCounts().size() && doc.ErrorCounts()[at] > 0;
        m_info->SetTabResult(i, failed ? desk::InfoPanel::TabResult::Failed
                                       : desk::InfoPanel::TabResult::Passed);
    }
    doc.UpdateStatus(TQuorvik::StatusUpdate::ErrorCounts);
    RefillShownView();
    UpdateState();
}

void TBaseForm::ShowTestResult(int index, bool failed)
{
    if (index < 0 || index >= desk::InfoPanel::kTestTabs)
        return;
    m_info->SetTabResult(index, failed ? desk::InfoPanel::TabResult::Failed
                                       : desk::InfoPanel::TabResult::Passed);
}

void TBaseForm::ShowRunResults(ResultStage stage)
{
    switch (stage) {
    case ResultStage::RepaintViews:
        RefillShownView();
        break;
    case ResultStage::RecountErrors:
        m_document->UpdateStatus(TQuorvik::StatusUpdate::ErrorCounts);
        break;
    }
}

bool TBaseForm::TableShown() const
{
    return m_shown == desk::ShownView::Table;
}

void TBaseForm::ShowWaitNotice(const QString &text)
{
    m_waitNotice = std::make_unique<desk::ClosingWindow>(this, text);
    m_waitNotice->ShowNow();
}

void TBaseForm::HideWaitNotice()
{
    m_waitNotice.reset();
}

void TBaseForm::SetStatusPicture(UnitStatus code, const QString &resource, const QString &hint)
{
    m_runBar->Status()->SetPicture(code, resource, hint);
}

void TBaseForm::SetCalibrationCaption(const QString &caption)
{
    m_actions.calibrate->setText(caption);
}

bool TBaseForm::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (watched == centralWidget() && type == QEvent::Resize) {
        RefreshViews();
    } else if (type == QEvent::KeyPress || type == QEvent::KeyRelease) {
        auto *widget = qobject_cast<QWidget *>(watched);
        if (widget && widget->window() == this && m_keys &&
            m_keys->Handle(*static_cast<QKeyEvent *>(event)))
            return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void TBaseForm::SetUpKeys()
{
    desk::MainKeys::Targets keys;
    keys.run = [this] { StartRun(); };
    keys.showDiagram = [this] { ShowDiagram(); };
    keys.showTable = [this] { ShowTable(); };
    keys.toggleZond = [this] { ToggleZond(); };
    keys.toggleDebug = [this] { ToggleDebug(); };
    keys.toggleSolid = [this] { ToggleSolidTest(); };
    keys.toggleCycles = [this] { ToggleCycles(); };
    keys.plusMinus = [this](bool up) {
        QAction *form = up ? m_actions.fullTable : m_actions.paredTable;
        if (m_shown == desk::ShownView::Table && form->isEnabled())
            SetTableForm(up);
        else if (m_shown == desk::ShownView::Diagram && FileOpen())
            (up ? m_actions.incScale : m_actions.decScale)->trigger();
    };
    keys.digit = [this](int n) {
        if (n == 0)
            SelectTest(kAllTests);
        else if (n <= m_document->Doc().NTest)
            SelectTest(n - 1);
    };
    m_keys = std::make_unique<desk::MainKeys>(*m_runBar, std::move(keys));
    // Esc in the main window puts the comment window away.
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setContext(Qt::WindowShortcut);
    connect(escape, &QShortcut::activated, this, [this] { m_comment->Close(); });
}

void TBaseForm::SetScale()
{
    const auto &g = m_diagram->DiagramGeometry();
    ScaleDialog dialog(g.horizontalStep, g.verticalStep,
                       Option(TSettings::OptFitColumnsOnOpen) != 0, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    m_diagram->SetScaleSteps(dialog.HorizontalStep(), dialog.VerticalStep());
    // The document's display block goes back to the settings at close.
    m_document->SetDisplaySwitch(TSettings::OptFitColumnsOnOpen, dialog.AutoFit() ? 1 : 0);
    m_store->Settings().SetOption(TSettings::OptFitColumnsOnOpen, dialog.AutoFit() ? 1 : 0);
    if (dialog.AutoFit())
        m_diagram->AutoFit();
    RefreshViews();
}

} // namespace qv
