#include "ui/desk/mainwindow.h"

#include "execution/desk/desksession.h"
#include "execution/desk/settingsstore.h"
#include "infra/mesbo.h"
#include "infra/paths.h"
#include "infra/version.h"
#include "model/document/quorvik.h"
#include "model/settings/settings.h"
#include "ui/desk/closingwindow.h"
#include "ui/desk/commentwindow.h"
#include "ui/desk/exportcommand.h"
#include "ui/desk/infopanel.h"
#include "ui/desk/runbar.h"
#include "ui/desk/statuspicture.h"
#include "ui/desk/window/deskcomment.h"
#include "ui/desk/windowfileui.h"
#include "ui/remote/remotecontrol.h"
#include "ui/remote/remotedesk.h"
#include "ui/views/diagramview.h"
#include "ui/views/tableview.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMenuBar>
#include <QScreen>
#include <QToolBar>
#include <QVBoxLayout>

namespace qv {

// What the document tells the window, passed on to the window's handlers.
class TBaseForm::Observer : public DocumentObserver
{
public:
    explicit Observer(TBaseForm &window)
        : m_window(window)
    {}
    void FileOpened(const SQor &) override { m_window.OnFileOpened(); }
    void LoadFailed() override {}
    void FileClosed() override { m_window.OnFileClosed(); }
    void ContactFileChanged(const std::string &) override {}
    void TitleChanged(const std::string &) override { m_window.ShowTitle(); }
    void ModeChanged(DocumentMode mode, bool on) override
    {
        m_window.OnModeChanged(static_cast<int>(mode), on);
    }
    void RunResultsReset() override
    {
        if (m_window.m_info)
            m_window.m_info->ResetTabResults();
    }
    void StatusChanged(StatusField field, const std::string &text, bool alert) override
    {
        m_window.OnStatusChanged(field, text, alert);
    }
    void CommandsChanged() override { m_window.UpdateState(); }
    void ViewsChanged() override { m_window.RefreshViews(); }
    void TestSelected(int index) override { m_window.OnTestSelected(index); }
    void SelectionRefused(int current) override { m_window.OnSelectionRefused(current); }

private:
    TBaseForm &m_window;
};

TBaseForm::TBaseForm(qv::SettingsStore *store, DeskSession *desk, QWidget *parent)
    : QMainWindow(parent)
    , m_store(store)
    , m_desk(desk)
    , m_qorFunc(m_colours, m_pictures)
{
    setObjectName(QStringLiteral("BaseForm"));
    if (m_store == nullptr) {
        // Defaults in memory: nothing is read or written.
        m_ownStore = std::make_unique<qv::SettingsStore>(std::string(), std::string());
        m_store = m_ownStore.get();
    }
    m_observer = std::make_unique<Observer>(*this);
    desk::WindowFileUi::BackupSetting backup;
    backup.read = [this] { return Option(TSettings::OptBackupOnSave) != 0; };
    backup.store = [this](bool on) {
        m_document->SetDisplaySwitch(TSettings::OptBackupOnSave, on ? 1 : 0);
        m_store->Settings().SetOption(TSettings::OptBackupOnSave, on ? 1 : 0);
    };
    m_fileUi = std::make_unique<desk::WindowFileUi>(this, std::move(backup));
    m_document = std::make_unique<TQuorvik>(*m_observer, *m_fileUi);
    m_document->Doc().FileName.clear();
    m_qorFunc.SetDocument(m_document.get());

    m_actions = desk::CreateMainActions(this, DosUnit());
    BuildBars();
    BuildViews();
    m_comment = new desk::DeskComment(*this, *m_document, *m_store, [this] {
        return Option(TSettings::OptAllowCommentEdit) != 0;
    });
    BuildFiles();
    ConnectCommands();
    SetUpKeys();

    setMinimumSize(kMinWidth, kMinHeight);
    resize(kInitialWidth, kInitialHeight);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    setAcceptDrops(true);
    qApp->installEventFilter(this);

    ApplySettings();
    m_document->Close();
    m_files->FillRecentMenu();
    RestorePlacement();
    UpdateState();
}

TBaseForm::~TBaseForm()
{
    qApp->removeEventFilter(this);
    // Its own remote roles end while the window is still whole.
    m_ownRemote.reset();
    // The views read the document while they are destroyed with the window.
    m_diagram->SetDocument(nullptr);
    m_table->SetDocument(nullptr);
    m_qorFunc.SetDocument(nullptr);
}

TfmComment *TBaseForm::CommentWindow() const
{
    return m_comment->Window();
}

QToolBar *TBaseForm::Bar(int index) const
{
    return index >= 0 && index < 4 ? m_bars[index] : nullptr;
}

void TBaseForm::BuildBars()
{
    const auto makeBar = [this](int index, const QString &title, const char *name) {
        auto *bar = new QToolBar(title, this);
        bar->setObjectName(QString::fromLatin1(name));
        bar->setFloatable(true);
        bar->setMovable(true);
        addToolBar(Qt::TopToolBarArea, bar);
        m_bars[index] = bar;
        return bar;
    };
    QToolBar *menuBar = makeBar(0, QStringLiteral("Главное меню"), "tbMainMenu");
    auto *menus = new QMenuBar(menuBar);
    menus->setObjectName(QStringLiteral("mmMain"));
    menus->setNativeMenuBar(false);
    desk::FillMainMenu(*menus, m_actions);
    if (auto *file = menus->findChild<QMenu *>(QStringLiteral("mnFile")))
        m_export = new desk::ExportCommand(*m_document, *file, m_actions.fileInfo, this);
    menuBar->addWidget(menus);
    addToolBarBreak();

    QToolBar *tools = makeBar(1, QStringLiteral("Панель инструментов"), "tbTools");
    // All 21 buttons fit the window's initial width.
    tools->setIconSize(QSize(18, 18));
    tools->setStyleSheet(QStringLiteral("QToolBar { spacing: 0px; }"));
    desk::FillToolBar(*tools, m_actions);
    addToolBarBreak();

    QToolBar *run = makeBar(2, QStringLiteral("Пуск"), "tbRun");
    run->setAllowedAreas(Qt::TopToolBarArea | Qt::BottomToolBarArea);
    m_runBar = new desk::RunBar(run);
    run->addWidget(m_runBar);
    addToolBarBreak();

    QToolBar *info = makeBar(3, QStringLiteral("Общие сведения"), "tbInfo");
    info->setAllowedAreas(Qt::TopToolBarArea | Qt::BottomToolBarArea);
    m_info = new desk::InfoPanel(info);
    info->addWidget(m_info);
}

void TBaseForm::BuildViews()
{
    auto *area = new QWidget(this);
    area->setObjectName(QStringLiteral("pnViews"));
    m_diagram = new qv::DiagramView(m_qorFunc, area);
    m_table = new qv::TableView(m_qorFunc, area);
    m_diagram->SetDocument(m_document.get());
    m_table->SetDocument(m_document.get());
    auto *layout = new QVBoxLayout(area);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_diagram, 0, Qt::AlignTop);
    layout->addWidget(m_table, 1);
    layout->addStretch(0);
    m_diagram->hide();
    m_table->hide();
    setCentralWidget(area);
    area->installEventFilter(this);
}

