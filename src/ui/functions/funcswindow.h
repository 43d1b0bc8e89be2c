#pragma once

// The S-function window ("S-функции"): one S-function of the current test
// at a time, stepped through with "<" and ">" (wrapping): its data file, the
// number of bytes to move (fixed, or the whole file / all data) and the
// serial parameters of its interface; "Данные" opens its data window. The
// window works on a snapshot of the test's S-functions: OK keeps the
// edits, Cancel (or closing) puts the list back as it was.

#include "model/functions/funcs.h"
#include "ui/functions/functionwindow.h"

#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace qv {

class TQuorvik;
struct STest;

namespace functions {

class DataFileBox;

class TfmFuncS : public FunctionListWindow<TFuncS>
{
    Q_OBJECT

public:
    // test belongs to doc and outlives the window; number is the function
    // shown first (the first listed when it is not listed).
    TfmFuncS(TQuorvik &doc, STest &test, int number, QWidget *parent = nullptr, Notify notify = {});

    DataFileBox *fileBox() const { return m_file; }
    QRadioButton *fixedButton() const { return m_fixed; }
    QLineEdit *fixedEdit() const { return m_count; }
    QRadioButton *allButton() const { return m_all; }
    QLabel *allSizeLabel() const { return m_allSize; }
    QComboBox *speedBox() const { return m_speed; }
    QComboBox *dataBitsBox() const { return m_dataBits; }
    QComboBox *parityBox() const { return m_parity; }
    QComboBox *stopBitsBox() const { return m_stopBits; }
    QComboBox *flowBox() const { return m_flow; }
    QLabel *interfaceLabel() const { return m_interface; }
    QLabel *modeLabel() const { return m_mode; }
    QPushButton *dataButton() const { return m_data; }

protected:
    void showFunction() override;

private:
    void showSerial(const SFuncS &function);
    void showCount(const SFuncS &function);
    void editCount();
    void openData();

    TQuorvik &m_doc;
    STest &m_test;
    int m_unknownShown = 0; // function whose unknown interface was reported last
    QLabel *m_interface = nullptr;
    QLabel *m_mode = nullptr;
    DataFileBox *m_file = nullptr;
    QRadioButton *m_fixed = nullptr;
    QLineEdit *m_count = nullptr;
    QRadioButton *m_all = nullptr;
    QLabel *m_allSize = nullptr;
    QComboBox *m_speed = nullptr;
    QComboBox *m_dataBits = nullptr;
    QComboBox *m_parity = nullptr;
    QComboBox *m_stopBits = nullptr;
    QComboBox *m_flow = nullptr;
    QPushButton *m_data = nullptr;
};

} // namespace functions
} // namespace qv
