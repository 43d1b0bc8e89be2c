#include "ui/services/secondarywindows.h"

#include <QApplication>
#include <QPointer>
#include <QWidget>

namespace qv::services {
namespace {

constexpr const char *kStaysProperty = "qvStaysOnReset";

} // namespace

void CloseSecondaryWindows(const QWidget *main)
{
    // Closing one window may destroy others: guard every pointer.
    QList<QPointer<QWidget>> windows;
    for (QWidget *widget : QApplication::topLevelWidgets())
        windows << widget;
    for (const QPointer<QWidget> &window : windows) {
        if (!window || window == main || !window->isVisible() || window->windowTitle().isEmpty())
            continue;
        if (window->property(kStaysProperty).toBool())
            continue;
        window->close();
    }
}

void SetStaysOnReset(QWidget &window, bool stays)
{
    window.setProperty(kStaysProperty, stays);
}

} // namespace qv::services
