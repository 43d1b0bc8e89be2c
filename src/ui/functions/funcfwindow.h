#pragma once

// The F-function window: one F-function of the current test at a time,
// stepped through with "<" and ">" (wrapping), its data file chosen among
// the ".dat" files beside the test file, its address range edited in the
// file's number base, and "Данные" opening its data window. The window
// works on a snapshot of the test's F-functions: OK keeps the edits,
// Cancel (or closing) puts the list back as it was.

#include "model/functions/funcf.h"
#include "ui/functions/functionwindow.h"
#include "ui/services/dataeditor.h"

#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace qv {

class TQuorvik;
struct STest;

namespace functions {

class AddressFields;
class DataFileBox;
enum class AddressField;

class TfmFuncF : public FunctionListWindow<TFuncF>
{
    Q_OBJECT

public:
    // test belongs to doc and outlives the window; number is the function
    // shown first (the first listed when it is not listed).
    // editor: the data editor the data window's "Редактор" starts.
    TfmFuncF(TQuorvik &doc, STest &test, int number, services::DataEditorSetting editor,
             QWidget *parent = nullptr, Notify notify = {});

    AddressFields &Addresses() const { return *m_addresses; }

    DataFileBox *FileBox() const { return m_file; }
    QPushButton *DataButton() const { return m_data; }

protected:
    void ShowFunction() override;

private:
    void ChooseFile(const std::string &name);
    void EditAddress(AddressField field, std::int64_t value);
    void OpenData();

    TQuorvik &m_doc;
    STest &m_test;
    services::DataEditorSetting m_editorSetting;
    QLabel *m_words = nullptr;
    DataFileBox *m_file = nullptr;
    AddressFields *m_addresses = nullptr;
    QPushButton *m_data = nullptr;
};

} // namespace functions
} // namespace qv
