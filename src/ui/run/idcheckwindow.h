#pragma once

// The contact identification check window: the explanation above a table
// with one row per identification contact ("Контакт разъема БД",
// "Статус"). Shortly after it is shown it asks the unit; after a pass it
// closes by itself, after a failure it marks the wrong contacts and waits
// for "Закрыть" (Esc presses it). A failed exchange (the port showed why)
// closes it at once. The table grows with its rows up to 65 % of the
// screen height.

#include "execution/run/contactid.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QTableWidget;

namespace qv::run {

class TfmCntId : public QDialog, public IdCheckView
{
    Q_OBJECT

public:
    static constexpr int kRequestDelayMs = 100;
    static constexpr double kMaxScreenShare = 0.65;

    explicit TfmCntId(QWidget *parent = nullptr);

    // Shows the window modally and returns the pass mark.
    bool Exec(IdContactCheck &check) override;

    QTableWidget *Table() const { return m_table; }
    QPushButton *CloseButton() const { return m_close; }
    QLabel *TextLabel() const { return m_text; }

    void reject() override;

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void FillTable(const IdContactCheck &check);
    void FitTable();
    void Request();

    IdContactCheck *m_check = nullptr; // while Exec runs
    bool m_passed = false;
    bool m_mayClose = false;
    QLabel *m_text = nullptr;
    QTableWidget *m_table = nullptr;
    QPushButton *m_close = nullptr;
};

} // namespace qv::run
