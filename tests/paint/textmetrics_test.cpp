#include "paint/textmetrics.h"

#include <QFont>
#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

namespace qv {
namespace {

TEST(TextMetrics, WiderTextsMeasureWiderAndEmptyTextHasNoWidth)
{
    QFont font(QStringLiteral("DejaVu Sans"), 10);
    EXPECT_EQ(TextWidth("", font), 0);
    EXPECT_GT(TextWidth("Такт", font), 0);
    EXPECT_GT(TextWidth("ТактТакт", font), TextWidth("Такт", font));
    EXPECT_GT(TextHeight("Ж", font), 0);
}

TEST(TextMetrics, ASurfaceIsMeasuredInItsCurrentFont)
{
    QImage image(10, 10, QImage::Format_ARGB32);
    QPainter painter(&image);
    QFont small(QStringLiteral("DejaVu Sans"), 8);
    QFont large(QStringLiteral("DejaVu Sans"), 24);
    painter.setFont(small);
    const int w1 = TextWidth("Начальный такт", painter);
    const int h1 = TextHeight("Начальный такт", painter);
    painter.setFont(large);
    EXPECT_GT(TextWidth("Начальный такт", painter), w1);
    EXPECT_GT(TextHeight("Начальный такт", painter), h1);
}

} // namespace
} // namespace qv
