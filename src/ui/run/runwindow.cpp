#include "ui/run/runwindow.h"

#include "execution/threads/postcall.h"
#include "ui/questions/functionquestion.h"
#include "ui/run/activityanimation.h"
#include "ui/run/errorstatisticspage.h"
#include "ui/run/mprogresswindow.h"

#include <QComboBox>
#include <QEventLoop>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <utility>

namespace qv::run {

namespace {

constexpr int kWindowWidth = 420;
constexpr int kStatisticsWidth = 860;

QString Text(const std::string &text)
{
    return QString::fromStdString(text);
}

QLabel *Caption(const char *text, QWidget *parent)
{
    auto *label = new QLabel(QString::fromUtf8(text), parent);
    label->setAlignment(Qt::AlignRight | Qt::AlignTop);
    return label;
}

} // namespace

TfmPusk::TfmPusk(const TQuorvik &document, ResultHooks hooks, QWidget *parent)
    : QDialog(parent)
    , m_document(document)
    , m_hooks(std::move(hooks))
{
    setObjectName(QStringLiteral("fmPusk"));
    setWindowTitle(QStringLiteral("Пуск"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    auto *layout = new QVBoxLayout(this);
    m_startPage = BuildStartPage();
    m_workPage = BuildWorkPage();
    m_statisticsPage = new ErrorStatisticsPage(this);
    connect(m_statisticsPage->CloseButton(), &QPushButton::clicked, this, [this] { close(); });
    layout->addWidget(m_startPage);
    layout->addWidget(m_workPage);
    layout->addWidget(m_statisticsPage);
    setFixedWidth(kWindowWidth);

    m_closeTimer.setSingleShot(true);
    connect(&m_closeTimer, &QTimer::timeout, this, [this] { close(); });
    m_resultsTimer.setSingleShot(true);
    connect(&m_resultsTimer, &QTimer::timeout, this, [this] { ShowPendingResults(); });
    ResetPages();
}

TfmPusk::~TfmPusk() = default;

QWidget *TfmPusk::BuildStartPage()
{
    auto *page = new QWidget(this);
    page->setObjectName(QStringLiteral("pgStart"));
    auto *layout = new QVBoxLayout(page);
    auto *text = new QLabel(QString::fromUtf8(kStartText), page);
    text->setObjectName(QStringLiteral("lbStart"));
    text->setAlignment(Qt::AlignCenter);
    text->setWordWrap(true);
    layout->addWidget(text);

    m_vPanel = new QWidget(page);
    m_vPanel->setObjectName(QStringLiteral("pnVFunction"));
    auto *vLayout = new QHBoxLayout(m_vPanel);
    vLayout->setContentsMargins(0, 0, 0, 0);
    vLayout->addWidget(new QLabel(QStringLiteral("Активная V-функция:"), m_vPanel));
    m_vList = new QComboBox(m_vPanel);
    m_vList->setObjectName(QStringLiteral("cbVFunction"));
    vLayout->addWidget(m_vList, 1);
    layout->addWidget(m_vPanel);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    m_ok = new QPushButton(QStringLiteral("OK"), page);
    m_ok->setObjectName(QStringLiteral("btOK"));
    m_ok->setDefault(true);
    m_cancel = new QPushButton(QStringLiteral("Отмена"), page);
    m_cancel->setObjectName(QStringLiteral("btCancel"));
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    buttons->addStretch(1);
    layout->addLayout(buttons);

    connect(m_ok, &QPushButton::clicked, this, [this] {
        if (m_session)
            m_session->Ok(m_vPanel->isVisibleTo(this) ? std::max(0, m_vList->currentIndex()) : 0);
    });
    connect(m_cancel, &QPushButton::clicked, this, [this] {
        if (m_session)
            m_session->OperatorClose();
    });
    return page;
}

QWidget *TfmPusk::BuildWorkPage()
{
    auto *page = new QWidget(this);
    page->setObjectName(QStringLiteral("pgWork"));
    auto *layout = new QVBoxLayout(page);
    auto *grid = new QGridLayout;
    grid->setColumnStretch(1, 1);
    grid->addWidget(Caption("Тип запуска:", page), 0, 0);
    m_runType = new QLabel(page);
    m_runType->setObjectName(QStringLiteral("lbRunType"));
    grid->addWidget(m_runType, 0, 1);
    m_passCaption = Caption("Прогон:", page);
    grid->addWidget(m_passCaption, 1, 0);
    m_passes = new QLabel(page);
    m_passes->setObjectName(QStringLiteral("lbPass"));
    grid->addWidget(m_passes, 1, 1);
    grid->addWidget(Caption("Статус:", page), 2, 0);
    m_status = new QLabel(page);
    m_status->setObjectName(QStringLiteral("lbStatus"));
    m_status->setWordWrap(true);
    m_status->setMinimumHeight(2 * m_status->fontMetrics().height());
    m_status->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    grid->addWidget(m_status, 2, 1);
    layout->addLayout(grid);

    m_animation = new ActivityAnimation(page);
    layout->addWidget(m_animation, 0, Qt::AlignHCenter);
    m_progress = new QProgressBar(page);
    m_progress->setObjectName(QStringLiteral("pbProgress"));
    m_progress->setRange(0, 100);
    // The bar keeps its room while hidden, so that the window does not jump.
    QSizePolicy keep = m_progress->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    m_progress->setSizePolicy(keep);
    layout->addWidget(m_progress);

    m_stopPanel = new QLabel(QString::fromUtf8(kStopText), page);
    m_stopPanel->setObjectName(QStringLiteral("pnStop"));
    m_stopPanel->setAlignment(Qt::AlignCenter);
    m_stopPanel->setWordWrap(true);
    m_stopPanel->setFrameShape(QFrame::Panel);
    m_stopPanel->setFrameShadow(QFrame::Raised);
    m_stopPanel->setMargin(6);
    m_stopPanel->setCursor(Qt::PointingHandCursor);
    m_stopPanel->installEventFilter(this);
    layout->addWidget(m_stopPanel);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    m_close = new QPushButton(QStringLiteral("Закрыть"), page);
    m_close->setObjectName(QStringLiteral("btClose"));
    buttons->addWidget(m_close);
    buttons->addStretch(1);
    layout->addLayout(buttons);
    connect(m_close, &QPushButton::clicked, this, [this] {
        if (m_session)
            m_session->OperatorClose();
    });
    return page;
}

void TfmPusk::ShowPage(int index)
{
    // Only the page shown takes room, so the window has that page's size.
    m_startPage->setVisible(index == 0);
    m_workPage->setVisible(index == 1);
    m_statisticsPage->setVisible(index == 2);
    setFixedWidth(index == 2 ? kStatisticsWidth : kWindowWidth);
    adjustSize();
}

void TfmPusk::ResetPages()
{
    m_vList->clear();
    m_vPanel->hide();
    m_runType->clear();
    m_passes->clear();
    m_status->clear();
    m_animation->SetMode(ActivityAnimation::Idle);
    m_progress->hide();
    m_progress->setValue(0);
    m_stopPanel->show();
    m_close->hide();
    m_ok->setDefault(true);
    ShowPage(0);
}

TfmMProgress *TfmPusk::MFunctionWindow() const
{
    return m_mWindow;
}

bool TfmPusk::OnWorkPage() const
{
    return !m_workPage->isHidden();
}

bool TfmPusk::OnStatisticsPage() const
{
    return !m_statisticsPage->isHidden();
}

bool TfmPusk::ShowStatistics(const ErrorStatistics &statistics)
{
    m_statisticsPage->Fill(statistics, m_document);
    ShowPage(2);
    m_statisticsPage->CloseButton()->setDefault(true);
    m_statisticsPage->CloseButton()->setFocus();
    return true;
}

void TfmPusk::Exec(RunSession &session)
{
    ResetPages();
    const std::vector<std::string> choices = session.VFunctionChoices();
    for (const std::string &choice : choices)
        m_vList->addItem(Text(choice));
    m_vPanel->setVisible(!choices.empty());
    adjustSize();

    m_session = &session;
    m_finished = false;
    setWindowModality(Qt::ApplicationModal);
    show();
    raise();
    activateWindow();
    m_ok->setFocus();
    // A loop of our own rather than QDialog::exec: hiding the window while
    // the unit asks a question must not end the run.
    QEventLoop loop;
    m_loop = &loop;
    if (!m_finished)
        loop.exec(QEventLoop::DialogExec);
    m_loop = nullptr;
    m_closeTimer.stop();
    ShowPendingResults();
    if (m_mWindow)
        m_mWindow->hide();
    hide();
    m_session = nullptr;
}

void TfmPusk::Finish()
{
    m_finished = true;
    m_closeTimer.stop();
    // The views end on the last results, whatever the pace held back.
    ShowPendingResults();
    hide();
    if (m_loop)
        m_loop->quit();
}

void TfmPusk::ShowWorkPage(bool continuous)
{
    m_runType->setText(continuous ? QStringLiteral("непрерывный") : QStringLiteral("однократный"));
    m_passCaption->setVisible(continuous);
    m_passes->setVisible(continuous);
    m_ok->setDefault(false);
    ShowPage(1);
}

void TfmPusk::ShowStopPanel(bool visible)
{
    m_stopPanel->setVisible(visible);
}

void TfmPusk::ShowCloseButton(bool visible)
{
    m_close->setVisible(visible);
    if (visible) {
        m_close->setDefault(true);
        m_close->setFocus();
    }
}

void TfmPusk::CloseWindow()
{
    Finish();
}

void TfmPusk::CloseAfter(int ms)
{
    m_closeTimer.start(std::max(0, ms));
}

void TfmPusk::Post(std::function<void()> task)
{
    PostCall(this, std::move(task));
}

void TfmPusk::RunOnWindowThread(const std::function<void()> &task)
{
    OnGuiThread(task);
}

void TfmPusk::OnGuiThread(const std::function<void()> &task)
{
    CallAndWait(this, task); // at once when called on the window's thread
}

void TfmPusk::ShowStatus(const std::string &text)
{
    OnGuiThread([this, &text] { m_status->setText(Text(text)); });
}

void TfmPusk::ShowActivity(ActivityPicture picture)
{
    const auto mode = [picture] {
        switch (picture) {
        case ActivityPicture::Running:
            return ActivityAnimation::Running;
        case ActivityPicture::Receiving:
            return ActivityAnimation::Receiving;
        case ActivityPicture::Idle:
            break;
        }
        return ActivityAnimation::Idle;
    }();
    OnGuiThread([this, mode] { m_animation->SetMode(mode); });
}

void TfmPusk::ShowPassCounter(int passes)
{
    OnGuiThread([this, passes] { m_passes->setText(QString::number(passes)); });
}

void TfmPusk::ShowProgress(std::optional<int> percent)
{
    OnGuiThread([this, percent] {
        if (!percent) {
            m_progress->hide();
            return;
        }
        m_progress->setValue(*percent);
        m_progress->show();
    });
}

void TfmPusk::ShowMFunctionProgress(const MFunctionProgress &progress)
{
    OnGuiThread([this, &progress] {
        if (!m_mWindow)
            m_mWindow = new TfmMProgress(this);
        m_mWindow->ShowProgress(progress);
        if (!m_mWindow->isVisible() && isVisible()) {
            m_mWindow->show();
            PlaceMWindow();
        }
    });
}

int TfmPusk::AskQuestion(QuestionKind kind, std::span<const std::uint8_t> record)
{
    int answer = 0;
    OnGuiThread([this, kind, record, &answer] {
        const bool mWindowShown = m_mWindow && m_mWindow->isVisible();
        if (mWindowShown)
            m_mWindow->hide();
        hide();
        answer = questions::AskFunctionQuestion(m_document, kind, record, m_hooks.openList, this);
        if (!m_finished) {
            show();
            if (mWindowShown) {
                m_mWindow->show();
                PlaceMWindow();
            }
        }
    });
    return answer;
}

void TfmPusk::ShowResults(ResultStage stage)
{
    OnGuiThread([this, stage] { PaceResults(stage); });
}

void TfmPusk::PaceResults(ResultStage stage)
{
    if (!m_hooks.results)
        return;
    (stage == ResultStage::RepaintViews ? m_repaintPending : m_recountPending) = true;
    if (m_resultsTimer.isActive())
        return; // shown with the frame that is due
    const qint64 since = m_resultsShown.isValid() ? m_resultsShown.elapsed() : kResultsFrameMs;
    if (since >= kResultsFrameMs)
        ShowPendingResults();
    else
        m_resultsTimer.start(static_cast<int>(kResultsFrameMs - since));
}

void TfmPusk::ShowPendingResults()
{
    m_resultsTimer.stop();
    if (!m_hooks.results || (!m_repaintPending && !m_recountPending))
        return;
    const bool repaint = std::exchange(m_repaintPending, false);
    const bool recount = std::exchange(m_recountPending, false);
    m_resultsShown.start();
    if (repaint)
        m_hooks.results(ResultStage::RepaintViews);
    if (recount)
        m_hooks.results(ResultStage::RecountErrors);
}

void TfmPusk::TestDecoded(int testIndex, bool hasErrors)
{
    OnGuiThread([this, testIndex, hasErrors] {
        if (m_hooks.testDecoded)
            m_hooks.testDecoded(testIndex, hasErrors);
    });
}

void TfmPusk::reject()
{
    // Every way of closing goes through the session's rules.
    close();
}

void TfmPusk::closeEvent(QCloseEvent *event)
{
    if (m_session == nullptr || m_finished || m_session->CloseRequested()) {
        event->accept();
        Finish();
        return;
    }
    event->ignore();
}

void TfmPusk::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        if (OnStatisticsPage())
            close();
        else if (m_session)
            m_session->Escape(false);
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool TfmPusk::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_stopPanel && event->type() == QEvent::MouseButtonRelease) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::LeftButton && m_session) {
            m_session->Escape(true);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TfmPusk::moveEvent(QMoveEvent *event)
{
    QDialog::moveEvent(event);
    PlaceMWindow();
}

void TfmPusk::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    PlaceMWindow();
}

void TfmPusk::PlaceMWindow()
{
    if (m_mWindow && m_mWindow->isVisible())
        m_mWindow->KeepBeside(*this);
}

} // namespace qv::run
