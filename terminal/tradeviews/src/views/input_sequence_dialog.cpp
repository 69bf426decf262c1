#include "tradeviews/views/input_sequence_dialog.h"

#include "panel_controls.h"
#include "ui/gbk_text.h"

namespace tradeviews {
CTqOrderInputSequence::CTqOrderInputSequence(QWidget* parent, client::OrderSettings& settings)
    : ui::BaseDialog(parent, 161, "下单输入顺序"),
      settings_(settings),
      rows_(InputSequenceOf(settings)),
      list_(new QListWidget(this)),
      up_(MakeButton(this, 1193, "↑")),
      down_(MakeButton(this, 1194, "↓")),
      ok_(MakeButton(this, 1195, "确定")),
      cancel_(MakeButton(this, 1196, "取消")) {
  setObjectName("CTqOrderInputSequence");
  ui::SetControlId(list_, 1197);
  QObject::connect(list_, &QListWidget::currentRowChanged, this, [this](int row) { rows_.Select(row); });
  QObject::connect(up_, &QPushButton::clicked, this, [this] { MoveRowUp(); });
  QObject::connect(down_, &QPushButton::clicked, this, [this] { MoveRowDown(); });
  QObject::connect(ok_, &QPushButton::clicked, this, [this] { StoreSequence(); });
  QObject::connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
  ShowRows();
  resize(128, 164);
}

void CTqOrderInputSequence::ShowRows() {
  const int selected = rows_.Selected();
  list_->clear();
  for (const std::string& row : rows_.Rows()) list_->addItem(ui::FromGbk(row));
  list_->setCurrentRow(selected);
}

void CTqOrderInputSequence::MoveRowUp() {
  rows_.MoveUp();
  ShowRows();
}

void CTqOrderInputSequence::MoveRowDown() {
  rows_.MoveDown();
  ShowRows();
}

void CTqOrderInputSequence::StoreSequence() {
  InputSequence sequence = InputSequenceOf(settings_);
  rows_.Store(sequence);
  SetInputSequence(settings_, sequence);
  accept();
}

void CTqOrderInputSequence::resizeEvent(QResizeEvent* event) {
  ui::BaseDialog::resizeEvent(event);
  list_->setGeometry(4, 4, 92, 128);
  up_->setGeometry(100, 4, 24, 42);
  down_->setGeometry(100, 72, 24, 43);
  ok_->setGeometry(4, 136, 52, 24);
  cancel_->setGeometry(62, 136, 52, 24);
}

}  // namespace tradeviews
