#include "ui/firstpaint.h"

#include <QEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace qv {

namespace {

// Owned by the window; watches its native window for the first exposure.
// The widgets are painted while that exposure is handled, so the task is
// queued behind it.
class FirstPaintWatch final : public QObject
{
public:
    FirstPaintWatch(QWidget &window, std::function<void()> task, int latestMs)
        : QObject(&window)
        , m_task(std::move(task))
    {
        if (QWindow *handle = window.windowHandle()) {
            m_handle = handle;
            handle->installEventFilter(this);
        }
        // Exposed already: its widgets were painted as that was handled.
        if (m_handle && m_handle->isExposed())
            Queue();
        QTimer::singleShot(latestMs, this, [this] { Run(); });
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_handle && event->type() == QEvent::Expose && m_handle->isExposed())
            Queue();
        return false;
    }

private:
    void Queue()
    {
        if (m_queued)
            return;
        m_queued = true;
        QTimer::singleShot(0, this, [this] { Run(); });
    }

    void Run()
    {
        if (m_done)
            return;
        m_done = true;
        if (m_handle)
            m_handle->removeEventFilter(this);
        const std::function<void()> task = std::move(m_task);
        deleteLater();
        if (task)
            task();
    }

    std::function<void()> m_task;
    QPointer<QWindow> m_handle;
    bool m_queued = false;
    bool m_done = false;
};

} // namespace

void RunAfterFirstPaint(QWidget &window, std::function<void()> task, int latestMs)
{
    new FirstPaintWatch(window, std::move(task), latestMs);
}

} // namespace qv
