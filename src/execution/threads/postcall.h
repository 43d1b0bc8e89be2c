#pragma once

// Calls handed to the thread that owns a QObject, through that thread's
// event loop: what a queued (or blocking queued) QMetaObject::invokeMethod
// does, with the hand-off made visible to ThreadSanitizer. Qt orders a
// posted call with locks inside its own libraries, which an instrumented
// build of ours cannot see, so every call posted with invokeMethod looked
// like a race there and hid real ones behind the suppressions it needed.
//
// Here the call is written into an object of ours before it is posted and
// released to the race detector; the receiving thread acquires it before it
// reads anything of it. In an uninstrumented build the two marks are empty.

#include <QObject>
#include <functional>

namespace qv {

// Runs `call` on the thread of `context` once its event loop gets to it;
// the call is dropped when `context` is destroyed before then, and at once
// when that thread has already ended. Returns at once. (A call still waiting
// when its thread ends stays with that thread's pending events until Qt
// frees them; no call of ours is posted to a thread about to end.)
void PostCall(QObject *context, std::function<void()> call);

// Runs `call` on the thread of `context` and returns when it has run or
// was dropped (`context` destroyed first, its thread ended before). Called on
// that thread itself, it runs `call` at once. Like a blocking queued
// invokeMethod, it deadlocks when the other thread waits for this one.
void CallAndWait(QObject *context, std::function<void()> call);

} // namespace qv
