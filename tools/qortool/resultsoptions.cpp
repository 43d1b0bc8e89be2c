#include "resultsoptions.h"

#include "infra/paths.h"
#include "results/spool.h"

#include <iostream>
#include <mutex>

namespace qortool {

std::optional<qv::results::DatabaseUrl> DatabaseOption(const Command &command,
                                                       const ParsedArgs &parsed)
{
    const auto text = parsed.Value("--db");
    if (!text)
        return qv::results::DefaultDatabase();
    std::string problem;
    auto url = qv::results::ParseDatabaseUrl(*text, &problem);
    if (!url)
        UsageError(command, "--db: " + problem);
    return url;
}

std::unique_ptr<qv::results::ResultsRecorder>
MakeRecorder(const Command &command, const qv::results::DatabaseUrl &url, const ParsedArgs &parsed)
{
    qv::results::ResultsRecorder::Options options;
    options.url = url;
    options.retry = std::chrono::milliseconds(2000);
    const auto spool = parsed.Value("--spool");
    const std::filesystem::path root = spool ? std::filesystem::u8path(*spool) : qv::AppDataDir();
    options.spoolFolder = qv::results::SpoolFolderFor(root, url.Text());
    const std::string name(command.name);
    const std::string folder = options.spoolFolder.string();
    options.outage = [name, folder](const std::string &problem) {
        std::cerr << "qortool " << name << ": база результатов недоступна (" << problem
                  << "); записи прогонов ждут в очереди " << folder << std::endl;
    };
    options.restored = [name](std::size_t written) {
        std::cerr << "qortool " << name
                  << ": база результатов снова доступна, записано из очереди: " << written
                  << std::endl;
    };
    return std::make_unique<qv::results::ResultsRecorder>(std::move(options));
}

} // namespace qortool
