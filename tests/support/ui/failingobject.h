#pragma once

// Test support: an object whose event handler fails the way a programming
// error would, on a QEvent::User event.

#include <QEvent>
#include <QObject>
#include <stdexcept>

namespace qv::testing {

class FailingObject : public QObject
{
public:
    bool event(QEvent *e) override
    {
        if (e->type() == QEvent::User)
            throw std::runtime_error("сбой обработчика");
        return QObject::event(e);
    }
};

} // namespace qv::testing
