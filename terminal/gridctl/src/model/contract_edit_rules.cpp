#include "gridctl/model/contract_edit_rules.h"

#include "gridctl/model/contract_list.h"

namespace gridctl {

Rect DropDownRect(const Rect& edit) {
  const int left = edit.left - 20;
  const int top = edit.bottom + 2;
  return {left, top, left + 178, top + 110};
}

Rect DropDownZone(const Rect& edit) { return {edit.left - 32, edit.top, edit.right + 40, edit.bottom + 110}; }

PanelChange ShowDropDowns(int kind, bool cursorInZone) {
  PanelChange change;
  if (!cursorInZone) return change;
  if (kind == static_cast<int>(PanelState::kVariety)) {
    change = {PanelState::kVariety, true, false, true};
  } else if (kind == static_cast<int>(PanelState::kContract)) {
    change = {PanelState::kContract, false, true, true};
  }
  return change;
}

std::optional<std::string> CompletedCode(std::string_view text, bool contractPanelShown, std::string_view selectedCode,
                                         const std::optional<std::string>& firstMatch) {
  if (contractPanelShown) {
    if (!selectedCode.empty() && CodeStartsWith(selectedCode, text)) return std::string(selectedCode);
    return std::nullopt;
  }
  if (text.empty()) return std::string();
  return firstMatch;
}

}  // namespace gridctl
