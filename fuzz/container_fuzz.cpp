// The test file as the program opens it: any bytes (with their digest made
// right) in a .QOR file, read password "fuzz" when the file asks for one.
// A file that loads is saved again and must load again.

#include "fuzzsupport.h"
#include "model/test/sqor.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace qv::fuzz;
    static QuietMesbo mesbo;
    mesbo.Reset();
    const auto path = ScratchFile("INPUT.QOR");
    WriteScratch(path, WithTrailingDigest(AsText(data, size)));
    FuzzDocument first;
    if (!first.Load(path))
        return 0;
    const auto saved = ScratchFile("SAVED.QOR");
    first.doc.Doc.FileName = saved.string();
    if (!first.doc.SaveFile())
        return 0;
    FuzzDocument second;
    if (!second.Load(saved) || second.doc.Doc.NTest != first.doc.Doc.NTest)
        std::abort(); // a file the program wrote itself must open again
    return 0;
}
