#pragma once

// What the probe driver shows to the operator, and the clock it waits by.
//
// SkopelView: called by TSkopel on the caller's thread (Start, Close,
// ReportMessage) and by the acquisition thread (BlockReceived, CapturesDone,
// CloseLive). The thread's calls carry values only and must not wait for the
// user-interface thread: an implementation queues them over to it.

#include "model/io/scofile.h"

#include <chrono>
#include <cstdint>
#include <string>

namespace qv {

// What the live window shows of the V-function being recorded.
struct LiveStart
{
    int number = 0; // V-function number
    std::string name;
    std::string info;
    int cycle = 0; // the first captured cycle, 0-based; the window shows it
    std::int32_t sweep = 0;
    std::int32_t scale = 0;
    WaveformRef reference; // of that cycle; null = none
};

class SkopelView
{
public:
    virtual ~SkopelView() = default;
    // "Подготовка перед запуском теста" with the function's info text;
    // false when the operator cancels.
    virtual bool ConfirmPreparation(const std::string &name, const std::string &info) = 0;
    virtual void OpenLive(const LiveStart &start) = 0;
    // Acquisition thread: a block was captured for that cycle.
    virtual void BlockReceived(int cycle, const Waveform &samples) = 0;
    // Acquisition thread, at its end: the number of blocks captured...
    virtual void CapturesDone(int captures) = 0;
    // ...or none was, and the live window goes.
    virtual void CloseLive() = 0;
    // The device's failure, in the V-function info window.
    virtual void ShowDeviceError(const std::string &text) = 0;
};

// Time as the driver sees it: the steady clock, or a clock of the tests that
// moves only when the driver sleeps.
class SkopelClock
{
public:
    virtual ~SkopelClock() = default;
    virtual std::chrono::milliseconds Now() = 0;
    virtual void Sleep(std::chrono::milliseconds ms) = 0;
};
SkopelClock &SystemSkopelClock();

} // namespace qv
