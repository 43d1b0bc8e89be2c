#include "ui/debug/okcancel.h"

#include <QBoxLayout>
#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>

namespace qv::debug {

QPushButton *AddOkCancel(QDialog *dialog, QBoxLayout *layout, const QString &ok)
{
    auto *buttons = new QDialogButtonBox(dialog);
    QPushButton *button = buttons->addButton(ok, QDialogButtonBox::AcceptRole);
    button->setDefault(true);
    buttons->addButton(QStringLiteral("Отмена"), QDialogButtonBox::RejectRole);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    layout->addWidget(buttons);
    return button;
}

} // namespace qv::debug
