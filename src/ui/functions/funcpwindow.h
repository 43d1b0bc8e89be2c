#pragma once

// The P-function window ("P-функции"): one P-function of the current test
// at a time, stepped through with "<" and ">" (wrapping): its words, data
// file, address range and programming algorithm, and on the page
// "Параметры" (algorithms other than "Стандартный") the programming cycles
// within the algorithm's range and either the delay word, whose value the
// delay editor sets, or the pulse count. The window works on a snapshot of
// the test's P-functions: OK keeps the edits, Cancel puts the list back.

#include <QDialog>
#include <cstdint>
#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTabWidget;

namespace qv {

class TQuorvik;
struct SProg;
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

class TfmFuncP : public QDialog
{
    Q_OBJECT

public:
    // Notifications as the F-function window's.
    using Notify = std::function<void(int code)>;

    TfmFuncP(TQuorvik &doc, STest &test, int number, QWidget *parent = nullptr, Notify notify = {});

    int shownNumber() const { return m_number; }
    DataFileBox *fileBox() const { return m_file; }
    QLineEdit *startEdit() const;
    QLineEdit *endEdit() const;
    QLineEdit *incEdit() const;
    QTabWidget *pages() const { return m_pages; }
    bool parametersShown() const;
    QLabel *algorithmLabel() const { return m_algorithm; }
    QSpinBox *cyclesBox() const { return m_cycles; }
    QSpinBox *pulsesBox() const { return m_pulses; }
    QPushButton *delayButton() const { return m_delay; }
    QPushButton *editorButton() const { return m_editor; }
    QPushButton *previousButton() const { return m_previous; }
    QPushButton *nextButton() const { return m_next; }

    void done(int result) override;

private:
    SProg *shown() const;
    QWidget *makeParametersPage();
    void step(int direction);
    void showFunction();
    void showParameters(const SProg &function);
    void edit(const std::function<void(SProg &)> &change);
    void editDelay();

    TQuorvik &m_doc;
    STest &m_test;
    Notify m_notify;
    int m_number = 0;
    bool m_filling = false;
    QTabWidget *m_pages = nullptr;
    QLabel *m_title = nullptr;
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
    QPushButton *m_previous = nullptr;
    QPushButton *m_next = nullptr;
};

} // namespace functions
} // namespace qv
