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

int TBaseForm::option(int index) const
{
    const auto &switches = m_document->Display().Switches;
    return index >= 0 && static_cast<std::size_t>(index) < switches.size()
               ? switches[static_cast<std::size_t>(index)]
               : 0;
}

RemoteDesk &TBaseForm::remoteDesk()
{
    // The program attaches its remote control at start; a window made on
    // its own (a tool, a test) gets one of its own the first time it asks.
    if (m_remote == nullptr)
        m_ownRemote = std::make_unique<RemoteControl>(*this, *m_store, DefaultReceiveDir());
    return *m_remote;
}

void TBaseForm::showRemoteRoles(bool client, bool server)
{
    for (QAction *action : {m_actions.remoteClient, m_actions.remoteServer})
        action->setCheckable(true);
    m_actions.remoteClient->setChecked(client);
    m_actions.remoteServer->setChecked(server);
}

bool TBaseForm::remoteClientConnected() const
{
    return m_remote != nullptr && m_remote->ClientLoggedIn();
}

void TBaseForm::toggleRemote(bool client)
{
    const auto wanted = client ? RemoteDesk::Role::Client : RemoteDesk::Role::Server;
    RemoteDesk &remote = remoteDesk();
    const RemoteDesk::Role active = remote.ActiveRole();
    if (active == wanted) {
        remote.CloseForm();
    } else if (active == RemoteDesk::Role::None) {
        if (!confirmDiscard())
            return;
        resetForOpen();
        remote.Start(wanted, {}, false);
    } else {
        Mesbo().Show("Удаленное управление уже активно. Отключите данный режим и повторите "
                     "операцию снова",
                     MbError, kProductName);
    }
}

void TBaseForm::connectCommands()
{
    const desk::MainActions &a = m_actions;
    const auto on = [this](QAction *action, auto handler) {
        connect(action, &QAction::triggered, this, handler);
    };
    on(a.openFile, [this] { openFileCommand(); });
    on(a.saveFile, [this] { saveFile(); });
    on(a.exit, [this] { close(); });
    on(a.diagramm, [this] { showDiagram(); });
    on(a.table, [this] { showTable(); });
    on(a.comment, [this] { openComment(); });
    on(a.fullTable, [this] { setTableForm(true); });
    on(a.paredTable, [this] { setTableForm(false); });
    on(a.incScale, [this] {
        m_diagram->scaleUp();
        refreshViews();
    });
    on(a.decScale, [this] {
        m_diagram->scaleDown();
        refreshViews();
    });
    on(a.setScale, [this] { setScale(); });
    on(a.solidTest, [this] { toggleSolidTest(); });
    on(a.debug, [this] { toggleDebug(); });
    on(a.zond, [this] { toggleZond(); });
    on(a.cycles, [this] { toggleCycles(); });
    services::MainServices::Host servicesHost;
    servicesHost.confirmDiscard = [this] { return confirmDiscard(); };
    servicesHost.reopen = [this](const QString &path) { return openFile(path, false); };
    servicesHost.selectTest = [this](int test) { selectTest(test); };
    servicesHost.refill = [this] { refillShownView(); };
    m_services =
        new services::MainServices(*this, *m_document, *m_store, m_desk, std::move(servicesHost));
    m_services->connectActions({a.editQor, a.hexEdit, a.splitBytes, a.bodrin, ProbeActions(a)});
    on(a.remoteClient, [this] { toggleRemote(true); });
    on(a.remoteServer, [this] { toggleRemote(false); });
    buildWindowCommands();
    on(a.pusk, [this] { startRun(); });

    desk::RunBar &bar = *m_runBar;
    connect(bar.pusk(), &QToolButton::clicked, this, [this] { startRun(); });
    connect(bar.solid(), &QToolButton::clicked, this, [this] { toggleSolidTest(); });
    connect(bar.debug(), &QToolButton::clicked, this, [this] { toggleDebug(); });
    connect(bar.zond(), &QToolButton::clicked, this, [this] { toggleZond(); });
    connect(bar.cycles(), &QToolButton::clicked, this, [this] { toggleCycles(); });

    desk::InfoPanel &info = *m_info;
    connect(&info, &desk::InfoPanel::tabClicked, this, [this](int index) { selectTest(index); });

    connect(m_diagram, &DiagramView::probeMenuRequested, this,
            [this](int probe, const QPoint &globalPos) {
                m_services->probes().showMenu(probe, globalPos, ProbeActions(m_actions));
            });
    buildListCommands();
    m_debug = new desk::DebugCommands(
        {*this, *m_document, m_desk, m_actions, *m_diagram, *m_table, *m_info},
        [this] { refillShownView(); });
    connect(m_table, &TableView::addressMarkAdvanced, this,
            [this] { m_table->viewport()->update(); });
}