void TBaseForm::ApplySettings()
{
    const TSettings &settings = m_store->Settings();
    m_colours = settings.Colours;
    SDisplaySettings display = m_document->Display();
    settings.ApplyTo(display);
    m_document->SetDisplay(display);
    RefreshViews();
}

void TBaseForm::RestorePlacement()
{
    WindowPlacements &placements = m_store->Placements();
    if (const auto geometry = placements.Geometry("BaseForm"))
        restoreGeometry(QByteArray::fromBase64(QByteArray::fromStdString(*geometry)));
    if (const auto state = placements.ToolBarState("BaseForm"))
        restoreState(QByteArray::fromBase64(QByteArray::fromStdString(*state)));
}

void TBaseForm::SavePlacement()
{
    WindowPlacements &placements = m_store->Placements();
    placements.SetGeometry("BaseForm", saveGeometry().toBase64().toStdString());
    placements.SetToolBarState("BaseForm", saveState().toBase64().toStdString());
    m_comment->SavePlacement();
}

void TBaseForm::closeEvent(QCloseEvent *event)
{
    if (m_closing) {
        event->accept();
        return;
    }
    if (!ConfirmDiscard()) {
        event->ignore();
        return;
    }
    // The remote window would keep the program running after this one has
    // gone: the role ends with the program, after a question while a peer
    // is on the link.
    if (m_remote != nullptr && m_remote->ActiveRole() != qv::RemoteDesk::Role::None) {
        if (m_remote->LinkUp() &&
            Mesbo().Show("Завершить удаленное управление?", MbQuestion, kProductName) != MbYes) {
            event->ignore();
            return;
        }
        m_remote->Stop();
    }
    m_closing = true;
    desk::ClosingWindow notice(this);
    notice.ShowNow();
    // The settings go back to the store with what the document changed.
    m_store->Settings().TakeFrom(m_document->Display());
    SavePlacement();
    m_comment->Close();
    m_diagram->hide();
    m_table->hide();
    QCoreApplication::processEvents();
    if (m_desk)
        m_desk->Stop(); // writes the settings, stops the monitor, releases the unit
    QCoreApplication::processEvents();
    event->accept();
}

} // namespace qv
