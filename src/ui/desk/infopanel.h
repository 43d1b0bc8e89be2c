#pragma once

// The information panel of the main window ("Общие сведения"): the
// test-information button, "Тест:" with the 21 test tabs ("1".."20" and
// "все" in one exclusive group), and the labels of the open file: the
// contact file, the probe thresholds, the number system, the cycles, the
// start tact, the debug-cycle box with "<" and ">", the error count and the
// test name. The window decides what the labels say; the panel only shows.

#include <QString>
#include <QWidget>
#include <array>

class QAbstractButton;
class QButtonGroup;
class QLabel;
class QToolButton;

namespace qv::desk {

// "TTL" for threshold pattern 3, "DTL" for 12, otherwise the two thresholds
// of the pattern's lowest set bits from "0.8В", "2.0В", "5.0В", "10.0В"
// joined by " / ".
QString ProbeThresholdsText(int pattern);

class InfoPanel : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kTestTabs = 20;
    static constexpr int kAllTab = kTestTabs; // index of the "все" tab
    enum class TabResult { None, Failed, Passed };

    explicit InfoPanel(QWidget *parent = nullptr);

    // Tabs "1".."count" shown and "все" directly after them; count 0 hides
    // every tab.
    void ShowTabs(int count);
    int VisibleTestTabs() const { return m_visibleTabs; }
    QAbstractButton *Tab(int index) const;
    // Presses a tab (index kAllTab = "все"); -1 releases every tab.
    void PressTab(int index);
    int PressedTab() const;
    // Red for a failed test, blue for a passed one, black when not run.
    void SetTabResult(int index, TabResult result);
    TabResult ResultOfTab(int index) const;
    void ResetTabResults();

    void SetContactFile(const QString &name, const QString &path);
    void SetNumberSystem(const QString &text);
    void SetCycles(const QString &text);
    void SetStartTact(const QString &text);
    void SetErrors(const QString &text, bool alert);
    void SetTestName(const QString &text);
    void SetDebugCycle(const QString &text);
    void SetProbeThresholds(const QString &text);
    // The debug indicators: the cycle box with its arrows, and the probe
    // thresholds (only when `probeLabel`).
    void SetDebugIndicators(bool visible, bool probeLabel);
    void SetTestInfoEnabled(bool enabled);

    QLabel *Label(const char *objectName) const;
    QToolButton *DebugCycleBox() const { return m_cycleBox; }

signals:
    void TabClicked(int index);
    void TestInfoRequested();
    void PreviousCycleRequested();
    void NextCycleRequested();
    void CycleDialogRequested();
    void ProbeModeDialogRequested();
    // A click on the error count ("Найдено ошибок"): the diagnosis.
    void DiagnosisRequested();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void PaintTab(int index);

    QButtonGroup *m_tabGroup = nullptr;
    std::array<QToolButton *, kTestTabs + 1> m_tabs{};
    std::array<TabResult, kTestTabs + 1> m_results{};
    int m_visibleTabs = 0;
    QToolButton *m_testInfo = nullptr;
    QLabel *m_contactFile = nullptr;
    QLabel *m_probeCaption = nullptr;
    QLabel *m_probe = nullptr;
    QLabel *m_system = nullptr;
    QLabel *m_cycles = nullptr;
    QLabel *m_startTact = nullptr;
    QLabel *m_cycleCaption = nullptr;
    QToolButton *m_previous = nullptr;
    QToolButton *m_cycleBox = nullptr;
    QToolButton *m_next = nullptr;
    QLabel *m_errors = nullptr;
    QLabel *m_testName = nullptr;
};

} // namespace qv::desk
