// Colours, fonts and text widths as the terminal's windows name them:
// colours as 0x00BBGGRR values (the form the settings and grids keep), fonts
// by the desktop face names "宋体" and "Tahoma", mapped through one table to
// faces installed here, and one measure of a text's width that painters and
// tests share.
#pragma once

#include <QColor>
#include <QFont>
#include <cstdint>
#include <string>
#include <string_view>

#include "ui/colour_ref.h"

namespace ui {

// 0x00BBGGRR as a colour; an invalid colour for kDefaultColour.
QColor ColourFromRef(std::uint32_t value);
// Back to 0x00BBGGRR; kDefaultColour for an invalid colour.
std::uint32_t RefFromColour(const QColor& colour);

enum class FontPitch { kVariable, kFixed };

// The installed face that stands for the named one (GBK): the first of its
// row in the table that is installed, else the toolkit's default family.
QString InstalledFace(std::string_view face, FontPitch pitch = FontPitch::kVariable);
QFont FontOf(std::string_view face, int pointSize, FontPitch pitch = FontPitch::kVariable);

// The width in pixels of a GBK text drawn in the font.
int TextWidth(const QFont& font, std::string_view text);

}  // namespace ui
