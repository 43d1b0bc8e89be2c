#include "model/file/savedreferences.h"

#include "infra/plural.h"
#include "model/core/records.h"
#include "model/ini/inistore.h"
#include "model/ini/sectionvalues.h"
#include "model/test/proberule.h"
#include "model/test/sqor.h"
#include "model/test/stest.h"

namespace qv {
namespace {

STest *TestAt(const SQor &doc, int index)
{
    return index >= 0 && index < doc.NTest && index < kMaxTests
               ? doc.Tests[static_cast<std::size_t>(index)].get()
               : nullptr;
}

void AdoptWords(TWord &list, const SSaveParam *param)
{
    const std::vector<std::string> saved = SavedWordData(list, param);
    for (int position = 0; position < list.Count() && position < static_cast<int>(saved.size());
         ++position) {
        const int id = list.At(position)->Id;
        list.SetText(id, saved[static_cast<std::size_t>(position)], ValueSet::Reference);
    }
}

void AdoptProbes(STest &test, const SSaveParam *param)
{
    for (std::size_t c = 0; c < test.Probes.size(); ++c) {
        if (!MeasurementsMayReplace(param, static_cast<int>(c))) {
            continue;
        }
        for (std::size_t i = 1; i < test.Probes[c].size(); ++i) {
            SZond &entry = test.Probes[c][i];
            if (MeasurementReplaces(entry)) {
                entry.Reference = entry.Measured;
            }
        }
    }
}

} // namespace

std::vector<std::string> SavedWordData(const TWord &list, const SSaveParam *param)
{
    // What the list writes is what a save writes: the sections are written
    // into a store of their own and read back.
    IniStore ini;
    list.Write(ini, param);
    std::vector<std::string> data;
    data.reserve(static_cast<std::size_t>(list.Count()));
    for (int position = 0; position < list.Count(); ++position) {
        const std::string section = NumberedName(list.SectionStem(), list.At(position)->Id);
        data.push_back(ini.ReadString(section, "DATA", ""));
    }
    return data;
}

std::vector<ReferenceChange> WrongReferencesReplacedBy(const SQor &doc, SSaveParam &param)
{
    std::vector<ReferenceChange> changes;
    for (int i = 0; i < doc.NTest; ++i) {
        const STest *test = TestAt(doc, i);
        if (test == nullptr) {
            continue;
        }
        param.TestIndex = i;
        const std::vector<std::string> saved = SavedWordData(test->OWords, &param);
        ReferenceChange change{i, {}};
        for (int position = 0; position < test->OWords.Count(); ++position) {
            const SWord &word = *test->OWords.At(position);
            if (test->OWords.Result(word.Id) == 1 &&
                saved[static_cast<std::size_t>(position)] != word.Data) {
                change.words.push_back(word.Id);
            }
        }
        if (!change.words.empty()) {
            changes.push_back(std::move(change));
        }
    }
    return changes;
}

std::string ReferenceChangeQuestion(const std::vector<ReferenceChange> &changes)
{
    std::size_t total = 0;
    std::string list;
    for (const ReferenceChange &change : changes) {
        total += change.words.size();
        list += "\r\nтест " + std::to_string(change.testIndex + 1) + ":";
        for (std::size_t k = 0; k < change.words.size(); ++k) {
            list += (k == 0 ? " o" : ", o") + std::to_string(change.words[k]);
        }
    }
    constexpr NounForms kOutputWords{"выходное слово", "выходных слова", "выходных слов"};
    return "Последний прогон прочитал с ошибкой " +
           Counted(static_cast<std::int64_t>(total), kOutputWords) + ":" + list +
           "\r\nПри записи их эталонные значения будут заменены прочитанными. "
           "Заменить эталонные значения?\r\n(\"Нет\" - записать файл, сохранив эталонные "
           "значения этих слов)";
}

KeptReferences::KeptReferences(SQor &doc, const std::vector<ReferenceChange> &changes)
    : m_doc(doc)
{
    for (const ReferenceChange &change : changes) {
        STest *test = TestAt(doc, change.testIndex);
        if (test == nullptr) {
            continue;
        }
        for (const int id : change.words) {
            SWord *word = test->OWords.Find(id);
            if (word == nullptr) {
                continue;
            }
            m_held.push_back({change.testIndex, id, word->Run});
            // A save writes the values read, and the reference where none
            // was read: with none read, it writes the reference.
            test->OWords.SetText(id, "", ValueSet::Run);
        }
    }
}

KeptReferences::~KeptReferences()
{
    for (const Held &held : m_held) {
        if (STest *test = TestAt(m_doc, held.testIndex)) {
            test->OWords.SetText(held.word, held.run, ValueSet::Run);
        }
    }
}

void AdoptSavedData(SQor &doc, SSaveParam *param)
{
    for (int i = 0; i < doc.NTest; ++i) {
        STest *test = TestAt(doc, i);
        if (test == nullptr) {
            continue;
        }
        if (param != nullptr) {
            param->TestIndex = i;
            param->WordKind = 'i';
        }
        AdoptWords(test->IWords, param);
        AdoptWords(test->GWords, param);
        AdoptWords(test->OWords, param);
        AdoptProbes(*test, param);
    }
}

} // namespace qv
