#pragma once

// Acts on the next modal window of type W as soon as it shows: the action
// runs on the window (and may close it); a window still open afterwards is
// rejected, so the call that showed it returns. Create the watch before the
// call that opens the window; it gives up after `limitMs`.

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <functional>
#include <memory>

namespace qv::testing {

template <class W>
class ModalWatch
{
public:
    explicit ModalWatch(std::function<void(W &)> action, int limitMs = 20000)
        : m_action(std::move(action))
    {
        m_timer.setInterval(10);
        QObject::connect(&m_timer, &QTimer::timeout, [this, limitMs] {
            m_waited += 10;
            auto *window = qobject_cast<W *>(QApplication::activeModalWidget());
            if (window == nullptr) {
                if (m_waited > limitMs)
                    m_timer.stop();
                return;
            }
            m_timer.stop();
            m_seen = true;
            m_action(*window);
            if (window->isVisible())
                window->reject();
        });
        m_timer.start();
    }

    bool Seen() const { return m_seen; }

private:
    std::function<void(W &)> m_action;
    QTimer m_timer;
    int m_waited = 0;
    bool m_seen = false;
};

} // namespace qv::testing
