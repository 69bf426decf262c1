#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "quote_test_support.h"
#include "quotes/quotation_ctrl.h"

namespace {

using backend::QuoteRecord;

// Every value of the quote derived from one number, so that a copy mixing
// two quotes shows.
QuoteRecord QuoteNumber(const quotes::ContractKey& key, int n) {
  QuoteRecord quote = quotes::testing::Quote(key, "沪铜2409", static_cast<float>(n));
  quote.dAmount = n;
  quote.dwVolume = n;
  quote.fHighestPrice = static_cast<float>(n);
  quote.fBuyPrice1 = static_cast<float>(n);
  quote.depth[3].dwSellVolume = n;
  quote.dwSellVolumeSecond = n;
  return quote;
}

bool WholeQuote(const QuoteRecord& quote) {
  const int n = quote.dwVolume;
  return quote.fNewPrice == static_cast<float>(n) && quote.dAmount == n &&
         quote.fHighestPrice == static_cast<float>(n) && quote.fBuyPrice1 == static_cast<float>(n) &&
         quote.depth[3].dwSellVolume == n && quote.dwSellVolumeSecond == n;
}

// The GUI thread applies quotes and moves references while another thread
// looks quotes up: each copy is one whole quote.
TEST(QuoteTableThreads, LookUpsCopyWholeQuotesWhileQuotesAreApplied) {
  const quotes::ContractKey copper = quotes::MakeContractKey("S", "cu2409");
  const quotes::ContractKey zinc = quotes::MakeContractKey("S", "zn2409");
  quotes::CtbQuotationCtrl table;
  table.AddQuoteRefs(quotes::testing::KeyList({copper}).View());
  ASSERT_TRUE(table.ApplyQuote(QuoteNumber(copper, 0)));

  // The GUI side starts once the engine side looks, and goes on until both
  // have done their share, so the two overlap.
  constexpr int kMinQuotes = 20000;
  constexpr int kMinLookUps = 2000;
  std::atomic<bool> applying{true};
  std::atomic<int> torn{0};
  std::atomic<int> lookUps{0};
  std::thread engine([&] {
    QuoteRecord quote;
    while (applying.load()) {
      if (!table.FindQuote("S", "cu2409", quote)) continue;
      if (!WholeQuote(quote)) ++torn;
      ++lookUps;
    }
  });
  while (lookUps.load() == 0) std::this_thread::yield();
  int n = 0;
  while (n < kMinQuotes || lookUps.load() < kMinLookUps) {
    ++n;
    table.ApplyQuote(QuoteNumber(copper, n));
    // Zinc comes and goes beside copper, so the slot table changes too.
    if (n % 100 == 0) table.ReplaceWatchedContracts({}, {zinc});
    if (n % 100 == 50) table.ReplaceWatchedContracts({zinc}, {});
  }
  applying = false;
  engine.join();

  EXPECT_EQ(torn.load(), 0);
  QuoteRecord last;
  ASSERT_TRUE(table.FindQuote("S", "cu2409", last));
  EXPECT_EQ(last.dwVolume, n);
}

}  // namespace
