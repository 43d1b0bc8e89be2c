#include "ui/help/helpkey.h"

#include "ui/help/helpwindow.h"

#include <QKeyEvent>
#include <QWidget>

namespace qv::help {

bool HelpKey::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress || static_cast<QKeyEvent *>(event)->key() != Qt::Key_F1)
        return QObject::eventFilter(watched, event);
    auto *widget = qobject_cast<QWidget *>(watched);
    if (widget == nullptr)
        return QObject::eventFilter(watched, event);
    QWidget *window = widget->window();
    // F1 inside the manual itself stays there.
    if (qobject_cast<THelpWindow *>(window) == nullptr)
        ShowHelpFor(window);
    return true;
}

} // namespace qv::help
