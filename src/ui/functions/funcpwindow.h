#pragma once

// The P-function window ("P-функции"): one P-function of the current test
// at a time, stepped through with "<" and ">" (wrapping): its words, data
// file, address range and programming algorithm, and on the page
// "Параметры" (algorithms other than "Стандартный") the programming cycles
// within the algorithm's range and either the delay word, whose value the
// delay editor sets, or the pulse count. The window works on a snapshot of
// the test's P-functions: OK keeps the edits, Cancel puts the list back.

#include "model/functions/prog.h"
#include "ui/functions/functionwindow.h"
#include "ui/services/dataeditor.h"

#include <cstdint>
#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTabWidget;

namespace qv {

class TQuorvik;
struct STest;

namespace functions {

class AddressFields;
class DataFileBox;
enum class AddressField;

// The delay editor "Значение задержки слова g<n>:": a value of 1..65535.
class TfmDelayEdit : public QDialog
{
    Q_OBJECT

public:
    TfmDelayEdit(int word, std::int32_t value, QWidget *parent = nullptr);

    QLineEdit *ValueEdit() const { return m_value; }
    QPushButton *OkButton() const { return m_ok; }
    std::int32_t Value() const { return m_accepted; }

private:
    void TryAccept();

    QLineEdit *m_value = nullptr;
    QPushButton *m_ok = nullptr;
    std::int32_t m_accepted = 0;
};

class TfmFuncP : public FunctionListWindow<TProg>
{
    Q_OBJECT

public:
    // editor: the data editor "Редактор" starts.
    TfmFuncP(TQuorvik &doc, STest &test, int number, services::DataEditorSetting editor,
             QWidget *parent = nullptr, Notify notify = {});

    AddressFields &Addresses() const { return *m_addresses; }

    DataFileBox *FileBox() const { return m_file; }
    QTabWidget *Pages() const { return m_pages; }
    bool ParametersShown() const;
    QLabel *AlgorithmLabel() const { return m_algorithm; }
    QSpinBox *CyclesBox() const { return m_cycles; }
    QSpinBox *PulsesBox() const { return m_pulses; }
    QPushButton *DelayButton() const { return m_delay; }
    QPushButton *EditorButton() const { return m_editor; }

protected:
    void ShowFunction() override;

private:
    QWidget *MakeParametersPage();
    void ShowParameters(const SProg &function);
    void EditDelay();
    // The data editor on the shown function's data file beside the test file.
    void OpenEditor();

    TQuorvik &m_doc;
    STest &m_test;
    services::DataEditorSetting m_editorSetting;
    QTabWidget *m_pages = nullptr;
    QLabel *m_words = nullptr;
    QLabel *m_algorithm = nullptr;
    DataFileBox *m_file = nullptr;
    AddressFields *m_addresses = nullptr;
    QSpinBox *m_cycles = nullptr;
    QLabel *m_delayCaption = nullptr;
    QPushButton *m_delay = nullptr;
    QLabel *m_pulsesCaption = nullptr;
    QSpinBox *m_pulses = nullptr;
    QPushButton *m_editor = nullptr;
};

} // namespace functions
} // namespace qv
