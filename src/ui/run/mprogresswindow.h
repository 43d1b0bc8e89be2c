#pragma once

// The window "Отработка M-функции:": while the unit tests a memory of the
// board it lists the algorithms of the M-function, each with a status
// picture, and changes a row's picture as the unit reports. The run window
// creates it on first use and keeps it beside itself.

#include "execution/run/runsession.h"

#include <QImage>
#include <QWidget>

class QLabel;
class QListWidget;

namespace qv::run {

// The status pictures of an algorithm row, drawn once: 1 errors found,
// 2 not run yet (every row starts with it), any other index done without
// errors.
QImage AlgorithmStatusPicture(int index);

class TfmMProgress : public QWidget
{
    Q_OBJECT

public:
    static constexpr const char *kCaption = "Отработка M-функции:";

    explicit TfmMProgress(QWidget *parent = nullptr);

    // A new list (progress.row < 0) or one row's picture; a row outside
    // the list is ignored.
    void ShowProgress(const MFunctionProgress &progress);

    // Places the window beside `anchor`: to its right when it fits on the
    // screen, else to its left; top edges level.
    void KeepBeside(const QWidget &anchor);

    int RowCount() const;
    QString RowText(int row) const;
    int RowPicture(int row) const; // -1 for no such row
    QListWidget *List() const { return m_list; }

protected:
    // Esc closes it as every other window; the next M-function shows it again.
    void keyPressEvent(QKeyEvent *event) override;

private:
    QLabel *m_function = nullptr;
    QListWidget *m_list = nullptr;
};

} // namespace qv::run
