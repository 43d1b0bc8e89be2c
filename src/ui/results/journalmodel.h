#pragma once

// JournalModel: the runs of the journal window, loaded a page at a time as
// the table scrolls (Qt's canFetchMore/fetchMore), newest first. Opening
// the journal on a large history reads one page and the count, not every
// run.

#include "results/resultsdb.h"

#include <QAbstractTableModel>
#include <vector>

namespace qv::results_ui {

class JournalModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    static constexpr int kPageSize = 200;

    explicit JournalModel(QObject *parent = nullptr);

    // Starts over with these runs of that database (null: none).
    void Reset(results::ResultsDatabase *db, const results::RunFilter &filter);
    std::int64_t Total() const { return m_total; }
    const results::RunRecord *RunAt(int row) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    bool canFetchMore(const QModelIndex &parent) const override;
    void fetchMore(const QModelIndex &parent) override;

private:
    results::ResultsDatabase *m_db = nullptr;
    results::RunFilter m_filter;
    std::vector<results::RunRecord> m_runs;
    std::int64_t m_total = 0;
    bool m_exhausted = true;
};

} // namespace qv::results_ui
