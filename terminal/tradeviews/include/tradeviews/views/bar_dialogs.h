// The two modal dialogs of the query bars. CChgPriceOrder ("改价下单")
// shows a pending order and takes its new price; CReverseOrder ("反手委托确认")
// takes the close and open legs of a reverse order. Each checks what was
// typed, says what is wrong and stays open, or submits and closes. Controls
// carry their resource numbers as object names.
#pragma once

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <string>

#include "gridctl/views/numeric_edits.h"
#include "gridctl/views/title_tip.h"
#include "tradeviews/model/bar_services.h"
#include "tradeviews/model/change_price.h"
#include "tradeviews/model/position_bar_actions.h"

namespace tradeviews {

// The caption of the bars' message boxes: the application's name.
std::string ApplicationTitle();

namespace change_price_control {
inline constexpr int kDialog = 170;
inline constexpr int kPrice = 61539;
inline constexpr int kConfirm = 61540;
inline constexpr int kCancel = 61541;
inline constexpr int kInformation = 61542;
inline constexpr int kLots = 61543;
inline constexpr int kLotsLabel = 61544;
inline constexpr int kPriceLabel = 61545;
}  // namespace change_price_control

class CChgPriceOrder : public QDialog {
 public:
  // Keeps its own copy of the record.
  CChgPriceOrder(QWidget* parent, const ChangePriceRecord& record, BarServices& services);

  const ChangePriceRecord& Record() const { return record_; }
  // "确认": the checks, then the submission; a refusal's message box leaves
  // the dialog open with the price selected.
  void SubmitChange();

 protected:
  // Enter on "确认" submits and on "取消" cancels; Enter in the price edit
  // moves on to "确认", so that no Enter ends the dialog unseen.
  void keyPressEvent(QKeyEvent* event) override;

 private:
  ChangePriceRecord record_;
  BarServices& services_;
  gridctl::CTqEdit* lots_;
  gridctl::CTqEditPrice* price_;
  QPushButton* confirm_;
  QPushButton* cancel_;
};

namespace reverse_control {
inline constexpr int kOpenPrice = 1223;
inline constexpr int kClosePrice = 1224;
inline constexpr int kContract = 1225;
inline constexpr int kOpenSide = 1226;
inline constexpr int kCloseLotsLabel = 1227;
inline constexpr int kClosePriceLabel = 1228;
inline constexpr int kOk = 1229;
inline constexpr int kCancel = 1230;
inline constexpr int kCloseSide = 1231;
inline constexpr int kOpenLotsLabel = 1232;
inline constexpr int kOpenPriceLabel = 1233;
inline constexpr int kOpenLots = 1234;
inline constexpr int kCloseLots = 1235;
}  // namespace reverse_control

class CReverseOrder : public QDialog {
 public:
  CReverseOrder(QWidget* parent, const PositionOrderRecord& record, BarServices& services);

  const ReverseTicket& Ticket() const { return ticket_; }
  // "确定": the checks, then the reverse order's submission.
  void OnOK();

 protected:
  // The arrow keys move between the edits and the buttons; mouse events of
  // the OK button reach its tip.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* ArrowTarget(QObject* focus, int key) const;

  ReverseTicket ticket_;
  BarServices& services_;
  QLineEdit* closePrice_;
  QLineEdit* closeLots_;
  QLineEdit* openPrice_;
  QLineEdit* openLots_;
  QPushButton* ok_;
  QPushButton* cancel_;
  gridctl::CxTitleTip* tip_;
};

}  // namespace tradeviews
