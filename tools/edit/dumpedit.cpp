#include "dumpedit.h"

#include "dumpfile.h"
#include "infra/helpers.h"
#include "infra/messages.h"
#include "infra/safefile.h"
#include "model/io/errors.h"
#include "model/io/filestore.h"
#include "session.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <fstream>

namespace qvedit {
namespace {

bool WriteText(const std::string &path, const std::string &text)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    return static_cast<bool>(out.flush());
}

// The file read into its dump, with the passwords typed for it.
struct OpenedFile
{
    qortool::FileDump file;
    std::optional<std::string> readPassword;
    std::optional<std::string> writePassword;
};

std::optional<OpenedFile> Open(const std::string &path, const EditHooks &hooks,
                               std::vector<std::string> &why)
{
    OpenedFile opened;
    try {
        opened.file = qortool::DumpOfFile(path, [&](const qv::Trailer &trailer) {
            opened.readPassword = hooks.password("Пароль на чтение файла:");
            auto padded = opened.readPassword
                              ? qortool::MatchingPassword(*opened.readPassword, trailer.ReadCheck)
                              : std::nullopt;
            if (opened.readPassword && !padded)
                why.push_back(qv::Msg(30));
            return padded;
        });
    } catch (const std::exception &) {
        const auto line = qv::FailureLogLine(std::current_exception());
        if (!line)
            throw;
        if (!line->empty())
            why.push_back(*line);
        else if (why.empty())
            why.push_back("Файл защищён паролем на чтение: изменение отменено");
        return std::nullopt;
    }
    if ((opened.file.access.Flags & qv::kFlagWritePassword) != 0) {
        opened.writePassword = hooks.password("Пароль на запись файла:");
        if (!opened.writePassword ||
            !qortool::MatchingPassword(*opened.writePassword, opened.file.access.WriteCheck)) {
            why.push_back(opened.writePassword ? qv::Msg(30)
                                               : "Файл защищён паролем на запись: изменение "
                                                 "отменено");
            return std::nullopt;
        }
    }
    return opened;
}

// The edited text as the file's bytes; empty with the reasons in `why`.
// testsInText: the tests the text holds.
std::optional<std::string> Pack(const std::string &text, const OpenedFile &opened,
                                std::vector<std::string> &why, int &testsInText)
{
    try {
        qortool::QorDump dump = qortool::ParseQorDump(text);
        testsInText = static_cast<int>(dump.testLines.size());
        // The passwords the file was opened with stay unless the text
        // names others.
        if ((dump.flags & qv::kFlagReadPassword) != 0 && !dump.readPassword)
            dump.readPassword = opened.readPassword;
        if ((dump.flags & qv::kFlagWritePassword) != 0 && !dump.writePassword)
            dump.writePassword = opened.writePassword;
        std::string problem;
        auto bytes = qortool::ContainerOfDump(dump, &problem);
        if (!bytes)
            why.push_back(problem);
        return bytes;
    } catch (const qortool::DumpError &e) {
        why.push_back(e.what());
    } catch (const std::exception &) {
        const auto line = qv::FailureLogLine(std::current_exception());
        if (!line)
            throw;
        why.push_back(*line);
    }
    return std::nullopt;
}

// Loads the packed bytes the way the operator program loads the file: under
// the file's name in a folder of its own that shows the file's neighbours
// (contact, comment, oscillogram and data files) through links.
bool LoadsCleanly(const std::string &bytes, const std::string &path, const OpenedFile &opened,
                  std::vector<std::string> &lines, int &testCount)
{
    QTemporaryDir folder;
    if (!folder.isValid()) {
        lines.emplace_back("Не удалось создать временную папку для проверки файла");
        return false;
    }
    const QFileInfo original(QString::fromStdString(path));
    const QDir place(folder.path());
    for (const QFileInfo &neighbour :
         original.absoluteDir().entryInfoList(QDir::Files | QDir::NoDotAndDotDot)) {
        if (neighbour.fileName() != original.fileName())
            QFile::link(neighbour.absoluteFilePath(), place.filePath(neighbour.fileName()));
    }
    const std::string copy = place.filePath(original.fileName()).toStdString();
    if (!WriteText(copy, bytes)) {
        lines.emplace_back("Не удалось записать временный файл для проверки");
        return false;
    }
    qortool::ParsedArgs args;
    if (opened.readPassword)
        args.values["--password"] = *opened.readPassword;
    qortool::Session session(args);
    const bool loaded = session.Document().LoadFile(copy);
    lines = session.ShownLines();
    testCount = session.Document().Doc().NTest;
    return loaded;
}

} // namespace

