// CTqContractEdit: the order panels' contract code edit, with two drop-down
// panels under it: the varieties (CPanelGridVariety) and the contracts
// (CPanelGridContract). Typing moves the contract list to the first code
// that begins with the text; picking a variety puts it in the edit and
// opens the contracts; picking a contract puts its code in the edit, closes
// the panels and presses Enter on the edit's parent.
#pragma once

#include <QLineEdit>
#include <QPointer>
#include <QWidget>

#include "backend/cx_data_set.h"
#include "gridctl/model/contract_edit_rules.h"
#include "gridctl/views/list_grids.h"

namespace gridctl {

class CTqContractEdit;

// A drop-down panel: a caption-less window that stays on top and takes no
// focus, its grid filling it less a pixel each side; presses on the grid
// (notification 4097) go on to the edit.
class CPanelGrid : public QWidget {
 public:
  CPanelGrid(CTqContractEdit* edit, CxGrid* grid);
  CxGrid* Grid() const { return grid_; }

 protected:
  bool event(QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  QPointer<CTqContractEdit> edit_;
  CxGrid* grid_;
};

class CPanelGridContract : public CPanelGrid {
 public:
  explicit CPanelGridContract(CTqContractEdit* edit);
  CxContractGrid* Contracts() const { return contracts_; }

 private:
  CxContractGrid* contracts_;
};

class CPanelGridVariety : public CPanelGrid {
 public:
  explicit CPanelGridVariety(CTqContractEdit* edit);
  CxVarietyGrid* Varieties() const { return varieties_; }

 private:
  CxVarietyGrid* varieties_;
};

class CTqContractEdit : public QLineEdit {
 public:
  explicit CTqContractEdit(QWidget* parent = nullptr);
  ~CTqContractEdit() override;

  // Makes both panels, hidden.
  bool CreateDropDowns();
  // Both panels under the edit; the owner calls it whenever the edit moves.
  void MoveDropDowns();
  // Takes a copy of the list of short contract rows and fills both panels
  // from it.
  void SetContractData(const backend::CxDataSet& contracts);
  // The contracts from the source; false when it had none to give.
  bool LoadContracts(ContractListSource& source);
  // Shows the varieties (1), the contracts (2) or neither; panels open only
  // while the cursor is near the edit. False before CreateDropDowns.
  bool ShowDropDowns(int kind);
  // Completes the text to a code from the contract list; false, with the
  // text selected, when it names none.
  bool CompleteFromGrid();

  PanelState State() const { return state_; }
  CPanelGridVariety* VarietyPanel() const { return varietyPanel_; }
  CPanelGridContract* ContractPanel() const { return contractPanel_; }

 protected:
  bool event(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  void Filter();
  void OnVarietyPressed(const CxGridNotify& record);
  void OnContractPressed();
  void SetTextAtEnd(const std::string& text);
  Rect ScreenRect() const;

  PanelState state_ = PanelState::kNone;
  bool wideLayout_ = false;
  CPanelGridVariety* varietyPanel_ = nullptr;
  CPanelGridContract* contractPanel_ = nullptr;
  backend::CxDataSet contracts_;
};

}  // namespace gridctl
