#include "ui/services/mainservices.h"

#include "execution/desk/desksession.h"
#include "execution/desk/settingsstore.h"
#include "infra/mesbo.h"
#include "infra/version.h"
#include "model/document/quorvik.h"
#include "model/settings/settings.h"
#include "ui/services/dataeditor.h"
#include "ui/services/editorlaunch.h"
#include "ui/services/helperprograms.h"
#include "ui/services/inputhooks.h"
#include "ui/services/probecommands.h"
#include "ui/services/secondarywindows.h"
#include "ui/services/selftestlaunch.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QProcess>
#include <QWidget>

namespace qv::services {
namespace {

bool SameFile(const QString &a, const QString &b)
{
    const QFileInfo left(a);
    const QFileInfo right(b);
    return left.exists() && right.exists() && left.canonicalFilePath() == right.canonicalFilePath();
}

} // namespace

MainServices::MainServices(QWidget &window, TQuorvik &document, SettingsStore &store,
                           DeskSession *desk, Host host)
    : QObject(&window)
    , m_window(window)
    , m_document(document)
    , m_store(store)
    , m_desk(desk)
    , m_host(std::move(host))
    , m_probes(new ProbeCommands(window, document, m_host.refill))
    , m_hooks(new services::InputHooks(this))
{}

MainServices::~MainServices() = default;

void MainServices::ConnectActions(const Actions &actions)
{
    m_probes->ConnectActions(actions.probes);
    connect(actions.editTests, &QAction::triggered, this, [this] { EditTests(); });
    connect(actions.dataEditor, &QAction::triggered, this, [this] { OpenDataEditor(); });
    connect(actions.byteSplitter, &QAction::triggered, this, [this] { StartByteSplitter(); });
    connect(actions.selfDiagnostics, &QAction::triggered, this, [this] { SelfDiagnostics(); });
}

void MainServices::EditTests()
{
    TQuorvik &doc = m_document;
    if (doc.Doc().FileName.empty() || doc.CurrentTest() < 0)
        return;
    // The edited file is loaded again afterwards: what is not saved by then
    // would be lost.
    if (!m_host.confirmDiscard())
        return;
    const QString file = QString::fromStdString(doc.Doc().FileName);
    const int test = doc.CurrentTest() == doc.Doc().NTest ? 0 : doc.CurrentTest();
    CloseSecondaryWindows(&m_window);
    const QString title = m_window.windowTitle();
    m_window.hide();
    m_window.setWindowTitle(QString::fromUtf8(kProductName));
    TfmEditorLaunch launch(HelperProgramPath(kTestEditorProgram), file, test);
    launch.SetBackup(m_store.Settings().Option(TSettings::OptBackupOnSave) != 0);
    const bool ended = launch.exec() == QDialog::Accepted;
    m_window.setWindowTitle(title);
    m_window.show();
    m_window.raise();
    m_window.activateWindow();
    if (!ended || !launch.Reported() || !SameFile(launch.ReportedFile(), file))
        return;
    if (m_host.reopen(file) && launch.ReportedTest() >= 0 &&
        launch.ReportedTest() < m_document.Doc().NTest)
        m_host.selectTest(launch.ReportedTest());
}

void MainServices::OpenDataEditor()
{
    services::OpenDataEditor(m_store.Settings().DataEditor, QString());
}

void MainServices::StartByteSplitter()
{
    const QString path = HelperProgramPath(kByteSplitterProgram);
    if (!QProcess::startDetached(path, {}, QFileInfo(path).absolutePath()))
        Mesbo().Show("Не удалось запустить программу", MbError,
                     "Параметры запуска: " + path.toStdString());
}

void MainServices::SelfDiagnostics()
{
    if (m_desk == nullptr) {
        Mesbo().Show("Блок диагностики не подключен", MbError, kProductName);
        return;
    }
    LaunchSelfDiagnostics(m_desk->Tester(), m_desk->Monitor(), &m_window);
}

} // namespace qv::services
