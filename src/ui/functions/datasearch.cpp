#include "ui/functions/datasearch.h"

#include "ui/functions/datarows.h"

#include <QFormLayout>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>

namespace qv::functions {

std::optional<std::vector<std::size_t>> TfmDataSearch::Search(const DataRows &rows, QWidget *parent)
{
    TfmDataSearch window(rows, parent);
    QTimer::singleShot(0, &window, [&window] { window.ScanStep(); });
    if (window.exec() != QDialog::Accepted)
        return std::nullopt;
    return std::move(window.m_found);
}

TfmDataSearch::TfmDataSearch(const DataRows &rows, QWidget *parent)
    : QDialog(parent)
    , m_rows(rows)
{
    setObjectName(QStringLiteral("fmDataSearch"));
    setWindowTitle(QStringLiteral("Поиск ошибок"));
    m_address = new QLabel(this);
    m_count = new QLabel(QStringLiteral("0"), this);
    m_progress = new QProgressBar(this);
    m_progress->setRange(0, kSteps);
    auto *form = new QFormLayout(this);
    form->addRow(QStringLiteral("Проверяется адрес:"), m_address);
    form->addRow(QStringLiteral("Найдено ошибок:"), m_count);
    form->addRow(m_progress);
}

void TfmDataSearch::ScanStep()
{
    if (!isVisible())
        return;
    const std::size_t total = m_rows.ComparedCount();
    const auto from = total * static_cast<std::size_t>(m_step) / kSteps;
    const auto to = total * static_cast<std::size_t>(m_step + 1) / kSteps;
    m_address->setText(QString::fromStdString(m_rows.InBase(m_rows.AddressOf(from))));
    const auto found = m_rows.Differences(from, to);
    m_found.insert(m_found.end(), found.begin(), found.end());
    m_count->setText(QString::number(m_found.size()));
    m_progress->setValue(++m_step);
    if (m_step >= kSteps)
        accept();
    else
        QTimer::singleShot(0, this, [this] { ScanStep(); });
}

} // namespace qv::functions
