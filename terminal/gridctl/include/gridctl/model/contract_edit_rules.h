// The rules of the contract edit and its two drop-down panels (varieties,
// contracts) that need no window: where the panels go, when they may open,
// which one shows, and how a typed text is completed to a code. The owner
// gives the contracts through a ContractListSource.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "backend/cx_data_set.h"
#include "gridctl/model/grid_types.h"

namespace gridctl {

// Where an order panel's contract edit gets the contracts it offers.
class ContractListSource {
 public:
  virtual ~ContractListSource() = default;
  // Replaces `rows` with the contracts, as short contract rows
  // (engine::ReducedContractRow) in the engine's table order; false when
  // none can be had now (the engine downloading).
  virtual bool QueryContracts(backend::CxDataSet& rows) = 0;
};

enum class PanelState { kNone = 0, kVariety = 1, kContract = 2 };

// Both panels lie under the edit (screen co-ordinates): 20 px further left,
// 2 px below, 178 by 110.
Rect DropDownRect(const Rect& edit);
// A panel opens only while the cursor is over the edit widened by 32 px to
// the left, 40 to the right and 110 down.
Rect DropDownZone(const Rect& edit);

// What showing a kind of panel (1 varieties, 2 contracts, anything else
// none) does.
struct PanelChange {
  PanelState state = PanelState::kNone;
  bool varietyShown = false;
  bool contractShown = false;
  // A panel was opened: the focus goes to the edit, caret at the end.
  bool focusEdit = false;
};
PanelChange ShowDropDowns(int kind, bool cursorInZone);

// The edit's text once completed from the contract list: with the contract
// panel shown, the grid's selected code when the text begins it; without,
// the first code beginning with the text (an empty text stays empty and is
// valid). Nothing when the text names no contract.
std::optional<std::string> CompletedCode(std::string_view text, bool contractPanelShown, std::string_view selectedCode,
                                         const std::optional<std::string>& firstMatch);

}  // namespace gridctl
