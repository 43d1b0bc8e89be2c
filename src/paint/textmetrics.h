#pragma once

#include <string_view>

class QPainter;
class QFont;

namespace qv {

// Pixel extent of a UTF-8 text in a surface's current font.
int TextWidth(std::string_view text, const QPainter &surface);
int TextHeight(std::string_view text, const QPainter &surface);

// The same measured with a font (for geometry computed before painting).
int TextWidth(std::string_view text, const QFont &font);
int TextHeight(std::string_view text, const QFont &font);

} // namespace qv
