// The unit's result image decoded against the demo board: the first byte
// chooses the test (or all), the second the run's options and the answer
// code; the rest is the answer as it came from the unit.

#include "execution/compiler/dosdata.h"
#include "fuzzsupport.h"

#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace qv;
    static fuzz::QuietMesbo mesbo;
    static const auto board = [] {
        auto document = std::make_unique<fuzz::FuzzDocument>();
        fuzz::LoadDemoBoard(*document);
        return document;
    }();
    mesbo.Reset();
    if (size < 2)
        return 0;
    TQuorvik &doc = board->doc;
    const int tests = doc.Doc.NTest;
    doc.CurrentTest = data[0] % (tests + 1) - 1;
    RunOptions options;
    options.dosUnit = (data[1] & 1) != 0;
    options.probe = (data[1] & 2) != 0;
    options.continuous = (data[1] & 4) != 0;
    options.resultPerPass = (data[1] & 8) != 0;
    options.stopOnError = (data[1] & 16) != 0;
    const int code = (data[1] & 32) != 0 ? 13 : 12;
    Dosdata dos(doc, options, fuzz::ScratchFile("DEMO.QOR").parent_path());
    std::vector<std::uint8_t> buffer(kProgramBufferSize);
    std::size_t position = 0;
    if (!dos.Compile(buffer, position))
        return 0;
    dos.ProcessDosData(code, std::span<const std::uint8_t>(data + 2, size - 2), false);
    return 0;
}
