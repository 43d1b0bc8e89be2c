#pragma once

// The run window's page after a continuous run that failed in some pass:
// a sortable table of where the passes went wrong, one row per output word
// and one per contact (bit) of its bus, with the failing passes, their
// share, the first and the last of them and the cycle and tact of the first
// wrong value. A board that fails now and then sorts apart from one that
// fails in every pass.

#include <QWidget>

class QLabel;
class QPushButton;
class QTableWidget;

namespace qv {

class ErrorStatistics;
class TQuorvik;

namespace run {

class ErrorStatisticsPage : public QWidget
{
    Q_OBJECT

public:
    enum Column {
        ColTest,
        ColWord,
        ColContact,
        ColBit,
        ColFailing,
        ColShare,
        ColFirst,
        ColLast,
        ColCycle,
        ColTact,
        ColumnCount
    };

    explicit ErrorStatisticsPage(QWidget *parent = nullptr);

    // Fills the table, sorted by failing passes, most first.
    void Fill(const ErrorStatistics &statistics, const TQuorvik &document);

    QTableWidget *Table() const { return m_table; }
    QLabel *Caption() const { return m_caption; }
    QPushButton *CloseButton() const { return m_close; }

private:
    QLabel *m_caption = nullptr;
    QTableWidget *m_table = nullptr;
    QPushButton *m_close = nullptr;
};

} // namespace run
} // namespace qv
