#pragma once

// The debug tact range and the debug cycle of the current test: the dialog
// "Такты отладки", the two commands of the diagram's debug menu, and the
// dialog "Цикл отладки". Refusals are shown with the error icon and change
// nothing.

#include <QDialog>
#include <string>

class QSpinBox;
class QPushButton;

namespace qv {

struct STest;

namespace debug {

// Why the range (first, last as entered) is refused; "" when accepted.
std::string DebugRangeRefusal(int first, int last, int tactCount);

// The debug menu's commands for tact t (0-based): the range becomes
// (t, max(first, last)) or (min(first, last), t) when accepted. False
// (after the message) when refused.
bool SetDebugStart(STest &test, int tact);
bool SetDebugEnd(STest &test, int tact);

// "Такты отладки": opens on the test's range; OK stores an accepted range
// (the dialog then closes with Accepted).
class TfmDebugTct : public QDialog
{
    Q_OBJECT

public:
    explicit TfmDebugTct(STest &test, QWidget *parent = nullptr);

    QSpinBox *First() const { return m_first; }
    QSpinBox *Last() const { return m_last; }
    QPushButton *OkButton() const { return m_ok; }

private:
    void TryAccept();

    STest &m_test;
    QSpinBox *m_first = nullptr;
    QSpinBox *m_last = nullptr;
    QPushButton *m_ok = nullptr;
};

// "Цикл отладки": opens on the active cycle; "ОК" closes with Accepted when
// the number is a cycle of the test, else tells the range and stays.
class TfmDebugCycle : public QDialog
{
    Q_OBJECT

public:
    explicit TfmDebugCycle(const STest &test, QWidget *parent = nullptr);

    QSpinBox *Cycle() const { return m_cycle; }
    QPushButton *OkButton() const { return m_ok; }
    // The chosen cycle, 0-based.
    int Chosen() const;

private:
    void TryAccept();

    const STest &m_test;
    QSpinBox *m_cycle = nullptr;
    QPushButton *m_ok = nullptr;
};

} // namespace debug
} // namespace qv
