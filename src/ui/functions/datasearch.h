#pragma once

// The search window of "Показать только ошибки": it compares the run block
// with the data file element by element, showing the address being
// checked, the differences found so far and a progress bar moved in 13
// steps, and closes when the scan is done.

#include <QDialog>
#include <cstddef>
#include <optional>
#include <vector>

class QLabel;
class QProgressBar;

namespace qv::functions {

class DataRows;

class TfmDataSearch : public QDialog
{
    Q_OBJECT

public:
    static constexpr int kSteps = 13;

    // Scans `rows` while the window shows and returns the differing rows,
    // all of them; nullopt when the operator closed the window early.
    static std::optional<std::vector<std::size_t>> Search(const DataRows &rows, QWidget *parent);

private:
    TfmDataSearch(const DataRows &rows, QWidget *parent);
    void ScanStep();

    const DataRows &m_rows;
    std::vector<std::size_t> m_found;
    int m_step = 0;
    QLabel *m_address = nullptr;
    QLabel *m_count = nullptr;
    QProgressBar *m_progress = nullptr;
};

} // namespace qv::functions
