// The compiler on any test that loads: the input is a QORDUMP text, packed
// and opened as the program opens a file, then every test and all tests
// together are compiled for both kinds of unit, with the demo board's data
// files beside it.

#include "execution/compiler/dosdata.h"
#include "fuzzsupport.h"

#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace qv;
    static fuzz::QuietMesbo mesbo;
    static const auto demo = [] {
        auto document = std::make_unique<fuzz::FuzzDocument>();
        fuzz::LoadDemoBoard(*document);
        return document;
    }();
    mesbo.Reset();
    const auto packed = fuzz::PackDump(fuzz::AsText(data, size));
    if (!packed)
        return 0;
    const auto path = fuzz::ScratchFile("INPUT.QOR");
    fuzz::WriteScratch(path, *packed);
    fuzz::FuzzDocument document;
    if (!document.Load(path))
        return 0;
    TQuorvik &doc = document.doc;
    std::vector<std::uint8_t> buffer(kProgramBufferSize);
    for (const bool dosUnit : {true, false}) {
        for (int test = -1; test < doc.Doc.NTest; ++test) {
            doc.CurrentTest = test;
            RunOptions options;
            options.dosUnit = dosUnit;
            Dosdata dos(doc, options, path.parent_path());
            std::size_t position = 0;
            dos.Compile(buffer, position);
        }
    }
    return 0;
}
