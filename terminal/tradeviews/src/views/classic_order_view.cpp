#include "tradeviews/views/classic_order_view.h"

#include <QPainter>

#include "panel_controls.h"
#include "tradeviews/model/order_layout.h"
#include "ui/dialog_base.h"
#include "ui/gbk_text.h"

namespace tradeviews {
namespace {

using C = PanelControl;

constexpr int kLabelLeft = 6;
constexpr int kInputLeft = 52;
constexpr int kInputWidth = 100;
constexpr int kComboWidth = 96;
constexpr int kRowHeight = 24;
constexpr int kRowStep = 28;
// The coloured square behind the form, and where the side panel starts.
constexpr int kSquare = 200;

}  // namespace

CTqClassicOrderView::CTqClassicOrderView(QWidget* parent, OrderPanelContext context)
    : CTqBasicOrderView(parent, PanelStyle::kClassic, context, {"帐号", "数量", "固定价", "套保", "下单"}),
      buySellLabel_(MakeLabel(this, 1260, "买卖")),
      buySell_(new gridctl::CTqComboBox(this)),
      openCloseLabel_(MakeLabel(this, 1262, "开平")),
      openClose_(new gridctl::CTqComboBox(this)),
      sidePanel_(new CTqEntrustExtInfoPanel(this)) {
  const std::pair<QWidget*, int> ids[] = {{customerLabel_, 1272}, {customer_, 1269},  {contractLabel_, 1259},
                                          {contract_, 1268},      {buySell_, 1248},   {priceLabel_, 1261},
                                          {price_, 1251},         {openClose_, 1249}, {volumeLabel_, 1263},
                                          {volume_, 1252},        {hedge_, 1250},     {send_, 1265}};
  for (const auto& [widget, id] : ids) ui::SetControlId(widget, id);
  QObject::connect(buySell_, &QComboBox::currentIndexChanged, this, [this] { update(0, 0, kSquare, kSquare); });
  BindControls({{C::kBuySell, buySell_}, {C::kOpenClose, openClose_}}, 16);
  FillBuySellCombo();
  FillOpenCloseCombo();
  LayoutTopToBottom();
  sidePanel_->setGeometry(0, kSquare, kSquare, kSquare);
  sidePanel_->show();
  setMinimumSize(kSquare, 2 * kSquare);
}

void CTqClassicOrderView::FillBuySellCombo() { FillCombo(*buySell_, ClassicBuySellItems(Keys())); }

void CTqClassicOrderView::FillOpenCloseCombo() { FillCombo(*openClose_, ClassicOpenCloseItems(Keys(), CloseToday())); }

void CTqClassicOrderView::LayoutTopToBottom() {
  HideCustomerOutsideMultiAccount();
  const bool showHedge = ShowHedgeBySettings();
  const std::map<C, QLabel*> labels = {{C::kCustomer, customerLabel_}, {C::kContract, contractLabel_},
                                       {C::kBuySell, buySellLabel_},   {C::kVolume, volumeLabel_},
                                       {C::kPrice, priceLabel_},       {C::kOpenClose, openCloseLabel_}};
  int y = 6;
  for (const C control : ColumnOrder(Sequence(), context_.multiAccount)) {
    if (control == C::kSend) {
      send_->setGeometry(kInputLeft + 29, y + 5, 80, 28);
      y += 5 + 28 + 3;
      continue;
    }
    labels.at(control)->setGeometry(kLabelLeft, y + 3, kInputLeft - kLabelLeft - 2, kRowHeight - 6);
    const bool combo = control == C::kBuySell || control == C::kOpenClose;
    Control(control)->setGeometry(kInputLeft, y, combo ? kComboWidth : kInputWidth, kRowHeight);
    if (control == C::kBuySell && showHedge)
      hedge_->setGeometry(kInputLeft + kComboWidth + 4, y + 3, 44, kRowHeight - 4);
    y += kRowStep;
  }
}

std::string CTqClassicOrderView::BuySellCode() const {
  return ClassicBuySellCode(Keys(), ui::ToGbk(buySell_->currentText()));
}

std::string CTqClassicOrderView::OpenCloseCode() const {
  return ClassicOpenCloseCode(Keys(), ui::ToGbk(openClose_->currentText()));
}

void CTqClassicOrderView::ShowBuySell(std::string_view code) {
  buySell_->SetCurSel(IndexOfText(*buySell_, ClassicBuySellText(Keys(), code)));
}

void CTqClassicOrderView::ShowOpenClose(std::string_view code) {
  openClose_->SetCurSel(IndexOfText(*openClose_, ClassicOpenCloseText(Keys(), code)));
}

// The combo holds 平今 from when it was filled.
bool CTqClassicOrderView::OffersCloseToday() const { return openClose_->count() == 3; }

bool CTqClassicOrderView::RefreshesOnLeaving(PanelControl control) const {
  return control == C::kVolume || control == C::kPrice;
}

void CTqClassicOrderView::ShowClosableVolumes(const engine::QuantityRecord& answer) {
  sidePanel_->ShowFundsAndHoldings(answer);
}

void CTqClassicOrderView::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  painter.fillRect(0, 0, kSquare, kSquare, BuySellCode() == "0" ? QColor(222, 116, 116) : QColor(145, 236, 143));
  CTqBasicOrderView::paintEvent(event);
}

}  // namespace tradeviews
