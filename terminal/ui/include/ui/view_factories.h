// How the main frame gets the contents of its bars and of the market
// window's tabs without knowing the modules that make them: each module
// registers a factory per bar id (and one for the market tabs) at start-up,
// and the frame asks for the content when it builds the bar or, once the
// contracts are ready, the market window. A bar without a factory stays an
// empty pane in its place. The query docks make their form views by their
// captions, from the factories registered under those.
#pragma once

#include <QWidget>
#include <functional>
#include <map>
#include <string>
#include <string_view>

#include "ui/view_context.h"

namespace ui {

// The market window's tabs: kind 2 options, kind 0 futures.
inline constexpr int kOptionMarketKind = 2;
inline constexpr int kFutureMarketKind = 0;

class ViewFactories {
 public:
  using BarFactory = std::function<QWidget*(QWidget* parent, const ViewContext& context)>;
  using MarketTabFactory = std::function<QWidget*(QWidget* parent, const ViewContext& context, int kind)>;
  using QueryViewFactory = std::function<QWidget*(QWidget* parent, const ViewContext& context)>;

  // A later factory for the same bar replaces the earlier.
  void SetBarFactory(int barId, BarFactory factory);
  bool HasBarFactory(int barId) const { return bars_.count(barId) != 0; }
  // The bar's content, or null when no factory makes it.
  QWidget* CreateBarContent(int barId, QWidget* parent, const ViewContext& context) const;

  void SetMarketTabFactory(MarketTabFactory factory) { marketTab_ = std::move(factory); }
  // A market tab of the kind, or null when no factory makes it.
  QWidget* CreateMarketTab(QWidget* parent, const ViewContext& context, int kind) const;

  // The form view of a query dock by its caption (GBK, compared exactly);
  // a later factory for the same caption replaces the earlier.
  void SetQueryViewFactory(std::string caption, QueryViewFactory factory);
  // The view, or null when no factory has the caption.
  QWidget* CreateQueryView(std::string_view caption, QWidget* parent, const ViewContext& context) const;

 private:
  std::map<int, BarFactory> bars_;
  std::map<std::string, QueryViewFactory, std::less<>> queryViews_;
  MarketTabFactory marketTab_;
};

}  // namespace ui
