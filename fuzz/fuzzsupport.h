#pragma once
// What the fuzz targets share: a scratch folder of the process for inputs
// that the code under test reads from disk, quiet dialogs that answer "No"
// and the fixing of trailing checks, so that mutated inputs reach the
// parsers behind a digest or a checksum instead of stopping at it.

#include "infra/mesbo.h"
#include "model/document/documentobserver.h"
#include "model/document/quorvik.h"
#include "model/file/scriptedfileui.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace qv::fuzz {

// The input as bytes.
std::string_view AsText(const std::uint8_t *data, std::size_t size);

// Bytes as received in reads of `chunk` bytes (all at once for 0).
void FeedInChunks(std::span<const std::uint8_t> bytes, std::size_t chunk,
                  const std::function<void(std::span<const std::uint8_t>)> &feed);

// A folder of this process under the temporary folder, made once and
// removed at exit; `name` inside it.
std::filesystem::path ScratchFile(const std::string &name);

// Replaces the file whole with `bytes`.
void WriteScratch(const std::filesystem::path &path, std::string_view bytes);

// Replaces the last 32 bytes by the SHA-256 of all before them (the test
// and contact files end so); shorter inputs stay as they are.
std::string WithTrailingDigest(std::string_view bytes);

// Message boxes answered "No" without showing anything; what they recorded
// is dropped at each Reset (one input's worth).
class QuietMesbo
{
public:
    QuietMesbo();
    ~QuietMesbo();
    void Reset();

private:
    ScriptedMesbo *m_mesbo = nullptr;
    std::unique_ptr<TMesbo> m_previous;
};

// A document opened as the program opens it, the read password "fuzz"
// given when a file asks for one.
struct FuzzDocument
{
    FuzzDocument();
    bool Load(const std::filesystem::path &path);

    ScriptedFileUi ui;
    NullDocumentObserver observer;
    TQuorvik doc{observer, ui};
};

// The test file packed from a QORDUMP text (nullopt for a text that does
// not pack), with the password "fuzz" for the flags that ask for one.
std::optional<std::string> PackDump(std::string_view dumpText);

inline constexpr std::string_view kFuzzPassword = "fuzz";

// Puts the demo board (its test file and the data files of its functions)
// into the scratch folder once and loads it into `document`; aborts when it
// does not load, since every input would then prove nothing.
void LoadDemoBoard(FuzzDocument &document);

} // namespace qv::fuzz
