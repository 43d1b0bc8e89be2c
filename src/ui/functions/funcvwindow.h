#pragma once

// The V-function window ("V-функции"): the V-functions of one test, shown
// one at a time on the page "форма" (name, sweep and amplitude of the shown
// cycle, tact, info and the cycle's oscillogram) or all together on the
// page "таблица", where a click on a row makes its function active (a
// click on the active row makes none active) and dragging a row onto
// another swaps the two functions. The window works on a snapshot of the
// list: OK keeps the edits, Cancel puts the list back as it was. It works
// with or without a probe: a waveform recorded into the list shows after
// Refresh().

#include "model/functions/funcv.h"
#include "model/settings/oscillogramcolours.h"

#include <QDialog>
#include <QImage>

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QTabWidget;
class QTableWidget;

namespace qv {

struct STest;

namespace functions {

class TfmFuncV : public QDialog
{
    Q_OBJECT

public:
    // test outlives the window. number: the function shown first (0 or a
    // number not listed: the active one, else the first).
    TfmFuncV(STest &test, const OscillogramColours &colours, int number = 0,
             QWidget *parent = nullptr);

    // Shows the list's current state again (after a recording, say).
    void Refresh();

    int ShownNumber() const { return m_number; } // 0 = the list is empty
    int ShownCycle() const { return m_cycle; }   // 0-based
    // After OK: the active function's tact + 1; 0 when none is active.
    int ChosenTact() const { return m_chosenTact; }
    const QImage &Picture() const { return m_picture; }

    QTabWidget *Pages() const { return m_pages; }
    QTableWidget *Table() const { return m_table; }
    QComboBox *ActiveBox() const { return m_active; }
    QLineEdit *NameEdit() const { return m_name; }
    QComboBox *SweepBox() const { return m_sweep; }
    QComboBox *AmplitudeBox() const { return m_amplitude; }
    QLineEdit *TactEdit() const { return m_tact; }
    QPlainTextEdit *InfoView() const { return m_info; }
    QSpinBox *CycleBox() const { return m_cycleBox; }
    QPushButton *PreviousButton() const { return m_previous; }
    QPushButton *NextButton() const { return m_next; }
    QPushButton *KeepButton() const { return m_keep; }
    QPushButton *ClearButton() const { return m_clear; }
    QPushButton *DeleteButton() const { return m_delete; }
    QPushButton *EditorButton() const { return m_editor; }
    QPushButton *AddButton() const { return m_add; }
    QLabel *SweepDivisionLabel() const { return m_sweepDivision; }
    QLabel *AmplitudeDivisionLabel() const { return m_amplitudeDivision; }

    void done(int result) override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    SFuncV *Shown() const;
    QWidget *MakeFormPage();
    QWidget *MakeTablePage();
    bool MayLeaveShown() const;
    void Show(int number);
    void Step(int direction);
    void FillForm();
    void FillTable();
    void FillActiveBox();
    void DrawPicture();
    void ChooseActive(int index);
    void ClickRow(int row);
    void DragRow(int from, int to);
    void EditName(const QString &text);
    // Sweep or amplitude (`values`) of the shown cycle.
    void EditCycleValue(std::array<std::int32_t, kVCycles> SFuncV::*values, int index);
    void EditTact();
    void ToggleKeep();
    void ClearCapture();
    void DeleteShown();
    void EditInfo();
    void AddFunction();
    bool RefusedWithoutFunctions(int message) const;

    STest &m_test;
    OscillogramColours m_colours;
    int m_number = 0;
    int m_cycle = 0;
    int m_cycles = 1;
    int m_chosenTact = 0;
    int m_pressedRow = -1;
    bool m_filling = false;
    QImage m_picture;
    QTabWidget *m_pages = nullptr;
    QTableWidget *m_table = nullptr;
    QComboBox *m_active = nullptr;
    QLabel *m_title = nullptr;
    QLineEdit *m_name = nullptr;
    QComboBox *m_sweep = nullptr;
    QComboBox *m_amplitude = nullptr;
    QLineEdit *m_tact = nullptr;
    QPlainTextEdit *m_info = nullptr;
    QSpinBox *m_cycleBox = nullptr;
    QLabel *m_pictureLabel = nullptr;
    QLabel *m_sweepDivision = nullptr;
    QLabel *m_amplitudeDivision = nullptr;
    QPushButton *m_previous = nullptr;
    QPushButton *m_next = nullptr;
    QPushButton *m_keep = nullptr;
    QPushButton *m_clear = nullptr;
    QPushButton *m_delete = nullptr;
    QPushButton *m_editor = nullptr;
    QPushButton *m_add = nullptr;
};

} // namespace functions
} // namespace qv
