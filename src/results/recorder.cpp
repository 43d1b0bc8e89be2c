#include "results/recorder.h"

#include "results/resultsdb.h"
#include "results/spool.h"

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

void ResultsRecorder::Submit(RunRecord record)
{
    {
        std::lock_guard lock(m_mutex);
        m_queue.push_back(std::move(record));
    }
    m_wake.notify_all();
}

bool ResultsRecorder::WaitIdle(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(m_mutex);
    return m_idle.wait_for(lock, timeout, [this] { return m_queue.empty() && !m_busy; });
}

void ResultsRecorder::Loop()
{
    // An earlier run of the program may have left records waiting.
    if (Connect() && m_spool->Count() > 0)
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
        if (!m_queue.empty()) {
            RunRecord record = std::move(m_queue.front());
            m_queue.pop_front();
            m_busy = true;
            lock.unlock();
            Handle(std::move(record));
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
    for (const auto &file : m_spool->Waiting()) {
        const auto record = m_spool->Read(file);
        if (!record)
            continue;
        std::string problem;
        if (!m_db->Write(*record, &problem)) {
            StartOutage(problem);
            return false;
        }
        m_spool->Remove(file);
        ++written;
        ++m_written;
    }
    if (m_outage.exchange(false) && m_options.restored)
        m_options.restored(written);
    return true;
}

void ResultsRecorder::Handle(RunRecord record)
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
    if (m_db && m_spool->Count() > 0 && !Drain()) {
        ToSpool(record);
        return;
    }
    if (!m_db) {
        ToSpool(record);
        return;
    }
    std::string problem;
    if (m_db->Write(record, &problem)) {
        ++m_written;
        return;
    }
    StartOutage(problem);
    ToSpool(record);
}

void ResultsRecorder::ToSpool(const RunRecord &record)
{
    std::string problem;
    if (m_spool->Put(record, &problem)) {
        ++m_spooled;
        return;
    }
    // Neither the database nor the disk takes it: say so (once per outage).
    StartOutage("очередь записей не записана: " + problem);
}

} // namespace qv::results
