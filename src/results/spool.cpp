#include "results/spool.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QFile>
#include <QJsonDocument>
#include <QSaveFile>
#include <algorithm>
#include <atomic>
#include <chrono>

namespace qv::results {

namespace {

constexpr const char *kExtension = ".json";
// A record is a few kilobytes; a file far larger than any record is not one.
constexpr qint64 kMaxRecordBytes = 64LL * 1024 * 1024;

std::atomic<unsigned> g_sequence{0};

} // namespace

Spool::Spool(std::filesystem::path folder)
    : m_folder(std::move(folder))
{
    std::error_code ec;
    std::filesystem::create_directories(m_folder, ec);
    // Temporary files of a writer that was killed; a fresh one may be another
    // process's write in progress.
    const auto now = std::filesystem::file_time_type::clock::now();
    for (const auto &entry : std::filesystem::directory_iterator(m_folder, ec)) {
        const std::string name = entry.path().filename().string();
        if (name.find(".json.") != std::string::npos &&
            now - entry.last_write_time(ec) > std::chrono::minutes(10))
            std::filesystem::remove(entry.path(), ec);
    }
}

bool Spool::Put(const RunRecord &record, std::string *problem)
{
    // Time first, so that names sort by age; the uid keeps them apart.
    const std::string name = QDateTime::currentDateTimeUtc()
                                 .toString(QStringLiteral("yyyyMMddHHmmsszzz"))
                                 .toStdString() +
                             "-" + std::to_string(g_sequence++ % 1000000) + "-" + record.uid +
                             kExtension;
    QSaveFile file(QString::fromStdString((m_folder / name).string()));
    if (!file.open(QIODevice::WriteOnly)) {
        *problem = file.errorString().toStdString();
        return false;
    }
    file.write(QJsonDocument(ToJson(record)).toJson(QJsonDocument::Compact));
    if (!file.commit()) {
        *problem = file.errorString().toStdString();
        return false;
    }
    return true;
}

std::vector<std::filesystem::path> Spool::Waiting() const
{
    std::vector<std::filesystem::path> files;
    std::error_code ec;
    for (const auto &entry : std::filesystem::directory_iterator(m_folder, ec))
        if (entry.is_regular_file(ec) && entry.path().extension() == kExtension)
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

std::optional<RunRecord> Spool::Read(const std::filesystem::path &file) const
{
    QFile input(QString::fromStdString(file.string()));
    std::optional<RunRecord> record;
    if (input.open(QIODevice::ReadOnly) && input.size() <= kMaxRecordBytes)
        record = RunRecordFromBytes(input.readAll());
    input.close();
    if (!record) {
        std::error_code ec;
        auto aside = file;
        aside.replace_extension(".bad");
        std::filesystem::rename(file, aside, ec);
    }
    return record;
}

void Spool::Remove(const std::filesystem::path &file) const
{
    std::error_code ec;
    std::filesystem::remove(file, ec);
}

std::filesystem::path SpoolFolderFor(const std::filesystem::path &root, const std::string &url)
{
    const QByteArray digest =
        QCryptographicHash::hash(QByteArray::fromStdString(url), QCryptographicHash::Sha256);
    return root / ("results-spool-" + digest.toHex().left(16).toStdString());
}

} // namespace qv::results
