#include "execution/compiler/datafilecheck.h"

#include "infra/safefile.h"
#include "model/functions/funcf.h"
#include "model/functions/prog.h"
#include "model/io/filepaths.h"

#include <algorithm>
#include <cstdio>
#include <limits>

namespace qv {

namespace {

constexpr const char *kCaption = "Файл данных";

std::string Head(const std::string &label, const std::string &fileName)
{
    return "Функция " + label + "\": " + "файл \"" + fileName + "\"";
}

std::string Head(const DataFileJob &job)
{
    return Head(job.label, job.fileName);
}

std::string SizeLines(std::int64_t fileSize, std::int64_t required)
{
    char text[256];
    std::snprintf(text, sizeof text,
                  "Размер файла: %i ( %.2f Кб )\r\nТребуемый размер данных: %i ( %.2f Кб )\r\n",
                  static_cast<int>(fileSize), static_cast<double>(fileSize) / 1024.0,
                  static_cast<int>(required), static_cast<double>(required) / 1024.0);
    return text;
}

} // namespace

std::string FunctionLabel(char letter, int number, const std::string &name)
{
    std::string label(1, letter);
    label.append(std::to_string(number)).append(" \"").append(name);
    return label;
}

std::filesystem::path DataFileInFolder(const std::filesystem::path &dir, const std::string &label,
                                       const std::string &fileName, const NoticeSink &notices)
{
    const auto name = DataFileNameInFolder(fileName);
    if (!name) {
        const std::string text = Head(label, fileName) +
                                 " - недопустимое имя файла данных: файл данных должен лежать в "
                                 "папке файла тестов";
        Tell(notices, {NoticeKind::Error, text, kCaption});
        throw DataFileRefused(text);
    }
    return dir / std::filesystem::u8path(*name);
}

DataFileJob DataFileJob::ForF(const SFuncF &f, int itemSize, bool askOverwrite)
{
    DataFileJob job;
    job.label = FunctionLabel('F', f.Number, f.Name);
    job.fileName = f.FileName;
    job.writes = f.Type == DirWriteFile;
    job.askOverwrite = askOverwrite;
    job.start = f.AdrStart;
    job.end = f.AdrEnd;
    job.inc = f.AdrInc;
    job.itemSize = std::max(itemSize, 1);
    return job;
}

DataFileJob DataFileJob::ForP(const SProg &p, int itemSize)
{
    DataFileJob job;
    job.label = FunctionLabel('P', p.Number, p.Name);
    job.fileName = p.FileName;
    job.start = p.AdrStart;
    job.end = p.AdrEnd;
    job.inc = p.AdrInc;
    job.itemSize = std::max(itemSize, 1);
    return job;
}

std::int64_t DataFileJob::RequiredSize() const
{
    const std::int64_t step = inc > 0 ? inc : 1;
    return ((end - start + step) / step) * itemSize;
}

std::string SizeMismatchText(const DataFileJob &job, std::int64_t fileSize)
{
    const std::int64_t required = job.RequiredSize();
    const bool larger = fileSize > required;
    std::string text =
        Head(job) + " имеет размер данных " + (larger ? "больше" : "меньше") + " требуемого";
    if (larger)
        text += ". Продолжить выполнение теста?";
    return text + "\r\n" + SizeLines(fileSize, required);
}

void CheckDataFile(const DataFileJob &job, const std::filesystem::path &dir,
                   std::vector<std::filesystem::path> &files, const NoticeSink &notices)
{
    const std::filesystem::path path = DataFileInFolder(dir, job.label, job.fileName, notices);
    if (std::find(files.begin(), files.end(), path) != files.end())
        return;
    std::error_code ec;
    const bool exists = std::filesystem::is_regular_file(path, ec);
    if (job.writes) {
        if (exists && job.askOverwrite &&
            Tell(notices, {NoticeKind::Question, Head(job) + " существует. Перезаписать файл?",
                           kCaption}) != NoticeAnswer::Yes)
            throw DataFileRefused("перезапись файла данных отклонена");
        // A file the run is yet to write has nothing to send; sending it
        // would fail every first run of the test.
        if (exists)
            files.push_back(path);
        return;
    }
    // Opened without waiting: a pipe or a device is refused with its kind.
    const auto file = InputFile::Open(path, std::numeric_limits<std::uint64_t>::max());
    if (!file) {
        const std::string kind = NonRegularKind(path);
        const std::string text = kind.empty()
                                     ? "Не удалось открыть файл данных \"" + job.fileName + "\""
                                     : NotRegularFileText(job.fileName, kind);
        Tell(notices, {NoticeKind::Error, text, kCaption});
        throw DataFileRefused(text);
    }
    const auto size = static_cast<std::int64_t>(file->Size());
    const std::int64_t required = job.RequiredSize();
    if (size > required) {
        if (Tell(notices, {NoticeKind::Question, SizeMismatchText(job, size), kCaption}) !=
            NoticeAnswer::Yes)
            throw DataFileRefused("файл данных больше требуемого");
    } else if (size < required) {
        Tell(notices, {NoticeKind::Information, SizeMismatchText(job, size), kCaption});
    }
    files.push_back(path);
}

} // namespace qv
