#pragma once

// HelpKey: F1 in any window of the program opens the manual at that
// window's page (installed on the application by the main window).

#include <QObject>

namespace qv::help {

class HelpKey : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};

} // namespace qv::help
