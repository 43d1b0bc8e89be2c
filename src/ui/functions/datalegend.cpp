#include "ui/functions/datalegend.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>

namespace qv::functions {

QStringList DataLegendLines(const QString &fileName, bool twoSources, bool fileOnly)
{
    QStringList lines{QStringLiteral("Адрес в заданной системе счисления")};
    if (twoSources) {
        lines << QStringLiteral("Данные отработки теста в заданной системе счисления")
              << QStringLiteral("Данные файла \"%1\" в выбранной системе счисления").arg(fileName);
    } else if (!fileOnly) {
        // Only the block of the run is shown: no file to name.
        lines << QStringLiteral("Данные отработки теста в заданной системе счисления")
              << QStringLiteral("Данные отработки теста в двоичной форме");
    } else {
        lines << QStringLiteral("Данные файла \"%1\" в заданной системе счисления").arg(fileName)
              << QStringLiteral("Данные файла \"%1\" в двоичной форме").arg(fileName);
    }
    return lines;
}

TfmDataInfo::TfmDataInfo(const QStringList &lines, QWidget *parent)
    : QWidget(parent, Qt::Tool)
{
    setObjectName(QStringLiteral("fmDataInfo"));
    setWindowTitle(QStringLiteral("Инфо"));
    QStringList numbered;
    for (int i = 0; i < lines.size(); ++i)
        numbered << QStringLiteral("%1. %2").arg(i + 1).arg(lines[i]);
    m_text = new QLabel(numbered.join(QLatin1Char('\n')), this);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_text);
}

QString TfmDataInfo::Text() const
{
    return m_text->text();
}

void TfmDataInfo::KeepBeside(const QWidget &anchor)
{
    const QRect frame = anchor.frameGeometry();
    const QScreen *screen = anchor.screen() ? anchor.screen() : QGuiApplication::primaryScreen();
    const QRect available = screen ? screen->availableGeometry() : QRect();
    const int width = frameGeometry().width();
    const bool fitsRight = available.isNull() || frame.right() + 1 + width <= available.right();
    move(fitsRight ? frame.right() + 1 : frame.left() - width, frame.top());
}

} // namespace qv::functions
