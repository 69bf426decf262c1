// CTqDockableOrder: the content of the order dock "普通下单". It creates the
// order panel of its style (1 row, 2 property, 4 classic; any other number
// an empty form) inside its host panel, with the services of the running
// terminal and the order settings found in the settings registry, and
// keeps the panel sized to the dock; a dock narrower or lower than the
// panel scrolls, and follows the focus.
#pragma once

#include <QScrollArea>
#include <QWidget>
#include <memory>

#include "client/order_settings.h"
#include "tradeviews/model/order_entry.h"
#include "tradeviews/views/order_view_base.h"
#include "ui/view_context.h"

namespace tradeviews {

// The dock's bar id in the main frame.
inline constexpr int kOrderDockBarId = 142;

// CTqOrderHostPanel: the panel the order view is created in.
class CTqOrderHostPanel : public QWidget {
 public:
  explicit CTqOrderHostPanel(QWidget* parent);
  // The view created in it; null for a style without one.
  CTqBasicOrderView* View() const { return view_; }
  void SetView(CTqBasicOrderView* view) { view_ = view; }
  // As small as the view lays itself out.
  QSize minimumSizeHint() const override;

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  CTqBasicOrderView* view_ = nullptr;
};

class CTqDockableOrder : public QWidget {
 public:
  // With the running terminal's services over the context's engine and
  // order submission.
  CTqDockableOrder(QWidget* parent, const ui::ViewContext& context, int style);
  // With services of the caller's (which must outlive the dock).
  CTqDockableOrder(QWidget* parent, OrderPanelServices& services, const ui::ViewContext& context, int style);
  ~CTqDockableOrder() override;

  int Style() const { return style_; }
  CTqOrderHostPanel* HostPanel() const { return host_; }
  // The order panel, or null for a style without one.
  CTqBasicOrderView* View() const { return host_->View(); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void CreateView(OrderPanelServices& services, const ui::ViewContext& context);

  int style_;
  std::unique_ptr<OrderPanelServices> ownServices_;
  QScrollArea* scroller_;
  // Defaults for a terminal without these settings areas (tests).
  client::OrderSettings defaultSettings_;
  client::VarietyParamRows noVarieties_;
  CTqOrderHostPanel* host_;
};

}  // namespace tradeviews
