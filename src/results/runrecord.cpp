#include "results/runrecord.h"

#include "results/failureset.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <limits>

namespace qv::results {

namespace {

QString Q(const std::string &text)
{
    return QString::fromStdString(text);
}

QJsonValue Number(const std::optional<std::int32_t> &value)
{
    return value ? QJsonValue(static_cast<qint64>(*value)) : QJsonValue(QJsonValue::Null);
}

// The readers below refuse a value of the wrong kind instead of guessing.
bool ReadText(const QJsonObject &json, const char *key, std::string &out, bool required = true)
{
    const QJsonValue value = json.value(QLatin1String(key));
    if (value.isUndefined() || value.isNull())
        return !required;
    if (!value.isString())
        return false;
    out = value.toString().toStdString();
    return true;
}

bool ReadInt(const QJsonObject &json, const char *key, int &out, int low, int high,
             bool required = true)
{
    const QJsonValue value = json.value(QLatin1String(key));
    if (value.isUndefined() || value.isNull())
        return !required;
    if (!value.isDouble())
        return false;
    const double number = value.toDouble();
    if (number < low || number > high || number != static_cast<double>(static_cast<int>(number)))
        return false;
    out = static_cast<int>(number);
    return true;
}

bool ReadOptional(const QJsonObject &json, const char *key, std::optional<std::int32_t> &out)
{
    const QJsonValue value = json.value(QLatin1String(key));
    if (value.isUndefined() || value.isNull()) {
        out.reset();
        return true;
    }
    int number = 0;
    if (!ReadInt(json, key, number, std::numeric_limits<int>::min(),
                 std::numeric_limits<int>::max()))
        return false;
    out = number;
    return true;
}

bool ReadFlag(const QJsonObject &json, const char *key, bool &out)
{
    const QJsonValue value = json.value(QLatin1String(key));
    if (value.isUndefined())
        return true;
    if (!value.isBool())
        return false;
    out = value.toBool();
    return true;
}

constexpr int kMaxCount = 1'000'000'000;

std::optional<WrongWord> WrongWordFrom(const QJsonObject &json)
{
    WrongWord word;
    if (!ReadInt(json, "word", word.word, 0, 255) || !ReadText(json, "name", word.name, false) ||
        !ReadInt(json, "cycle", word.cycle, 1, kMaxCount) ||
        !ReadOptional(json, "reference", word.reference) || !ReadOptional(json, "read", word.read))
        return std::nullopt;
    return word;
}

std::optional<FailingContact> ContactFrom(const QJsonObject &json)
{
    FailingContact contact;
    if (!ReadInt(json, "contact", contact.contact, 1, kMaxCount) ||
        !ReadText(json, "name", contact.name, false) ||
        !ReadInt(json, "word", contact.word, 0, 255) || !ReadInt(json, "bit", contact.bit, 0, 63))
        return std::nullopt;
    return contact;
}

std::optional<TestResult> TestFrom(const QJsonObject &json)
{
    TestResult test;
    if (!ReadInt(json, "number", test.number, 1, 1000) ||
        !ReadText(json, "name", test.name, false) || !ReadText(json, "verdict", test.verdict) ||
        !ReadInt(json, "errors", test.errors, 0, std::numeric_limits<int>::max()))
        return std::nullopt;
    for (const QJsonValue &value : json.value(QLatin1String("wrongWords")).toArray()) {
        const auto word = WrongWordFrom(value.toObject());
        if (!word)
            return std::nullopt;
        test.wrongWords.push_back(*word);
    }
    for (const QJsonValue &value : json.value(QLatin1String("contacts")).toArray()) {
        const auto contact = ContactFrom(value.toObject());
        if (!contact)
            return std::nullopt;
        test.contacts.push_back(*contact);
    }
    const QJsonValue diagnosis = json.value(QLatin1String("diagnosis"));
    if (diagnosis.isArray())
        test.diagnosis =
            QJsonDocument(diagnosis.toArray()).toJson(QJsonDocument::Compact).toStdString();
    else if (!diagnosis.isUndefined() && !diagnosis.isNull())
        return std::nullopt;
    int unexplained = 0;
    const QJsonValue count = json.value(QLatin1String("unexplained"));
    if (!count.isUndefined() && !count.isNull()) {
        if (!ReadInt(json, "unexplained", unexplained, 0, kMaxCount))
            return std::nullopt;
        test.unexplained = unexplained;
    }
    return test;
}

QJsonObject TestJson(const TestResult &test)
{
    QJsonArray words;
    for (const WrongWord &word : test.wrongWords)
        words.append(QJsonObject{{"word", word.word},
                                 {"name", Q(word.name)},
                                 {"cycle", word.cycle},
                                 {"reference", Number(word.reference)},
                                 {"read", Number(word.read)}});
    QJsonArray contacts;
    for (const FailingContact &contact : test.contacts)
        contacts.append(QJsonObject{{"contact", contact.contact},
                                    {"name", Q(contact.name)},
                                    {"word", contact.word},
                                    {"bit", contact.bit}});
    QJsonObject json{{"number", test.number}, {"name", Q(test.name)}, {"verdict", Q(test.verdict)},
                     {"errors", test.errors}, {"wrongWords", words},  {"contacts", contacts}};
    const QJsonDocument diagnosis =
        QJsonDocument::fromJson(QByteArray::fromStdString(test.diagnosis));
    json.insert("diagnosis",
                diagnosis.isArray() ? QJsonValue(diagnosis.array()) : QJsonValue(QJsonValue::Null));
    json.insert("unexplained",
                test.unexplained ? QJsonValue(*test.unexplained) : QJsonValue(QJsonValue::Null));
    return json;
}

} // namespace

std::string RunRecord::FileName() const
{
    const auto slash = filePath.find_last_of("/\\");
    return slash == std::string::npos ? filePath : filePath.substr(slash + 1);
}

const std::vector<TestResult> &RunRecord::TestRows() const
{
    return sharedTests ? sharedTests->Stored() : tests;
}

RunRecord RunRecord::Whole() const
{
    RunRecord whole = *this;
    if (whole.sharedTests) {
        whole.tests = whole.sharedTests->For(whole.pass);
        whole.sharedTests.reset();
    }
    return whole;
}

int RunRecord::Errors() const
{
    long long sum = 0;
    for (const TestResult &test : TestRows())
        sum += test.errors;
    return static_cast<int>(std::min<long long>(sum, std::numeric_limits<int>::max()));
}

int RunRecord::WrongWordCount() const
{
    std::size_t count = 0;
    for (const TestResult &test : TestRows())
        count += test.wrongWords.size();
    return static_cast<int>(count);
}

std::string IsoUtc(std::chrono::system_clock::time_point time)
{
    // Written out by hand: a record of every pass formats two of these on
    // the writer thread, and a calendar library's general formatting costs
    // several times more than the record's other text.
    using namespace std::chrono;
    const auto ms = floor<milliseconds>(time);
    const auto day = floor<days>(ms);
    const year_month_day date{day};
    const hh_mm_ss clock{ms - day};
    char text[32];
    const int length = std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02d.%03dZ",
                                     int(date.year()), unsigned(date.month()), unsigned(date.day()),
                                     int(clock.hours().count()), int(clock.minutes().count()),
                                     int(clock.seconds().count()), int(clock.subseconds().count()));
    return std::string(text, static_cast<std::size_t>(std::clamp(length, 0, int(sizeof text) - 1)));
}

