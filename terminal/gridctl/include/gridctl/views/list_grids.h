// The two list grids of the contract edit's drop-down panels:
// CxContractGrid lists contracts (code, or code and name) in order of
// variety and code and finds the first code beginning with a typed text;
// CxVarietyGrid shows the varieties as image buttons, one or three to a
// row. Both tell their owner of a press with notification 4097.
#pragma once

#include <QRect>
#include <optional>
#include <string>
#include <string_view>

#include "backend/cx_data_set.h"
#include "gridctl/model/contract_list.h"
#include "gridctl/views/grid.h"

namespace gridctl {

class CxContractGrid : public CxGrid {
 public:
  static constexpr int kControlId = 2;

  explicit CxContractGrid(QWidget* parent = nullptr);

  // Makes the grid a child of the parent over the rectangle, with its list
  // look and one column (code) or two (code and name); false without a
  // parent, and then nothing is set.
  bool CreateGrid(QWidget* parent, const QRect& rect, bool singleColumn);
  // Sorts the caller's list of short contract rows in place (variety, then
  // code) and shows it.
  void SetContracts(backend::CxDataSet& contracts);
  // Makes the first row whose code begins with the text the top and
  // current row; false, with the top row back at 0, when none does.
  bool SelectByPrefix(std::string_view typed);
  // The whole code of the first row that begins with the text.
  std::optional<std::string> CompleteCode(std::string_view typed) const;
  // The code of the current row, or the empty text.
  std::string GetCurrentCode() const;

 protected:
  void mousePressEvent(QMouseEvent* event) override;

 private:
  std::optional<int> FindByPrefix(std::string_view typed) const;

  bool singleColumn_ = true;
};

class CxVarietyGrid : public CxGrid {
 public:
  static constexpr int kControlId = 1;

  explicit CxVarietyGrid(QWidget* parent = nullptr);

  // As CxContractGrid::CreateGrid, with one column or three, then the
  // images of the varieties it holds.
  bool CreateGrid(QWidget* parent, const QRect& rect, bool singleColumn);
  void AddVariety(std::string_view code, std::string_view name);
  int GetVarietyCount() const { return varieties_.Count(); }
  // The code of the variety shown at the cell; false past the list.
  bool GetVarietyAt(int column, int row, std::string& code) const;
  void ClearVarieties() { varieties_.Clear(); }
  // Draws one image button per variety (the name on a lit blue face) into
  // the grid's image strip and puts each into its cell.
  void BuildVarietyImages(int imageWidth);

 private:
  bool singleColumn_ = true;
  VarietyList varieties_;
};

}  // namespace gridctl
