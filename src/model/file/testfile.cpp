#include "model/file/testfile.h"

#include "infra/daycount.h"
#include "infra/encoding.h"
#include "infra/helpers.h"
#include "infra/mesbo.h"
#include "infra/mesboflags.h"
#include "infra/messages.h"
#include "infra/safefile.h"
#include "infra/version.h"
#include "model/file/commentfile.h"
#include "model/file/container.h"
#include "model/file/datetext.h"
#include "model/file/savedreferences.h"
#include "model/file/scofollow.h"
#include "model/ini/sectionvalues.h"
#include "model/io/errors.h"
#include "model/io/filepaths.h"
#include "model/io/scofile.h"
#include "model/test/testfunctions.h"
#include "model/test/testsections.h"

#include <ctime>
#include <filesystem>
#include <fstream>
#include <limits>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace qv {
namespace {

constexpr std::string_view kGeneralSection = "";

// Shows the wait notice for the life of the object.
class NoticeGuard
{
public:
    NoticeGuard(TestFileUi &ui, const std::string &text)
        : m_ui(ui)
    {
        m_ui.ShowNotice(text);
    }
    ~NoticeGuard() { m_ui.HideNotice(); }
    NoticeGuard(const NoticeGuard &) = delete;
    NoticeGuard &operator=(const NoticeGuard &) = delete;

private:
    TestFileUi &m_ui;
};

// The editor's log keeps its line breaks as single 0x07 bytes; a lone CR or
// LF would split the INI line, so it is stored the same way.
std::string LogToStored(std::string_view log)
{
    std::string stored;
    for (std::size_t i = 0; i < log.size(); ++i) {
        if (log[i] == '\r' && i + 1 < log.size() && log[i + 1] == '\n') {
            ++i;
            stored.push_back('\x07');
        } else if (log[i] == '\r' || log[i] == '\n') {
            stored.push_back('\x07');
        } else {
            stored.push_back(log[i]);
        }
    }
    return stored;
}

std::string StoredToLog(std::string_view stored)
{
    std::string log;
    for (const char ch : stored) {
        if (ch == '\x07') {
            log += "\r\n";
        } else {
            log.push_back(ch);
        }
    }
    return log;
}

// NTEST as a count the records can hold; nullopt for anything else.
std::optional<std::int32_t> DeclaredTestCount(const std::string &text)
{
    const auto count = ParseIniInteger(text);
    if (!count || *count < 0 || *count > kMaxTests) {
        return std::nullopt;
    }
    return count;
}

// A save writes the values read as output references; for words the last
// run read wrong that turns a faulty board's values into the references,
// so the operator decides, and by default they stay. False when they stay.
bool ConfirmReferenceChanges(const SQor &doc, SSaveParam &param)
{
    const auto changes = WrongReferencesReplacedBy(doc, param);
    return changes.empty() || Mesbo().Show(ReferenceChangeQuestion(changes), MbQuestionDefaultNo,
                                           kProductName) == MbYes;
}

} // namespace

TTestFile::TTestFile(TestFileUi &ui, std::unique_ptr<FileStore> files)
    : m_ui(ui)
    , m_files(files ? std::move(files) : std::make_unique<FileStore>())
    , m_digestBuffer(kDigestChunkSize)
{}

TTestFile::~TTestFile() = default;

bool TTestFile::Guarded(const std::function<bool()> &steps)
{
    try {
        return steps();
    } catch (...) {
        MapCurrentException();
        return false;
    }
}

void TTestFile::MapCurrentException()
{
    const std::exception_ptr failure = std::current_exception();
    if (const auto line = FailureLogLine(failure, kMaxBlockText)) {
        if (!line->empty()) {
            AddLogLine(*line, kLogError);
        }
        return;
    }
    try {
        std::rethrow_exception(failure);
    } catch (const std::exception &e) {
        Mesbo().Show(e.what(), MbError, kProductName);
    }
}

void TTestFile::AddLogLine(const std::string &text, char marker)
{
    m_log += text;
    m_log.push_back(marker);
    m_log += "\r\n";
}

void TTestFile::FlushLog(LogKind kind, const std::string &path)
{
    if (!m_log.empty()) {
        m_ui.ShowLog(kind, path, m_log);
        m_log.clear();
    }
}

bool TTestFile::Load()
{
    const bool ok = Guarded([this] {
        LoadSteps();
        return true;
    });
    FlushLog(LogKind::Load, m_info.Doc->FileName);
    FinishTestFileLoad();
    return ok;
}