EditResult EditThroughDump(const std::string &path, const EditHooks &hooks)
{
    EditResult result;
    const auto opened = Open(path, hooks, result.lines);
    if (!opened) {
        result.outcome = EditOutcome::Refused;
        return result;
    }
    result.testCount = static_cast<int>(opened->file.dump.testLines.size());
    QTemporaryDir folder;
    if (!folder.isValid()) {
        result.lines.emplace_back("Не удалось создать временную папку для текста теста");
        result.outcome = EditOutcome::Refused;
        return result;
    }
    const QString base = QFileInfo(QString::fromStdString(path)).completeBaseName();
    const std::string textPath = QDir(folder.path()).filePath(base + ".txt").toStdString();
    const std::string original = qortool::FormatQorDump(opened->file.dump);
    if (!WriteText(textPath, original)) {
        result.lines.emplace_back("Не удалось записать текст теста во временную папку");
        result.outcome = EditOutcome::Refused;
        return result;
    }
    for (;;) {
        if (!hooks.editText(textPath)) {
            result.outcome = EditOutcome::Dropped;
            return result;
        }
        // The editor may have left anything in the text's place (a folder, a
        // pipe): that ends the edit with its reason, the file untouched.
        std::string problem;
        const auto read = qv::ReadInputFile(textPath, qv::kTextFileLimit, &problem);
        if (!read) {
            result.lines = {"Не удалось прочитать изменённый текст теста: " + problem};
            result.outcome = EditOutcome::Refused;
            return result;
        }
        const std::string &edited = *read;
        if (edited == original) {
            result.outcome = EditOutcome::Unchanged;
            return result;
        }
        std::vector<std::string> lines;
        int testCount = 0;
        int testsInText = 0;
        const auto bytes = Pack(edited, *opened, lines, testsInText);
        const bool loads = bytes && LoadsCleanly(*bytes, path, *opened, lines, testCount);
        if (loads && testCount < testsInText) {
            lines.push_back("Загружается тестов: " + std::to_string(testCount) + " из " +
                            std::to_string(testsInText) + ", записанных в тексте");
        }
        // A text that loads with warnings would lose what they name: only
        // the user may let it replace the file.
        const bool accepted =
            loads && (lines.empty() || (hooks.acceptWarnings && hooks.acceptWarnings(lines)));
        if (accepted) {
            std::string backupError;
            if (hooks.backup && !qv::CreateBakFile(path, &backupError)) {
                result.lines = {backupError};
                result.outcome = EditOutcome::Refused;
                return result;
            }
            try {
                qv::FileStore().Replace(path, *bytes);
            } catch (const std::exception &) {
                const auto line = qv::FailureLogLine(std::current_exception());
                if (!line)
                    throw;
                result.lines = {*line};
                result.outcome = EditOutcome::Refused;
                return result;
            }
            result.outcome = EditOutcome::Saved;
            result.testCount = testCount;
            result.lines = std::move(lines); // the load's warnings, if any
            return result;
        }
        const std::string why = !bytes ? "Изменённый текст не упаковывается в файл тестов"
                                : !loads ? "Изменённый текст не загружается как файл тестов"
                                         : "Изменённый текст загружается с предупреждениями";
        if (!hooks.retry(why, lines)) {
            result.outcome = EditOutcome::Refused;
            result.lines.clear();
            result.lines.push_back(why);
            result.lines.insert(result.lines.end(), lines.begin(), lines.end());
            return result;
        }
    }
}

} // namespace qvedit
