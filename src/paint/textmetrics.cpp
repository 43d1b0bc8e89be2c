#include "paint/textmetrics.h"

#include <QFontMetrics>
#include <QPainter>
#include <QString>

namespace qv {
namespace {

QString ToQString(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

int TextWidth(std::string_view text, const QFont &font)
{
    return QFontMetrics(font).horizontalAdvance(ToQString(text));
}

int TextHeight(std::string_view text, const QFont &font)
{
    return QFontMetrics(font).boundingRect(ToQString(text)).height();
}

int TextWidth(std::string_view text, const QPainter &surface)
{
    return TextWidth(text, surface.font());
}

int TextHeight(std::string_view text, const QPainter &surface)
{
    return TextHeight(text, surface.font());
}

} // namespace qv
