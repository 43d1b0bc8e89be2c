#include "ui/services/inputhooks.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QWidget>

namespace qv::services {

InputHooks::InputHooks(QObject *parent)
    : QObject(parent)
{}

InputHooks::~InputHooks()
{
    Remove();
}

void InputHooks::Install()
{
    if (m_installed || QCoreApplication::instance() == nullptr)
        return;
    QCoreApplication::instance()->installEventFilter(this);
    m_installed = true;
}

void InputHooks::Remove()
{
    if (!m_installed)
        return;
    if (QCoreApplication::instance() != nullptr)
        QCoreApplication::instance()->removeEventFilter(this);
    m_installed = false;
}

bool InputHooks::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonPress && watched->isWidgetType()) {
        const auto *press = static_cast<QMouseEvent *>(event);
        const Qt::MouseButton button = press->button();
        const Press seen{press->timestamp(), press->globalPosition().toPoint(), button};
        // A press the widget does not take travels on to its parents: only
        // the first widget, the one under the pointer, is reported.
        const bool counted =
            button == Qt::LeftButton || button == Qt::RightButton || button == Qt::MiddleButton;
        if (counted && seen != m_last) {
            m_last = seen;
            emit Pressed(watched, button, seen.globalPos);
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace qv::services
