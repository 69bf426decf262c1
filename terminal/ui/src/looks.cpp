#include "ui/looks.h"

#include <array>

namespace ui {
namespace {

constexpr std::array<LookColours, kLastLookId - kFirstLookId + 1> kSchemes{{
    {0xD4D0C8, 0x808080, 0x0A246A, 0xD4D0C8, 0xFFFFFF, 0x808080},  // 32837 Office 2000
    {0xF9F8F7, 0xD6D3CE, 0x808080, 0x000000, 0xFFFFFF, 0x808080},  // 32838 Office XP
    {0xC3DAF9, 0x9EBEF5, 0x3B72D8, 0x000000, 0xFFFFFF, 0x6F9DD9},  // 32839 Office 2003
    {0xEEEDE5, 0xCCC7BA, 0x3D5F9C, 0x000000, 0xFFFFFF, 0xA8A491},  // 32840 Visual Studio 2005
    {0xECE9D8, 0xBDB8A5, 0x316AC5, 0x000000, 0xFFFFFF, 0x97927F},  // 32841 Windows XP
    {0xBFDBFF, 0xC4D8F1, 0xFFD87C, 0x15428B, 0x15428B, 0x8DB2E3},  // 32842 Office 2007 blue
    {0x535353, 0x7A7A7A, 0xFFD87C, 0xFFFFFF, 0x000000, 0x3D3D3D},  // 32843 Office 2007 black
    {0xD3DCE6, 0xC9D6E2, 0xFFD87C, 0x1F3D5C, 0x1F3D5C, 0x9AAFC6},  // 32844 Office 2007 aqua
    {0xE0E3EA, 0xD2D6DE, 0xFFD87C, 0x3B3B3B, 0x3B3B3B, 0xA5ACB5},  // 32845 Office 2007 silver
    {0xE9ECFA, 0xC4CBDE, 0x4B6EAF, 0x000000, 0xFFFFFF, 0x9DA5BC},  // 32846 Visual Studio 2008
    {0x293955, 0x4D6082, 0xFFE8A6, 0xFFFFFF, 0x000000, 0x8E9BBC},  // 32847 Visual Studio 2010
    {0xCFDDEE, 0xDCE6F4, 0xFFE57F, 0x1E395B, 0x1E395B, 0xA0B3CD},  // 32848 Office 2010 blue
    {0x6A6A6A, 0x8C8C8C, 0xFFE57F, 0xFFFFFF, 0x000000, 0x474747},  // 32849 Office 2010 black
    {0xE9EDF1, 0xDDE1E6, 0xFFE57F, 0x3B3B3B, 0x3B3B3B, 0xB6BCC6},  // 32850 Office 2010 silver
}};

}  // namespace

bool IsLookId(int id) { return id >= kFirstLookId && id <= kLastLookId; }

const LookColours& ColoursOfLook(int id) {
  return kSchemes[static_cast<std::size_t>((IsLookId(id) ? id : kDefaultLookId) - kFirstLookId)];
}

bool LookHasColouredTabs(int id) { return id != 32837 && id != 32838 && id != 32841; }

}  // namespace ui
