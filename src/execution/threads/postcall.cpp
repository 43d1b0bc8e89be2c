#include "execution/threads/postcall.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPointer>
#include <QThread>
#include <future>
#include <memory>

#if defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define QV_THREAD_SANITIZER 1
#endif
#endif
#if defined(__SANITIZE_THREAD__)
#define QV_THREAD_SANITIZER 1
#endif

#ifdef QV_THREAD_SANITIZER
#include <sanitizer/tsan_interface.h>
extern "C" void AnnotateIgnoreWritesBegin(const char *file, int line);
extern "C" void AnnotateIgnoreWritesEnd(const char *file, int line);
#endif

namespace qv {
namespace {

// What the poster wrote into a call happens before what the receiver reads
// of it.
void Release([[maybe_unused]] void *handOff)
{
#ifdef QV_THREAD_SANITIZER
    __tsan_release(handOff);
#endif
}

void Acquire([[maybe_unused]] void *handOff)
{
#ifdef QV_THREAD_SANITIZER
    __tsan_acquire(handOff);
#endif
}

// The event itself is read on the receiving thread by whatever filters
// events there (an application-wide filter sees it before the sink does),
// so the poster's writes to it are kept out of the race detector's record.
class UnrecordedWrites
{
public:
    UnrecordedWrites()
    {
#ifdef QV_THREAD_SANITIZER
        AnnotateIgnoreWritesBegin(__FILE__, __LINE__);
#endif
    }
    ~UnrecordedWrites()
    {
#ifdef QV_THREAD_SANITIZER
        AnnotateIgnoreWritesEnd(__FILE__, __LINE__);
#endif
    }
    UnrecordedWrites(const UnrecordedWrites &) = delete;
    UnrecordedWrites &operator=(const UnrecordedWrites &) = delete;
};

const QEvent::Type kCallEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

// One posted call, living on the receiving thread. Sentinel: m_context null
// once the context is gone, m_call empty once it has run.
class CallSink final : public QObject
{
public:
    CallSink(QObject *context, std::function<void()> call)
        : m_context(context)
        , m_call(std::move(call))
    {}

    bool event(QEvent *event) override
    {
        Acquire(event); // before anything of it is read, its type too
        if (event->type() != kCallEvent)
            return QObject::event(event);
        if (m_context && m_call)
            m_call();
        m_call = nullptr; // what it captured goes on this thread
        return true;
    }

private:
    QPointer<QObject> m_context;
    std::function<void()> m_call;
};

// The event that wakes a sink owns it: Qt deletes a posted event once it is
// delivered, or when it drops it because the thread ended, and with it go
// the sink and the call. A waiter is released either way.
class CallEvent final : public QEvent
{
public:
    CallEvent(std::unique_ptr<CallSink> sink, std::shared_ptr<std::promise<void>> done)
        : QEvent(kCallEvent)
        , m_sink(std::move(sink))
        , m_done(std::move(done))
    {}
    ~CallEvent() override
    {
        Acquire(this); // also when Qt drops it undelivered
        m_sink.reset();
        if (m_done)
            m_done->set_value();
    }

private:
    std::unique_ptr<CallSink> m_sink;
    // Shared, so the waiter may go as soon as it wakes. Empty: nobody waits.
    std::shared_ptr<std::promise<void>> m_done;
};

void Post(QObject *context, std::function<void()> call, std::shared_ptr<std::promise<void>> done)
{
    // A thread that has ended runs no more events, and the call would keep
    // its thread's data alive as long as it waited there.
    if (const QThread *target = context->thread(); target == nullptr || target->isFinished()) {
        call = nullptr;
        if (done)
            done->set_value();
        return;
    }
    auto sink = std::make_unique<CallSink>(context, std::move(call));
    sink->moveToThread(context->thread());
    CallSink *receiver = sink.get();
    std::unique_ptr<CallEvent> event;
    {
        const UnrecordedWrites unrecorded;
        event = std::make_unique<CallEvent>(std::move(sink), std::move(done));
    }
    Release(event.get());
    // Qt deletes the event only after the receiver's handler has returned
    // and touches the receiver no more, so the event may take it along.
    QCoreApplication::postEvent(receiver, event.release());
}

} // namespace

void PostCall(QObject *context, std::function<void()> call)
{
    Post(context, std::move(call), nullptr);
}

void CallAndWait(QObject *context, std::function<void()> call)
{
    if (QThread::currentThread() == context->thread()) {
        call();
        return;
    }
    auto done = std::make_shared<std::promise<void>>();
    std::future<void> ran = done->get_future();
    Post(context, std::move(call), std::move(done));
    ran.wait();
}

} // namespace qv