std::string IsoUtcNow()
{
    return IsoUtc(std::chrono::system_clock::now());
}

bool IsVerdictName(const std::string &name)
{
    static constexpr std::array<std::string_view, 5> kNames{"passed", "errors", "interrupted",
                                                            "failed", "not-run"};
    for (const std::string_view known : kNames)
        if (name == known)
            return true;
    return false;
}

QJsonObject ToJson(const RunRecord &record)
{
    if (record.sharedTests)
        return ToJson(record.Whole());
    QJsonArray tests;
    for (const TestResult &test : record.tests)
        tests.append(TestJson(test));
    QJsonObject json{
        {"id", static_cast<qint64>(record.id)},
        {"uid", Q(record.uid)},
        {"session", Q(record.session)},
        {"pass", record.pass},
        {"started", Q(record.started)},
        {"ended", Q(record.ended)},
        {"host", Q(record.host)},
        {"operator", Q(record.operatorName)},
        {"serial", Q(record.serial)},
        {"file", Q(record.filePath)},
        {"sha256", Q(record.fileSha256)},
        {"unit", QJsonObject{{"address", Q(record.unitAddress)},
                             {"type", Q(record.unitType)},
                             {"build", Q(record.unitBuild)}}},
        {"mode", QJsonObject{{"allTests", record.allTests},
                             {"continuous", record.continuous},
                             {"debug", record.debug}}},
        {"passes", record.passes},
        {"verdict", QJsonObject{{"kind", Q(record.verdict)}, {"text", Q(record.verdictText)}}},
        {"tests", tests},
    };
    return json;
}

std::optional<RunRecord> RunRecordFromJson(const QJsonObject &json)
{
    RunRecord record;
    const QJsonValue id = json.value(QLatin1String("id"));
    if (id.isDouble())
        record.id = static_cast<std::int64_t>(id.toDouble());
    const QJsonObject unit = json.value(QLatin1String("unit")).toObject();
    const QJsonObject mode = json.value(QLatin1String("mode")).toObject();
    const QJsonObject verdict = json.value(QLatin1String("verdict")).toObject();
    if (!ReadText(json, "uid", record.uid) || record.uid.empty() ||
        !ReadText(json, "session", record.session) ||
        !ReadInt(json, "pass", record.pass, 0, kMaxCount) ||
        !ReadText(json, "started", record.started) || !ReadText(json, "ended", record.ended) ||
        !ReadText(json, "host", record.host, false) ||
        !ReadText(json, "operator", record.operatorName, false) ||
        !ReadText(json, "serial", record.serial, false) ||
        !ReadText(json, "file", record.filePath) ||
        !ReadText(json, "sha256", record.fileSha256, false) ||
        !ReadText(unit, "address", record.unitAddress, false) ||
        !ReadText(unit, "type", record.unitType, false) ||
        !ReadText(unit, "build", record.unitBuild, false) ||
        !ReadFlag(mode, "allTests", record.allTests) ||
        !ReadFlag(mode, "continuous", record.continuous) ||
        !ReadFlag(mode, "debug", record.debug) ||
        !ReadInt(json, "passes", record.passes, 0, kMaxCount) ||
        !ReadText(verdict, "kind", record.verdict) || !IsVerdictName(record.verdict) ||
        !ReadText(verdict, "text", record.verdictText, false))
        return std::nullopt;
    const QJsonValue tests = json.value(QLatin1String("tests"));
    if (!tests.isArray())
        return std::nullopt;
    for (const QJsonValue &value : tests.toArray()) {
        if (!value.isObject())
            return std::nullopt;
        auto test = TestFrom(value.toObject());
        if (!test)
            return std::nullopt;
        record.tests.push_back(std::move(*test));
    }
    return record;
}

std::optional<RunRecord> RunRecordFromBytes(const QByteArray &bytes)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    return RunRecordFromJson(document.object());
}

} // namespace qv::results