void TTestFile::LoadSteps()
{
    SQor &doc = *m_info.Doc;
    NoticeGuard notice(m_ui, "Выполняется чтение файла. Ждите...");
    for (auto &test : doc.Tests) {
        test.reset();
    }
    doc.NTest = 0;
    doc.Tyres.Clear();

    const auto source = m_files->OpenLocked(doc.FileName);
    const Trailer trailer = ReadEnvelope(*source, m_crypto, m_digestBuffer);
    m_flags = trailer.Flags;
    m_readCheck = trailer.ReadCheck;
    m_writeCheck = trailer.WriteCheck;
    m_readPassword.clear();
    if ((m_flags & kFlagReadPassword) && !AskPassword(PasswordRequest::ModeRead, m_readCheck)) {
        throw CodeError(CodeError::AlreadyReported);
    }

    // Buses and blocks must end where the trailer begins.
    source->Seek(kTestFileMagic.size());
    source->SetLimit(trailer.T);
    doc.Tyres.Read(*source);

    m_ini.FromText(
        Cp1251ToUtf8(ReadBlock(*source, kGeneralBlockIv, m_flags, m_readPassword, m_crypto)));
    const std::string declaredText = ReadGeneralSection();
    const std::optional<std::int32_t> declared = DeclaredTestCount(declaredText);
    doc.NTest = 0;
    m_ini.Clear();
    if (!ReadContacts()) {
        throw CodeError(CodeError::AlreadyReported);
    }

    TestReadContext context;
    context.testFilePath = doc.FileName;
    context.contactFilePath = m_info.Cnt->FileName;
    context.tyres = &doc.Tyres;
    context.oscillogramPath = SetExt(doc.FileName, ".sco").string();
    context.showError = [](const std::string &text) { Mesbo().Show(text, MbError, kProductName); };
    context.addLogLine = [this](const std::string &text, char marker) { AddLogLine(text, marker); };
    // The test blocks are the truth, not NTEST: a count that is no number or
    // disagrees would otherwise drop tests, and the next save would lose them.
    int read = 0;
    for (; source->Remaining() > 0; ++read) {
        if (read == kMaxTests) {
            AddLogLine("Файл содержит больше " + std::to_string(kMaxTests) + " тестов", kLogError);
            throw CodeError(CodeError::AlreadyReported);
        }
        m_ini.FromText(
            Cp1251ToUtf8(ReadBlock(*source, kTestBlockIv, m_flags, m_readPassword, m_crypto)));
        auto test = std::make_unique<STest>();
        context.testIndex = read;
        ReadTestSections(m_ini, *test, context);
        doc.Tests[static_cast<std::size_t>(read)] = std::move(test);
        doc.NTest = read + 1;
    }
    if (!declared || *declared != read) {
        AddLogLine(ValueProblemText(kGeneralSection, "NTEST", declaredText,
                                    (declared ? "не совпадает с числом тестов в файле ("
                                              : "не является числом тестов; тестов в файле: ") +
                                        std::to_string(read) + (declared ? ")" : "") +
                                        ", загружены все тесты файла"),
                   kLogWarning);
    }
    m_ini.Clear();
}

std::string TTestFile::ReadGeneralSection()
{
    SQor &doc = *m_info.Doc;
    const IniStore &ini = m_ini;
    m_info.Cnt->FileName =
        FindBesideFile(doc.FileName, BareFileName(ini.ReadString(kGeneralSection, "CNT", "")));
    doc.Sys = ini.ReadInteger(kGeneralSection, "SYS", 0);
    // The number base only shows values; a wrong one is said, not refused.
    if (const auto sys = ini.Find(kGeneralSection, "SYS");
        sys && (!ParseIniInteger(*sys) || (doc.Sys != 8 && doc.Sys != 16))) {
        AddLogLine(ValueProblemText(kGeneralSection, "SYS", *sys,
                                    "не является основанием системы счисления (8 или 16)"),
                   kLogWarning);
    }
    std::string declaredText = ini.ReadString(kGeneralSection, "NTEST", "0");
    doc.FCreate = DateTimeValue(ini.ReadString(kGeneralSection, "FCREATE", ""));
    doc.FModified = DateTimeValue(ini.ReadString(kGeneralSection, "FMODIFIED", ""));
    doc.FVersion = ini.ReadString(kGeneralSection, "FVERSION", "");
    doc.FAuthor = ini.ReadString(kGeneralSection, "FAUTHOR", "");
    doc.FTitle = ini.ReadString(kGeneralSection, "FTITLE", "");
    doc.FLogError = StoredToLog(ini.ReadString(kGeneralSection, "FLOGERROR", ""));
    if (!doc.FLogError.empty()) {
        m_ui.ShowFileErrors("Данный файл содержит ошибки.\r\n" + Msg(24), doc.FLogError);
        throw CodeError(CodeError::AlreadyReported);
    }
    return declaredText;
}

