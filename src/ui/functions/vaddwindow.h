#pragma once

// The window "Добавление новой V-функции": the operator names a new
// V-function, chooses its sweep and amplitude (taken for every cycle), its
// tact and its number, and describes it. OK adds it to the list (a number
// in use gives that function the new settings) or shows why not.

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;

namespace qv {

class TFuncV;

namespace functions {

class TfmAddFuncV : public QDialog
{
    Q_OBJECT

public:
    // list outlives the window; tactCount is the test's number of tacts.
    TfmAddFuncV(TFuncV &list, int tactCount, QWidget *parent = nullptr);

    QLineEdit *NameEdit() const { return m_name; }
    QComboBox *SweepBox() const { return m_sweep; }         // -1 = not chosen
    QComboBox *AmplitudeBox() const { return m_amplitude; } // -1 = not chosen
    QLineEdit *TactEdit() const { return m_tact; }          // 1-based; blank = not given
    QSpinBox *NumberBox() const { return m_number; }        // 0 (shown blank) = not given
    QLabel *FreeNumbersLabel() const { return m_free; }
    QPlainTextEdit *InfoEdit() const { return m_info; }
    QPushButton *OkButton() const { return m_ok; }
    // The number of the function added (0 before OK succeeded).
    int AddedNumber() const { return m_added; }

private:
    void TryAdd();

    TFuncV &m_list;
    int m_tactCount;
    int m_added = 0;
    QLineEdit *m_name = nullptr;
    QComboBox *m_sweep = nullptr;
    QComboBox *m_amplitude = nullptr;
    QLineEdit *m_tact = nullptr;
    QSpinBox *m_number = nullptr;
    QLabel *m_free = nullptr;
    QPlainTextEdit *m_info = nullptr;
    QPushButton *m_ok = nullptr;
};

} // namespace functions
} // namespace qv
