#pragma once

// The data window ("Данные") of an F- or S-function: the block its last run
// handed over beside its data file, one row per element, differing
// elements in red. With both sources the reference column shows the file
// in the number base or as binary digits, and "Показать только ошибки"
// narrows the list to the differing rows (all of them, however many).

#include "ui/functions/datarows.h"
#include "ui/services/dataeditor.h"

#include <QAbstractTableModel>
#include <QDialog>
#include <filesystem>
#include <memory>

class QCheckBox;
class QPushButton;
class QRadioButton;
class QTableView;

namespace qv {

struct SFuncF;
struct SFuncS;
struct STest;
class TTyreAdr;

namespace functions {

class TfmDataInfo;

// The rows a data window shows; the view reads only this model.
class DataTableModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    // Digits of the binary reference that differ from the run element
    // (bit i set: digit for bit i), for the painting of the binary column.
    static constexpr int DifferingBitsRole = Qt::UserRole + 1;

    explicit DataTableModel(DataRows rows, QObject *parent = nullptr);

    const DataRows &Rows() const { return m_rows; }
    void SetBinary(bool binary);
    bool Binary() const { return m_binary; }
    // Shows only the rows listed (nullopt: every row).
    void SetFilter(std::optional<std::vector<std::size_t>> rows);
    // The element row shown in a view row, and back (nullopt when hidden).
    std::size_t ElementRow(int viewRow) const;
    std::optional<int> ViewRow(std::size_t elementRow) const;
    void Select(std::size_t elementRow);
    std::size_t Selected() const { return m_selected; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    QVariant Text(std::size_t row, int column) const;
    QVariant Colour(std::size_t row, int column) const;

    DataRows m_rows;
    bool m_binary = false;
    std::optional<std::vector<std::size_t>> m_filter;
    std::size_t m_selected = 0;
};

// The data file of a data window: `name` as the function gives it (the
// legend shows it) and `path` where it lies (empty: not on disk, so
// "Редактор" stays disabled), which "Редактор" opens with `editor`.
struct DataWindowFile
{
    QString name;
    std::filesystem::path path;
    services::DataEditorSetting editor;
};

class TfmData : public QDialog
{
    Q_OBJECT

public:
    // selectedRow: the row selected when the window opens.
    TfmData(DataRows rows, std::size_t selectedRow, QWidget *parent = nullptr,
            DataWindowFile file = {});

    DataTableModel &Model() { return *m_model; }
    QTableView *Table() const { return m_table; }
    QRadioButton *BaseButton() const { return m_base; }
    QRadioButton *BinaryButton() const { return m_binaryButton; }
    QCheckBox *OnlyErrorsBox() const { return m_onlyErrors; }
    // Selects an element row (a row past the end: the last) and scrolls to it.
    void SelectRow(std::size_t row);
    QPushButton *InfoButton() const { return m_infoButton; }
    QPushButton *EditorButton() const { return m_editor; }
    // The legend shown by "Инфо"; null before the first press.
    TfmDataInfo *Legend() const { return m_legend; }

private:
    void ShowOnlyErrors(bool on);
    void ToggleLegend(bool on);
    void MakeEditorButton();

    DataTableModel *m_model = nullptr;
    QTableView *m_table = nullptr;
    QRadioButton *m_base = nullptr;
    QRadioButton *m_binaryButton = nullptr;
    QCheckBox *m_onlyErrors = nullptr;
    QPushButton *m_infoButton = nullptr;
    QPushButton *m_editor = nullptr;
    TfmDataInfo *m_legend = nullptr;
    DataWindowFile m_file;
};

// Opens the data window of F-function `function` of `test`, whose file lies
// beside testFile; base is the test file's number base. Refusals are shown
// to the operator and give null: no data file name (catalogue 14), neither
// a run block nor a usable file (13 and the number). A file that is
// missing, unreadable or of a size outside 1..1048576 bytes is reported and
// left out. "Редактор" starts the data editor of `editor` on the file.
std::unique_ptr<TfmData> OpenFData(const STest &test, const TTyreAdr &tyres, const SFuncF &function,
                                   const std::filesystem::path &testFile, int base,
                                   const services::DataEditorSetting &editor,
                                   QWidget *parent = nullptr);
std::unique_ptr<TfmData> OpenSData(const SFuncS &function, const std::filesystem::path &testFile,
                                   int base, const services::DataEditorSetting &editor,
                                   QWidget *parent = nullptr);

} // namespace functions
} // namespace qv
