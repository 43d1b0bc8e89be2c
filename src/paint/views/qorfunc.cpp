#include "paint/views/qorfunc.h"

#include "model/document/quorvik.h"
#include "model/settings/displaycolours.h"
#include "paint/views/diagramhint.h"

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
    if (!m_document || m_document->CurrentTest() == -1)
        return nullptr;
    return m_document->Test(m_document->CurrentTest());
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

QColor TQorFunc::StateColour(TactState state) const
{
    switch (state) {
    case TactState::Input:
        return Colour(ClrInputWord);
    case TactState::Output:
        return Colour(ClrOutputUnchecked);
    case TactState::OutputCorrect:
    case TactState::CalledTestPassed:
        return Colour(ClrOutputCorrect);
    case TactState::OutputWrong:
    case TactState::FunctionFailed:
    case TactState::CalledTestFailed:
        return Colour(ClrOutputWrong);
    case TactState::OutputUnchecked:
        return views::kGrey;
    case TactState::Generator:
        return Colour(ClrGenerator);
    case TactState::CycleGE:
        return Colour(ClrWordGE);
    case TactState::CycleGN:
        return Colour(ClrWordGN);
    case TactState::CycleGL:
        return Colour(ClrWordGL);
    case TactState::FunctionFW:
        return Colour(ClrFuncFW);
    case TactState::FunctionFR:
        return Colour(ClrFuncFR);
    case TactState::FunctionFC:
        return Colour(ClrFuncFC);
    case TactState::FunctionM:
        return Colour(ClrFuncM);
    case TactState::FunctionP:
        return Colour(ClrFuncP);
    case TactState::FunctionS:
        return Colour(ClrFuncS);
    case TactState::CalledTest:
        return Colour(ClrTestT);
    case TactState::None:
    case TactState::Unknown:
        break;
    }
    return Qt::red;
}

} // namespace qv
