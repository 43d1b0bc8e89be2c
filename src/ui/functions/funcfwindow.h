#pragma once

// The F-function window: one F-function of the current test at a time,
// stepped through with "<" and ">" (wrapping), its data file chosen among
// the ".dat" files beside the test file, its address range edited in the
// file's number base, and "Данные" opening its data window. The window
// works on a snapshot of the test's F-functions: OK keeps the edits,
// Cancel (or closing) puts the list back as it was.

#include <QDialog>
#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace qv {

class TQuorvik;
struct SFuncF;
struct STest;

namespace functions {

class AddressFields;
class DataFileBox;
enum class AddressField;

class TfmFuncF : public QDialog
{
    Q_OBJECT

public:
    // Notifications for a window that shows the functions beside this one
    // (the data-file-name window): 1 records about to be replaced, 2
    // records replaced, 3 a value edited.
    using Notify = std::function<void(int code)>;

    // test belongs to doc and outlives the window; number is the function
    // shown first (the first listed when it is not listed).
    TfmFuncF(TQuorvik &doc, STest &test, int number, QWidget *parent = nullptr, Notify notify = {});

    int shownNumber() const { return m_number; }
    DataFileBox *fileBox() const { return m_file; }
    QLineEdit *startEdit() const;
    QLineEdit *endEdit() const;
    QLineEdit *incEdit() const;
    QPushButton *previousButton() const { return m_previous; }
    QPushButton *nextButton() const { return m_next; }
    QPushButton *dataButton() const { return m_data; }

    void done(int result) override;

private:
    SFuncF *shown() const;
    void step(int direction);
    void showFunction();
    void chooseFile(const std::string &name);
    void editAddress(AddressField field, std::int64_t value);
    void openData();

    TQuorvik &m_doc;
    STest &m_test;
    Notify m_notify;
    int m_number = 0;
    bool m_filling = false;
    QLabel *m_title = nullptr;
    QLabel *m_words = nullptr;
    DataFileBox *m_file = nullptr;
    AddressFields *m_addresses = nullptr;
    QPushButton *m_previous = nullptr;
    QPushButton *m_next = nullptr;
    QPushButton *m_data = nullptr;
};

} // namespace functions
} // namespace qv
