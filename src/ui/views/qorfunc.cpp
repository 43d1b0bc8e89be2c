#include "ui/views/qorfunc.h"

#include "infra/helpers.h"
#include "model/displaycolours.h"
#include "model/quorvik.h"
#include "ui/views/diagramhint.h"

namespace qv {

TQorFunc::TQorFunc(const ViewColours &colours, const views::ViewPictures &pictures)
    : m_colours(colours)
    , m_pictures(pictures)
{
    SetFont(QFont());
}

void TQorFunc::SetFont(const QFont &font)
{
    QFont plain = font;
    plain.setBold(false);
    m_plain = views::FontFace(plain);
    QFont bold = font;
    bold.setBold(true);
    m_bold = views::FontFace(bold);
    m_texts.Clear();
}

void TQorFunc::UpdateLevelOffsets(int rowHeight)
{
    m_offsets = views::LevelOffsetsFor(rowHeight);
    m_tiles.clear();
}

QColor TQorFunc::Colour(int index) const
{
    const std::uint32_t bgr = m_colours.Get(index);
    return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                  static_cast<int>((bgr >> 16) & 0xFF));
}

const STest *TQorFunc::CurrentTest() const
{
    if (!m_document || m_document->CurrentTest == -1)
        return nullptr;
    return m_document->Test(m_document->CurrentTest);
}

bool TQorFunc::ProbeSwitchable(const SZond &probe) const
{
    if (m_dosUnit)
        return true;
    if (probe.Mark == kProbeMarkLow || probe.Mark == kProbeMarkHigh)
        return true;
    return probe.Mark == -1 && !probe.Reference.starts_with('x');
}

std::string TQorFunc::HintText(char kind, int number) const
{
    return m_document ? DiagramHint(*m_document, kind, number) : std::string();
}

QColor TQorFunc::ColourOfClosingLetter(char letter) const
{
    switch (letter) {
    case 'E':
        return Colour(ClrWordGE);
    case 'N':
        return Colour(ClrWordGN);
    case 'L':
        return Colour(ClrWordGL);
    default:
        return Qt::red;
    }
}

QColor TQorFunc::KindColour(const SDrawGridInfo &info, char kind, const std::string &number) const
{
    const STest *test = info.preview ? nullptr : CurrentTest();
    const int id = WD_HexToInt(number);
    const auto errorOr = [&](bool error, int colour) {
        return Colour(error ? ClrOutputWrong : colour);
    };
    switch (kind) {
    case 'i':
        return Colour(ClrInputWord);
    case 'o':
    case 'O': {
        if (!info.results || !test)
            return Colour(ClrOutputUnchecked);
        const int result = test->OWords.Result(id);
        return result == 0   ? Colour(ClrOutputCorrect)
               : result == 1 ? Colour(ClrOutputWrong)
                             : QColor(0x80, 0x80, 0x80);
    }
    case 'g':
        return Colour(ClrGenerator);
    case 'G': {
        const SWord *word = test ? test->GWords.Find(id) : nullptr;
        if (!test || (word && word->Code == -10))
            return Colour(ClrWordGL);
        // A cycle with an exit condition takes the colour of its closing tact.
        for (int c = info.col + 1; c < 2 + info.tactCount; ++c) {
            const std::string &letter = info.grid->Cell(c, 0);
            if (letter == "E" || letter == "N" || letter == "L")
                return ColourOfClosingLetter(letter[0]);
        }
        return Qt::red;
    }
    case 'E':
    case 'N':
    case 'L':
        return ColourOfClosingLetter(kind);
    case 'F': {
        if (!test)
            return Colour(ClrFuncFW);
        const SFuncF *function = test->FFuncs.ByNumber(id);
        if (!function || function->Type < DirWriteFile || function->Type > DirCompareFile)
            return Qt::red;
        return errorOr(function->Error, ClrFuncFW + function->Type);
    }
    case 'W':
        return Colour(number == "M" ? ClrFuncM : ClrFuncFW);
    case 'R':
        return Colour(number == "M" ? ClrFuncM : ClrFuncFR);
    case 'C':
        return Colour(ClrFuncFC);
    case 'M': {
        const SFuncM *function = test ? test->MFuncs.ByNumber(id) : nullptr;
        return errorOr(function && function->Error, ClrFuncM);
    }
    case 'P': {
        const SProg *function = test ? test->PFuncs.ByNumber(id) : nullptr;
        return errorOr(function && function->Error, ClrFuncP);
    }
    case 'S':
        return errorOr(test && test->SFuncs.HasError(id), ClrFuncS);
    case 'T': {
        if (!info.results || !m_document)
            return Colour(ClrTestT);
        const auto &counts = m_document->ErrorCounts;
        if (id < 1 || id > static_cast<int>(counts.size()))
            return Colour(ClrTestT);
        return Colour(counts[static_cast<std::size_t>(id - 1)] < 1 ? ClrOutputCorrect
                                                                   : ClrOutputWrong);
    }
    default:
        return Qt::red;
    }
}

} // namespace qv
