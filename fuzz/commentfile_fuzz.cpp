// The comment file (.TXT beside the test file) in either form, read as the
// program reads it; what it yields is written back as text and must read
// the same again.

#include "fuzzsupport.h"
#include "model/file/commentfile.h"
#include "model/file/testfile.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace qv;
    static fuzz::QuietMesbo mesbo;
    mesbo.Reset();
    fuzz::WriteScratch(fuzz::ScratchFile("NOTE.TXT"), fuzz::AsText(data, size));
    ScriptedFileUi ui;
    TTestFile file(ui);
    SQor doc;
    SCnt cnt;
    STxt txt;
    doc.FileName = fuzz::ScratchFile("NOTE.QOR").string();
    file.Attach({&doc, &cnt, &txt});
    if (!file.ReadComments())
        return 0;
    const std::string text = CommentFileText(txt.Comments);
    if (text.empty())
        return 0;
    if (ParseCommentLines(SplitLines(text)).size() != txt.Comments.size())
        std::abort();
    return 0;
}
