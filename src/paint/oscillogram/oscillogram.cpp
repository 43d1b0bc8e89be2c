#include "paint/oscillogram/oscillogram.h"

#include "model/functions/funcv.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QPolygon>
#include <array>
#include <cmath>
#include <utility>

namespace qv::oscillogram {
namespace {

constexpr QRgb kGridColour = 0x808080;
constexpr int kAxisY = kPictureSize / 2;
constexpr double kCell = double(kPictureSize) / kDivisions;
const QString kPerDivision = QStringLiteral(" на 1 дел.");

QColor FromBgr(std::uint32_t bgr)
{
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

QString Utf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

int GridLine(int k)
{
    return int(std::ceil(k * kCell));
}

void DrawGrid(QPainter &painter)
{
    painter.fillRect(0, 0, kPictureSize, kPictureSize, Qt::black);
    painter.setPen(QColor::fromRgb(kGridColour));
    for (int k = 0; k <= kDivisions; ++k) {
        const int at = GridLine(k);
        painter.drawLine(at, 0, at, kPictureSize);
        painter.drawLine(0, at, kPictureSize, at);
    }
}

void DrawAxes(QPainter &painter)
{
    painter.setPen(Qt::white);
    painter.drawLine(0, kAxisY, kPictureSize, kAxisY);
    painter.drawLine(kPictureSize, kAxisY, 210, 106);
    painter.drawLine(kPictureSize, kAxisY, 210, 114);
    painter.drawLine(0, kPictureSize, 0, 0);
    painter.drawLine(0, 0, 4, 10);
}

void DrawCaptions(QPainter &painter, std::int32_t sweep, std::int32_t amplitude)
{
    QFont font = painter.font();
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(Qt::white);
    const QFontMetrics metrics(font);
    const QString sweepText = Utf8(SweepText(sweep));
    const int x = kPictureSize - metrics.horizontalAdvance(sweepText) - 2;
    const int top = kAxisY - metrics.height() - 4;
    painter.drawText(x, top + metrics.ascent(), sweepText);
    const std::string_view amplitudeText = AmplitudeText(amplitude);
    if (!amplitudeText.empty())
        painter.drawText(6, 2 + metrics.ascent(), Utf8(amplitudeText) + QStringLiteral(" В"));
}

void DrawTrace(QPainter &painter, const WaveformRef &samples, const QColor &colour)
{
    if (!samples)
        return;
    QPolygon points(static_cast<int>(kWaveformSamples));
    for (std::size_t k = 0; k < kWaveformSamples; ++k)
        points[int(k)] = SamplePoint(int(k), (*samples)[k]);
    painter.setPen(colour);
    painter.drawPolyline(points);
}

std::int32_t CycleValue(const std::array<std::int32_t, kVCycles> &values, int cycle)
{
    return cycle >= 0 && cycle < kVCycles ? values[std::size_t(cycle)] : -1;
}

// The request's indices, or its function's for the cycle where it has none.
std::pair<std::int32_t, std::int32_t> Indices(const SDrawDiag &request)
{
    std::int32_t sweep = request.sweep;
    std::int32_t amplitude = request.amplitude;
    if (request.function != nullptr) {
        if (sweep < 0)
            sweep = CycleValue(request.function->Sweep, request.cycle);
        if (amplitude < 0)
            amplitude = CycleValue(request.function->Scale, request.cycle);
    }
    return {sweep, amplitude};
}

} // namespace

DivisionLabels LabelsFor(std::int32_t sweep, std::int32_t amplitude)
{
    const std::string_view sweepText = SweepPerDivision(sweep);
    const std::string_view amplitudeText = AmplitudePerDivision(amplitude);
    return {sweepText.empty() ? QString() : Utf8(sweepText) + kPerDivision,
            amplitudeText.empty() ? QString() : Utf8(amplitudeText) + kPerDivision};
}

DivisionLabels LabelsFor(const SDrawDiag &request)
{
    const auto [sweep, amplitude] = Indices(request);
    return LabelsFor(sweep, amplitude);
}

QPoint SamplePoint(int k, std::uint8_t s)
{
    const int y = kPictureSize - (kPictureSize * int(s) + 254) / 255; // ceil
    return {kPictureSize * k / int(kWaveformSamples), y};
}

void Draw(QPainter &painter, const SDrawDiag &request, const OscillogramColours &colours)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    DrawGrid(painter);
    DrawAxes(painter);
    const SFuncV *function = request.function;
    if (function != nullptr) {
        const auto [sweep, amplitude] = Indices(request);
        DrawCaptions(painter, sweep, amplitude);
        if (request.cycle >= 0 && request.cycle < kVCycles) {
            const auto cycle = std::size_t(request.cycle);
            DrawTrace(painter, function->Reference[cycle], FromBgr(colours.File));
            DrawTrace(painter, function->Captured[cycle], FromBgr(colours.Current));
        }
    }
    painter.restore();
}

} // namespace qv::oscillogram
