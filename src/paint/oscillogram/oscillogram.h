#pragma once

// Painting of one oscillogram screen, shared by the V-function window, the
// live window of a recording run and `qortool render`: a 220 x 220 picture
// of 20 x 20 divisions with the reference trace of a cycle in the "File"
// colour and the recorded one in the "Current" colour.

#include "model/settings/oscillogramcolours.h"

#include <QPoint>
#include <QString>
#include <cstdint>

class QPainter;

namespace qv {

struct SFuncV;

namespace oscillogram {

inline constexpr int kPictureSize = 220;
inline constexpr int kDivisions = 20;

// A drawing request. function null draws the empty screen (grid and axes
// only); cycle is 0-based. sweep and amplitude are the indices the
// captions name; -1 takes them from the function's cycle.
struct SDrawDiag
{
    const SFuncV *function = nullptr;
    int cycle = 0;
    std::int32_t sweep = -1;
    std::int32_t amplitude = -1;
};

// The texts of the two labels beside the picture: the per-division value of
// the sweep and of the amplitude, each followed by " на 1 дел." (empty for
// an index out of range).
struct DivisionLabels
{
    QString sweep;
    QString amplitude;
};
DivisionLabels LabelsFor(std::int32_t sweep, std::int32_t amplitude);
// The labels of a request (its indices, or its function's for the cycle).
DivisionLabels LabelsFor(const SDrawDiag &request);

// Where sample k (0..999) of value s lies on the picture: x = 220k / 1000,
// y = 220 - ceil(220 s / 255), so 255 is the top row and 0 the row just
// below the picture.
QPoint SamplePoint(int k, std::uint8_t s);

// Paints the picture with its top-left corner at the painter's origin. The
// painter's state is restored on return.
void Draw(QPainter &painter, const SDrawDiag &request, const OscillogramColours &colours);

} // namespace oscillogram
} // namespace qv
