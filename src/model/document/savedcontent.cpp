#include "model/document/savedcontent.h"

#include "model/core/records.h"
#include "model/document/quorvik.h"
#include "model/file/savedreferences.h"
#include "model/ini/inistore.h"
#include "model/test/sqor.h"
#include "model/test/stest.h"
#include "model/test/testsections.h"

namespace qv {
namespace {

bool ListDiffers(const TWord &list, const SSaveParam &param)
{
    const std::vector<std::string> saved = SavedWordData(list, &param);
    for (int position = 0; position < list.Count(); ++position) {
        if (saved[static_cast<std::size_t>(position)] != list.At(position)->Data) {
            return true;
        }
    }
    return false;
}

} // namespace

std::string SavedContent(const SQor &doc)
{
    std::string content;
    const STest empty;
    for (int i = 0; i < doc.NTest && i < kMaxTests; ++i) {
        IniStore ini;
        const STest *test = doc.Tests[static_cast<std::size_t>(i)].get();
        WriteTestSections(ini, test != nullptr ? *test : empty, i, nullptr);
        content += ini.ToText();
        content += '\0';
    }
    return content;
}

bool DebugValuesPending(const SQor &doc, int currentTest, int activeCycle)
{
    if (currentTest < 0 || currentTest >= doc.NTest || currentTest >= kMaxTests) {
        return false;
    }
    const STest *test = doc.Tests[static_cast<std::size_t>(currentTest)].get();
    if (test == nullptr) {
        return false;
    }
    SSaveParam param;
    param.DebugMode = true;
    param.Kinds = SSaveParam::KindDebugData;
    param.Test = currentTest;
    param.TestIndex = currentTest;
    param.WordKind = 'i';
    for (const int cycle : {-1, activeCycle}) {
        param.Cycle = cycle;
        if (ListDiffers(test->IWords, param) || ListDiffers(test->GWords, param)) {
            return true;
        }
    }
    return false;
}

void SavedContentMark::Take(const TQuorvik &doc)
{
    m_content = SavedContent(doc.Doc());
}

bool SavedContentMark::Changed(const TQuorvik &doc) const
{
    if (doc.Doc().FileName.empty()) {
        return false;
    }
    return SavedContent(doc.Doc()) != m_content ||
           (doc.DebugMode() &&
            DebugValuesPending(doc.Doc(), doc.CurrentTest(), doc.GetActiveCycle()));
}

} // namespace qv
