#pragma once

// The data-file-name window (form fmFunc_name): before a run outside debug
// mode, the compiler lists the F-, P- and S-functions of a test that have
// no data file name (a collection of one character per function tact: F n
// as n, P n as n + 50, S n as n + 100), and the test goes on only when the
// operator closes this window with OK after every listed function got a
// name. A click on a row names the function to its window; the function
// windows notify it while they edit (1 records about to be replaced, 2
// records replaced, 3 a value edited).

#include "execution/compiler/dosdata.h"
#include "ui/services/dataeditor.h"

#include <QDialog>
#include <vector>

class QLabel;
class QPushButton;
class QTableWidget;

namespace qv::lists {

class TfmFuncName : public QDialog
{
    Q_OBJECT

public:
    static constexpr int kRowHeight = 17;
    static constexpr int kColumnWidths[3] = {55, 137, 120};

    // The test (0-based index testIndex) must outlive the window.
    TfmFuncName(STest &test, int testIndex, const std::string &collection,
                QWidget *parent = nullptr);

    QLabel *TopLabel() const { return m_top; }
    QTableWidget *Grid() const { return m_grid; }
    QPushButton *OkButton() const { return m_ok; }
    QPushButton *CancelButton() const { return m_cancel; }
    // The texts of a body row (0-based), as painted.
    QString CellText(int row, int column) const;

    // Notifications of the function windows.
    void Notify(int code);

signals:
    // A body row was clicked: the function window of that row is wanted.
    void FunctionChosen(char letter, int number);

private:
    struct Row
    {
        char letter = 'F';
        int number = 0;
    };
    // Name and data file name of a row's function; nullopt when gone.
    std::optional<std::pair<std::string, std::string>> FunctionOf(const Row &row) const;
    void Fill();
    void TryAccept();

    STest &m_test;
    std::vector<Row> m_rows;
    bool m_detached = false;
    QLabel *m_top = nullptr;
    QTableWidget *m_grid = nullptr;
    QPushButton *m_ok = nullptr;
    QPushButton *m_cancel = nullptr;
};

// The compiler's data-file-name interface, answered with the window.
class FuncNameAsker : public FileNameWindow
{
public:
    // With a document, a click on a row opens its function's window, whose
    // "Редактор" starts the data editor of `editor`.
    explicit FuncNameAsker(QWidget *parent, TQuorvik *document = nullptr,
                           services::DataEditorSetting editor = {})
        : m_parent(parent)
        , m_document(document)
        , m_editor(std::move(editor))
    {}
    bool AskFileNames(STest &test, int testIndex, const std::string &collection) override;

private:
    QWidget *m_parent;
    TQuorvik *m_document;
    services::DataEditorSetting m_editor;
};

} // namespace qv::lists
