#include "ui/results/journalmodel.h"

#include "results/runtable.h"

#include <QBrush>
#include <QColor>

namespace qv::results_ui {

namespace {

// The digest column is for the CSV; the table leaves it out.
int ShownColumns()
{
    return static_cast<int>(results::RunColumnTitles().size()) - 1;
}

constexpr int kVerdictColumn = 8;

} // namespace

JournalModel::JournalModel(QObject *parent)
    : QAbstractTableModel(parent)
{}

void JournalModel::Reset(results::ResultsDatabase *db, const results::RunFilter &filter)
{
    beginResetModel();
    m_db = db;
    m_filter = filter;
    m_runs.clear();
    m_total = db ? db->Count(filter) : 0;
    m_exhausted = db == nullptr || m_total == 0;
    endResetModel();
    if (canFetchMore({}))
        fetchMore({});
}

const results::RunRecord *JournalModel::RunAt(int row) const
{
    return row >= 0 && static_cast<std::size_t>(row) < m_runs.size()
               ? &m_runs[static_cast<std::size_t>(row)]
               : nullptr;
}

int JournalModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_runs.size());
}

int JournalModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ShownColumns();
}

QVariant JournalModel::data(const QModelIndex &index, int role) const
{
    const results::RunRecord *run = RunAt(index.row());
    if (run == nullptr)
        return {};
    if (role == Qt::DisplayRole) {
        const auto cells = results::RunCells(*run);
        const auto column = static_cast<std::size_t>(index.column());
        return column < cells.size() ? QString::fromStdString(cells[column]) : QString();
    }
    if (role == Qt::ForegroundRole && index.column() == kVerdictColumn)
        return QBrush(run->verdict == "passed" ? QColor(0, 128, 0) : QColor(192, 0, 0));
    return {};
}

QVariant JournalModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
        return QAbstractTableModel::headerData(section, orientation, role);
    const auto &titles = results::RunColumnTitles();
    return section >= 0 && static_cast<std::size_t>(section) < titles.size()
               ? QString::fromStdString(titles[static_cast<std::size_t>(section)])
               : QVariant();
}

bool JournalModel::canFetchMore(const QModelIndex &parent) const
{
    return !parent.isValid() && !m_exhausted;
}

void JournalModel::fetchMore(const QModelIndex &parent)
{
    if (parent.isValid() || m_exhausted || m_db == nullptr)
        return;
    const std::int64_t before = m_runs.empty() ? 0 : m_runs.back().id;
    auto page = m_db->Runs(m_filter, kPageSize, before);
    if (page.size() < static_cast<std::size_t>(kPageSize))
        m_exhausted = true;
    if (page.empty())
        return;
    const int first = static_cast<int>(m_runs.size());
    beginInsertRows({}, first, first + static_cast<int>(page.size()) - 1);
    m_runs.insert(m_runs.end(), std::make_move_iterator(page.begin()),
                  std::make_move_iterator(page.end()));
    endInsertRows();
}

} // namespace qv::results_ui
