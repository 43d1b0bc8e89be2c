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

    QLineEdit *valueEdit() const { return m_value; }
    QPushButton *okButton() const { return m_ok; }
    std::int32_t value() const { return m_accepted; }

private:
    void tryAccept();

    QLineEdit *m_value = nullptr;
    QPushButton *m_ok = nullptr;
    std::int32_t m_accepted = 0;
};

class TfmFuncP : public FunctionListWindow<TProg>
{
    Q_OBJECT

public:
    TfmFuncP(TQuorvik &doc, STest &test, int number, QWidget *parent = nullptr, Notify notify = {});

    AddressFields &addresses() const { return *m_addresses; }

    DataFileBox *fileBox() const { return m_file; }
    QTabWidget *pages() const { return m_pages; }
    bool parametersShown() const;
    QLabel *algorithmLabel() const { return m_algorithm; }
    QSpinBox *cyclesBox() const { return m_cycles; }
    QSpinBox *pulsesBox() const { return m_pulses; }
    QPushButton *delayButton() const { return m_delay; }
    QPushButton *editorButton() const { return m_editor; }

protected:
    void showFunction() override;

private:
    QWidget *makeParametersPage();
    void showParameters(const SProg &function);
    void editDelay();

    TQuorvik &m_doc;
    STest &m_test;
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
