#include "tradeviews/views/order_view_base.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>

#include "gridctl/model/contract_edit_rules.h"
#include "gridctl/views/paint_support.h"
#include "tradeviews/model/focus_chain.h"
#include "tradeviews/model/input_sequence.h"
#include "ui/colours_fonts.h"
#include "ui/gbk_text.h"
#include "ui/message_box.h"

namespace tradeviews {
namespace {

using engine::Text;

QLabel* MakeLabel(QWidget* parent, std::string_view text) { return new QLabel(ui::FromGbk(text), parent); }

std::string TextOf(const QLineEdit* edit) { return ui::ToGbk(edit->text()); }

bool IsDigitKey(int key) { return key >= Qt::Key_0 && key <= Qt::Key_9; }

// Leaving a control for another window (a list that drops down, a message
// box) is no move of the focus inside the panel.
bool MovesFocusInside(const QEvent* event) {
  const Qt::FocusReason reason = static_cast<const QFocusEvent*>(event)->reason();
  return reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason;
}

}  // namespace

void EnableWithSpin(gridctl::CTqEdit& edit, bool enabled) {
  edit.setEnabled(enabled);
  if (QWidget* spin = edit.SpinButton()) spin->setEnabled(enabled);
}

void SetTextColour(QWidget& control, std::uint32_t colour) {
  QPalette palette = control.palette();
  palette.setColor(QPalette::Text, ui::ColourFromRef(colour));
  palette.setColor(QPalette::ButtonText, ui::ColourFromRef(colour));
  control.setPalette(palette);
}

CTqBasicOrderView::CTqBasicOrderView(QWidget* parent, PanelStyle style, OrderPanelContext context,
                                     const Captions& captions)
    : QWidget(parent),
      context_(context),
      customerLabel_(MakeLabel(this, captions.customer)),
      customer_(new gridctl::CTqComboBox(this, gridctl::CTqComboBox::Style::kDropDown)),
      contractLabel_(MakeLabel(this, "合约")),
      contract_(new gridctl::CTqContractEdit(this)),
      volumeLabel_(MakeLabel(this, captions.volume)),
      volume_(new gridctl::CTqEdit(this)),
      priceLabel_(MakeLabel(this, captions.price)),
      price_(new gridctl::CTqEditPrice(this)),
      hedge_(new QCheckBox(ui::FromGbk(captions.hedge), this)),
      send_(new QPushButton(ui::FromGbk(captions.send), this)),
      style_(style) {
  setMouseTracking(true);
  send_->setAutoDefault(false);
  QObject::connect(send_, &QPushButton::clicked, this, [this] { SendNormalOrder(); });
  QObject::connect(contract_, &QLineEdit::textChanged, this, [this] { OnContractTextChanged(); });
}

CTqBasicOrderView::~CTqBasicOrderView() = default;

void CTqBasicOrderView::BindControls(std::map<PanelControl, QWidget*> styleControls, int fontHeight) {
  controls_ = std::move(styleControls);
  controls_.insert({{PanelControl::kCustomer, customer_},
                    {PanelControl::kContract, contract_},
                    {PanelControl::kVolume, volume_},
                    {PanelControl::kPrice, price_},
                    {PanelControl::kSend, send_}});
  QFont font = ui::FontOf("Tahoma", 9);
  font.setPixelSize(fontHeight);
  font.setWeight(QFont::Black);
  for (const auto& [control, widget] : controls_) {
    controlOf_[widget] = control;
    widget->installEventFilter(this);
    if (control != PanelControl::kSend) widget->setFont(font);
  }
  closeToday_ = context_.services->CloseTodaySupported("");
  volume_->CreateSpinButton(gridctl::kLotsLower, gridctl::kLotsUpper, 1);
  price_->SetPriceTick(1);
  contract_->CreateDropDowns();
}

QWidget* CTqBasicOrderView::Control(PanelControl control) const {
  const auto found = controls_.find(control);
  return found == controls_.end() ? nullptr : found->second;
}

bool CTqBasicOrderView::CanFocus(PanelControl control) const {
  const QWidget* widget = Control(control);
  return widget != nullptr && widget->isEnabled() && !widget->isHidden();
}

InputSequence CTqBasicOrderView::Sequence() const { return InputSequenceOf(*context_.settings); }

void CTqBasicOrderView::HideCustomerOutsideMultiAccount() {
  if (context_.multiAccount) return;
  customerLabel_->hide();
  customer_->SetCurSel(-1);
  customer_->setEnabled(false);
  customer_->hide();
}

bool CTqBasicOrderView::ShowHedgeBySettings() {
  const bool shown = context_.settings->ShowHedge != 0;
  if (!shown) hedge_->setChecked(false);
  hedge_->setEnabled(shown);
  hedge_->setVisible(shown);
  return shown;
}

bool CTqBasicOrderView::MoveFocusTo(PanelControl control) {
  if (!CanFocus(control)) return false;
  Control(control)->setFocus(Qt::OtherFocusReason);
  return true;
}

void CTqBasicOrderView::FocusNextField(PanelControl from) {
  if (from == PanelControl::kContract) {
    contract_->CompleteFromGrid();
    contract_->ShowDropDowns(static_cast<int>(gridctl::PanelState::kNone));
  }
  MoveFocusTo(NextFocus(style_, Sequence(), from, [this](PanelControl control) { return CanFocus(control); }));
}

void CTqBasicOrderView::FocusPreviousField(PanelControl from) {
  MoveFocusTo(PreviousFocus(style_, Sequence(), from, [this](PanelControl control) { return CanFocus(control); }));
}

bool CTqBasicOrderView::eventFilter(QObject* watched, QEvent* event) {
  const auto found = controlOf_.find(watched);
  if (found == controlOf_.end()) return QWidget::eventFilter(watched, event);
  const PanelControl control = found->second;
  switch (event->type()) {
    case QEvent::KeyPress: {
      const auto* key = static_cast<const QKeyEvent*>(event);
      if (OnKey(control, key->key(), key->modifiers())) return true;
      break;
    }
    case QEvent::MouseButtonDblClick:
      if (control == PanelControl::kBuySell && ToggleBuySell()) return true;
      if (control == PanelControl::kOpenClose && ToggleOpenClose()) return true;
      break;
    case QEvent::FocusIn: OnEntered(control); break;
    case QEvent::FocusOut:
      if (MovesFocusInside(event)) OnLeft(control);
      break;
    default: break;
  }
  return QWidget::eventFilter(watched, event);
}

bool CTqBasicOrderView::OnKey(PanelControl control, int key, Qt::KeyboardModifiers modifiers) {
  if (TakeKey(control, key)) return true;
  // While the contract list drops down, the arrows walk through it.
  const bool listShown = contract_->ContractPanel() != nullptr && contract_->ContractPanel()->isVisible();
  if (control == PanelControl::kContract && listShown && (key == Qt::Key_Down || key == Qt::Key_Up)) return false;
  switch (key) {
    case Qt::Key_Tab:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Right:
    case Qt::Key_Down: FocusNextField(control); return true;
    case Qt::Key_Backtab:
    case Qt::Key_Left:
    case Qt::Key_Up: FocusPreviousField(control); return true;
    default: break;
  }
  const bool commandKey = (modifiers & (Qt::ControlModifier | Qt::AltModifier)) != 0;
  return IsDigitKey(key) && !commandKey && TakeDigit(control, key - Qt::Key_0);
}

bool CTqBasicOrderView::TakeDigit(PanelControl control, int digit) {
  if (control == PanelControl::kBuySell) {
    if (const auto code = BuySellForDigit(Keys(), digit)) ShowBuySell(*code);
    return true;
  }
  if (control == PanelControl::kOpenClose) {
    if (const auto code = OpenCloseForDigit(Keys(), digit, OffersCloseToday())) ShowOpenClose(*code);
    return true;
  }
  return false;
}

void CTqBasicOrderView::OnEntered(PanelControl control) {
  if (control == PanelControl::kContract) contract_->MoveDropDowns();
  auto* edit = qobject_cast<QLineEdit*>(Control(control));
  if (edit == nullptr) return;
  // After the edit's own handling of the focus, which may place the caret;
  // an edit the focus has left again keeps no selection.
  QTimer::singleShot(0, edit, [edit, price = control == PanelControl::kPrice] {
    if (!edit->hasFocus()) return;
    const int length = static_cast<int>(edit->text().size());
    if (price && length >= 2) {
      edit->setSelection(length - 2, 2);
    } else {
      edit->selectAll();
    }
  });
}

void CTqBasicOrderView::OnLeft(PanelControl control) {
  if (control == PanelControl::kContract) MatchContractText();
  if (control == PanelControl::kCustomer && style_ == PanelStyle::kRow) {
    std::string message;
    if (!CheckCustomerNo(ui::ToGbk(customer_->currentText()), context_.services->Customers(), message)) {
      ShowMessage(message);
    }
  }
  if (RefreshesOnLeaving(control)) RefreshClosableVolumes();
}

void CTqBasicOrderView::mouseMoveEvent(QMouseEvent* event) {
  const QRect edit(contract_->mapToGlobal(QPoint(0, 0)), contract_->size());
  if (!gridctl::ToQRect(gridctl::DropDownZone(gridctl::ToRect(edit))).contains(event->globalPosition().toPoint())) {
    contract_->ShowDropDowns(static_cast<int>(gridctl::PanelState::kNone));
  }
  QWidget::mouseMoveEvent(event);
}

OrderFormInput CTqBasicOrderView::ReadInput() const {
  OrderFormInput input;
  input.customerShown = !customer_->isHidden();
  input.customer = ui::ToGbk(customer_->currentText());
  input.contract = TextOf(contract_);
  input.buySell = BuySellCode();
  input.openClose = OpenCloseCode();
  input.volume = TextOf(volume_);
  input.price = TextOf(price_);
  input.hedge = hedge_->isChecked();
  AddStyleInput(input);
  return input;
}

order_module::OrderRecord CTqBasicOrderView::BuildOrderRecord(bool lookUp, std::string& lookUpError) {
  return tradeviews::BuildOrderRecord(ReadInput(), *context_.services, lookUp, lookUpError);
}

void CTqBasicOrderView::SendNormalOrder() {
  const std::string message = tradeviews::SendNormalOrder(ReadInput(), *context_.services, context_.multiAccount);
  if (!message.empty()) ShowMessage(message);
}

void CTqBasicOrderView::ShowMessage(const std::string& text) { ui::ShowMessageBox(this, text, kApplicationTitle); }

void CTqBasicOrderView::RefreshClosableVolumes() {
  std::string lookUpError;
  engine::QuantityRecord query = QuantityQueryOf(BuildOrderRecord(true, lookUpError));
  std::string error;
  if (!context_.services->ClosableVolume(query, error)) {
    context_.services->LogUserAction(error);
    return;
  }
  ShowClosableVolumes(query);
}

void CTqBasicOrderView::MatchContractText() {
  if (contracts_.GetCount() == 0) context_.services->QueryContracts(contracts_);
  const std::optional<engine::ReducedContractRow> row = MatchContract(contracts_, TextOf(contract_));
  if (!row) return;
  const std::string code(Text(row->szContractCode));
  if (TextOf(contract_) != code) contract_->setText(ui::FromGbk(code));
  RefreshClosableVolumes();
  ApplyContract(*row);
}

void CTqBasicOrderView::ApplyContract(const engine::ReducedContractRow& row) {
  currentContract_ = Text(row.szContractCode);
  closeToday_ = context_.services->CloseTodaySupported(Text(row.szExchangeCode));
  const double tick = engine::PriceTickOf(row);
  OnContractApplied(tick);
  price_->SetPriceTick(tick);
  if (const std::optional<int> lots = DefaultLots(*context_.varieties, currentContract_, TextOf(volume_))) {
    volume_->setText(QString::number(*lots));
  }
}

// A contract the program put in: the close-today flag follows it (an unknown
// contract counts as any exchange, as before a contract is chosen).
void CTqBasicOrderView::OnContractTextChanged() {
  if (contract_->hasFocus()) return;
  const std::optional<engine::ReducedContractRow> row = MatchContract(contracts_, TextOf(contract_));
  closeToday_ = context_.services->CloseTodaySupported(row ? Text(row->szExchangeCode) : std::string_view());
  OnCloseTodayRecomputed();
}

bool CTqBasicOrderView::FillFromOrderRecord(const order_module::OrderRecord& record) {
  if (context_.multiAccount) {
    std::string message;
    if (!CheckCustomerNo(ui::ToGbk(customer_->currentText()), context_.services->Customers(), message)) {
      ShowMessage(message);
      return false;
    }
    const int index = customer_->findText(ui::FromGbk(Text(record.customerNo)));
    if (index >= 0) customer_->SetCurSel(index);
  }
  if (!Text(record.lots).empty()) volume_->setText(ui::FromGbk(Text(record.lots)));
  const std::string_view code = Text(record.contractCode);
  contract_->setText(ui::FromGbk(code));
  price_->setText(ui::FromGbk(PriceTextForTick(Text(record.price), context_.services->PriceTick(code))));
  ShowBuySell(Text(record.buySell));
  ShowOpenClose(Text(record.openClose));
  AfterFill();
  MatchContractText();
  return true;
}

void CTqBasicOrderView::ResetAfterOrder() {
  switch (context_.settings->ClearInfoAfterOrder) {
    case 1:
      ShowBuySell("0");
      ShowOpenClose("0");
      contract_->clear();
      if (context_.multiAccount) customer_->SetCurSel(-1);
      if (context_.settings->ShowHedge) hedge_->setChecked(false);
      ResetVolumeLabels();
      [[fallthrough]];
    case 2:
      volume_->clear();
      price_->clear();
      break;
    default: break;
  }
}

void CTqBasicOrderView::FocusFieldAfterOrder(int position) { MoveFocusTo(FocusAfterOrder(position)); }

void CTqBasicOrderView::ClearForm() {
  if (!customer_->isHidden()) customer_->SetCurSel(-1);
  contract_->clear();
  volume_->clear();
  price_->clear();
  hedge_->setChecked(false);
  ResetVolumeLabels();
  ShowBuySell("0");
  ShowOpenClose("0");
  AfterFill();
}

void CTqBasicOrderView::ReloadContracts() {
  if (context_.multiAccount) FillCustomerCombo();
  context_.services->QueryContracts(contracts_);
  contract_->SetContractData(contracts_);
}

// Filled afresh after every contract download, so that a reconnect does
// not add the customers twice.
void CTqBasicOrderView::FillCustomerCombo() {
  const std::vector<std::string> customers = context_.services->Customers();
  if (customers.size() < 2) return;
  const QString current = customer_->currentText();
  customer_->ResetContent();
  for (const std::string& customer : customers) customer_->AddItem(customer);
  customer_->setEditText(current);
}

}  // namespace tradeviews
