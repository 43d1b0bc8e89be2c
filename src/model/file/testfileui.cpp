#include "model/file/testfileui.h"

namespace qv {
namespace {

// The text of one log line without its marker byte, and whether it is an error.
std::string_view LineText(std::string_view line, bool *isError)
{
    if (!line.empty() && line.back() == '\r') {
        line.remove_suffix(1);
    }
    if (isError != nullptr) {
        *isError = !line.empty() && line.back() == kLogError;
    }
    if (!line.empty() && (line.back() == kLogError || line.back() == kLogWarning)) {
        line.remove_suffix(1);
    }
    return line;
}

template <typename Visit>
void ForEachLine(std::string_view log, Visit visit)
{
    while (!log.empty()) {
        const std::size_t end = log.find('\n');
        visit(log.substr(0, end));
        if (end == std::string_view::npos) {
            break;
        }
        log.remove_prefix(end + 1);
    }
}

} // namespace

std::vector<LogLine> LogLinesWithKind(const std::string &log)
{
    std::vector<LogLine> lines;
    ForEachLine(log, [&](std::string_view line) {
        bool isError = false;
        const std::string_view text = LineText(line, &isError);
        if (!text.empty()) {
            lines.push_back({std::string(text), isError});
        }
    });
    return lines;
}

std::vector<std::string> LogLinesForDisplay(const std::string &log)
{
    std::vector<std::string> lines;
    for (LogLine &line : LogLinesWithKind(log)) {
        lines.push_back(std::move(line.text));
    }
    return lines;
}

std::string LogHeading(LogKind kind, const std::string &log)
{
    if (kind == LogKind::Save) {
        return "При записи файла на диск были обнаружены ошибки. Файл записать не удалось.";
    }
    bool hasError = false;
    ForEachLine(log, [&](std::string_view line) {
        bool isError = false;
        LineText(line, &isError);
        hasError = hasError || isError;
    });
    return hasError ? "При загрузке файла были обнаружены ошибки. Дальнейшая загрузка файла "
                      "прекращена."
                    : "При загрузке файла были обнаружены ошибки. Часть информации файла было "
                      "пропущено.";
}

} // namespace qv
