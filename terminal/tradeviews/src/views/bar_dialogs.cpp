#include "tradeviews/views/bar_dialogs.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QVBoxLayout>

#include "engine/query_facade.h"
#include "ui/colours_fonts.h"
#include "ui/dialog_base.h"
#include "ui/gbk_text.h"
#include "ui/message_box.h"

namespace tradeviews {
namespace {

using engine::Text;

template <class Control, class... Arguments>
Control* Make(QWidget* parent, int id, Arguments&&... arguments) {
  auto* control = new Control(std::forward<Arguments>(arguments)..., parent);
  ui::SetControlId(control, id);
  return control;
}

QLabel* Label(QWidget* parent, int id, std::string_view text) { return Make<QLabel>(parent, id, ui::FromGbk(text)); }

QPushButton* Button(QWidget* parent, int id, std::string_view text) {
  auto* button = Make<QPushButton>(parent, id, ui::FromGbk(text));
  // Enter acts on the button that has the focus, as the dialogs say.
  button->setAutoDefault(false);
  return button;
}

bool IsEnter(const QKeyEvent& key) { return key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter; }

}  // namespace

std::string ApplicationTitle() { return ui::ToGbk(QApplication::applicationName()); }

CChgPriceOrder::CChgPriceOrder(QWidget* parent, const ChangePriceRecord& record, BarServices& services)
    : QDialog(parent), record_(record), services_(services) {
  namespace id = change_price_control;
  setObjectName("CChgPriceOrder");
  setProperty("dialogId", id::kDialog);
  setWindowTitle(ui::FromGbk("改价下单"));
  setFont(ui::FontOf("宋体", 9));
  auto* information = Label(this, id::kInformation, ChangePriceInfoLine(record_));
  lots_ = Make<gridctl::CTqEdit>(this, id::kLots);
  lots_->setMaxLength(8);
  lots_->setText(ui::FromGbk(Text(record_.lots)));
  lots_->setEnabled(false);
  price_ = Make<gridctl::CTqEditPrice>(this, id::kPrice);
  price_->setMaxLength(15);
  price_->setText(ui::FromGbk(Text(record_.price)));
  confirm_ = Button(this, id::kConfirm, "确认");
  cancel_ = Button(this, id::kCancel, "取消");

  auto* fields = new QHBoxLayout;
  fields->addWidget(Label(this, id::kLotsLabel, "手数"));
  fields->addWidget(lots_, 1);
  fields->addSpacing(12);
  fields->addWidget(Label(this, id::kPriceLabel, "价格"));
  fields->addWidget(price_, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(confirm_);
  buttons->addWidget(cancel_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(information);
  layout->addLayout(fields);
  layout->addLayout(buttons);
  resize(350, 140);
  // The spin button goes beside the edit once the edit is laid out.
  price_->SetPriceTick(engine::GetPriceTick(services_.Engine(), Text(record_.contract)));
  connect(confirm_, &QPushButton::clicked, this, &CChgPriceOrder::SubmitChange);
  connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
  price_->setFocus();
  price_->selectAll();
}

void CChgPriceOrder::SubmitChange() {
  const NewPriceCheck check =
      tradeviews::SubmitChange(record_, ui::ToGbk(lots_->text()), ui::ToGbk(price_->text()), services_);
  if (check == NewPriceCheck::kAccepted) {
    accept();
    return;
  }
  ui::ShowMessageBox(this, NewPriceMessage(check), ApplicationTitle());
  price_->setFocus();
  price_->selectAll();
}

void CChgPriceOrder::keyPressEvent(QKeyEvent* event) {
  if (!IsEnter(*event)) {
    QDialog::keyPressEvent(event);
    return;
  }
  QWidget* focus = focusWidget();
  if (focus == confirm_) {
    SubmitChange();
  } else if (focus == cancel_) {
    reject();
  } else {
    confirm_->setFocus(Qt::TabFocusReason);
  }
}

CReverseOrder::CReverseOrder(QWidget* parent, const PositionOrderRecord& record, BarServices& services)
    : QDialog(parent), ticket_(ReverseTicketOf(record)), services_(services) {
  namespace id = reverse_control;
  setObjectName("CReverseOrder");
  setWindowTitle(ui::FromGbk("反手委托确认"));
  setFont(ui::FontOf("宋体", 9));
  const auto edit = [this](int controlId, std::string_view text) {
    auto* control = Make<QLineEdit>(this, controlId);
    control->setMaxLength(20);
    control->setText(ui::FromGbk(text));
    control->installEventFilter(this);
    return control;
  };
  const std::string price(Text(record.price));
  const std::string lots(Text(record.lots));
  closePrice_ = edit(id::kClosePrice, price);
  closeLots_ = edit(id::kCloseLots, lots);
  openPrice_ = edit(id::kOpenPrice, price);
  openLots_ = edit(id::kOpenLots, lots);
  ok_ = Button(this, id::kOk, "确定");
  cancel_ = Button(this, id::kCancel, "取消");
  // The dialog's standard course: Enter presses the button that has the
  // focus, and "确定" from the edits.
  for (QPushButton* button : {ok_, cancel_}) {
    button->setAutoDefault(true);
    button->installEventFilter(this);
  }
  ok_->setDefault(true);
  tip_ = new gridctl::CxTitleTip(this);
  tip_->CreateText(ok_, "先平今仓再平老仓", 1000);
  ok_->setMouseTracking(true);

  auto* grid = new QGridLayout(this);
  grid->addWidget(Label(this, id::kContract, "合约信息：" + std::string(Text(record.contract))), 0, 0, 1, 5);
  grid->addWidget(Label(this, id::kCloseSide, "平：" + ticket_.sideText), 1, 0);
  grid->addWidget(Label(this, id::kClosePriceLabel, "价格"), 1, 1);
  grid->addWidget(closePrice_, 1, 2);
  grid->addWidget(Label(this, id::kCloseLotsLabel, "手数"), 1, 3);
  grid->addWidget(closeLots_, 1, 4);
  grid->addWidget(Label(this, id::kOpenSide, "开：" + ticket_.sideText), 2, 0);
  grid->addWidget(Label(this, id::kOpenPriceLabel, "价格"), 2, 1);
  grid->addWidget(openPrice_, 2, 2);
  grid->addWidget(Label(this, id::kOpenLotsLabel, "手数"), 2, 3);
  grid->addWidget(openLots_, 2, 4);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(ok_);
  buttons->addWidget(cancel_);
  grid->addLayout(buttons, 3, 0, 1, 5);
  connect(ok_, &QPushButton::clicked, this, &CReverseOrder::OnOK);
  connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
  closePrice_->setFocus();
}

void CReverseOrder::OnOK() {
  const ReverseInputs inputs{ui::ToGbk(closePrice_->text()), ui::ToGbk(closeLots_->text()),
                             ui::ToGbk(openPrice_->text()), ui::ToGbk(openLots_->text())};
  const std::string refusal = SubmitReverse(ticket_, inputs, services_);
  if (refusal.empty()) {
    accept();
    return;
  }
  ui::ShowMessageBox(this, refusal, ApplicationTitle());
}

QWidget* CReverseOrder::ArrowTarget(QObject* focus, int key) const {
  // Per control: Left, Up, Right, Down; `this` swallows the key, null
  // passes it on.
  struct Moves {
    const QObject* control;
    QWidget* left;
    QWidget* up;
    QWidget* right;
    QWidget* down;
  };
  auto* self = const_cast<CReverseOrder*>(this);
  const Moves moves[] = {
      {closePrice_, nullptr, self, closeLots_, openPrice_}, {closeLots_, closePrice_, self, openPrice_, openLots_},
      {openPrice_, nullptr, closePrice_, openLots_, ok_},   {openLots_, openPrice_, closeLots_, nullptr, ok_},
      {ok_, nullptr, openPrice_, cancel_, closePrice_},     {cancel_, ok_, openLots_, nullptr, closePrice_},
  };
  for (const Moves& move : moves) {
    if (move.control != focus) continue;
    switch (key) {
      case Qt::Key_Left: return move.left;
      case Qt::Key_Up: return move.up;
      case Qt::Key_Right: return move.right;
      case Qt::Key_Down: return move.down;
      default: return nullptr;
    }
  }
  return nullptr;
}

bool CReverseOrder::eventFilter(QObject* watched, QEvent* event) {
  if (watched == ok_) {
    if (event->type() == QEvent::MouseMove || event->type() == QEvent::MouseButtonPress ||
        event->type() == QEvent::MouseButtonRelease) {
      tip_->RelayEvent(event->type(), static_cast<QMouseEvent*>(event)->globalPosition().toPoint());
    }
  }
  if (event->type() != QEvent::KeyPress) return QDialog::eventFilter(watched, event);
  QWidget* target = ArrowTarget(watched, static_cast<QKeyEvent*>(event)->key());
  if (target == nullptr) return QDialog::eventFilter(watched, event);
  if (target != this) target->setFocus(Qt::TabFocusReason);
  return true;
}

}  // namespace tradeviews
