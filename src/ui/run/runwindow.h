#pragma once

// TfmPusk: the run window "Пуск". The start page asks the operator to
// switch the power on and press "OK" (in debug mode with a V-function list
// when the test records waveforms); the work page shows the run type, the
// pass counter of a continuous run, the status line, the activity picture,
// the progress bar, the stop panel and, once the run can no longer be
// stopped, "Закрыть".
//
// The window shows what the run session tells it and forwards the
// operator's actions to the session, which decides: "OK", Esc or a click on
// the stop panel, a close request, "Отмена" and "Закрыть". Calls of the run
// thread and the port's thread are carried over to the window's thread and
// return after the effect is shown; the window keeps its own event loop
// while it is open, so that it repaints whatever the thread does.
//
// The window can be hidden while a question of the unit is asked without
// ending its loop; it ends only when the session lets it close.
//
// The results of a continuous run reach the main window's views at most at
// the screen's pace (one frame, kResultsFrameMs), not after every pass: a
// pass that comes sooner leaves its stage pending, and the pending stages
// are shown when the frame is due and, at the latest, when the window
// closes.
//
// After a continuous run that failed in some pass the window stays open on
// a third page, the error statistics, until the operator closes it ("Закрыть",
// Esc or the window's close); the end message follows as after any run.

#include "execution/run/runsession.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
#include <functional>

class QComboBox;
class QEventLoop;
class QLabel;
class QProgressBar;
class QPushButton;

namespace qv {

class TQuorvik;

namespace run {

class ActivityAnimation;
class ErrorStatisticsPage;
class TfmMProgress;

class TfmPusk : public QDialog, public RunView
{
    Q_OBJECT

public:
    // Where the results of a run go: the main window's tabs and views. Called
    // on the window's thread while the run thread waits.
    struct ResultHooks
    {
        std::function<void(int testIndex, bool hasErrors)> testDecoded;
        std::function<void(ResultStage stage)> results;
        // The list window of an output word ('o') or a function ('F', 'M',
        // 'P') of test `test` (0-based), asked for from a question window.
        std::function<void(int test, char kind, int number)> openList;
    };

    static constexpr int kResultsFrameMs = 16;
    static constexpr const char *kStartText = "Включите питание и нажмите \"ОК\" для запуска";
    static constexpr const char *kStopText =
        "Нажмите кнопку \"Esc\", чтобы прервать выполнение теста";

    // The document (for the texts of the unit's questions) must outlive the
    // window.
    TfmPusk(const TQuorvik &document, ResultHooks hooks, QWidget *parent = nullptr);
    ~TfmPusk() override;

    // RunView
    void Exec(RunSession &session) override;
    void ShowWorkPage(bool continuous) override;
    void ShowStopPanel(bool visible) override;
    void ShowCloseButton(bool visible) override;
    void CloseWindow() override;
    void CloseAfter(int ms) override;
    void Post(std::function<void()> task) override;
    void RunOnWindowThread(const std::function<void()> &task) override;
    void ShowStatus(const std::string &text) override;
    void ShowActivity(ActivityPicture picture) override;
    void ShowPassCounter(int passes) override;
    void ShowProgress(std::optional<int> percent) override;
    void ShowMFunctionProgress(const MFunctionProgress &progress) override;
    int AskQuestion(QuestionKind kind, std::span<const std::uint8_t> record) override;
    void ShowResults(ResultStage stage) override;
    void TestDecoded(int testIndex, bool hasErrors) override;
    bool ShowStatistics(const ErrorStatistics &statistics) override;

    // The parts, for the operator's tests and the screenshots.
    bool OnWorkPage() const;
    bool Running() const { return m_session != nullptr; }
    QPushButton *OkButton() const { return m_ok; }
    QPushButton *CancelButton() const { return m_cancel; }
    QPushButton *CloseButton() const { return m_close; }
    QWidget *VFunctionPanel() const { return m_vPanel; }
    QComboBox *VFunctionList() const { return m_vList; }
    QLabel *RunTypeLabel() const { return m_runType; }
    QLabel *PassLabel() const { return m_passes; }
    QLabel *StatusLabel() const { return m_status; }
    QProgressBar *ProgressBar() const { return m_progress; }
    QLabel *StopPanel() const { return m_stopPanel; }
    ActivityAnimation *Animation() const { return m_animation; }
    ErrorStatisticsPage *StatisticsPage() const { return m_statisticsPage; }
    bool OnStatisticsPage() const;
    // Null until the unit first reported an M-function.
    TfmMProgress *MFunctionWindow() const;

    void reject() override;

protected:
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *BuildStartPage();
    QWidget *BuildWorkPage();
    void ShowPage(int index);
    void ResetPages();
    void Finish();
    void PlaceMWindow();
    // Runs the task on the window's thread and returns when it is done.
    void OnGuiThread(const std::function<void()> &task);
    // Results at the screen's pace (window thread).
    void PaceResults(ResultStage stage);
    void ShowPendingResults();

    const TQuorvik &m_document;
    ResultHooks m_hooks;
    RunSession *m_session = nullptr; // while Exec runs
    QEventLoop *m_loop = nullptr;    // while Exec runs
    bool m_finished = false;
    QTimer m_closeTimer;
    QTimer m_resultsTimer;
    QElapsedTimer m_resultsShown; // invalid until results were first shown
    bool m_repaintPending = false;
    bool m_recountPending = false;

    QWidget *m_startPage = nullptr;
    QWidget *m_workPage = nullptr;
    ErrorStatisticsPage *m_statisticsPage = nullptr;
    QWidget *m_vPanel = nullptr;
    QComboBox *m_vList = nullptr;
    QPushButton *m_ok = nullptr;
    QPushButton *m_cancel = nullptr;
    QLabel *m_runType = nullptr;
    QLabel *m_passCaption = nullptr;
    QLabel *m_passes = nullptr;
    QLabel *m_status = nullptr;
    ActivityAnimation *m_animation = nullptr;
    QProgressBar *m_progress = nullptr;
    QLabel *m_stopPanel = nullptr;
    QPushButton *m_close = nullptr;
    QPointer<TfmMProgress> m_mWindow;
};

} // namespace run
} // namespace qv
