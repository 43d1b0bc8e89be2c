#include "results/spool.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
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

// A record's JSON keeps each diagnosis as the list it is, and reading it
// back gives that list in another layout than the text the run made. A
// pass's diagnosis is stored with its pass number cut out where the text
// names it, and a failure is known again by the digest of that text: so
// the spool keeps the texts themselves besides, and a spooled pass is
// stored as it would have been without the outage.
constexpr const char *kDiagnosisTexts = "diagnosisTexts";

QJsonObject SpooledJson(const RunRecord &record)
{
    const RunRecord whole = record.Whole();
    QJsonObject json = ToJson(whole);
    QJsonArray texts;
    for (const TestResult &test : whole.tests)
        texts.append(test.diagnosis.empty() ? QJsonValue(QJsonValue::Null)
                                            : QJsonValue(QString::fromStdString(test.diagnosis)));
    json.insert(QLatin1String(kDiagnosisTexts), texts);
    return json;
}

// The kept texts back in place of the lists' layout; a text that is not
// the same list as the record's (a file edited by hand) is not taken.
void TakeDiagnosisTexts(const QJsonObject &json, RunRecord &record)
{
    const QJsonArray texts = json.value(QLatin1String(kDiagnosisTexts)).toArray();
    if (texts.size() != static_cast<qsizetype>(record.tests.size()))
        return;
    for (std::size_t t = 0; t < record.tests.size(); ++t) {
        const QJsonValue text = texts[static_cast<qsizetype>(t)];
        TestResult &test = record.tests[t];
        if (!text.isString() || test.diagnosis.empty())
            continue;
        const QByteArray bytes = text.toString().toUtf8();
        QJsonParseError error{};
        const QJsonDocument kept = QJsonDocument::fromJson(bytes, &error);
        if (error.error == QJsonParseError::NoError && kept.isArray() &&
            kept == QJsonDocument::fromJson(QByteArray::fromStdString(test.diagnosis)))
            test.diagnosis = bytes.toStdString();
    }
}

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
    // Time first, so that names sort by age, then a sequence of fixed width
    // for the records of one millisecond; the uid keeps them apart.
    const std::string name =
        QStringLiteral("%1-%2-")
            .arg(QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMddHHmmsszzz")))
            .arg(g_sequence++ % 1000000, 6, 10, QLatin1Char('0'))
            .toStdString() +
        record.uid + kExtension;
    QSaveFile file(QString::fromStdString((m_folder / name).string()));
    if (!file.open(QIODevice::WriteOnly)) {
        *problem = file.errorString().toStdString();
        return false;
    }
    file.write(QJsonDocument(SpooledJson(record)).toJson(QJsonDocument::Compact));
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
    if (input.open(QIODevice::ReadOnly) && input.size() <= kMaxRecordBytes) {
        QJsonParseError error{};
        const QJsonDocument document = QJsonDocument::fromJson(input.readAll(), &error);
        if (error.error == QJsonParseError::NoError && document.isObject())
            record = RunRecordFromJson(document.object());
        if (record)
            TakeDiagnosisTexts(document.object(), *record);
    }
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