void TBaseForm::buildWindowCommands()
{
    desk::WindowCommands::Host host;
    host.fileOpen = [this] { return fileOpen(); };
    host.refreshViews = [this] { refreshViews(); };
    host.settingsAccepted = [this] {
        const int waitsBefore = option(TSettings::OptWaitsAsTimes);
        applySettings();
        if (option(TSettings::OptWaitsAsTimes) != waitsBefore && tableShown())
            refillShownView();
        m_comment->UpdateEditable();
        fillInformation();
    };
    m_windows = new desk::WindowCommands(
        {*this, *m_document, *m_store, m_desk, m_actions, m_colours}, std::move(host));
}

void TBaseForm::setCalibrationFile(std::filesystem::path path)
{
    m_windows->SetCalibrationFile(std::move(path));
}

void TBaseForm::buildListCommands()
{
    desk::ListCommands::Host host;
    host.fileOpen = [this] { return fileOpen(); };
    host.singleTest = [this] { return singleTest(); };
    host.refreshViews = [this] { refreshViews(); };
    host.selectTest = [this](int index) { selectTest(index < 0 ? kAllTests : index); };
    host.suspects = [this] { return m_diagnosis->Suspects(); };
    host.dosUnit = [this] { return dosUnit(); };
    m_lists = new desk::ListCommands(
        {*this, *m_document, *m_store, m_actions, *m_diagram, *m_table, *m_info}, std::move(host));
    m_diagnosis = new desk::DiagnosisCommands({*this, *m_document, m_actions, *m_diagram, *m_info},
                                              [this] { return fileOpen(); });
}

void TBaseForm::setRunDiagnosis(const diagnosis::Diagnosis &diagnosis)
{
    m_diagnosis->SetDiagnosis(diagnosis);
}

void TBaseForm::openListAt(char kind, int number, int test)
{
    m_lists->OpenAt(kind, number, test);
}

void TBaseForm::openComment()
{
    if (!fileOpen())
        return;
    if (m_document->CommentMarks().empty())
        Mesbo().Show("Комментарии для файла отсутствуют", MbError, kProductName);
    m_comment->Show(singleTest() ? m_document->CurrentTest() + 1 : TfmComment::kFileSlot);
}

void TBaseForm::startRun()
{
    if (!fileOpen() || m_running)
        return;
    m_running = true;
    m_runBar->pusk()->setChecked(true);
    m_actions.pusk->setChecked(true);
    updateState();
    if (m_runHandler)
        m_runHandler();
    else
        Mesbo().Show("Запуск теста пока недоступен: модуль выполнения теста не подключён",
                     MbInformation, kProductName);
    m_running = false;
    m_runBar->pusk()->setChecked(false);
    m_actions.pusk->setChecked(false);
    updateState();
}

void TBaseForm::runFinished()
{
    TQuorvik &doc = *m_document;
    for (int i = 0; i < doc.Doc().NTest && i < desk::InfoPanel::kTestTabs; ++i) {
        const auto at = static_cast<std::size_t>(i);
        if (doc.TestRunFlags()[at] == 0)
            continue;
        const bool failed = at < doc.ErrorCounts().size() && doc.ErrorCounts()[at] > 0;
        m_info->setTabResult(i, failed ? desk::InfoPanel::TabResult::Failed
                                       : desk::InfoPanel::TabResult::Passed);
    }
    doc.UpdateStatus(TQuorvik::StatusUpdate::ErrorCounts);
    refillShownView();
    updateState();
}

