#include "ui/mainwindow.h"

#include "infra/mesbo.h"
#include "infra/version.h"
#include "model/quorvik.h"
#include "model/settings.h"
#include "model/testfileui.h"
#include "ui/views/diagramview.h"
#include "ui/views/scaledialog.h"

#include <QAction>
#include <QFileInfo>
#include <QInputDialog>
#include <QMenuBar>

namespace qv {
namespace {

constexpr std::size_t kAutoFitSwitch = TSettings::OptFitColumnsOnOpen;

// What the document tells the window: the views follow its content.
class WindowObserver : public NullDocumentObserver
{
public:
    explicit WindowObserver(std::function<void()> viewsChanged)
        : m_viewsChanged(std::move(viewsChanged))
    {}
    void ViewsChanged() override { m_viewsChanged(); }
    void FileClosed() override { m_viewsChanged(); }

private:
    std::function<void()> m_viewsChanged;
};

// Loading and saving as the window does it for now: logs and file errors in
// message boxes, the read password asked in a small dialog.
class WindowFileUi : public TestFileUi
{
public:
    explicit WindowFileUi(QWidget *window)
        : m_window(window)
    {}

    void ShowNotice(const std::string &) override {}
    void HideNotice() override {}
    void ShowLog(LogKind kind, const std::string &, const std::string &log) override
    {
        std::string text = LogHeading(kind, log);
        for (const std::string &line : LogLinesForDisplay(log))
            text += "\n" + line;
        Mesbo().Show(text, MbError, kProductName);
    }
    void ShowFileErrors(const std::string &heading, const std::string &log) override
    {
        Mesbo().Show(heading + log, MbError, kProductName);
    }
    bool AskPassword(PasswordRequest &request) override
    {
        const QString file = QFileInfo(QString::fromStdString(request.File)).fileName();
        for (;;) {
            bool ok = false;
            const QString typed =
                QInputDialog::getText(m_window, QStringLiteral("Пароль"),
                                      QStringLiteral("Введите пароль файла \"%1\":").arg(file),
                                      QLineEdit::Password, QString(), &ok);
            if (!ok)
                return false;
            std::string padded;
            Bytes32 check{};
            if (request.Transform &&
                request.Transform(typed.left(request.MaxLength).toStdString(), padded, check) &&
                check == request.Check) {
                request.Password = padded;
                return true;
            }
        }
    }
    bool AskSaveChoice(SaveChoiceRequest &) override { return false; }

private:
    QWidget *m_window;
};

} // namespace

TBaseForm::TBaseForm(QWidget *parent)
    : QMainWindow(parent)
    , m_qorFunc(m_colours, m_pictures)
{
    setObjectName(QStringLiteral("BaseForm"));
    setWindowTitle(QString::fromUtf8(kProductName));
    m_observer = std::make_unique<WindowObserver>([this] { showDiagram(); });
    m_fileUi = std::make_unique<WindowFileUi>(this);
    m_document = std::make_unique<TQuorvik>(*m_observer, *m_fileUi);
    m_qorFunc.SetDocument(m_document.get());

    m_diagram = new DiagramView(m_qorFunc, this);
    m_diagram->setDocument(m_document.get());
    setCentralWidget(m_diagram);
    connect(m_diagram, &DiagramView::probeSwitchRequested, this, &TBaseForm::switchProbe);
    connect(m_diagram, &DiagramView::probeSelected, this, &TBaseForm::selectProbe);
    createMenus();
    resize(900, 600);
}

TBaseForm::~TBaseForm()
{
    // The views read the document while they are destroyed with the window.
    m_diagram->setDocument(nullptr);
    m_qorFunc.SetDocument(nullptr);
}

void TBaseForm::createMenus()
{
    auto *file = menuBar()->addMenu(QStringLiteral("&Файл"));
    file->setObjectName(QStringLiteral("mnFile"));
    m_acExit = file->addAction(QStringLiteral("&Выход"));
    m_acExit->setObjectName(QStringLiteral("acExit"));
    m_acExit->setShortcut(QKeySequence(Qt::ALT | Qt::Key_X));
    m_acExit->setStatusTip(QStringLiteral("Завершить работу программы"));
    connect(m_acExit, &QAction::triggered, this, &QWidget::close);

    auto *view = menuBar()->addMenu(QStringLiteral("В&ид"));
    auto *scale = view->addMenu(QStringLiteral("Масштаб"));
    auto *up = scale->addAction(QStringLiteral("&Увеличить масштаб     \"+\""));
    up->setObjectName(QStringLiteral("acIncScale"));
    up->setShortcut(QKeySequence(Qt::Key_Plus));
    up->setStatusTip(QStringLiteral("Увеличение масштаба диаграммы"));
    connect(up, &QAction::triggered, m_diagram, &DiagramView::scaleUp);
    auto *down = scale->addAction(QStringLiteral("У&меньшить масштаб    \"-\""));
    down->setObjectName(QStringLiteral("acDecScale"));
    down->setShortcut(QKeySequence(Qt::Key_Minus));
    down->setStatusTip(QStringLiteral("Уменьшение масштаба диаграммы"));
    connect(down, &QAction::triggered, m_diagram, &DiagramView::scaleDown);
    auto *set = scale->addAction(QStringLiteral("&Задание масштаба"));
    set->setObjectName(QStringLiteral("acSetScale"));
    set->setStatusTip(
        QStringLiteral("Задание коэффициентов масштабирования по вертикали и по горизонтали"));
    connect(set, &QAction::triggered, this, &TBaseForm::setScale);
}

void TBaseForm::applySettings(const TSettings &settings)
{
    m_colours = settings.Colours;
    settings.ApplyTo(m_document->Display);
    m_diagram->refresh();
}

QString TBaseForm::fileFromArguments(const QStringList &arguments)
{
    QString file;
    for (const QString &argument : arguments.mid(1)) {
        const QString upper = argument.toUpper();
        if (upper != QStringLiteral("\\REMOTECLIENT") && upper != QStringLiteral("\\REMOTESERVER"))
            file = argument;
    }
    return file;
}

bool TBaseForm::openFile(const QString &path)
{
    m_document->Close();
    if (!m_document->LoadFile(path.toStdString()))
        return false;
    m_document->CurrentTest = 0;
    m_document->FillDiagramView();
    showDiagram();
    if (m_document->Display.Switches[kAutoFitSwitch] != 0)
        m_diagram->autoFit();
    setWindowTitle(QFileInfo(path).fileName() + QStringLiteral(" - ") +
                   QString::fromUtf8(kProductName));
    return true;
}

void TBaseForm::showDiagram()
{
    m_diagram->refresh();
}

void TBaseForm::setScale()
{
    const auto &g = m_diagram->diagramGeometry();
    ScaleDialog dialog(g.horizontalStep, g.verticalStep,
                       m_document->Display.Switches[kAutoFitSwitch] != 0, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    m_diagram->setScaleSteps(dialog.horizontalStep(), dialog.verticalStep());
    m_document->Display.Switches[kAutoFitSwitch] = dialog.autoFit() ? 1 : 0;
    m_diagram->autoFit();
}

void TBaseForm::switchProbe(int probe)
{
    STest *test = m_document->CurrentTestRecord();
    if (!test || test->ActiveCycle < 0 ||
        static_cast<std::size_t>(test->ActiveCycle) >= test->Probes.size())
        return;
    auto &entries = test->Probes[static_cast<std::size_t>(test->ActiveCycle)];
    if (probe > 0 && static_cast<std::size_t>(probe) < entries.size()) {
        SZond &entry = entries[static_cast<std::size_t>(probe)];
        entry.On = !entry.On;
        m_diagram->viewport()->update();
    }
}

void TBaseForm::selectProbe(int probe)
{
    STest *test = m_document->CurrentTestRecord();
    if (!test)
        return;
    test->EnsureProbeArrays();
    const auto cycle = static_cast<std::size_t>(test->ActiveCycle);
    if (cycle < test->ProbeFlags.size() && probe >= 0 &&
        probe < test->ProbeCount(test->ActiveCycle)) {
        test->ProbeFlags[cycle] = probe;
        m_diagram->viewport()->update();
    }
}

} // namespace qv
