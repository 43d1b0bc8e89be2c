#pragma once

// The S-function window ("S-функции"): one S-function of the current test
// at a time, stepped through with "<" and ">" (wrapping): its data file, the
// number of bytes to move (fixed, or the whole file / all data) and the
// serial parameters of its interface; "Данные" opens its data window. The
// window works on a snapshot of the test's S-functions: OK keeps the
// edits, Cancel (or closing) puts the list back as it was.

#include "model/functions/funcs.h"
#include "ui/functions/functionwindow.h"
#include "ui/services/dataeditor.h"

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
    // editor: the data editor the data window's "Редактор" starts.
    TfmFuncS(TQuorvik &doc, STest &test, int number, services::DataEditorSetting editor,
             QWidget *parent = nullptr, Notify notify = {});

    DataFileBox *FileBox() const { return m_file; }
    QRadioButton *FixedButton() const { return m_fixed; }
    QLineEdit *FixedEdit() const { return m_count; }
    QRadioButton *AllButton() const { return m_all; }
    QLabel *AllSizeLabel() const { return m_allSize; }
    QComboBox *SpeedBox() const { return m_speed; }
    QComboBox *DataBitsBox() const { return m_dataBits; }
    QComboBox *ParityBox() const { return m_parity; }
    QComboBox *StopBitsBox() const { return m_stopBits; }
    QComboBox *FlowBox() const { return m_flow; }
    QLabel *InterfaceLabel() const { return m_interface; }
    QLabel *ModeLabel() const { return m_mode; }
    QPushButton *DataButton() const { return m_data; }

protected:
    void ShowFunction() override;

private:
    void ShowSerial(const SFuncS &function);
    void ShowCount(const SFuncS &function);
    void EditCount();
    void OpenData();

    TQuorvik &m_doc;
    STest &m_test;
    services::DataEditorSetting m_editorSetting;
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
