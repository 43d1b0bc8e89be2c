#include "ui/remote/clickcapture.h"

#include <QApplication>
#include <QCursor>
#include <QMouseEvent>
#include <QWidget>
#include <memory>

namespace qv {

namespace {

bool Named(const QWidget *widget)
{
    const QString name = widget->objectName();
    return !name.isEmpty() && !name.startsWith(QStringLiteral("qt_"));
}

RemoteClick::Button ButtonOf(Qt::MouseButton button)
{
    switch (button) {
    case Qt::RightButton:
        return RemoteClick::Button::Right;
    case Qt::MiddleButton:
        return RemoteClick::Button::Middle;
    default:
        return RemoteClick::Button::Left;
    }
}

Qt::MouseButton QtButton(RemoteClick::Button button)
{
    switch (button) {
    case RemoteClick::Button::Right:
        return Qt::RightButton;
    case RemoteClick::Button::Middle:
        return Qt::MiddleButton;
    case RemoteClick::Button::Left:
        break;
    }
    return Qt::LeftButton;
}

QPoint Clamped(QPoint point)
{
    return {std::clamp(point.x(), -32768, 32767), std::clamp(point.y(), -32768, 32767)};
}

// The visible widget of that name: the form itself or one of its children.
QWidget *VisibleNamed(QWidget *form, const QString &name)
{
    if (form->objectName() == name)
        return form;
    for (QWidget *child : form->findChildren<QWidget *>(name))
        if (child->isVisible())
            return child;
    return nullptr;
}

QWidget *FindForm(const RemoteClick &click)
{
    const QWidgetList windows = QApplication::topLevelWidgets();
    if (!click.formName.isEmpty()) {
        for (QWidget *window : windows)
            if (window->isVisible() && window->objectName() == click.formName)
                return window;
        return nullptr;
    }
    // A window that is none of the named forms: its class, its title first.
    QWidget *sameClass = nullptr;
    for (QWidget *window : windows) {
        if (!window->isVisible() ||
            QString::fromLatin1(window->metaObject()->className()) != click.controlClass)
            continue;
        if (window->windowTitle() == click.controlName)
            return window;
        if (!sameClass)
            sameClass = window;
    }
    return sameClass;
}

void Post(QWidget *target, QEvent::Type type, QPoint pos, Qt::MouseButton button)
{
    const QPointF local(pos);
    const QPointF global(target->mapToGlobal(pos));
    const Qt::MouseButtons held = type == QEvent::MouseButtonPress ? button : Qt::NoButton;
    // The event loop takes the event over and deletes it.
    QCoreApplication::postEvent(
        target,
        std::make_unique<QMouseEvent>(type, local, global, button, held, Qt::NoModifier).release());
}

} // namespace

ClickCapture::ClickCapture(QObject *parent)
    : QObject(parent)
{
    qApp->installEventFilter(this);
}

ClickCapture::~ClickCapture()
{
    qApp->removeEventFilter(this);
}

std::optional<RemoteClick> ClickCapture::Describe(QWidget *widget, QPoint pos,
                                                  Qt::MouseButton button)
{
    if (widget == nullptr)
        return std::nullopt;
    RemoteClick click;
    click.button = ButtonOf(button);
    QWidget *window = widget->window();
    const QPoint global = widget->mapToGlobal(pos);
    if (Named(window)) {
        QWidget *control = widget;
        while (control != window && !Named(control))
            control = control->parentWidget();
        click.formName = window->objectName();
        click.formClass = QString::fromLatin1(window->metaObject()->className());
        click.controlName = control->objectName();
        click.controlClass = QString::fromLatin1(control->metaObject()->className());
        const QPoint at = Clamped(control->mapFromGlobal(global));
        click.x = static_cast<qint16>(at.x());
        click.y = static_cast<qint16>(at.y());
        return click;
    }
    if (window->windowTitle().isEmpty())
        return std::nullopt;
    click.controlName = window->windowTitle();
    click.controlClass = QString::fromLatin1(window->metaObject()->className());
    const QPoint at = Clamped(window->mapFromGlobal(global));
    click.x = static_cast<qint16>(at.x());
    click.y = static_cast<qint16>(at.y());
    return click;
}

bool ClickCapture::eventFilter(QObject *watched, QEvent *event)
{
    // Only the operator's own presses: a replayed one is made by the program.
    if (event->type() != QEvent::MouseButtonPress || !event->spontaneous() ||
        !watched->isWidgetType())
        return false;
    const auto *press = static_cast<QMouseEvent *>(event);
    const Qt::MouseButton button = press->button();
    if (button != Qt::LeftButton && button != Qt::RightButton && button != Qt::MiddleButton)
        return false;
    const QPoint global = press->globalPosition().toPoint();
    if (press->timestamp() == m_lastTimestamp && global == m_lastGlobal)
        return false;
    m_lastTimestamp = press->timestamp();
    m_lastGlobal = global;
    auto *widget = static_cast<QWidget *>(watched);
    if (m_ignored.contains(widget->window()->objectName()))
        return false;
    if (const auto click = Describe(widget, press->position().toPoint(), button))
        emit Pressed(*click);
    return false;
}

bool ReplayClick(const RemoteClick &click)
{
    QWidget *form = FindForm(click);
    if (form == nullptr)
        return false;
    QWidget *target = click.formName.isEmpty() ? form : VisibleNamed(form, click.controlName);
    if (target == nullptr)
        return false;
    QPoint pos(click.x, click.y);
    // The press goes to the innermost widget at that point, as a real one would.
    if (QWidget *inner = target->childAt(pos)) {
        pos = inner->mapFrom(target, pos);
        target = inner;
    }
    QCursor::setPos(target->mapToGlobal(pos));
    const Qt::MouseButton button = QtButton(click.button);
    Post(target, QEvent::MouseButtonPress, pos, button);
    Post(target, QEvent::MouseButtonRelease, pos, button);
    return true;
}

} // namespace qv
