// CTMarketOptionDlg: the option quote board, the whole of the docking bar
// "期权T型报价". A strip with the button "定位平值期权" and the series combo,
// the T grid of the series shown, a thin toggle and the detail panel of the
// selected option at the right; the series picker drops down below the
// combo, while typing a series or on the combo's arrow. The board loads the
// option contracts once the contracts are downloaded (again after a
// download that brought none), and a click on a price fills the order form.
#pragma once

#include <QComboBox>
#include <QPushButton>
#include <QToolButton>
#include <QWidget>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "marketviews/model/option_board.h"
#include "marketviews/views/contract_tree.h"
#include "marketviews/views/option_detail_view.h"
#include "marketviews/views/option_t_grid.h"
#include "ui/view_context.h"

namespace marketviews {

// The series combo: its own list never drops down; the board's picker does
// instead.
class CMyBCGPComboBox final : public QComboBox {
 public:
  explicit CMyBCGPComboBox(QWidget* parent = nullptr);
  void SetDropDownHandler(std::function<void()> handler) { dropDown_ = std::move(handler); }
  void SetFocusLostHandler(std::function<void()> handler) { focusLost_ = std::move(handler); }
  void showPopup() override;

 protected:
  void focusOutEvent(QFocusEvent* event) override;

 private:
  std::function<void()> dropDown_;
  std::function<void()> focusLost_;
};

class CTMarketOptionDlg final : public QWidget {
 public:
  static constexpr int kCentreButtonId = 1323;
  static constexpr int kDetailToggleId = 1290;
  static constexpr int kSeriesComboId = 1324;
  static constexpr const char* kLayoutName = "TMarketOptionState";

  // The context's quote object, engine and receivers outlive the board.
  CTMarketOptionDlg(const ui::ViewContext& context, QWidget* parent = nullptr);
  ~CTMarketOptionDlg() override;

  OptionBoard& Model() const { return *model_; }
  CTMarketOptionGridCtrl& Grid() const { return *grid_; }
  COptionDetailDlg& DetailPanel() const { return *detail_; }
  CContractTreeDlg& Picker() const { return *picker_; }
  CMyBCGPComboBox& SeriesCombo() const { return *combo_; }
  QPushButton& CentreButton() const { return *centre_; }
  QToolButton& DetailToggle() const { return *toggle_; }
  bool DetailHidden() const { return detailHidden_; }

  // Once the contracts are downloaded: builds the option map from the
  // engine's tables and shows its first series (once it has any).
  void LoadOptionContracts();
  // Shows the picker's current series.
  void ShowSelectedSeries();
  void CentreOnAtTheMoney();

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void LayOut();
  void Refresh();
  void OnCellPressed(int row, int column);
  void OnDropDown();
  void OnComboTextEdited(const QString& text);
  void OnComboFocusLost();
  void OnEnter();
  void ToggleDetail();
  void ShowPicker();
  // The index's price of an index option, asked in the background the
  // first time.
  std::optional<double> IndexPrice(const OptionContract& option);

  ui::ViewContext context_;
  std::unique_ptr<OptionBoard> model_;
  QPushButton* centre_;
  QToolButton* toggle_;
  CMyBCGPComboBox* combo_;
  CTMarketOptionGridCtrl* grid_;
  COptionDetailDlg* detail_;
  CContractTreeDlg* picker_;
  bool detailHidden_ = false;

  // The index prices the back end gave, by option code; taken on the GUI
  // thread only. The look-ups run on threads of their own, joined at the end.
  std::unordered_map<std::string, double> indexPrices_;
  std::set<std::string> asked_;
  std::vector<std::thread> lookups_;
};

// The bar id of the option quote board in the main frame.
inline constexpr int kOptionBoardBarId = 32908;

}  // namespace marketviews
