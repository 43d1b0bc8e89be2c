#pragma once

// The last line of defence: every failure that no other part of the program
// handled is logged to "Exception.log" and shown to the operator, who chooses
// between carrying on and closing the program.

#include "infra/daycount.h"

#include <filesystem>
#include <functional>
#include <string>

namespace qv {

// The five lines appended for one failure, CR LF after each:
// 63 tildes; "Generate exception at " + the time as "dd mmmm yyyy hh:mm.ss";
// "Module Name: " + the executable; "Exception message: " + text; the text.
std::string ExceptionLogBlock(const std::string &message, const DateTimeParts &when,
                              const std::string &modulePath);

// Appends a block to the log in the Windows-1251 code page (a character
// without a byte there is written as "<U+XXXX>"). Earlier content stays.
// Returns false when the log could not be written; callers ignore it.
bool AppendExceptionLog(const std::filesystem::path &logFile, const std::string &message,
                        const DateTimeParts &when, const std::string &modulePath);

// What the operator chose in the failure window.
enum class FatalChoice { Continue, Close };

// The application's failure handler (one instance, created first at start-up
// and destroyed last). The presenter shows the window; the close callback
// runs the shut-down sequence; without one the process ends.
class TExcept
{
public:
    using Presenter = std::function<FatalChoice(const std::string &message)>;

    TExcept(std::filesystem::path logFile, Presenter presenter);

    void SetCloseCallback(std::function<void()> callback);
    const std::filesystem::path &LogFile() const { return m_logFile; }

    // Logs the failure, shows it and carries out the operator's choice.
    // Returns the choice (after Close the callback has run).
    FatalChoice Handle(const std::string &message);

private:
    std::filesystem::path m_logFile;
    Presenter m_presenter;
    std::function<void()> m_close;
    bool m_handling = false; // a failure inside the window itself is only logged
};

} // namespace qv
