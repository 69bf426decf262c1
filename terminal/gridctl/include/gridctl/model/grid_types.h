// The small types every part of the grid library shares: colours as
// 0x00BBGGRR values, font descriptions, points and rectangles in pixels,
// cell kinds, the notification codes a grid sends its owner, and the one
// text measure that sizes are computed with.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace gridctl {

// A colour value meaning "the grid's default".
inline constexpr std::uint32_t kDefaultColour = 0x7FFFFFFF;

// A font as the grids describe it; the windows map the face to an installed
// one. A height of 0 in a cell's font means the grid's row font.
struct FontSpec {
  std::string face = "宋体";
  int height = 0;  // pixels
  int weight = 400;
  int pitchAndFamily = 0x20;
  friend bool operator==(const FontSpec&, const FontSpec&) = default;
};

struct Point {
  int x = 0;
  int y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
  int width = 0;
  int height = 0;
  friend bool operator==(const Size&, const Size&) = default;
};

// Left and top inside, right and bottom outside.
struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool IsEmpty() const { return right <= left || bottom <= top; }
  bool Contains(Point point) const { return point.x >= left && point.x < right && point.y >= top && point.y < bottom; }
  friend bool operator==(const Rect&, const Rect&) = default;
};

// The width and height in pixels of a GBK text drawn in a font.
using TextMeasure = std::function<Size(std::string_view text, const FontSpec& font)>;

enum class CellKind : std::int8_t { kText = 0, kCheckBox = 1, kImage = 2, kEdit = 3, kCombo = 4 };

// The kind field of a notification: grid events, or the kind of the cell.
inline constexpr int kGridEventKind = -1;

// The codes of the notifications a grid sends its owner.
namespace notify {
inline constexpr int kCellPressed = 4097;  // a check box, an image, or any cell of a contract grid
inline constexpr int kEditEnded = 4098;    // an in-place edit or combo ended
inline constexpr int kCurrentRow = 4100;   // the current row changed
inline constexpr int kTopRow = 4101;       // the top row changed
inline constexpr int kEditStarted = 4103;  // an in-place edit started; carries the text
inline constexpr int kLeftClick = 4104;    // a left click, once no double click followed
inline constexpr int kRightClick = 4105;   // a right click while the popup menu is empty
inline constexpr int kMiddleClick = 4106;  // a middle click
inline constexpr int kRightDouble = 518;   // a right double click on a cell
inline constexpr int kMiddleDouble = 521;  // a middle double click on a cell
}  // namespace notify

// The notification codes of the commands a grid posts to its owner.
inline constexpr int kCommandCellClicked = 0;
inline constexpr int kCommandDoubleClicked = 5;

}  // namespace gridctl
