#include "model/export/testexport.h"

#include "infra/safefile.h"
#include "model/document/quorvik.h"
#include "model/io/errors.h"
#include "model/io/filestore.h"

#include <chrono>
#include <ctime>
#include <filesystem>

namespace qv {

namespace {

std::string Today()
{
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm utc{};
    gmtime_r(&now, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S UTC", &utc);
    return text;
}

} // namespace

std::optional<ExportFormat> ExportFormatNamed(std::string_view name)
{
    std::string lower;
    for (const char c : name)
        lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    if (lower == "vcd")
        return ExportFormat::Vcd;
    if (lower == "csv")
        return ExportFormat::Csv;
    return std::nullopt;
}

std::optional<std::string> ExportTest(const TQuorvik &doc, int test, ExportFormat format,
                                      const std::string &path)
{
    if (doc.Test(test) == nullptr)
        return "в файле нет теста " + std::to_string(test + 1);
    const std::string source = std::filesystem::path(doc.Doc().FileName).filename().string();
    const std::string bytes =
        format == ExportFormat::Vcd ? VcdOfTest(doc, test, source, Today()) : CsvOfTest(doc, test);
    // "-" is standard output; a device or a pipe is written directly.
    if (const std::string problem = WriteOutputFile(path, bytes); !problem.empty())
        return "не удалось записать файл " + path + ": " + problem;
    return std::nullopt;
}

} // namespace qv
