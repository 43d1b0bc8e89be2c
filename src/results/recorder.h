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
// A writer that falls behind (a fast continuous run, a slow server) writes
// what has queued up in batches, each one transaction of whole runs. The
// passes of a continuous run come thousands a second: they may wait a
// little (`gather`) for the passes after them, so that one transaction
// (and the disk writes and server work of its commit) serves many; the
// end of the run (Flush) has them written at once. The queue in memory is
// bounded: beyond `queueLimit` records the oldest go to
// the spool (and from there to the database before the newer ones), so a
// long backlog costs disk, not memory, and loses nothing.
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
#include <vector>

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
        std::size_t queueLimit = 2000; // records held in memory before the spool takes them
        // How long a record that more follow waits for them at most.
        std::chrono::milliseconds gather{50};
    };

    // The writer thread's name, as the system shows it.
    static constexpr const char *kThreadName = "qv-results";

    // Records written per transaction at most.
    static constexpr std::size_t kBatch = 256;

    // Whether a record is written as soon as the writer can, or may wait
    // for the records that follow it (the next passes of a continuous run)
    // to share their transaction.
    enum class Urgency { Now, MoreFollow };

    explicit ResultsRecorder(Options options);
    // Writes (or spools) what is queued, then ends the thread. It does not
    // wait for a database that is out: those records are in the spool.
    ~ResultsRecorder();
    ResultsRecorder(const ResultsRecorder &) = delete;
    ResultsRecorder &operator=(const ResultsRecorder &) = delete;

    // Completes a record on the writer thread before it is written or
    // spooled. The passes of a board that fails the same way share their
    // tests: each record's own copy is made there, not by the run. It must
    // hold (not refer to) what it uses.
    using Completion = std::function<void(RunRecord &record)>;

    // Any thread; returns at once.
    void Submit(RunRecord record, Completion complete = {}, Urgency urgency = Urgency::Now);
    // Has what waits for more written without waiting longer (the run
    // whose passes they are ended). Any thread; returns at once.
    void Flush();
    // Writes what is queued without waiting for more, and waits until
    // every submitted record was written or spooled; false on time-out.
    bool WaitIdle(std::chrono::milliseconds timeout);

    std::size_t Written() const { return m_written; }
    std::size_t Spooled() const { return m_spooled; }
    bool InOutage() const { return m_outage; }
    const DatabaseUrl &Url() const { return m_options.url; }

private:
    struct Queued
    {
        RunRecord record;
        Completion complete; // empty: the record is whole
        Urgency urgency = Urgency::Now;
        std::chrono::steady_clock::time_point queuedAt;
    };
    // Writer thread, the lock not held.
    static RunRecord Completed(Queued &queued);

    void Loop();
    // The lock held: whether the queue is to be written now, and else when
    // it will be (max: only when something changes).
    bool WriteDue(std::chrono::steady_clock::time_point now) const;
    std::chrono::steady_clock::time_point WriteDueAt() const;
    // The lock held: until there is something to do (a queue due, a retry
    // due, the end).
    void WaitForWork(std::unique_lock<std::mutex> &lock);
    void Handle(std::vector<RunRecord> batch);
    // Writes the batch whole, or spools all of it.
    void WriteOrSpool(std::vector<RunRecord> &batch);
    bool Connect();
    bool Drain();
    void StartOutage(const std::string &problem);
    void ToSpool(const RunRecord &record);

    Options m_options;
    std::unique_ptr<Spool> m_spool;
    std::unique_ptr<ResultsDatabase> m_db; // writer thread only
    // Records this writer put in the spool (or found there at the start)
    // and has not written yet; writer thread only. Kept rather than listing
    // the folder for every batch.
    std::size_t m_spoolWaiting = 0;

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::deque<Queued> m_queue;
    bool m_busy = true; // until the spool of an earlier run has been tried
    bool m_stop = false;
    bool m_flush = false; // write what waits for more now; cleared when the queue is taken
    std::chrono::steady_clock::time_point m_nextRetry;

    std::atomic<bool> m_outage{false};
    std::atomic<std::size_t> m_written{0};
    std::atomic<std::size_t> m_spooled{0};
    std::thread m_thread; // last: it starts after every member above exists
};

} // namespace qv::results