void TBaseForm::showTestResult(int index, bool failed)
{
    if (index < 0 || index >= desk::InfoPanel::kTestTabs)
        return;
    m_info->setTabResult(index, failed ? desk::InfoPanel::TabResult::Failed
                                       : desk::InfoPanel::TabResult::Passed);
}

void TBaseForm::showRunResults(ResultStage stage)
{
    switch (stage) {
    case ResultStage::RepaintViews:
        refillShownView();
        break;
    case ResultStage::RecountErrors:
        m_document->UpdateStatus(TQuorvik::StatusUpdate::ErrorCounts);
        break;
    }
}

bool TBaseForm::tableShown() const
{
    return m_shown == desk::ShownView::Table;
}

void TBaseForm::showWaitNotice(const QString &text)
{
    m_waitNotice = std::make_unique<desk::ClosingWindow>(this, text);
    m_waitNotice->showNow();
}

void TBaseForm::hideWaitNotice()
{
    m_waitNotice.reset();
}

void TBaseForm::setStatusPicture(UnitStatus code, const QString &resource, const QString &hint)
{
    m_runBar->status()->setPicture(code, resource, hint);
}

void TBaseForm::setCalibrationCaption(const QString &caption)
{
    m_actions.calibrate->setText(caption);
}

bool TBaseForm::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (watched == centralWidget() && type == QEvent::Resize) {
        refreshViews();
    } else if (type == QEvent::KeyPress || type == QEvent::KeyRelease) {
        auto *widget = qobject_cast<QWidget *>(watched);
        if (widget && widget->window() == this && m_keys &&
            m_keys->Handle(*static_cast<QKeyEvent *>(event)))
            return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void TBaseForm::setUpKeys()
{
    desk::MainKeys::Targets keys;
    keys.run = [this] { startRun(); };
    keys.showDiagram = [this] { showDiagram(); };
    keys.showTable = [this] { showTable(); };
    keys.toggleZond = [this] { toggleZond(); };
    keys.toggleDebug = [this] { toggleDebug(); };
    keys.toggleSolid = [this] { toggleSolidTest(); };
    keys.toggleCycles = [this] { toggleCycles(); };
    keys.plusMinus = [this](bool up) {
        QAction *form = up ? m_actions.fullTable : m_actions.paredTable;
        if (m_shown == desk::ShownView::Table && form->isEnabled())
            setTableForm(up);
        else if (m_shown == desk::ShownView::Diagram && fileOpen())
            (up ? m_actions.incScale : m_actions.decScale)->trigger();
    };
    keys.digit = [this](int n) {
        if (n == 0)
            selectTest(kAllTests);
        else if (n <= m_document->Doc().NTest)
            selectTest(n - 1);
    };
    m_keys = std::make_unique<desk::MainKeys>(*m_runBar, std::move(keys));
    // Esc in the main window puts the comment window away.
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setContext(Qt::WindowShortcut);
    connect(escape, &QShortcut::activated, this, [this] { m_comment->Close(); });
}

void TBaseForm::setScale()
{
    const auto &g = m_diagram->diagramGeometry();
    ScaleDialog dialog(g.horizontalStep, g.verticalStep,
                       option(TSettings::OptFitColumnsOnOpen) != 0, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    m_diagram->setScaleSteps(dialog.horizontalStep(), dialog.verticalStep());
    // The document's display block goes back to the settings at close.
    m_document->SetDisplaySwitch(TSettings::OptFitColumnsOnOpen, dialog.autoFit() ? 1 : 0);
    m_store->Settings().SetOption(TSettings::OptFitColumnsOnOpen, dialog.autoFit() ? 1 : 0);
    if (dialog.autoFit())
        m_diagram->autoFit();
    refreshViews();
}

} // namespace qv
