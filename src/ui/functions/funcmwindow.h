#pragma once

// The M-function window ("M-функции"): one M-function of the current test
// at a time, stepped through with "<" and ">" (wrapping): its address and
// data words, its address range in the file's number base and the check
// list of the memory-test algorithms it runs; "Результаты" shows the
// status of all six algorithms from the last run. The window works on a
// snapshot of the test's M-functions: OK keeps the edits, Cancel puts the
// list back as it was.

#include "model/functions/funcm.h"
#include "ui/functions/functionwindow.h"

#include <cstdint>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace qv {

class TQuorvik;
struct STest;

namespace run {
class TfmMProgress;
}

namespace functions {

class AddressFields;
enum class AddressField;

class TfmFuncM : public FunctionListWindow<TFuncM>
{
    Q_OBJECT

public:
    // test belongs to doc and outlives the window; number is the function
    // shown first (the first listed when it is not listed).
    TfmFuncM(TQuorvik &doc, STest &test, int number, QWidget *parent = nullptr);

    ~TfmFuncM() override;

    AddressFields &Addresses() const { return *m_addresses; }

    QListWidget *AlgorithmList() const { return m_algorithms; }
    QLabel *WriteWordsLabel() const { return m_writeWords; }
    QLabel *ReadWordsLabel() const { return m_readWords; }
    QPushButton *ResultsButton() const { return m_results; }
    // The status window "Результаты" opened; null before.
    run::TfmMProgress *ResultsWindow() const { return m_resultsWindow; }

protected:
    void ShowFunction() override;

private:
    void EditAddress(AddressField field, std::int64_t value);
    void EditAlgorithms();
    void ShowResults();

    TQuorvik &m_doc;
    STest &m_test;
    QLabel *m_writeWords = nullptr;
    QLabel *m_readWords = nullptr;
    AddressFields *m_addresses = nullptr;
    QListWidget *m_algorithms = nullptr;
    QPushButton *m_results = nullptr;
    run::TfmMProgress *m_resultsWindow = nullptr;
};

} // namespace functions
} // namespace qv
