#include "infra/fatalerror.h"

#include "infra/encoding.h"
#include "infra/paths.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace qv {
namespace {

std::string TwoDigits(int v)
{
    char buf[8];
    std::snprintf(buf, sizeof buf, "%02d", v);
    return buf;
}

// Windows-1251 bytes of a text; characters without a byte are spelled out so
// that nothing is silently lost from the log.
std::string LogBytes(const std::string &text)
{
    std::string out;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t start = pos;
        const auto ch = NextUtf8(text, pos);
        if (!ch) {
            out += "<?>";
            pos = start + 1;
            continue;
        }
        if (const auto b = Cp1251ByteOf(*ch)) {
            out.push_back(static_cast<char>(*b));
        } else {
            char buf[16];
            std::snprintf(buf, sizeof buf, "<U+%04X>", static_cast<unsigned>(*ch));
            out += buf;
        }
    }
    return out;
}

} // namespace

std::string ExceptionLogBlock(const std::string &message, const DateTimeParts &when,
                              const std::string &modulePath)
{
    std::string block;
    block += std::string(63, '~') + "\r\n";
    block += "Generate exception at " + TwoDigits(when.day) + " " + MonthNameGenitive(when.month) +
             " " + std::to_string(when.year) + " " + TwoDigits(when.hour) + ":" +
             TwoDigits(when.minute) + "." + TwoDigits(when.second) + "\r\n";
    block += "Module Name: " + modulePath + "\r\n";
    block += "Exception message: " + message + "\r\n";
    block += message + "\r\n";
    return block;
}

bool AppendExceptionLog(const std::filesystem::path &logFile, const std::string &message,
                        const DateTimeParts &when, const std::string &modulePath)
{
    std::ofstream out(logFile, std::ios::binary | std::ios::app);
    if (!out)
        return false;
    out << LogBytes(ExceptionLogBlock(message, when, modulePath));
    out.flush();
    return static_cast<bool>(out);
}

TExcept::TExcept(std::filesystem::path logFile, Presenter presenter)
    : m_logFile(std::move(logFile))
    , m_presenter(std::move(presenter))
{}

void TExcept::SetCloseCallback(std::function<void()> callback)
{
    m_close = std::move(callback);
}

FatalChoice TExcept::Handle(const std::string &message)
{
    AppendExceptionLog(m_logFile, message, FromDayCount(NowDayCount()), ExecutablePath().string());
    if (m_handling || !m_presenter)
        return FatalChoice::Continue;
    m_handling = true;
    const FatalChoice choice = m_presenter(message);
    m_handling = false;
    if (choice == FatalChoice::Close) {
        if (m_close)
            m_close();
        else
            std::exit(EXIT_FAILURE);
    }
    return choice;
}

} // namespace qv
