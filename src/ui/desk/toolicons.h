#pragma once

// The pictures of the main window's tool bar, drawn by code so that they
// need no resource files and stay sharp at any size.

#include <QIcon>
#include <QImage>
#include <string_view>

namespace qv::desk {

// The icon of a command by its object name ("acOpenFile", "acTable", ...).
// A name without a picture of its own gets a framed first letter of its
// caption, never an empty button.
QIcon ToolIcon(std::string_view command, QChar fallbackLetter = QLatin1Char('?'));

// The same picture as an image (tests look at its pixels).
QImage ToolImage(std::string_view command, QChar fallbackLetter = QLatin1Char('?'));

} // namespace qv::desk
