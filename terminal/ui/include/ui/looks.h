// The looks of the program: each look command (32837 to 32850) keeps its id
// and the value stored under "ApplicationLook", and names a colour scheme of
// the docking art in place of the desktop toolkit's visual managers. No
// toolkit: the frame applies the colours.
#pragma once

#include <cstdint>

namespace ui {

inline constexpr int kFirstLookId = 32837;
inline constexpr int kLastLookId = 32850;
// Office 2010, blue.
inline constexpr int kDefaultLookId = 32848;

// Colours as 0xRRGGBB.
struct LookColours {
  std::uint32_t background;     // frame and dock background
  std::uint32_t caption;        // inactive bar captions
  std::uint32_t activeCaption;  // the bar that has the focus
  std::uint32_t captionText;
  std::uint32_t activeCaptionText;
  std::uint32_t border;
};

bool IsLookId(int id);
// The scheme of a look; the default look's for an id that is none.
const LookColours& ColoursOfLook(int id);
// Whether the look gives the document tabs the coloured, rounded style (every
// look but the three oldest: 32837, 32838, 32841).
bool LookHasColouredTabs(int id);

}  // namespace ui