void TTestFile::WriteGeneralSection()
{
    SQor &doc = *m_info.Doc;
    IniStore &ini = m_ini;
    ini.Clear();
    ini.WriteString(kGeneralSection, "CNT", BareFileName(m_info.Cnt->FileName));
    ini.WriteInteger(kGeneralSection, "SYS", doc.Sys);
    ini.WriteInteger(kGeneralSection, "NTEST", doc.NTest);
    doc.FModified = NowDayCount();
    if (doc.FCreate == 0) {
        // A file not on the disk yet is being created now; asking its date
        // would only raise a false alarm.
        std::error_code error;
        doc.FCreate =
            std::filesystem::exists(doc.FileName, error) ? FileDateOf(doc.FileName) : doc.FModified;
    }
    ini.WriteString(kGeneralSection, "FCREATE", DateTimeText(doc.FCreate));
    ini.WriteString(kGeneralSection, "FMODIFIED", DateTimeText(doc.FModified));
    doc.FVersion = "1.6";
    ini.WriteString(kGeneralSection, "FVERSION", doc.FVersion);
    ini.WriteString(kGeneralSection, "FAUTHOR", doc.FAuthor);
    ini.WriteString(kGeneralSection, "FTITLE", doc.FTitle);
    ini.WriteString(kGeneralSection, "FLOGERROR", LogToStored(doc.FLogError));
}

bool TTestFile::AskPassword(int mode, const Bytes32 &check)
{
    PasswordRequest request;
    request.Mode = mode;
    request.File = m_info.Doc->FileName;
    request.Check = check;
    request.Transform = [this](const std::string &typed, std::string &padded, Bytes32 &out) {
        // A character the file's code page has no byte for cannot be part
        // of any password of the file: the password is wrong.
        const auto bytes = TryUtf8ToCp1251(typed);
        return bytes && PasswordCheck(m_crypto, *bytes, padded, out);
    };
    if (!m_ui.AskPassword(request)) {
        return false;
    }
    if (mode == PasswordRequest::ModeRead) {
        m_readPassword = request.Password;
    }
    return true;
}

bool TTestFile::Save(SSaveParam *param)
{
    const bool written = Guarded([this, param] { return SaveSteps(param); });
    FlushLog(LogKind::Save, m_info.Doc->FileName);
    // The oscillograms staged by the V-functions go beside the file. The
    // test file itself is saved by then, so a failure here is shown on its
    // own and the save still counts as done. A save that staged none still
    // keeps each stored reference with its function: the file names them
    // by function number, and numbers may have changed hands.
    std::string scoError;
    bool scoWritten = true;
    if (written && ScoFile().StagedCount() == 0) {
        scoWritten = KeepReferencesWithFunctions(
            *m_info.Doc, SetExt(m_info.Doc->FileName, ".sco").string(), &scoError);
    }
    if (!FinishTestFileSave(written, m_info.Doc->FileName, &scoError) || !scoWritten) {
        Mesbo().Show(scoError, MbError, kProductName);
    }
    return written;
}

bool TTestFile::SaveSteps(SSaveParam *param)
{
    SQor &doc = *m_info.Doc;
    bool backup = false;
    if (param != nullptr && !RunSaveChoice(*param, backup)) {
        return false;
    }
    NoticeGuard notice(m_ui, "Выполняется запись файла. Ждите...");
    if ((m_flags & kFlagWritePassword) && !AskPassword(PasswordRequest::ModeWrite, m_writeCheck)) {
        return false;
    }
    if (!ConfirmWritable(doc.FileName)) {
        return false;
    }
    std::optional<KeptReferences> kept;
    if (param != nullptr && !ConfirmReferenceChanges(doc, *param)) {
        kept.emplace(doc, WrongReferencesReplacedBy(doc, *param));
    }
    BuildImage(param);
    // The backup is made only once the save is sure to write: a refused
    // save leaves no new backup behind. One that cannot be made stops the
    // save, which would otherwise destroy the only copy the operator asked
    // to keep.
    if (backup) {
        std::string problem;
        if (!CreateBakFile(doc.FileName, &problem)) {
            throw WriteFailure(problem + ". Файл не записан");
        }
    }
    m_files->Replace(doc.FileName, m_image);
    // What the document shows is what the file now holds.
    AdoptSavedData(doc, param);
    return true;
}

