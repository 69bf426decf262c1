#include "tradeviews/model/focus_chain.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "tradeviews/model/order_layout.h"

namespace tradeviews {
namespace {

using C = PanelControl;
constexpr InputSequence kDefault = {0, 1, 2, 3, 4, 5, 6};

// Every control can take the focus but those named.
CanFocus AllBut(std::set<C> blocked) {
  return [blocked](C control) { return blocked.count(control) == 0; };
}

// The controls Tab visits from `from`, until the focus stays or comes back.
std::vector<C> Walk(PanelStyle style, const InputSequence& sequence, C from, const CanFocus& canFocus,
                    bool forward = true) {
  std::vector<C> visited;
  for (C at = from; visited.size() < 20;) {
    at = forward ? NextFocus(style, sequence, at, canFocus) : PreviousFocus(style, sequence, at, canFocus);
    if (at == C::kNone || at == from) break;
    visited.push_back(at);
  }
  return visited;
}

TEST(RowStyleFocus, FollowsTheSequenceAndSkipsWhatALimitOrderDisables) {
  const CanFocus limit = AllBut({C::kCustomer, C::kTriggerPrice});
  EXPECT_EQ(
      Walk(PanelStyle::kRow, kDefault, C::kContract, limit),
      (std::vector<C>{C::kBuySell, C::kVolume, C::kPrice, C::kOpenClose, C::kPriceType, C::kDealAttribute, C::kSend}));
  EXPECT_EQ(
      Walk(PanelStyle::kRow, kDefault, C::kContract, limit, false),
      (std::vector<C>{C::kSend, C::kDealAttribute, C::kPriceType, C::kOpenClose, C::kPrice, C::kVolume, C::kBuySell}));
}

TEST(RowStyleFocus, AMarketOrderWithThePriceFirstGoesToTheSecondEntry) {
  const InputSequence priceFirst = {2, 0, 1, 3, 4, 5, 6};
  const CanFocus market = AllBut({C::kCustomer, C::kPrice, C::kTriggerPrice});
  EXPECT_EQ(NextFocus(PanelStyle::kRow, priceFirst, C::kContract, market), C::kBuySell);
}

TEST(RowStyleFocus, BackwardsTheSearchWrapsPastTheFirstEntry) {
  // The first entry cannot take the focus: from the second the search wraps
  // round to the last that can.
  const InputSequence triggerFirst = {6, 0, 1, 2, 3, 4, 5};
  const CanFocus limit = AllBut({C::kTriggerPrice});
  EXPECT_EQ(PreviousFocus(PanelStyle::kRow, triggerFirst, C::kBuySell, limit), C::kDealAttribute);
  EXPECT_EQ(PreviousFocus(PanelStyle::kRow, kDefault, C::kBuySell, limit), C::kContract);
  EXPECT_EQ(NextFocus(PanelStyle::kRow, kDefault, C::kSend, limit), C::kCustomer);
  EXPECT_EQ(NextFocus(PanelStyle::kRow, kDefault, C::kSend, AllBut({C::kCustomer})), C::kContract);
  // A disabled send button keeps the focus on the last field.
  EXPECT_EQ(NextFocus(PanelStyle::kRow, kDefault, C::kTriggerPrice, AllBut({C::kSend})), C::kNone);
}

TEST(PropertyStyleFocus, HasAFixedChainThatSkipsAHiddenCustomer) {
  EXPECT_EQ(Walk(PanelStyle::kProperty, kDefault, C::kCustomer, AllBut({})),
            (std::vector<C>{C::kContract, C::kBuySell, C::kOpenClose, C::kVolume, C::kPrice, C::kSend}));
  const CanFocus single = AllBut({C::kCustomer});
  EXPECT_EQ(NextFocus(PanelStyle::kProperty, kDefault, C::kSend, single), C::kContract);
  EXPECT_EQ(PreviousFocus(PanelStyle::kProperty, kDefault, C::kContract, single), C::kSend);
  EXPECT_EQ(PreviousFocus(PanelStyle::kProperty, kDefault, C::kContract, AllBut({})), C::kCustomer);
  // Style 2 has no price type.
  EXPECT_EQ(NextFocus(PanelStyle::kProperty, kDefault, C::kPriceType, single), C::kNone);
}

TEST(ClassicStyleFocus, FollowsTheSequenceOverItsFourFieldsAndTriesOneTarget) {
  const CanFocus single = AllBut({C::kCustomer});
  EXPECT_EQ(Walk(PanelStyle::kClassic, kDefault, C::kContract, single),
            (std::vector<C>{C::kBuySell, C::kVolume, C::kPrice, C::kOpenClose, C::kSend}));
  // From the send button backwards: the last code, 6, stands for the
  // contract edit.
  EXPECT_EQ(PreviousFocus(PanelStyle::kClassic, kDefault, C::kSend, single), C::kContract);
  EXPECT_EQ(PreviousFocus(PanelStyle::kClassic, kDefault, C::kBuySell, single), C::kContract);
  EXPECT_EQ(PreviousFocus(PanelStyle::kClassic, kDefault, C::kContract, single), C::kNone);
  // A disabled target is not skipped: the focus stays.
  EXPECT_EQ(NextFocus(PanelStyle::kClassic, kDefault, C::kBuySell, AllBut({C::kVolume})), C::kNone);
  const InputSequence openFirst = {3, 0, 4, 1, 2, 5, 6};
  EXPECT_EQ(NextFocus(PanelStyle::kClassic, openFirst, C::kContract, single), C::kOpenClose);
  EXPECT_EQ(NextFocus(PanelStyle::kClassic, openFirst, C::kBuySell, single), C::kSend);
}

TEST(FocusAfterAnOrder, ThePositionNamesAFieldElseTheContract) {
  const std::pair<int, C> cases[] = {{0, C::kContract}, {1, C::kBuySell},  {2, C::kOpenClose}, {3, C::kVolume},
                                     {4, C::kPrice},    {5, C::kContract}, {7, C::kContract}};
  for (const auto& [position, control] : cases) EXPECT_EQ(FocusAfterOrder(position), control) << position;
}

TEST(Layout, RowAndColumnFollowTheSequence) {
  const InputSequence priceFirst = {2, 0, 1, 3, 4, 5, 6};
  EXPECT_EQ(RowOrder(priceFirst, false),
            (std::vector<C>{C::kContract, C::kPrice, C::kBuySell, C::kVolume, C::kOpenClose, C::kPriceType,
                            C::kDealAttribute, C::kTriggerPrice, C::kSend}));
  EXPECT_EQ(RowOrder({0, 0, 9, 1, 2, 3, 4}, true), (std::vector<C>{C::kCustomer, C::kContract, C::kBuySell, C::kVolume,
                                                                   C::kPrice, C::kOpenClose, C::kPriceType, C::kSend}));
  EXPECT_EQ(ColumnOrder(kDefault, false),
            (std::vector<C>{C::kContract, C::kBuySell, C::kVolume, C::kPrice, C::kOpenClose, C::kSend}));
  EXPECT_EQ(ColumnOrder({4, 3, 0, 5, 6, 1, 2}, true),
            (std::vector<C>{C::kCustomer, C::kContract, C::kSend, C::kOpenClose, C::kBuySell, C::kVolume, C::kPrice}));
  EXPECT_EQ(RowGapAfter(C::kVolume), 20);
  EXPECT_EQ(RowGapAfter(C::kBuySell), 7);
}

}  // namespace
}  // namespace tradeviews
