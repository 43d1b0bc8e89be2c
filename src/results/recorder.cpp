#include "results/recorder.h"

#include "results/resultsdb.h"
#include "results/spool.h"

#include <algorithm>
#include <iterator>
#include <pthread.h>
#include <sys/resource.h>
#include <unistd.h>

namespace qv::results {

namespace {

// The writer works in the gaps the run leaves. A continuous run on a fast
// unit keeps a CPU busy, and each time the writer takes a CPU from it
// shows in the run's passes per second. Nice 19 rather than an idle class:
// on a machine busy with other work the writer still gets its turn, so
// its queue cannot grow without end. Linux keeps the nice value per
// thread; failing to lower it only costs speed.
void YieldToTheRun()
{
    setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), 19);
}

} // namespace

ResultsRecorder::ResultsRecorder(Options options)
    : m_options(std::move(options))
    , m_spool(std::make_unique<Spool>(m_options.spoolFolder))
    , m_nextRetry(std::chrono::steady_clock::now())
    , m_thread([this] { Loop(); })
{}

ResultsRecorder::~ResultsRecorder()
{
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

void ResultsRecorder::Submit(RunRecord record, Completion complete, Urgency urgency)
{
    bool wake = false;
    {
        std::lock_guard lock(m_mutex);
        m_queue.push_back(
            {std::move(record), std::move(complete), urgency, std::chrono::steady_clock::now()});
        // The writer sleeps without a time-out only with an empty queue;
        // with records waiting for more it wakes at their time, or for a
        // record that will not wait or a full batch. Waking it costs the
        // run a system call: no more often than that.
        wake = m_queue.size() == 1 || urgency == Urgency::Now || m_queue.size() == kBatch;
    }
    if (wake)
        m_wake.notify_all();
}

void ResultsRecorder::Flush()
{
    {
        std::lock_guard lock(m_mutex);
        if (m_queue.empty())
            return;
        m_flush = true;
    }
    m_wake.notify_all();
}

RunRecord ResultsRecorder::Completed(Queued &queued)
{
    if (queued.complete)
        queued.complete(queued.record);
    return std::move(queued.record);
}

bool ResultsRecorder::WaitIdle(std::chrono::milliseconds timeout)
{
    Flush();
    std::unique_lock lock(m_mutex);
    return m_idle.wait_for(lock, timeout, [this] { return m_queue.empty() && !m_busy; });
}

bool ResultsRecorder::WriteDue(std::chrono::steady_clock::time_point now) const
{
    if (m_queue.empty())
        return false;
    if (m_stop || m_flush || m_queue.size() >= kBatch ||
        now >= m_queue.front().queuedAt + m_options.gather)
        return true;
    return std::any_of(m_queue.begin(), m_queue.end(),
                       [](const Queued &queued) { return queued.urgency == Urgency::Now; });
}

std::chrono::steady_clock::time_point ResultsRecorder::WriteDueAt() const
{
    return m_queue.empty() ? std::chrono::steady_clock::time_point::max()
                           : m_queue.front().queuedAt + m_options.gather;
}

void ResultsRecorder::WaitForWork(std::unique_lock<std::mutex> &lock)
{
    for (;;) {
        const auto now = std::chrono::steady_clock::now();
        const bool retrying = !m_db;
        if (m_stop || (retrying && now >= m_nextRetry) || WriteDue(now))
            return;
        auto until = WriteDueAt();
        if (retrying)
            until = std::min(until, m_nextRetry);
        if (until == std::chrono::steady_clock::time_point::max())
            m_wake.wait(lock);
        else
            m_wake.wait_until(lock, until);
    }
}

void ResultsRecorder::Loop()
{
    YieldToTheRun();
    // Named for whoever looks at the program's threads: top -H, a
    // debugger, the benchmark that counts the writer's time.
    pthread_setname_np(pthread_self(), kThreadName);
    // An earlier run of the program may have left records waiting.
    m_spoolWaiting = m_spool->Count();
    if (Connect() && m_spoolWaiting > 0)
        Drain();
    std::unique_lock lock(m_mutex);
    m_busy = false;
    for (;;) {
        m_idle.notify_all();
        WaitForWork(lock);
        // A bench whose passes come faster than the spool takes them still
        // tries the database when the retry is due.
        if (!m_db && !m_stop && std::chrono::steady_clock::now() >= m_nextRetry) {
            m_busy = true;
            lock.unlock();
            if (Connect())
                Drain();
            lock.lock();
            m_busy = false;
        }
        if (m_queue.size() > m_options.queueLimit) {
            // The oldest wait on disk; they are written before the rest.
            std::vector<Queued> overflow;
            const auto excess = static_cast<std::ptrdiff_t>(m_queue.size() - m_options.queueLimit);
            std::move(m_queue.begin(), m_queue.begin() + excess, std::back_inserter(overflow));
            m_queue.erase(m_queue.begin(), m_queue.begin() + excess);
            m_busy = true;
            lock.unlock();
            for (Queued &queued : overflow)
                ToSpool(Completed(queued));
            lock.lock();
            m_busy = false;
            continue;
        }
        if (!m_queue.empty()) {
            std::vector<Queued> taken;
            while (!m_queue.empty() && taken.size() < kBatch) {
                taken.push_back(std::move(m_queue.front()));
                m_queue.pop_front();
            }
            if (m_queue.empty())
                m_flush = false;
            m_busy = true;
            lock.unlock();
            std::vector<RunRecord> batch;
            batch.reserve(taken.size());
            for (Queued &queued : taken)
                batch.push_back(Completed(queued));
            Handle(std::move(batch));
            lock.lock();
            m_busy = false;
            continue;
        }
        if (m_stop)
            break;
    }
    // The connection belongs to this thread: it is closed here.
    lock.unlock();
    m_db.reset();
    lock.lock();
    m_idle.notify_all();
}

bool ResultsRecorder::Connect()
{
    std::string problem;
    m_db = ResultsDatabase::Open(m_options.url, &problem);
    if (m_db)
        return true;
    StartOutage(problem);
    return false;
}

void ResultsRecorder::StartOutage(const std::string &problem)
{
    m_db.reset();
    m_nextRetry = std::chrono::steady_clock::now() + m_options.retry;
    if (!m_outage.exchange(true) && m_options.outage)
        m_options.outage(problem);
}

bool ResultsRecorder::Drain()
{
    std::size_t written = 0;
    const auto waiting = m_spool->Waiting();
    for (auto next = waiting.begin(); next != waiting.end();) {
        // Oldest first, a batch of files a transaction; each file goes once
        // its transaction has committed.
        std::vector<RunRecord> batch;
        std::vector<std::filesystem::path> files;
        for (; next != waiting.end() && batch.size() < kBatch; ++next)
            if (auto record = m_spool->Read(*next)) {
                batch.push_back(std::move(*record));
                files.push_back(*next);
            }
        std::string problem;
        if (!m_db->WriteBatch(batch, &problem)) {
            m_spoolWaiting = waiting.size() - written;
            StartOutage(problem);
            return false;
        }
        for (const auto &file : files)
            m_spool->Remove(file);
        written += batch.size();
        m_written += batch.size();
    }
    m_spoolWaiting = 0;
    if (m_outage.exchange(false) && m_options.restored)
        m_options.restored(written);
    return true;
}

void ResultsRecorder::Handle(std::vector<RunRecord> batch)
{
    bool stopping = false;
    {
        std::lock_guard lock(m_mutex);
        stopping = m_stop;
    }
    // During an outage the record waits its turn in the spool; the retry
    // timer, not the run, decides when to try the database again.
    if (!m_db && !m_outage && !stopping)
        Connect();
    if (m_db && m_spoolWaiting > 0 && !Drain())
        m_db.reset();
    WriteOrSpool(batch);
}

void ResultsRecorder::WriteOrSpool(std::vector<RunRecord> &batch)
{
    if (m_db) {
        std::string problem;
        if (m_db->WriteBatch(batch, &problem)) {
            m_written += batch.size();
            return;
        }
        StartOutage(problem);
    }
    for (const RunRecord &record : batch)
        ToSpool(record);
}

void ResultsRecorder::ToSpool(const RunRecord &record)
{
    std::string problem;
    if (m_spool->Put(record, &problem)) {
        ++m_spooled;
        ++m_spoolWaiting;
        return;
    }
    // Neither the database nor the disk takes it: say so (once per outage).
    StartOutage("очередь записей не записана: " + problem);
}

} // namespace qv::results
