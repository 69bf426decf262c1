// What the grid library's windows share when they paint: the grids' font
// descriptions and 0x00BBGGRR colours as the toolkit's, rectangles both
// ways, and the text measure their models size things with.
#pragma once

#include <QColor>
#include <QFont>
#include <QRect>
#include <string_view>

#include "gridctl/model/grid_types.h"

namespace gridctl {

// The installed face that stands for the description's face, at its pixel
// height (12 px for a height of 0).
QFont ToQFont(const FontSpec& font);
// kDefaultColour gives `fallback`.
QColor ToQColor(std::uint32_t colour, std::uint32_t fallback = 0x000000);
inline QRect ToQRect(const Rect& rect) { return {rect.left, rect.top, rect.Width(), rect.Height()}; }
inline Rect ToRect(const QRect& rect) { return {rect.left(), rect.top(), rect.right() + 1, rect.bottom() + 1}; }

// The text's width (the toolkit layer's one measure) and the font's line
// height.
Size MeasureText(std::string_view text, const QFont& font);
// The measure of the models: each description mapped to its font.
TextMeasure ToolkitTextMeasure();

}  // namespace gridctl
