// Fetching the data blocks of F- and S-functions after a run.

#include "execution/compiler/dosdata.h"
#include "execution/port/comport.h"
#include "infra/helpers.h"
#include "infra/safefile.h"
#include "model/document/quorvik.h"
#include "model/io/filepaths.h"
#include "model/test/stest.h"
#include "model/test/testfitness.h"

namespace qv {

namespace {

std::string_view AsText(const std::vector<std::uint8_t> &bytes)
{
    return {reinterpret_cast<const char *>(bytes.data()), bytes.size()};
}

// A data file is replaced as the test file is: never left half-written. Its
// name comes from the test file, so a link of that name is replaced, never
// written through to a file outside the test's folder; a pipe or a device
// of that name is refused. Empty text on success.
std::string ReplaceDataFile(const std::filesystem::path &path,
                            const std::vector<std::uint8_t> &bytes)
{
    return ReplaceFileContent(path, AsText(bytes), LinkAtTarget::Replace).problem;
}

// Makes an existing regular file writable by its owner; a link is left
// alone (it is replaced, and its target is none of the run's business).
void ClearReadOnly(const std::filesystem::path &path)
{
    std::error_code ec;
    if (std::filesystem::is_regular_file(std::filesystem::symlink_status(path, ec)))
        std::filesystem::permissions(path, std::filesystem::perms::owner_write,
                                     std::filesystem::perm_options::add, ec);
}

bool IsCompanionName(const TQuorvik &doc, const std::string &name)
{
    for (const std::string &companion :
         CompanionFileNames(doc.Doc().FileName, doc.Cnt().FileName)) {
        if (SameTextNoCase(name, companion))
            return true;
    }
    return false;
}

// Puts a fetched block into its data file (backed up first when asked):
// empty text on success, else why not. A failed backup stops the write: the
// old data would be lost without the copy the operator asked for.
std::string WriteDataFile(const TQuorvik &doc, const std::filesystem::path &path,
                          const std::string &name, bool backup,
                          const std::vector<std::uint8_t> &bytes)
{
    if (IsCompanionName(doc, name))
        return "это имя файла тестов или его сопутствующего файла";
    std::string problem;
    if (backup && !CreateBakFile(path, &problem))
        return problem;
    ClearReadOnly(path);
    return ReplaceDataFile(path, bytes);
}

} // namespace

bool Dosdata::ProcessFuncFS(const std::string &list)
{
    if (m_options.debug || list.empty())
        return true;
    if (!m_port) {
        // No unit here: the run was made on a remote bench, and the blocks
        // its unit recorded stay with it (the bench fetches them itself).
        // What the answer said (the addresses reached) stands; no block of
        // an earlier run may pass for this one's.
        for (std::size_t at = 0; at + 2 < list.size(); at += 3) {
            STest *t = m_doc.Test(static_cast<unsigned char>(list[at + 1]) - 1);
            if (t == nullptr)
                continue;
            TFunc &funcs =
                list[at] == 'F' ? static_cast<TFunc &>(t->FFuncs) : static_cast<TFunc &>(t->SFuncs);
            funcs.SetData(static_cast<unsigned char>(list[at + 2]), {});
        }
        return true;
    }
    NotifyCallback saved = m_port->GetNotify();
    m_port->SetNotify(nullptr);
    m_port->Purge();
    if (m_observer)
        m_observer->Receiving();
    bool ok = true;
    for (std::size_t at = 0; at + 2 < list.size(); at += 3) {
        const char letter = list[at];
        const int test = static_cast<unsigned char>(list[at + 1]) - 1;
        const int number = static_cast<unsigned char>(list[at + 2]);
        if (ok) {
            ok = FetchEntry(letter, test, number);
            continue;
        }
        if (STest *t = m_doc.Test(test)) {
            TFunc &funcs =
                letter == 'F' ? static_cast<TFunc &>(t->FFuncs) : static_cast<TFunc &>(t->SFuncs);
            funcs.SetReached(number, -1);
            funcs.SetData(number, {});
        }
    }
    m_port->SetNotify(std::move(saved));
    return ok;
}

bool Dosdata::FetchEntry(char letter, int testIndex, int number)
{
    STest *test = m_doc.Test(testIndex);
    if (!test)
        return true;
    SFuncF *f = letter == 'F' ? test->FFuncs.ByNumber(number) : nullptr;
    SFuncS *s = letter == 'S' ? test->SFuncs.ByNumber(number) : nullptr;
    if (!f && !s)
        return true;
    TFunc &funcs = f ? static_cast<TFunc &>(test->FFuncs) : static_cast<TFunc &>(test->SFuncs);
    // The unit knows the file by the name the image gave it; a name that
    // leads out of the test file's folder never got that far.
    const auto fileName = DataFileNameInFolder(f ? f->FileName : s->FileName);
    if (!fileName) {
        funcs.SetReached(number, -1);
        funcs.SetData(number, {});
        return true;
    }
    const bool compare = f ? f->Type == DirCompareFile : s->Interface == IfaceI2c;
    const std::string remote = compare ? "FC\\" + *fileName : *fileName;
    std::vector<std::uint8_t> block;
    const int result = m_port->ReceiveFile(block, remote, [&](int, int index) {
        if (index == 0 && m_observer)
            m_observer->StatusText("Получение файла \"" + remote + "\"");
    });
    if (!PortSucceeded(result)) {
        funcs.SetReached(number, -1);
        funcs.SetData(number, {});
        m_failure = m_port->GetError();
        return false;
    }
    // The last block fetched, for the bench's engineer; a failure to keep it
    // does not touch the run.
    ReplaceFileContent(std::filesystem::current_path() / "debug.txt", AsText(block),
                       LinkAtTarget::Replace);
    const bool toFile = f ? RunBlockGoesToFile(*f) : RunBlockGoesToFile(*s);
    if (!toFile) {
        funcs.SetData(number, std::move(block));
        return true;
    }
    const std::filesystem::path path = m_dir / std::filesystem::u8path(*fileName);
    if (const std::string problem =
            WriteDataFile(m_doc, path, *fileName, m_options.backupDataFiles, block);
        !problem.empty()) {
        // The data stay with the function; the run did not do what it
        // should, so it does not end as a success.
        m_failure = "Ошибка записи данных в файл \"" + *fileName + "\" (" + problem + ")";
        Tell(m_notices, {NoticeKind::Error, m_failure, "Ошибка"});
        funcs.SetData(number, std::move(block));
        return false;
    }
    funcs.SetData(number, {});
    return true;
}

} // namespace qv
