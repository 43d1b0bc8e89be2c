#pragma once

// ResultsRecorder: writes runs into the results database on a thread of its
// own, so that neither the run thread nor the window ever waits for the
// database. Submit only queues the record.
//
// When the database cannot be reached or refuses a run, the record goes to
// the spool (one file per run) and the recorder tries again every retry
// period; once it answers, the spool is written oldest first, before any
// newer record, and each file is removed after its transaction committed.
// A spool left by an earlier program run is written the same way as soon
// as the database answers. The operator is told once per outage: `outage`
// when it starts, `restored` when the spool has been written.
//
// The callbacks run on the writer thread.

#include "results/databaseurl.h"
#include "results/runrecord.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace qv::results {

class ResultsDatabase;
class Spool;

class ResultsRecorder
{
public:
    struct Options
    {
        DatabaseUrl url;
        std::filesystem::path spoolFolder;
        std::chrono::milliseconds retry{5000};
        std::function<void(const std::string &problem)> outage;
        std::function<void(std::size_t written)> restored; // records written from the spool
    };

    explicit ResultsRecorder(Options options);
    // Writes (or spools) what is queued, then ends the thread. It does not
    // wait for a database that is out: those records are in the spool.
    ~ResultsRecorder();
    ResultsRecorder(const ResultsRecorder &) = delete;
    ResultsRecorder &operator=(const ResultsRecorder &) = delete;

    // Any thread; returns at once.
    void Submit(RunRecord record);
    // Waits until every submitted record was written or spooled; false on
    // time-out.
    bool WaitIdle(std::chrono::milliseconds timeout);

    std::size_t Written() const { return m_written; }
    std::size_t Spooled() const { return m_spooled; }
    bool InOutage() const { return m_outage; }
    const DatabaseUrl &Url() const { return m_options.url; }

private:
    void Loop();
    void Handle(RunRecord record);
    bool Connect();
    bool Drain();
    void StartOutage(const std::string &problem);
    void ToSpool(const RunRecord &record);

    Options m_options;
    std::unique_ptr<Spool> m_spool;
    std::unique_ptr<ResultsDatabase> m_db; // writer thread only

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::deque<RunRecord> m_queue;
    bool m_busy = true; // until the spool of an earlier run has been tried
    bool m_stop = false;
    std::chrono::steady_clock::time_point m_nextRetry;

    std::atomic<bool> m_outage{false};
    std::atomic<std::size_t> m_written{0};
    std::atomic<std::size_t> m_spooled{0};
    std::thread m_thread; // last: it starts after every member above exists
};

} // namespace qv::results
