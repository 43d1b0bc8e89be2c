#pragma once

// RunHost: what "Пуск" needs of the window it runs from, and no more: the
// document it runs, the window's "Пуск" handler, which view is shown, where
// the results go while the run decodes them and when it has ended, and the
// waiting notice while the run makes the link to the unit again. The main
// window implements it; RunCommand reaches the window only through it.

#include <QString>
#include <functional>

class QWidget;

namespace qv {

class TQuorvik;
enum class ResultStage : int;

namespace diagnosis {
struct Diagnosis;
}

namespace run {

class RunHost
{
public:
    virtual ~RunHost() = default;

    // The window the run's own windows (the run window, the contact
    // identification, the questions about data files) belong to.
    virtual QWidget &RunParent() = 0;
    virtual TQuorvik &Document() = 0;
    // "Пуск" calls the handler; an empty one takes it back.
    virtual void SetRunHandler(std::function<void()> handler) = 0;
    // Whether the table (rather than the diagram) is shown.
    virtual bool TableShown() const = 0;

    // While the run decodes: test `index` (0-based) has errors or none.
    virtual void ShowTestResult(int index, bool failed) = 0;
    // Results arrived (the views refilled, or the error count shown again).
    virtual void ShowRunResults(ResultStage stage) = 0;
    // A word or function chosen in the run window (kind as lists::OpenList)
    // of test `test` (0-based).
    virtual void OpenListAt(char kind, int number, int test) = 0;
    // The run is over: tabs, error count and views from the document's
    // results, then the diagnosis of the run.
    virtual void RunFinished() = 0;
    virtual void SetRunDiagnosis(const diagnosis::Diagnosis &diagnosis) = 0;

    // A waiting notice with `text` over the window, shown at once; hidden
    // (and gone) with hideWaitNotice.
    virtual void ShowWaitNotice(const QString &text) = 0;
    virtual void HideWaitNotice() = 0;
};

} // namespace run
} // namespace qv