bool TTestFile::RunSaveChoice(SSaveParam &param, bool &backup)
{
    SQor &doc = *m_info.Doc;
    const std::filesystem::path oldPath(doc.FileName);
    SaveChoiceRequest request;
    request.Folder = oldPath.parent_path().string();
    request.FileName = oldPath.filename().string();
    request.NTest = doc.NTest;
    request.ActiveTest = param.Test;
    request.Param = &param;
    if (!m_ui.AskSaveChoice(request)) {
        return false;
    }
    const std::string newPath = BesideFile(doc.FileName, BareFileName(param.FileName));
    if (newPath != doc.FileName) {
        // The oscillograms follow the file; a failure here is not reported.
        std::error_code ignored;
        const auto oldSco = SetExt(oldPath, ".sco");
        if (std::filesystem::exists(oldSco, ignored)) {
            std::filesystem::copy_file(oldSco, SetExt(newPath, ".sco"),
                                       std::filesystem::copy_options::overwrite_existing, ignored);
        }
    }
    backup = request.Backup;
    if (!SameTextNoCase(newPath, doc.FileName)) {
        const std::string oldTxt = SetExt(oldPath, ".TXT").string();
        const std::string newTxt = SetExt(newPath, ".TXT").string();
        std::error_code error;
        if (std::filesystem::exists(oldTxt, error)) {
            std::filesystem::copy_file(oldTxt, newTxt,
                                       std::filesystem::copy_options::overwrite_existing, error);
            if (error) {
                Mesbo().Show(Msg(54) + " \"" + newTxt + "\"", MbError, kProductName);
            }
        }
        m_info.Txt->FileName = newTxt;
        doc.FileName = newPath;
    }
    return true;
}

bool TTestFile::ConfirmWritable(const std::string &path)
{
    if (!IsReadOnlyFile(path)) {
        return true;
    }
    const std::string text =
        "Файл \"" + BareFileName(path) + "\" имеет атрибут \"Только для чтения\". " + Msg(25);
    if (Mesbo().Show(text, MbQuestion, kProductName) != MbYes) {
        return false;
    }
    if (!MakeWritable(path)) {
        throw WriteFailure();
    }
    return true;
}

void TTestFile::BuildImage(SSaveParam *param)
{
    SQor &doc = *m_info.Doc;

    WriteGeneralSection();
    const std::string general = IniBlockText();
    std::vector<std::string> tests;
    tests.reserve(static_cast<std::size_t>(doc.NTest));
    const STest empty;
    for (int i = 0; i < doc.NTest; ++i) {
        m_ini.Clear();
        if (param != nullptr)
            param->TestIndex = i;
        const STest *test = doc.Tests[static_cast<std::size_t>(i)].get();
        // Without save parameters the sections write their reference data only.
        WriteTestSections(m_ini, test != nullptr ? *test : empty, i, param);
        tests.push_back(IniBlockText());
    }
    m_ini.Clear();

    ContainerParts parts;
    parts.tyres = &doc.Tyres;
    parts.generalText = general;
    parts.testTexts = tests;
    parts.access.Flags = m_flags;
    parts.access.ReadCheck = m_readCheck;
    parts.access.WriteCheck = m_writeCheck;
    parts.readPassword = m_readPassword;
    BuildContainer(parts, m_crypto, NowDayCount(), m_image);
}

std::string TTestFile::IniBlockText() const
{
    return Utf8ToCp1251(m_ini.ToText());
}

bool TTestFile::IsFileOfKind(int kind, const std::string &path)
{
    if (kind == KindTestFile || kind == KindContactFile) {
        const std::string_view magic = kind == KindTestFile ? kTestFileMagic : kContactFileMagic;
        // Never waits on a pipe: only a regular file can be of a kind.
        auto file = InputFile::Open(path, std::numeric_limits<std::uint64_t>::max());
        if (!file || file->Size() <= magic.size()) {
            return false;
        }
        std::string head(magic.size(), '\0');
        return ::pread(file->Fd(), head.data(), head.size(), 0) ==
                   static_cast<ssize_t>(head.size()) &&
               head == magic;
    }
    return IsCommentFileText(path);
}

double TTestFile::FileDateOf(const std::string &path)
{
    struct stat info
    {
    };
    std::tm local{};
    if (::stat(path.c_str(), &info) == 0 && ::localtime_r(&info.st_mtime, &local) != nullptr) {
        DateTimeParts parts;
        parts.year = local.tm_year + 1900;
        parts.month = local.tm_mon + 1;
        parts.day = local.tm_mday;
        parts.hour = local.tm_hour;
        parts.minute = local.tm_min;
        parts.second = std::min(local.tm_sec, 59);
        return ToDayCount(parts);
    }
    Mesbo().Show("Файл " + path + " - не удалось определить дату/время файла", MbError,
                 kProductName);
    return NowDayCount();
}

} // namespace qv
