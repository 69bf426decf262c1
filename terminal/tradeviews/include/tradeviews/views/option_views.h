// The option exercise views: the options whose exercise the customer can
// give up (form 181, dock "可放弃执行现货期权") with the confirmation of
// the lots to abandon (dialog 182); the long option positions for which an
// exercise or abandon order can be sent (form 183, dock
// "可申请执行商品期权"); and those orders, which can be cancelled (form
// 185, dock "商品期权申请委托单").
#pragma once

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <memory>

#include "gridctl/views/contract_edit.h"
#include "gridctl/views/numeric_edits.h"
#include "tradeviews/model/exercise_apply.h"
#include "tradeviews/model/exercise_orders.h"
#include "tradeviews/model/option_exercise.h"
#include "tradeviews/views/query_form_view.h"
#include "ui/dialog_base.h"

namespace tradeviews {

inline constexpr int kSubmitAbandonCommand = 12431;

class COptionsExerciseConfirmDlg : public ui::BaseDialog {
 public:
  // Edits the record in place; after a successful application it holds the
  // values of the answer.
  COptionsExerciseConfirmDlg(QWidget* parent, AbandonableOptionRecord& record,
                             std::function<void(int type, std::string_view text)> output);

 private:
  void OnQuantityChanged();
  void Submit();

  AbandonableOptionRecord& record_;
  std::function<void(int, std::string_view)> output_;
  QLineEdit* quantity_;
};

class CTqOptionsExercise : public CTQOtherQryBaseView {
 public:
  CTqOptionsExercise(QWidget* parent, const ui::ViewContext& context);

  // The routing of the answer.
  void OnInitialUpdate() override;
  void InitGridParams() override;
  void InitColumns() override;
  // The records of an answer; an answer without any says so and empties the
  // grid.
  void ShowAbandonableOptions(const std::vector<AbandonableOptionRecord>& records);
  // The menu with the abandon item.
  QMenu* GridPopupMenu() override;

 protected:
  void OnGridDblClk(const ui::GridMouse& mouse) override;

 private:
  void Query();
  void SubmitAbandon();
  Cells CellsOf(const AbandonableOptionRecord& record) const;
};

class CTqOptionsExerciseApply : public CTQOtherQryBaseView {
 public:
  CTqOptionsExerciseApply(QWidget* parent, const ui::ViewContext& context);

  // The routing of tables 5 and 20, the contract list.
  void OnInitialUpdate() override;
  void OnTableChanged(const engine::TableChangeRecord& record) override;
  void InitGridParams() override;
  void InitColumns() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Type "1" exercises, "2" abandons.
  void Send(std::string_view type);
  // The selected row's contract and position into the edits.
  void TakeSelectedRow();

  gridctl::CTqContractEdit* contract_;
  gridctl::CTqEditPrice* quantity_;
  std::unique_ptr<ExerciseApplyRows> model_;
};

class CTqOptionsExerciseOrders : public CTQOtherQryBaseView {
 public:
  CTqOptionsExerciseOrders(QWidget* parent, const ui::ViewContext& context);

  // The hidden columns, the routing of table 21.
  void OnInitialUpdate() override;
  void OnTableChanged(const engine::TableChangeRecord& record) override;
  void InitGridParams() override;
  void InitColumns() override;

 protected:
  // Cancels the row under the mouse.
  void OnGridDblClk(const ui::GridMouse& mouse) override;

 private:
  // Cancels the selected rows that may be.
  void CancelSelected();
  void Cancel(ui::RowId id);
  void ShowWaitingOnly(bool on);

  QCheckBox* waitingOnly_;
  std::unique_ptr<ExerciseOrderRows> model_;
};

}  // namespace tradeviews
