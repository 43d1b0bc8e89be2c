// The companion files of a test file: the contact file it cannot be opened
// without, and the comment file read after every load.

#include "infra/encoding.h"
#include "infra/helpers.h"
#include "infra/mesbo.h"
#include "infra/messages.h"
#include "infra/safefile.h"
#include "infra/version.h"
#include "model/file/commentfile.h"
#include "model/file/contactfile.h"
#include "model/file/testfile.h"
#include "model/io/errors.h"
#include "model/io/filepaths.h"
#include "model/io/filestore.h"

#include <filesystem>

namespace qv {
namespace {

// Far more than the comments of 21 slots an operator types; a larger file
// is not read (every load would otherwise pay for it in time and memory).
constexpr std::uint64_t kCommentFileLimit = kMiB;

std::optional<std::string> ReadWholeFile(const std::string &path)
{
    try {
        const auto source = FileSource::OpenLocked(path);
        if (source->Size() > kCommentFileLimit) {
            return std::nullopt;
        }
        return source->ReadBytes(static_cast<std::size_t>(source->Size()));
    } catch (const OpenFailure &) {
        return std::nullopt;
    } catch (const ReadFailure &) {
        return std::nullopt;
    }
}

} // namespace

bool IsCommentFileText(const std::string &path)
{
    std::error_code error;
    if (!std::filesystem::exists(path, error)) {
        return true;
    }
    const auto bytes = ReadWholeFile(path);
    return bytes && HasCommentMarkers(Cp1251ToUtf8(*bytes));
}

ContactFileContent TTestFile::ReadContactContent(const std::string &path)
{
    // The log names the contact file: the operator opened a test file and
    // must learn which of its companions failed.
    std::string name(1, '"');
    name.append(BareFileName(path)).push_back('"');
    try {
        const auto source = m_files->OpenLocked(path);
        return ReadContactFile(*source, m_crypto, m_digestBuffer);
    } catch (const OpenFailure &e) {
        AddLogLine(e.Reason().empty()
                       ? "Файл контактов " + name + " отсутствует или к нему нет доступа"
                       : "Файл контактов " + name + ": " + e.Reason(),
                   kLogError);
    } catch (const ReadFailure &) {
        AddLogLine("Не удалось прочитать данные из файла контактов " + name + ". " + Msg(17),
                   kLogError);
    } catch (const CodeError &e) {
        if (e.Code() == CodeError::BadMagic) {
            AddLogLine("Файл " + name + " не является файлом контактов", kLogError);
        } else if (e.Code() == CodeError::DigestMismatch) {
            AddLogLine("Файл контактов " + name + " поврежден (не совпадает контрольная сумма)",
                       kLogError);
        } else {
            throw;
        }
    }
    throw CodeError(CodeError::AlreadyReported);
}

bool TTestFile::ReadContacts()
{
    SCnt &cnt = *m_info.Cnt;
    const bool ok = Guarded([this, &cnt] {
        const ContactFileContent content = ReadContactContent(cnt.FileName);
        cnt.Names.fill("");
        for (const auto &record : content.records) {
            if (record.number >= 1 && record.number <= kMaxContacts) {
                cnt.Names[record.number - 1u] = Cp1251ToUtf8(record.name);
            }
        }
        cnt.Created = content.created;
        cnt.Modified = content.modified;
        return true;
    });
    FlushLog(LogKind::Load, cnt.FileName);
    return ok;
}

bool TTestFile::ReadComments()
{
    STxt &txt = *m_info.Txt;
    const std::string testFile = m_info.Doc->FileName;
    txt.FileName = FindBesideFile(testFile, SetExt(BareFileName(testFile), ".TXT").string());
    txt.Comments.fill("");
    m_commentMarks.clear();
    std::error_code error;
    if (!std::filesystem::exists(txt.FileName, error)) {
        return true;
    }
    if (const auto size = std::filesystem::file_size(txt.FileName, error);
        !error && size > kCommentFileLimit) {
        // Neither read nor written back: a comment save would replace the
        // file with what little the window holds.
        Mesbo().Show("Файл комментариев \"" + txt.FileName + "\" больше 1 МиБ: комментарии не " +
                         "загружены и не будут записаны",
                     MbWarning, kProductName);
        txt.FileName.clear();
        return true;
    }
    const auto bytes = ReadWholeFile(txt.FileName);
    if (!bytes) {
        Mesbo().Show("Ошибка чтения данных из файла \"" + txt.FileName + "\"", MbError,
                     kProductName);
        return false;
    }
    const std::string text = Cp1251ToUtf8(*bytes);
    if (HasCommentMarkers(text)) {
        txt.Comments = ParseCommentLines(SplitLines(text));
    } else {
        std::vector<std::string> lines = SplitLines(*bytes);
        for (auto &line : lines) {
            line = Cp866ToUtf8(line);
        }
        txt.Comments = ParseEarlierCommentLines(lines);
    }
    m_commentMarks = CommentMarksOf(txt.Comments);
    return true;
}

bool TTestFile::WriteComments()
{
    STxt &txt = *m_info.Txt;
    if (txt.FileName.empty()) {
        return false;
    }
    const bool ok = Guarded([this, &txt] {
        const std::string text = CommentFileText(txt.Comments);
        // With every slot empty nothing is written, and a read-only file is
        // not touched either.
        if (text.empty()) {
            return true;
        }
        if (!ConfirmWritable(txt.FileName)) {
            return false;
        }
        m_files->Replace(txt.FileName, Utf8ToCp1251(text));
        return true;
    });
    FlushLog(LogKind::Save, txt.FileName);
    m_commentMarks = CommentMarksOf(txt.Comments);
    return ok;
}

} // namespace qv
