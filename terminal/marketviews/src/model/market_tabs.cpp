#include "marketviews/model/market_tabs.h"

#include <string>

namespace marketviews {

bool ScrollMovesQuoteWindow(const ScrollPosition& scroll, int windowTop) {
  if (scroll.newTop == scroll.oldTop) return false;
  // A grid whose rows end above its bottom counts as showing ten rows.
  const int lastVisible = scroll.lastVisibleRow < 0 ? quotes::kQuoteWindowRows : scroll.lastVisibleRow;
  return windowTop == -1 || scroll.newTop < windowTop || lastVisible >= windowTop + quotes::kQuoteWindowRows;
}

MarketTabs::MarketTabs(quotes::CtbOptionalContract& quotes, int kind, std::function<ContractCatalogue()> catalogue)
    : quotes_(quotes), kind_(kind), makeCatalogue_(std::move(catalogue)) {
  quotes_.RegisterWatch(this);
  quotes_.RegisterGroupWatch(this);
}

MarketTabs::~MarketTabs() {
  quotes_.UnregisterWatch(this);
  quotes_.UnregisterGroupWatch(this);
}

bool MarketTabs::Refresh() {
  if (!Stale()) return false;
  builtFromLoad_ = quotes_.LoadCount();
  tabs_.clear();
  active_ = -1;
  catalogue_ = makeCatalogue_ ? makeCatalogue_() : ContractCatalogue();
  const quotes::ContractGroupList* list = quotes_.Groups(kind_);
  if (list == nullptr) return true;
  for (int index = 0; index < list->Count(); ++index) {
    const quotes::ContractGroup& group = list->groups[static_cast<std::size_t>(index)];
    if (group.hidden) continue;
    auto& tab =
        *tabs_.emplace_back(std::make_unique<MarketRows>(group.name, kind_, index, kind_ == quotes::kOptionKind));
    // The combinations' tabs stay empty.
    if (kind_ != quotes::kCombinationKind) tab.Fill(group, catalogue_);
  }
  return true;
}

int MarketTabs::CurrentGroupTab() const {
  const quotes::ContractGroupList* list = quotes_.Groups(kind_);
  if (list == nullptr) return -1;
  for (int index = 0; index < TabCount(); ++index) {
    if (tabs_[static_cast<std::size_t>(index)]->GroupIndex() == list->currentIndex) return index;
  }
  return -1;
}

int MarketTabs::OnViewActivated() {
  quotes_.SetCurrentKind(kind_);
  return CurrentGroupTab();
}

// A tab of a view in the background (its kind is not the current one) only
// receives the quotes: the group whose window is held stays that of the
// view in front.
void MarketTabs::OnTabActivated(int index) {
  if (index < 0 || index >= TabCount()) return;
  active_ = index;
  if (quotes_.CurrentKind() != kind_) return;
  const MarketRows& tab = Tab(index);
  std::string error;
  quotes_.SetCurrentGroup(tab.Kind(), tab.Title(), error);
}

void MarketTabs::OnTabScrolled(int index, const ScrollPosition& scroll) {
  if (index < 0 || index >= TabCount() || scroll.newTop == scroll.oldTop) return;
  quotes_.SetCurrentKind(Tab(index).Kind());
  if (!ScrollMovesQuoteWindow(scroll, quotes_.GetTopRow())) return;
  std::string error;
  quotes_.ScrollQuoteWindow(error, scroll.newTop);
}

std::optional<order_module::OrderRecord> MarketTabs::ClickOrder(int index, int shownRow, int column,
                                                                const ClickContext& context) const {
  if (index < 0 || index >= TabCount()) return std::nullopt;
  return tabs_[static_cast<std::size_t>(index)]->ClickOrder(shownRow, column, catalogue_, context);
}

bool MarketTabs::OnQuote(int event, const backend::QuoteRecord* quote) {
  if (event == quotes::kQuoteEvent && quote != nullptr && active_ >= 0) Tab(active_).ShowQuote(*quote, catalogue_);
  return true;
}

// Whichever group of the list changed, the tab titled "自选" shows that group
// of the view's kind again.
bool MarketTabs::OnGroupChanged(int event, int, const quotes::ContractGroupList*) {
  if (event != quotes::kContractsAddedEvent && event != quotes::kContractsRemovedEvent) return true;
  if (kind_ != quotes::kFutureKind && kind_ != quotes::kOptionKind) return true;
  const quotes::ContractGroup* group = quotes_.FindOptionalGroup(kind_);
  if (group == nullptr) return true;
  for (int index = 0; index < TabCount(); ++index) {
    if (Tab(index).Title() != quotes::kOptionalGroupName) continue;
    Tab(index).Fill(*group, catalogue_);
    if (refilled_) refilled_(index, group->topRow);
  }
  return true;
}

}  // namespace marketviews
