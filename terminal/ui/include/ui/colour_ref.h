// Colours as the settings and the grids keep them: 0x00BBGGRR values, with
// one value that stands for "the grid's default". No toolkit.
#pragma once

#include <cstdint>

namespace ui {

// "The grid's default" where a colour is asked for.
inline constexpr std::uint32_t kDefaultColour = 0x7FFFFFFF;

}  // namespace ui
