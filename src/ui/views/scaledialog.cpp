#include "ui/views/scaledialog.h"

#include "paint/views/diagramgeometry.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace qv {

ScaleDialog::ScaleDialog(int horizontal, int vertical, bool autoFit, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("fmScale"));
    setWindowTitle(QStringLiteral("Задание параметров масштаба"));
    m_horizontal = new QSpinBox(this);
    m_horizontal->setObjectName(QStringLiteral("seHorizontal"));
    m_horizontal->setRange(0, views::kMaxScaleStep);
    m_horizontal->setValue(horizontal);
    m_vertical = new QSpinBox(this);
    m_vertical->setObjectName(QStringLiteral("seVertical"));
    m_vertical->setRange(0, views::kMaxScaleStep);
    m_vertical->setValue(vertical);
    m_autoFit = new QCheckBox(
        QStringLiteral("Автоподбор ширины столбцов диаграммы при открытии файла"), this);
    m_autoFit->setObjectName(QStringLiteral("cbAutoFit"));
    m_autoFit->setChecked(autoFit);

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Введите приращение по горизонтали:"), m_horizontal);
    form->addRow(QStringLiteral("Введите приращение по вертикали:"), m_vertical);

    auto *apply = new QPushButton(QStringLiteral("Применить"), this);
    apply->setObjectName(QStringLiteral("btApply"));
    apply->setDefault(true);
    auto *cancel = new QPushButton(QStringLiteral("Отменить"), this);
    cancel->setObjectName(QStringLiteral("btCancel"));
    connect(apply, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(apply);
    buttons->addWidget(cancel);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_autoFit);
    layout->addLayout(buttons);
    // Enter and Esc in the horizontal field press the buttons.
    m_horizontal->installEventFilter(this);
    m_horizontal->setFocus();
}

int ScaleDialog::HorizontalStep() const
{
    return m_horizontal->value();
}

int ScaleDialog::VerticalStep() const
{
    return m_vertical->value();
}

bool ScaleDialog::AutoFit() const
{
    return m_autoFit->isChecked();
}

bool ScaleDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_horizontal && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            accept();
            return true;
        }
        if (key == Qt::Key_Escape) {
            reject();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace qv
