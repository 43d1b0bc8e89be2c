#pragma once

// TthHardStatus: the hardware status monitor. A background thread checks at
// a fixed period whether the unit answers and reports a status code for the
// main window's status picture (UnitStatus); the same object owns the unit
// lock that every exchange sequence with the unit takes first.

#include "execution/port/unitlock.h"
#include "execution/port/unitstatus.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace qv {

class TCP;

struct StatusPicture
{
    UnitStatus code = UnitStatus::NotShown;
    std::string resource; // bitmap resource name; "" for NotShown
    std::string hint;
};

// The picture and hint of a status: the MS-DOS set for a type-1 unit, the
// "МК" set otherwise; Connected appends CRLF and the build information when
// known.
StatusPicture StatusPictureFor(UnitStatus code, bool dosUnit, const std::string &buildInfo);
// The message for a picture that cannot be loaded.
std::string ResourceLoadFailure(const std::string &resource);

class HardStatusObserver
{
public:
    virtual ~HardStatusObserver() = default;
    // Called on the status thread (or the caller of ShowStatus); the observer
    // brings the picture to the main thread.
    virtual void ShowStatusPicture(const StatusPicture &picture) = 0;
};

// The poll loop's timing. The defaults are the bench's; tests shrink them.
struct HardStatusTiming
{
    std::chrono::milliseconds step{1024};         // one sleep of the wait loop
    std::chrono::milliseconds firstCounter{9999}; // elapsed time assumed at start
    std::chrono::milliseconds checkPause{300};    // "checking" shown this long
    std::chrono::milliseconds pollLockWait{1000}; // the poll's wait for the lock
    std::chrono::milliseconds periodUnit{1000};   // one unit of the period setting
};

class TthHardStatus
{
public:
    using Timing = HardStatusTiming;

    // Sets up the lock of the unit at the tester's address (a failure is
    // shown with the stop icon; every lock wait then fails). The thread
    // starts with Start.
    TthHardStatus(TCP &tester, HardStatusObserver *observer, std::string lockDirectory = {},
                  Timing timing = {});
    ~TthHardStatus(); // terminates the thread and waits for it

    TthHardStatus(const TthHardStatus &) = delete;
    TthHardStatus &operator=(const TthHardStatus &) = delete;

    void Start();
    void Terminate();

    // Waits up to ms for the unit lock; when acquired and the port exists,
    // purges it. Callers go on after a failed wait.
    bool Lock(int ms);
    void Unlock();
    // The tester reaches its unit at another address: the lock guards that
    // unit from its next release on (a failure is shown as at the start).
    void FollowUnitAddress();
    // Shows the picture of a status through the observer.
    void ShowStatus(UnitStatus code);

    UnitStatus Status() const { return m_status; }
    bool LastLockResult() const { return m_lastLock; }
    // Whether the system is the remote server of a connected bench (Remote).
    void SetRemoteServerQuery(std::function<bool()> query);

private:
    void Run();
    // Sleeps unless terminated first; false once terminated.
    bool Sleep(std::chrono::milliseconds duration);
    UnitStatus Poll();
    void ReportLockSetup();

    TCP &m_tester;
    HardStatusObserver *m_observer;
    Timing m_timing;
    UnitLock m_lock;
    std::atomic<UnitStatus> m_status{UnitStatus::NotShown};
    std::atomic<bool> m_lastLock{false};

    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_terminated = false;
    std::function<bool()> m_remoteServer;
    std::thread m_thread;
};

} // namespace qv
