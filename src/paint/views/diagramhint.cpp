#include "paint/views/diagramhint.h"

#include "infra/messages.h"
#include "model/content/tablecontent.h"
#include "model/document/quorvik.h"
#include "model/words/wordvalues.h"

namespace qv {
namespace {

constexpr std::string_view kLineEnd = "\r\n";

class HintBuilder
{
public:
    explicit HintBuilder(const TQuorvik &document)
        : m_document(document)
    {}

    void Line(std::string_view text)
    {
        m_text += text;
        m_text += kLineEnd;
    }

    // "i3=Name" and the rest of the first line.
    void Title(char kind, const SWord &word, std::string_view tail = {})
    {
        std::string line(1, kind);
        line += std::to_string(word.Id);
        line += '=';
        line += word.Name;
        line += tail;
        Line(line);
    }

    void BusAndCode(const SWord &word)
    {
        Line("b=" + std::to_string(word.Tyre + 1));
        Line("k=" + std::to_string(word.Code));
    }

    // One value a line from a "/"-joined text, in the file's number base.
    void Values(std::string_view heading, std::string_view text)
    {
        Line(heading);
        for (const std::string_view value : SplitValues(text))
            Line(ValueText(value));
    }

    std::string ValueText(std::string_view value) const
    {
        const auto number = ParseValue(value);
        return number ? m_document.NumberText(*number) : std::string(kNoData);
    }

    std::string ContactLine(const SWord &word) const
    {
        std::string line("контакт:");
        if (word.Code >= 0 && word.Code < kMaxContacts)
            line += m_document.Cnt().Names[static_cast<std::size_t>(word.Code)];
        return line;
    }

    std::string Take() { return std::move(m_text); }

private:
    const TQuorvik &m_document;
    std::string m_text;
};

bool HasResults(const TQuorvik &document)
{
    return document.CurrentTest() >= 0 && document.CurrentTest() < kMaxTests &&
           document.TestRunFlags()[static_cast<std::size_t>(document.CurrentTest())] != 0;
}

std::string InputHint(const TQuorvik &document, HintBuilder &hint, const SWord &word)
{
    hint.Title('i', word);
    hint.BusAndCode(word);
    hint.Values("Данные по циклам:", document.DebugMode() ? word.Run : word.Data);
    return hint.Take();
}

std::string OutputHint(const TQuorvik &document, HintBuilder &hint, const SWord &word)
{
    hint.Title('O', word);
    hint.BusAndCode(word);
    if (!HasResults(document)) {
        hint.Values(" Эталон по циклам:", word.Data);
        return hint.Take();
    }
    hint.Line(" Данные по циклам (эталон):");
    const auto references = SplitValues(word.Data);
    for (std::size_t cycle = 0; cycle < references.size(); ++cycle) {
        const auto data = ValueTextAt(word.Run, static_cast<int>(cycle));
        hint.Line(hint.ValueText(data.value_or(std::string_view(&kNoValue, 1))) + " (" +
                  hint.ValueText(references[cycle]) + ")");
    }
    return hint.Take();
}

std::string GeneratorHint(const TQuorvik &document, HintBuilder &hint, char kind, const SWord &word)
{
    const GKind gkind = GKindOf(word);
    if (kind == 'g') {
        switch (gkind) {
        case GKind::Pulse:
            hint.Title('g', word, " (генератор импульсов)");
            hint.Line(hint.ContactLine(word));
            break;
        case GKind::Frequency:
            hint.Title('g', word, " (задание частоты)");
            hint.Line(hint.ContactLine(word));
            break;
        case GKind::Delay:
            hint.Title('g', word,
                       std::string(" (временная задержка (") + (word.Code == -1 ? "мс" : "мкс") +
                           ")");
            break;
        default:
            hint.Title('g', word);
            break;
        }
    } else {
        hint.Title('G', word,
                   gkind == GKind::CountedCycle       ? " (счётный чикл)"
                   : gkind == GKind::ConditionalCycle ? " (выход по условию)"
                                                      : "");
    }
    hint.Values("Данные по циклам:", document.DebugMode() ? word.Run : word.Data);
    return hint.Take();
}

} // namespace

std::string DiagramHint(const TQuorvik &document, char kind, int number)
{
    const STest *test =
        document.CurrentTest() == -1 ? nullptr : document.Test(document.CurrentTest());
    if (!test)
        return {};
    HintBuilder hint(document);
    switch (kind) {
    case 'i':
        if (const SWord *word = test->IWords.Find(number))
            return InputHint(document, hint, *word);
        return Msg(43);
    case 'o':
    case 'O':
        if (const SWord *word = test->OWords.Find(number))
            return OutputHint(document, hint, *word);
        return Msg(44);
    case 'g':
    case 'G':
        if (const SWord *word = test->GWords.Find(number))
            return GeneratorHint(document, hint, kind, *word);
        return Msg(kind == 'g' ? 45 : 46);
    default:
        return {};
    }
}

} // namespace qv
