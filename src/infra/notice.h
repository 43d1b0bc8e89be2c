#pragma once

// Notices: what a layer below the windows has to tell the operator, as a
// value. The layer that knows the operator (the desk's windows, the
// command-line tool, a test) passes a NoticeSink down and decides how a
// notice is shown; the layers below only say what and when.

#include <functional>
#include <memory>
#include <string>

namespace qv {

enum class NoticeKind {
    Error,       // stop icon, OK
    Warning,     // warning icon, OK
    Information, // information icon, OK
    Question,    // question icon, Yes and No
};

// The operator's answer: Ok for the notices with one button.
enum class NoticeAnswer { Ok, Yes, No };

struct Notice
{
    NoticeKind kind = NoticeKind::Error;
    std::string text;
    std::string caption;
};

// Tells the operator one notice and returns the answer; called on the thread
// that has something to say. An empty sink tells nobody (a question is then
// answered Yes, as Enter would).
using NoticeSink = std::function<NoticeAnswer(const Notice &notice)>;

// Tells `sink` the notice; an empty sink answers Yes to a question and Ok
// otherwise.
NoticeAnswer Tell(const NoticeSink &sink, Notice notice);

// The sink of the application's message box (see mesbo.h): each notice is a
// modal message with the notice's icon and buttons.
NoticeSink MessageBoxNotices();

// While it lives, remembers the last error the operator was shown.
class ErrorWatch
{
public:
    virtual ~ErrorWatch() = default;
    // The text of the last error shown since the watch began; empty: none.
    virtual std::string Last() const = 0;
};
using ErrorWatchMaker = std::function<std::unique_ptr<ErrorWatch>()>;

// Watches the application's message box: every error message shown while
// the watch lives, from any thread, is remembered and passed on. Begin and
// end it on one thread, while nothing else replaces the message box.
std::unique_ptr<ErrorWatch> WatchMessageBoxErrors();

} // namespace qv
