#include "fuzzsupport.h"

#include "bytedump.h"
#include "dumpformat.h"
#include "model/file/container.h"
#include "model/io/errors.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace qv::fuzz {

std::string_view AsText(const std::uint8_t *data, std::size_t size)
{
    return {reinterpret_cast<const char *>(data), size};
}

void FeedInChunks(std::span<const std::uint8_t> bytes, std::size_t chunk,
                  const std::function<void(std::span<const std::uint8_t>)> &feed)
{
    if (chunk == 0)
        chunk = bytes.size();
    for (std::size_t at = 0; at < bytes.size(); at += chunk)
        feed(bytes.subspan(at, std::min(chunk, bytes.size() - at)));
}

namespace {

// Memory-backed when the machine has it: saves flush their files, and a
// flush to a disk would make the savers the slowest targets by far.
std::filesystem::path ScratchRoot()
{
    std::error_code error;
    if (std::filesystem::is_directory("/dev/shm", error))
        return "/dev/shm";
    return std::filesystem::temp_directory_path();
}

struct ScratchFolder
{
    ScratchFolder()
        : path(ScratchRoot() / ("quorvik-fuzz-" + std::to_string(::getpid())))
    {
        std::filesystem::create_directories(path);
    }
    ~ScratchFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    std::filesystem::path path;
};

} // namespace

std::filesystem::path ScratchFile(const std::string &name)
{
    static const ScratchFolder folder;
    return folder.path / name;
}

void WriteScratch(const std::filesystem::path &path, std::string_view bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        std::abort(); // the scratch folder itself failed: no result would mean anything
}

std::string WithTrailingDigest(std::string_view bytes)
{
    std::string fixed(bytes);
    if (fixed.size() < kDigestSize)
        return fixed;
    const std::size_t body = fixed.size() - kDigestSize;
    CryptoProvider crypto;
    Bytes32 digest{};
    if (!DigestOfBytes(std::string_view(fixed).substr(0, body), crypto, digest))
        std::abort();
    fixed.replace(body, kDigestSize, reinterpret_cast<const char *>(digest.data()), kDigestSize);
    return fixed;
}

QuietMesbo::QuietMesbo()
{
    auto mesbo = std::make_unique<ScriptedMesbo>();
    mesbo->SetFallbackAnswer(MbNo);
    m_mesbo = mesbo.get();
    m_previous = InstallMesbo(std::move(mesbo));
}

QuietMesbo::~QuietMesbo()
{
    InstallMesbo(std::move(m_previous));
}

void QuietMesbo::Reset()
{
    m_mesbo->Clear();
    m_mesbo->SetFallbackAnswer(MbNo);
}

FuzzDocument::FuzzDocument()
{
    ui.QueuePassword(std::string(kFuzzPassword), PasswordRequest::ModeRead);
    ui.QueuePassword(std::string(kFuzzPassword), PasswordRequest::ModeWrite);
}

bool FuzzDocument::Load(const std::filesystem::path &path)
{
    return doc.LoadFile(path.string());
}

std::optional<std::string> PackDump(std::string_view dumpText)
{
    try {
        const qortool::QorDump dump = qortool::ParseQorDump(dumpText);
        CryptoProvider crypto;
        ContainerParts parts;
        parts.access.Flags = static_cast<std::uint8_t>(dump.flags);
        std::string readPassword;
        std::string unused;
        if ((dump.flags & kFlagReadPassword) != 0 &&
            !PasswordCheck(crypto, kFuzzPassword, readPassword, parts.access.ReadCheck))
            return std::nullopt;
        if ((dump.flags & kFlagWritePassword) != 0 &&
            !PasswordCheck(crypto, kFuzzPassword, unused, parts.access.WriteCheck))
            return std::nullopt;
        parts.readPassword = readPassword;
        TTyreAdr tyres;
        for (const auto &bus : dump.buses) {
            if (!tyres.Add(bus))
                return std::nullopt;
        }
        parts.tyres = &tyres;
        const std::string general = qortool::BlockText(dump.generalLines);
        std::vector<std::string> tests;
        for (const auto &lines : dump.testLines)
            tests.push_back(qortool::BlockText(lines));
        parts.generalText = general;
        parts.testTexts = tests;
        return BuildContainer(parts, crypto, 46000.0);
    } catch (const qortool::DumpError &) {
        return std::nullopt;
    } catch (const BlockTooLong &) {
        return std::nullopt;
    } catch (const std::length_error &) {
        return std::nullopt;
    }
}

namespace {

std::string SourceText(const std::filesystem::path &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    if (!in)
        std::abort();
    return text.str();
}

} // namespace

void LoadDemoBoard(FuzzDocument &document)
{
    const std::filesystem::path demo = QV_DEMO_SOURCE_DIR;
    for (const auto &entry : std::filesystem::directory_iterator(demo)) {
        if (entry.path().extension() == ".qordat")
            WriteScratch(ScratchFile(entry.path().stem().string() + ".dat"),
                         qortool::ParseDatDump(SourceText(entry.path())));
    }
    const qortool::CntDump contacts = qortool::ParseCntDump(SourceText(demo / "DEMO.qorcnt"));
    ContactFileContent content;
    content.created = contacts.created.value_or(0);
    content.modified = contacts.modified.value_or(0);
    content.records = contacts.records;
    CryptoProvider crypto;
    WriteScratch(ScratchFile("DEMO.CNT"), BuildContactFile(content, crypto));
    const auto packed = PackDump(SourceText(demo / "DEMO.qordump"));
    if (!packed)
        std::abort();
    const auto path = ScratchFile("DEMO.QOR");
    WriteScratch(path, *packed);
    if (!document.Load(path) || document.doc.Doc.NTest < 1) {
        for (const auto &line : document.ui.LogLines())
            std::fprintf(stderr, "%s\n", line.c_str());
        std::abort();
    }
}

} // namespace qv::fuzz
