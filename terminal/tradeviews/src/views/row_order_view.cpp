#include "tradeviews/views/row_order_view.h"

#include <algorithm>

#include "client/code_tables.h"
#include "panel_controls.h"
#include "tradeviews/model/order_layout.h"
#include "tradeviews/views/input_sequence_dialog.h"
#include "ui/dialog_base.h"
#include "ui/gbk_text.h"

namespace tradeviews {
namespace {

using C = PanelControl;

constexpr int kLabelTop = 4;
constexpr int kLabelHeight = 16;
constexpr int kInputTop = 22;
constexpr int kInputHeight = 26;
constexpr int kButtonWidth = 48;
constexpr int kVolumeLabelWidth = 110;

// The width of each control before the 4 pixels the row adds.
int BaseWidth(C control) {
  switch (control) {
    case C::kCustomer: return 96;
    case C::kContract: return 80;
    case C::kBuySell:
    case C::kOpenClose: return 44;
    case C::kVolume: return 54;
    case C::kPrice: return 84;
    case C::kPriceType: return 132;
    case C::kDealAttribute: return 186;
    case C::kTriggerPrice: return 84;
    default: return kButtonWidth;
  }
}

}  // namespace

CTqRowOrderView::CTqRowOrderView(QWidget* parent, OrderPanelContext context)
    : CTqBasicOrderView(parent, PanelStyle::kRow, context, {"交易帐号", "数量", "价格", "保值", "确定"}),
      buySellLabel_(MakeLabel(this, 1143, "买卖")),
      buySell_(new gridctl::CTqNoContextMenuBCGPEdit(this)),
      openCloseLabel_(MakeLabel(this, 1146, "开平")),
      openClose_(new gridctl::CTqNoContextMenuBCGPEdit(this)),
      priceTypeLabel_(MakeLabel(this, 1344, "定单类型")),
      priceType_(new gridctl::CTqComboOrderType(this)),
      dealAttributeLabel_(MakeLabel(this, 1345, "成交属性")),
      dealAttribute_(new gridctl::CTqComboDealAttr(this)),
      triggerLabel_(MakeLabel(this, 1347, "触发价格")),
      trigger_(new gridctl::CTqEditPrice(this)),
      sequence_(MakeButton(this, 1190, "顺序")),
      clear_(MakeButton(this, 1139, "清空")) {
  const std::pair<QWidget*, int> ids[] = {
      {customerLabel_, 1201}, {customer_, 1240},      {contractLabel_, 1142}, {contract_, 1131}, {buySell_, 1132},
      {volumeLabel_, 1144},   {volume_, 1133},        {priceLabel_, 1145},    {price_, 1135},    {openClose_, 1137},
      {priceType_, 1343},     {dealAttribute_, 1346}, {trigger_, 1348},       {hedge_, 1212},    {send_, 1189}};
  for (const auto& [widget, id] : ids) ui::SetControlId(widget, id);
  const int labelIds[] = {1198, 1148, 1149, 1150};
  for (std::size_t i = 0; i < volumeLabels_.size(); ++i) volumeLabels_[i] = MakeLabel(this, labelIds[i], "");
  ResetVolumeLabels();
  volumeLabels_[3]->setText(ui::FromGbk(VolumeLabels{}.usable));

  // Buy/sell and open/close are chosen with digits and double clicks only.
  for (gridctl::CTqNoContextMenuBCGPEdit* edit : {buySell_, openClose_}) edit->setReadOnly(true);
  QObject::connect(buySell_, &QLineEdit::textChanged, this,
                   [this](const QString& text) { SetTextColour(*buySell_, BuySellColour(ui::ToGbk(text))); });
  QObject::connect(openClose_, &QLineEdit::textChanged, this,
                   [this](const QString& text) { SetTextColour(*openClose_, OpenCloseColour(ui::ToGbk(text))); });
  QObject::connect(priceType_, &QComboBox::activated, this, [this] { OnPriceTypeChanged(); });
  QObject::connect(sequence_, &QPushButton::clicked, this, [this] { OpenInputSequence(); });
  QObject::connect(clear_, &QPushButton::clicked, this, [this] { ClearForm(); });

  BindControls({{C::kBuySell, buySell_},
                {C::kOpenClose, openClose_},
                {C::kPriceType, priceType_},
                {C::kDealAttribute, dealAttribute_},
                {C::kTriggerPrice, trigger_}},
               18);
  SetSideTexts(kBuyText, kOpenText);
  trigger_->SetPriceTick(1);
  trigger_->clear();
  FillCombo(*priceType_, PriceTypeItems());
  FillCombo(*dealAttribute_, DealAttributeItems());
  EnableWithSpin(*trigger_, false);
  LayoutLeftToRight();
}

void CTqRowOrderView::SetSideTexts(std::string_view buySell, std::string_view openClose) {
  buySell_->setText(ui::FromGbk(buySell));
  openClose_->setText(ui::FromGbk(openClose));
}

std::string CTqRowOrderView::BuySellCode() const { return client::BuySellCode(ui::ToGbk(buySell_->text())); }

std::string CTqRowOrderView::OpenCloseCode() const { return client::OpenCloseCode(ui::ToGbk(openClose_->text())); }

void CTqRowOrderView::ShowBuySell(std::string_view code) { buySell_->setText(ui::FromGbk(client::BuySellText(code))); }

void CTqRowOrderView::ShowOpenClose(std::string_view code) {
  openClose_->setText(ui::FromGbk(client::OpenCloseText(code)));
}

bool CTqRowOrderView::ToggleBuySell() {
  buySell_->setText(ui::FromGbk(ToggledBuySell(ui::ToGbk(buySell_->text()))));
  RefreshClosableVolumes();
  return true;
}

bool CTqRowOrderView::ToggleOpenClose() {
  openClose_->setText(ui::FromGbk(NextOpenClose(ui::ToGbk(openClose_->text()), CloseToday())));
  return true;
}

bool CTqRowOrderView::TakeDigit(PanelControl control, int digit) {
  switch (control) {
    case C::kPriceType:
      if (digit < 1 || digit > priceType_->count()) return false;
      SelectPriceType(digit - 1);
      return true;
    case C::kDealAttribute:
      if (digit < 1 || digit > dealAttribute_->count()) return false;
      dealAttribute_->SetCurSel(digit - 1);
      return true;
    default: return CTqBasicOrderView::TakeDigit(control, digit);
  }
}

bool CTqRowOrderView::TakeKey(PanelControl control, int key) {
  if (control != C::kPriceType || (key != Qt::Key_Down && key != Qt::Key_Up)) return false;
  const int step = key == Qt::Key_Down ? 1 : -1;
  SelectPriceType(std::clamp(priceType_->currentIndex() + step, 0, priceType_->count() - 1));
  return true;
}

void CTqRowOrderView::SelectPriceType(int item) {
  priceType_->SetCurSel(item);
  OnPriceTypeChanged();
}

void CTqRowOrderView::OnPriceTypeChanged() {
  const int number = NumberBeforeDash(ui::ToGbk(priceType_->currentText()));
  const std::string exchange = context_.services->ExchangeCode(context_.services->ContractExchange(currentContract_));
  const PriceTypeRules rules = RulesForPriceType(number, exchange, lastPrice_);
  if (rules.priceType != number) priceType_->SetCurSel(rules.priceType - 1);
  EnableWithSpin(*trigger_, rules.triggerEnabled);
  dealAttribute_->setEnabled(rules.dealAttributeEnabled);
  dealAttribute_->SetCurSel(rules.dealAttribute - 1);
  EnableWithSpin(*price_, rules.priceEnabled);
  price_->setText(ui::FromGbk(rules.price));
}

bool CTqRowOrderView::RefreshesOnLeaving(PanelControl control) const {
  return control == C::kBuySell || control == C::kOpenClose || control == C::kVolume || control == C::kPrice;
}

void CTqRowOrderView::AddStyleInput(OrderFormInput& input) const {
  input.withPriceType = true;
  input.priceType = ui::ToGbk(priceType_->currentText());
  input.dealAttribute = ui::ToGbk(dealAttribute_->currentText());
  input.triggerPrice = ui::ToGbk(trigger_->text());
}

void CTqRowOrderView::ShowClosableVolumes(const engine::QuantityRecord& answer) {
  const VolumeLabels labels = VolumeLabelsOf(answer, ui::ToGbk(buySell_->text()) == kBuyText);
  const std::string* texts[] = {&labels.closable, &labels.closableToday, &labels.openable, &labels.usable};
  for (std::size_t i = 0; i < volumeLabels_.size(); ++i) volumeLabels_[i]->setText(ui::FromGbk(*texts[i]));
  lastPrice_ = engine::Text(answer.szPrice);
}

std::array<std::string, 4> CTqRowOrderView::VolumeLabelTexts() const {
  std::array<std::string, 4> texts;
  for (std::size_t i = 0; i < texts.size(); ++i) texts[i] = ui::ToGbk(volumeLabels_[i]->text());
  return texts;
}

void CTqRowOrderView::ResetVolumeLabels() {
  const VolumeLabels labels;
  volumeLabels_[0]->setText(ui::FromGbk(labels.closable));
  volumeLabels_[1]->setText(ui::FromGbk(labels.closableToday));
  volumeLabels_[2]->setText(ui::FromGbk(labels.openable));
}

void CTqRowOrderView::OnContractApplied(double tick) { trigger_->SetPriceTick(tick); }

// A filled or cleared form is a limit order again: the price can be typed.
void CTqRowOrderView::AfterFill() {
  EnableWithSpin(*price_, true);
  priceType_->SetCurSel(0);
  dealAttribute_->SetCurSel(0);
  dealAttribute_->setEnabled(true);
  EnableWithSpin(*trigger_, false);
}

void CTqRowOrderView::ClearForm() {
  CTqBasicOrderView::ClearForm();
  SetSideTexts(kBuyText, kOpenText);
  trigger_->clear();
  priceType_->setEnabled(true);
}

void CTqRowOrderView::LayoutLeftToRight() {
  const std::map<C, QLabel*> labels = {{C::kCustomer, customerLabel_},   {C::kContract, contractLabel_},
                                       {C::kBuySell, buySellLabel_},     {C::kVolume, volumeLabel_},
                                       {C::kPrice, priceLabel_},         {C::kOpenClose, openCloseLabel_},
                                       {C::kPriceType, priceTypeLabel_}, {C::kDealAttribute, dealAttributeLabel_},
                                       {C::kTriggerPrice, triggerLabel_}};
  HideCustomerOutsideMultiAccount();
  int x = 4;
  for (const C control : RowOrder(Sequence(), context_.multiAccount)) {
    if (control == C::kSend) break;
    const int width = BaseWidth(control) + 4;
    labels.at(control)->setGeometry(x, kLabelTop, width, kLabelHeight);
    Control(control)->setGeometry(x, kInputTop, width, kInputHeight);
    // The customer combo keeps 5 pixels to the contract; the spins of the
    // lots and prices stand in their gaps.
    x += width + (control == C::kCustomer ? 5 : RowGapAfter(control));
  }
  if (ShowHedgeBySettings()) {
    hedge_->setGeometry(x + 2, kInputTop, 48, kInputHeight);
    x += 2 + 48 + 9;
  } else {
    x += 15;
  }
  for (QPushButton* button : {send_, sequence_, clear_}) {
    button->setGeometry(x, kInputTop, kButtonWidth, kInputHeight);
    x += kButtonWidth + 7;
  }
  for (std::size_t i = 0; i < volumeLabels_.size(); ++i) {
    volumeLabels_[i]->setGeometry(x + static_cast<int>(i / 2) * kVolumeLabelWidth, i % 2 == 0 ? kLabelTop : kInputTop,
                                  kVolumeLabelWidth, kLabelHeight + 4);
  }
  setMinimumSize(x + 2 * kVolumeLabelWidth, kInputTop + kInputHeight + 6);
  update();
}

void CTqRowOrderView::OpenInputSequence() {
  CTqOrderInputSequence dialog(this, *context_.settings);
  if (dialog.exec() != QDialog::Accepted) return;
  LayoutLeftToRight();
  if (context_.commonSettingsArea != nullptr) context_.commonSettingsArea->Save();
}

}  // namespace tradeviews
