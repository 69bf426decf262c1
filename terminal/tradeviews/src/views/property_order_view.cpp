#include "tradeviews/views/property_order_view.h"

#include <QPainter>

#include "client/code_tables.h"
#include "panel_controls.h"
#include "ui/dialog_base.h"
#include "ui/gbk_text.h"

namespace tradeviews {
namespace {

using C = PanelControl;

// The open/close combo, each choice in its colour.
class OpenCloseCombo : public gridctl::CTqComboEO {
 public:
  using CTqComboEO::CTqComboEO;

  void DrawItem(QPainter& painter, const QRect& rect, int index, bool selected) override {
    const std::optional<gridctl::ComboItem> item = items_.At(index);
    if (item) items_.SetTextColours(OpenCloseColour(item->text), 0xFFFFFF);
    CTqComboEO::DrawItem(painter, rect, index, selected);
  }
};

}  // namespace

CTqPropertyOrderView::CTqPropertyOrderView(QWidget* parent, OrderPanelContext context)
    : CTqBasicOrderView(parent, PanelStyle::kProperty, context, {"帐号", "手数", "价格", "保值", "下单"}),
      buySellLabel_(MakeLabel(this, 1096, "买卖")),
      buySell_(new gridctl::CTqColorComboBS(this)),
      openCloseLabel_(MakeLabel(this, 1097, "开平")),
      openClose_(new OpenCloseCombo(this)),
      varieties_(MakeButton(this, 1166, "品种")),
      clear_(MakeButton(this, 1192, "清空")) {
  const std::pair<QWidget*, int> ids[] = {{customerLabel_, 1204}, {customer_, 1221}, {contractLabel_, 1095},
                                          {contract_, 1167},      {buySell_, 1091},  {openClose_, 1092},
                                          {volumeLabel_, 1098},   {volume_, 1025},   {priceLabel_, 1099},
                                          {price_, 1026},         {hedge_, 1094},    {send_, 1191}};
  for (const auto& [widget, id] : ids) ui::SetControlId(widget, id);
  QObject::connect(clear_, &QPushButton::clicked, this, [this] { ClearForm(); });
  QObject::connect(varieties_, &QPushButton::clicked, this, [this] {
    const bool shown = contract_->State() == gridctl::PanelState::kVariety;
    contract_->ShowDropDowns(static_cast<int>(shown ? gridctl::PanelState::kNone : gridctl::PanelState::kVariety));
  });
  BindControls({{C::kBuySell, buySell_}, {C::kOpenClose, openClose_}}, 18);
  buySell_->InitItems();
  FillOpenCloseCombo();
  HideCustomerOutsideMultiAccount();
  ShowHedgeBySettings();
  Layout();
}

void CTqPropertyOrderView::FillOpenCloseCombo() {
  const std::string held = ui::ToGbk(openClose_->currentText());
  openClose_->ResetContent();
  for (const std::string_view text : {kOpenText, kCloseText}) openClose_->AddItem(text);
  if (CloseToday()) openClose_->AddItem(kCloseTodayText);
  const int index = IndexOfText(*openClose_, held);
  openClose_->SetCurSel(index >= 0 ? index : (held == kCloseTodayText ? 1 : 0));
}

void CTqPropertyOrderView::Layout() {
  // Rows of a label and its input, the customer's only in multi-account
  // mode.
  int y = context_.multiAccount ? 38 : 6;
  const int step = 32;
  customerLabel_->setGeometry(6, 10, 36, 20);
  customer_->setGeometry(46, 6, 130, 26);
  contractLabel_->setGeometry(6, y + 4, 36, 20);
  contract_->setGeometry(46, y, 90, 26);
  varieties_->setGeometry(140, y, 40, 26);
  y += step;
  buySellLabel_->setGeometry(6, y + 4, 36, 20);
  buySell_->setGeometry(46, y, 74, 26);
  openCloseLabel_->setGeometry(130, y + 4, 32, 20);
  openClose_->setGeometry(166, y, 74, 26);
  y += step;
  volumeLabel_->setGeometry(6, y + 4, 36, 20);
  volume_->setGeometry(46, y, 58, 26);
  priceLabel_->setGeometry(130, y + 4, 32, 20);
  price_->setGeometry(166, y, 86, 26);
  y += step + 2;
  hedge_->setGeometry(6, y, 56, 28);
  send_->setGeometry(70, y, 64, 28);
  clear_->setGeometry(142, y, 64, 28);
  setMinimumSize(272, y + 34);
}

std::string CTqPropertyOrderView::BuySellCode() const { return client::BuySellCode(buySell_->GetSelText()); }

std::string CTqPropertyOrderView::OpenCloseCode() const {
  return client::OpenCloseCode(ui::ToGbk(openClose_->currentText()));
}

void CTqPropertyOrderView::ShowBuySell(std::string_view code) {
  buySell_->SetCurSel(IndexOfText(*buySell_, client::BuySellText(code)));
}

void CTqPropertyOrderView::ShowOpenClose(std::string_view code) {
  openClose_->SetCurSel(IndexOfText(*openClose_, client::OpenCloseText(code)));
}

bool CTqPropertyOrderView::ToggleBuySell() {
  buySell_->SetCurSel(gridctl::SwappedBuySell(buySell_->currentIndex()));
  return true;
}

bool CTqPropertyOrderView::ToggleOpenClose() {
  openClose_->SetCurSel(NextOpenCloseItem(openClose_->currentIndex(), openClose_->count()));
  return true;
}

// The combo holds 平今 from when it was last filled.
bool CTqPropertyOrderView::OffersCloseToday() const { return openClose_->count() == 3; }

bool CTqPropertyOrderView::RefreshesOnLeaving(PanelControl control) const {
  return control == C::kBuySell || control == C::kOpenClose || control == C::kVolume || control == C::kPrice;
}

void CTqPropertyOrderView::OnContractApplied(double) { FillOpenCloseCombo(); }

void CTqPropertyOrderView::OnCloseTodayRecomputed() { FillOpenCloseCombo(); }

}  // namespace tradeviews
