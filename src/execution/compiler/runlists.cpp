#include "execution/compiler/runlists.h"

#include "infra/helpers.h"
#include "model/test/sqor.h"
#include "model/test/stest.h"

#include <algorithm>

namespace qv {

namespace {

void AddSorted(std::string &list, int id)
{
    if (id < 0 || id > 255)
        return;
    const char c = static_cast<char>(id);
    const auto less = [](char a, char b) {
        return static_cast<unsigned char>(a) < static_cast<unsigned char>(b);
    };
    const auto at = std::lower_bound(list.begin(), list.end(), c, less);
    if (at == list.end() || *at != c)
        list.insert(at, c);
}

} // namespace

bool TestRunLists::Has(const std::string &list, int id)
{
    return list.find(static_cast<char>(id)) != std::string::npos;
}

int ColumnItem(const STest &test, int column)
{
    return test.Tacts.ItemAt(column);
}

TestRunLists BuildTestRunLists(const STest &test, int testIndex, bool debug)
{
    TestRunLists lists;
    lists.test = testIndex;
    const std::string &d1 = test.Tacts.D1;
    // The first column never runs an item (the image gives it 0, 0).
    for (int i = 1; i < static_cast<int>(d1.size()); ++i) {
        const int item = ColumnItem(test, i);
        switch (d1[static_cast<std::size_t>(i)]) {
        case 'i':
            AddSorted(lists.iWords, item);
            break;
        case 'o':
        case 'O':
            AddSorted(lists.oWords, item);
            break;
        case 'G':
            AddSorted(lists.gCycles, item);
            break;
        case 'F':
            if (!debug)
                AddSorted(lists.fFuncs, item);
            break;
        case 'M':
            if (!debug)
                AddSorted(lists.mFuncs, item);
            break;
        case 'P':
            if (!debug)
                AddSorted(lists.pFuncs, item);
            break;
        case 'S':
            AddSorted(lists.sFuncs, item);
            break;
        default:
            break;
        }
    }
    const std::vector<int> marks = CheckMarks(test);
    for (std::size_t id = 0; id < marks.size(); ++id) {
        if (marks[id] == 2)
            AddSorted(lists.nList, static_cast<int>(id));
    }
    return lists;
}

std::vector<int> BuildRunList(const SQor &doc, int current, std::vector<int> *called)
{
    std::vector<int> run;
    if (called)
        called->clear();
    if (current < 0) {
        for (int t = 0; t < doc.NTest; ++t)
            run.push_back(t);
        return run;
    }
    const STest *test =
        current < doc.NTest ? doc.Tests[static_cast<std::size_t>(current)].get() : nullptr;
    if (!test)
        return run;
    run.push_back(current);
    for (int i = 0; i < test->Tacts.TactCount(); ++i) {
        if (test->Tacts.D1[static_cast<std::size_t>(i)] != 'T')
            continue;
        const int target = ColumnItem(*test, i) - 1;
        if (target < 0 || target >= doc.NTest || !doc.Tests[static_cast<std::size_t>(target)] ||
            std::find(run.begin(), run.end(), target) != run.end())
            continue;
        run.push_back(target);
        if (called)
            called->push_back(target);
    }
    return run;
}

std::vector<int> CheckMarks(const STest &test)
{
    std::vector<int> marks(256, 0);
    const std::string &d1 = test.Tacts.D1;
    for (int i = 0; i < static_cast<int>(d1.size()); ++i) {
        if (d1[static_cast<std::size_t>(i)] != 'G')
            continue;
        const SWord *word = test.GWords.Find(ColumnItem(test, i));
        if (!word || GKindOf(*word) != GKind::ConditionalCycle)
            continue;
        const auto target = test.GWords.ValueAt(word->Id, 0, ValueSet::Reference);
        if (!target || *target < 0 || *target > 255)
            continue;
        for (std::size_t j = static_cast<std::size_t>(i) + 1; j < d1.size(); ++j) {
            if (d1[j] == 'E' || d1[j] == 'N') {
                marks[static_cast<std::size_t>(*target)] = d1[j] == 'E' ? 1 : 2;
                break;
            }
        }
    }
    return marks;
}

} // namespace qv
