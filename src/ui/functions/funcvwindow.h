#pragma once

// The V-function window ("V-функции"): the V-functions of one test, shown
// one at a time on the page "форма" (name, sweep and amplitude of the shown
// cycle, tact, info and the cycle's oscillogram) or all together on the
// page "таблица", where a click on a row makes its function active (a
// click on the active row makes none active) and dragging a row onto
// another swaps the two functions. The window works on a snapshot of the
// list: OK keeps the edits, Cancel puts the list back as it was. It works
// with or without a probe: a waveform recorded into the list shows after
// refresh().

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
    void refresh();

    int shownNumber() const { return m_number; } // 0 = the list is empty
    int shownCycle() const { return m_cycle; }   // 0-based
    // After OK: the active function's tact + 1; 0 when none is active.
    int chosenTact() const { return m_chosenTact; }
    const QImage &picture() const { return m_picture; }

    QTabWidget *pages() const { return m_pages; }
    QTableWidget *table() const { return m_table; }
    QComboBox *activeBox() const { return m_active; }
    QLineEdit *nameEdit() const { return m_name; }
    QComboBox *sweepBox() const { return m_sweep; }
    QComboBox *amplitudeBox() const { return m_amplitude; }
    QLineEdit *tactEdit() const { return m_tact; }
    QPlainTextEdit *infoView() const { return m_info; }
    QSpinBox *cycleBox() const { return m_cycleBox; }
    QPushButton *previousButton() const { return m_previous; }
    QPushButton *nextButton() const { return m_next; }
    QPushButton *keepButton() const { return m_keep; }
    QPushButton *clearButton() const { return m_clear; }
    QPushButton *deleteButton() const { return m_delete; }
    QPushButton *editorButton() const { return m_editor; }
    QPushButton *addButton() const { return m_add; }
    QLabel *sweepDivisionLabel() const { return m_sweepDivision; }
    QLabel *amplitudeDivisionLabel() const { return m_amplitudeDivision; }

    void done(int result) override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    SFuncV *shown() const;
    QWidget *makeFormPage();
    QWidget *makeTablePage();
    bool mayLeaveShown() const;
    void show(int number);
    void step(int direction);
    void fillForm();
    void fillTable();
    void fillActiveBox();
    void drawPicture();
    void chooseActive(int index);
    void clickRow(int row);
    void dragRow(int from, int to);
    void editName(const QString &text);
    // Sweep or amplitude (`values`) of the shown cycle.
    void editCycleValue(std::array<std::int32_t, kVCycles> SFuncV::*values, int index);
    void editTact();
    void toggleKeep();
    void clearCapture();
    void deleteShown();
    void editInfo();
    void addFunction();
    bool refusedWithoutFunctions(int message) const;

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
