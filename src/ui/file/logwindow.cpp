#include "ui/file/logwindow.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace qv::file {

TfmLog::TfmLog(LogKind kind, const std::string &path, const std::string &log, QWidget *parent)
    : QDialog(parent)
    , m_path(QString::fromStdString(path))
{
    const bool load = kind == LogKind::Load;
    setObjectName(QStringLiteral("fmLog"));
    setWindowTitle(load ? QStringLiteral("Загрузка файла...") : QStringLiteral("Запись файла..."));
    auto *layout = new QVBoxLayout(this);
    m_heading = new QLabel(QString::fromStdString(LogHeading(kind, log)), this);
    m_heading->setWordWrap(true);
    layout->addWidget(m_heading);
    m_file = new QLabel(this);
    m_file->setMinimumWidth(1);
    layout->addWidget(m_file);
    layout->addWidget(
        new QLabel(load ? QStringLiteral("Лог загрузки:") : QStringLiteral("Лог записи:"), this));
    m_lines = new QListWidget(this);
    for (const LogLine &line : LogLinesWithKind(log)) {
        auto *item = new QListWidgetItem(QString::fromStdString(line.text), m_lines);
        item->setForeground(line.error ? Qt::red : Qt::blue);
    }
    FitLines();
    layout->addWidget(m_lines, 1);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
    resize(480, std::max(sizeHint().height(), minimumSizeHint().height()));
    ElideFileName();
}

void TfmLog::FitLines()
{
    // The list starts as tall as its lines (up to ten, at least a few) and
    // grows with the window; rows as tall as the style makes them, which
    // may exceed the font's height.
    const int rowHeight = m_lines->count() > 0 && m_lines->sizeHintForRow(0) > 0
                              ? m_lines->sizeHintForRow(0)
                              : m_lines->fontMetrics().lineSpacing() + 4;
    const int shown = std::clamp(m_lines->count(), kMinVisibleLines, kVisibleLines);
    m_lines->setMinimumHeight(shown * rowHeight + 2 * m_lines->frameWidth() + 4);
}

void TfmLog::showEvent(QShowEvent *event)
{
    // The style's row height is known for certain once the list is polished:
    // the first showing takes the height the lines need.
    if (!m_fitted) {
        m_fitted = true;
        FitLines();
        if (QLayout *own = layout())
            own->activate();
        // The heading wraps: its height follows the width.
        const int wanted = layout() != nullptr && layout()->hasHeightForWidth()
                               ? layout()->totalHeightForWidth(width())
                               : sizeHint().height();
        resize(width(), std::max(wanted, minimumSizeHint().height()));
    }
    QDialog::showEvent(event);
}

void TfmLog::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    ElideFileName();
}

void TfmLog::ElideFileName()
{
    const int width = std::max(40, m_file->width());
    m_file->setText(m_file->fontMetrics().elidedText(m_path, Qt::ElideMiddle, width));
    m_file->setToolTip(m_path);
}

} // namespace qv::file
