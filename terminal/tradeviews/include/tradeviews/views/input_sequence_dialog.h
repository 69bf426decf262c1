// CTqOrderInputSequence, "下单输入顺序": the seven fields of the row panel
// in their input order, moved with "↑" and "↓"; "确定" writes the order
// into the settings record, "取消" leaves it as it was.
#pragma once

#include <QListWidget>
#include <QPushButton>

#include "client/order_settings.h"
#include "tradeviews/model/input_sequence.h"
#include "ui/dialog_base.h"

namespace tradeviews {

class CTqOrderInputSequence : public ui::BaseDialog {
 public:
  // `settings` must outlive the dialog.
  CTqOrderInputSequence(QWidget* parent, client::OrderSettings& settings);

  QListWidget* Rows() const { return list_; }
  void MoveRowUp();
  void MoveRowDown();
  // "确定": stores the rows' order and ends the dialog with OK.
  void StoreSequence();

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void ShowRows();

  client::OrderSettings& settings_;
  InputSequenceRows rows_;
  QListWidget* list_;
  QPushButton* up_;
  QPushButton* down_;
  QPushButton* ok_;
  QPushButton* cancel_;
};

}  // namespace tradeviews
