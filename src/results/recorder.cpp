#include "results/recorder.h"

#include "results/resultsdb.h"
#include "results/spool.h"

#include <iterator>

namespace qv::results {

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

void ResultsRecorder::Submit(RunRecord record, Completion complete)
{
    bool wake = false;
    {
        std::lock_guard lock(m_mutex);
        m_queue.push_back({std::move(record), std::move(complete)});
        // The writer sleeps only with an empty queue: waking it costs the
        // run a system call, once is enough.
        wake = m_queue.size() == 1;
    }
    if (wake)
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
    std::unique_lock lock(m_mutex);
    return m_idle.wait_for(lock, timeout, [this] { return m_queue.empty() && !m_busy; });
}

void ResultsRecorder::Loop()
{
    // An earlier run of the program may have left records waiting.
    m_spoolWaiting = m_spool->Count();
    if (Connect() && m_spoolWaiting > 0)
        Drain();
    std::unique_lock lock(m_mutex);
    m_busy = false;
    for (;;) {
        m_idle.notify_all();
        const bool retrying = !m_db;
        const auto due = [this, retrying] {
            return m_stop || !m_queue.empty() ||
                   (retrying && std::chrono::steady_clock::now() >= m_nextRetry);
        };
        if (retrying)
            m_wake.wait_until(lock, m_nextRetry, due);
        else
            m_wake.wait(lock, due);
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
