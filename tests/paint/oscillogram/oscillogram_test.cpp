// The oscillogram screen, judged by the pixels of offscreen pictures.

#include "model/functions/funcv.h"
#include "paint/oscillogram/oscillogram.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>
#include <memory>

namespace qv {
namespace {

using oscillogram::Draw;
using oscillogram::kPictureSize;
using oscillogram::SDrawDiag;

WaveformRef Flat(std::uint8_t value)
{
    auto samples = std::make_shared<Waveform>();
    samples->fill(value);
    return samples;
}

// One row more and one column more than the picture, so that a sample of 0
// (drawn just below the picture) shows too.
QImage Picture(const SDrawDiag &request, const OscillogramColours &colours = {})
{
    QImage image(kPictureSize + 1, kPictureSize + 1, QImage::Format_RGB32);
    image.fill(Qt::magenta);
    QPainter painter(&image);
    Draw(painter, request, colours);
    return image;
}

QRgb Rgb(std::uint32_t bgr)
{
    return qRgb(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

struct FlatTrace
{
    std::uint8_t sample;
    int row;
};

class OscillogramTrace : public ::testing::TestWithParam<FlatTrace>
{
};

TEST_P(OscillogramTrace, AFlatReferenceLiesOnItsRowInTheFileColour)
{
    SFuncV function;
    function.Reference[2] = Flat(GetParam().sample);
    const OscillogramColours colours{0x0000FF, 0x00FFFF};
    const QImage image = Picture({&function, 2}, colours);
    const int row = GetParam().row;
    EXPECT_EQ(oscillogram::SamplePoint(500, GetParam().sample), QPoint(110, row));
    for (const int x : {3, 57, 150, 216})
        EXPECT_EQ(image.pixel(x, row), Rgb(colours.File)) << "x " << x;
    for (const int y : {row - 2, row + 2}) {
        if (y >= 0 && y < kPictureSize) {
            EXPECT_NE(image.pixel(57, y), Rgb(colours.File)) << "y " << y;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Samples, OscillogramTrace,
                         ::testing::Values(FlatTrace{255, 0}, FlatTrace{0, 220},
                                           FlatTrace{128, 109}, FlatTrace{1, 219},
                                           FlatTrace{200, 47}));

TEST(Oscillogram, TheRecordedTraceIsDrawnOverTheReferenceInTheCurrentColour)
{
    SFuncV function;
    function.Reference[0] = Flat(200);
    function.Captured[0] = Flat(200);
    auto lower = std::make_shared<Waveform>();
    lower->fill(200);
    std::fill(lower->begin() + 500, lower->end(), std::uint8_t{50});
    function.Captured[1] = lower;
    function.Reference[1] = Flat(200);
    const OscillogramColours colours;
    const int top = oscillogram::SamplePoint(0, 200).y();
    const int bottom = oscillogram::SamplePoint(0, 50).y();
    EXPECT_EQ(Picture({&function, 0}, colours).pixel(30, top), Rgb(colours.Current));
    const QImage second = Picture({&function, 1}, colours);
    EXPECT_EQ(second.pixel(30, top), Rgb(colours.Current));
    EXPECT_EQ(second.pixel(150, top), Rgb(colours.File));
    EXPECT_EQ(second.pixel(150, bottom), Rgb(colours.Current));
    // The step from 200 down to 50 at sample 500 is joined by a line.
    const int middle = (top + bottom) / 2;
    EXPECT_TRUE(second.pixel(109, middle) == Rgb(colours.Current) ||
                second.pixel(110, middle) == Rgb(colours.Current));
    // Another cycle has no waveform: only the grid and the axes.
    EXPECT_EQ(Picture({&function, 5}, colours).pixel(150, top), qRgb(0, 0, 0));
}

TEST(Oscillogram, TheEmptyScreenHasAGreyGridOfTwentyDivisionsAndWhiteAxes)
{
    const QImage image = Picture({});
    const QRgb grey = qRgb(0x80, 0x80, 0x80);
    const QRgb white = qRgb(255, 255, 255);
    for (const int line : {11, 22, 44, 99, 143, 209}) {
        EXPECT_EQ(image.pixel(line, 50), grey) << line;
        EXPECT_EQ(image.pixel(50, line), grey) << line;
    }
    EXPECT_EQ(image.pixel(50, 50), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(60, 110), white);  // horizontal axis
    EXPECT_EQ(image.pixel(0, 60), white);    // vertical axis
    EXPECT_EQ(image.pixel(210, 106), white); // arrowhead
    EXPECT_EQ(image.pixel(210, 114), white);
}

TEST(Oscillogram, CaptionsAndLabelsNameTheCyclesSweepAndAmplitude)
{
    SFuncV function;
    function.Sweep[3] = 9;
    function.Scale[3] = 0;
    const auto labels = oscillogram::LabelsFor({&function, 3});
    EXPECT_EQ(labels.sweep, QStringLiteral("50 мс на 1 дел."));
    EXPECT_EQ(labels.amplitude, QStringLiteral("250 мВ на 1 дел."));
    const auto given = oscillogram::LabelsFor({&function, 3, 0, 3});
    EXPECT_EQ(given.sweep, QStringLiteral("80 мкс на 1 дел."));
    EXPECT_EQ(given.amplitude, QStringLiteral("5 В на 1 дел."));
    EXPECT_TRUE(oscillogram::LabelsFor(13, -1).sweep.isEmpty());

    // The bold white captions: the amplitude at the top left, the sweep
    // above the axis at the right edge.
    const QImage image = Picture({&function, 3});
    const auto whiteIn = [&](QRect area) {
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                if (image.pixel(x, y) == qRgb(255, 255, 255))
                    return true;
        return false;
    };
    EXPECT_TRUE(whiteIn(QRect(6, 2, 30, 12)));
    EXPECT_TRUE(whiteIn(QRect(170, 80, 48, 28)));
    EXPECT_FALSE(whiteIn(QRect(6, 2, 30, 12).translated(0, 30)));
}

} // namespace
} // namespace qv
