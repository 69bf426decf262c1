#include "tradeviews/model/order_entry.h"

#include <gtest/gtest.h>

#include "../support/fake_order_services.h"

namespace tradeviews {
namespace {

using engine::Text;
using testing::FakeOrderServices;

OrderFormInput LimitBuy(std::string contract = "cu2105", std::string volume = "2", std::string price = "71230") {
  OrderFormInput input;
  input.contract = std::move(contract);
  input.buySell = "0";
  input.openClose = "0";
  input.volume = std::move(volume);
  input.price = std::move(price);
  return input;
}

std::string Validate(const OrderFormInput& input, FakeOrderServices& services, bool multiAccount = false) {
  std::string lookUpError;
  const order_module::OrderRecord record = BuildOrderRecord(input, services, false, lookUpError);
  std::string messages;
  const bool valid = ValidateOrderInput(record, services, multiAccount, messages);
  EXPECT_EQ(valid, messages.empty());
  return messages;
}

TEST(OrderValidation, LotsAndPricesAreCheckedAsTyped) {
  struct Case {
    std::string contract, volume, price, messages;
  } const cases[] = {
      {"cu2105", "1", "71230", ""},
      {"cu2105", "0", "71230", "委托手数必须大于1 !\n委托手数第一位不能为0 !\n"},
      {"cu2105", "05", "71230", "委托手数第一位不能为0 !\n"},
      {"cu2105", "", "71230", "委托手数不能为空!\n"},
      {"cu2105", "2", "", "委托价格不能为空!\n"},
      {"cu2105", "2", "71235", "委托价格不符合最小变动价位!\n"},
      {"IF2103", "2", "3.45", "委托价格不符合最小变动价位!\n"},
      {"IF2103", "2", "3.4", ""},
      // The contract's letter case counts: the panel puts the list's own
      // spelling in when the contract edit is left.
      {"CU2105", "2", "71230", "合约: CU2105 不合法!\n"},
      {"", "2", "71230", "合约不能为空!\n"},
  };
  FakeOrderServices services;
  for (const Case& c : cases) {
    EXPECT_EQ(Validate(LimitBuy(c.contract, c.volume, c.price), services), c.messages)
        << c.contract << " " << c.volume << " " << c.price;
  }
}

TEST(OrderValidation, EveryFaultIsCollectedInTheOrderOfTheChecks) {
  FakeOrderServices services;
  services.firstCustomer.clear();
  OrderFormInput input = LimitBuy("xx9999", "0", "");
  input.buySell = "5";
  input.openClose = "";
  EXPECT_EQ(Validate(input, services),
            "客户号不能为空!\n合约: xx9999 不合法!\n买卖标志：5不合法!\n开平标志不能为空!\n"
            "委托手数必须大于1 !\n委托手数第一位不能为0 !\n委托价格不能为空!\n");
}

TEST(OrderValidation, AMultiAccountPanelTakesOnlyTheLoggedInCustomers) {
  FakeOrderServices services;
  services.customers = {"10001", "10002"};
  OrderFormInput input = LimitBuy();
  input.customerShown = true;
  input.customer = "10003";
  EXPECT_EQ(Validate(input, services, true), "传入的客户号非法!\n");
  input.customer = "10002";
  EXPECT_EQ(Validate(input, services, true), "");
  // Outside multi-account mode the customer is that of the first account.
  input.customerShown = false;
  EXPECT_EQ(Validate(input, services, false), "");
}

TEST(OrderRecordBuilding, TheRowStyleCodesItsPriceTypeDealAttributeAndTrigger) {
  struct Case {
    std::string priceType, dealAttribute, priceCode, dealCode;
  } const cases[] = {
      {"1-限价", "1-当日有效[GFD]", "0", "0"},
      {"2-市价", "3-剩余即撤销[FAK]", "1", "2"},
      {"3-市价止损", "2-全成或全撤[FOK]", "3", "1"},
      {"6-限价止盈", "1-当日有效[GFD]", "6", "0"},
  };
  FakeOrderServices services;
  for (const Case& c : cases) {
    OrderFormInput input = LimitBuy();
    input.withPriceType = true;
    input.priceType = c.priceType;
    input.dealAttribute = c.dealAttribute;
    input.triggerPrice = "1234567890.123456789";
    input.hedge = true;
    std::string error;
    const order_module::OrderRecord record = BuildOrderRecord(input, services, true, error);
    EXPECT_EQ(Text(record.priceType), c.priceCode) << c.priceType;
    EXPECT_EQ(Text(record.dealAttribute), c.dealCode) << c.dealAttribute;
    EXPECT_EQ(Text(record.triggerPrice), "1234567890.1234");
    EXPECT_EQ(Text(record.hedge), "1");
    EXPECT_EQ(Text(record.customerNo), "10001");
    EXPECT_EQ(Text(record.exchange), "A");
    EXPECT_EQ(Text(record.seat), "SA");
    EXPECT_EQ(Text(record.tradeCode), "T10001");
    EXPECT_EQ(error, "");
  }
}

TEST(SendingAnOrder, HandsTheSeventeenTextsToTheSubmissionAndLogsTheAction) {
  FakeOrderServices services;
  OrderFormInput input = LimitBuy("cu2105", "3", "71230");
  input.openClose = "1";
  EXPECT_EQ(SendNormalOrder(input, services, false), "");
  ASSERT_EQ(services.submitted.size(), 1u);
  EXPECT_EQ(services.submitted[0], (std::vector<std::string>{"", "", "", "A", "cu2105", "0", "1", "0", "3", "71230",
                                                             "T10001", "SA", "", "", "", "0", "10001"}));
  EXPECT_EQ(services.logged, std::vector<std::string>{"操作：普通下单。"});
}

TEST(SendingAnOrder, AFailedTradeCodeLookUpStopsTheOrderWithItsText) {
  FakeOrderServices services;
  services.lookUpFailure = "交易编码不存在！";
  EXPECT_EQ(SendNormalOrder(LimitBuy(), services, false), "交易编码不存在！");
  EXPECT_TRUE(services.submitted.empty());
  EXPECT_TRUE(services.logged.empty());
}

TEST(SendingAnOrder, InvalidInputIsShownAndNothingGoesOut) {
  FakeOrderServices services;
  EXPECT_EQ(SendNormalOrder(LimitBuy("cu2105", "0"), services, false),
            "委托手数必须大于1 !\n委托手数第一位不能为0 !\n");
  EXPECT_TRUE(services.submitted.empty());
}

TEST(OrderFieldList, TheLastTextIsTheRecordsCustomerOnlyInMultiAccountMode) {
  order_module::OrderRecord record{};
  engine::SetText(record.customerNo, "10002");
  EXPECT_STREQ(OrderFieldList(record, true, "10001").GetAt(16), "10002");
  EXPECT_STREQ(OrderFieldList(record, false, "10001").GetAt(16), "10001");
  EXPECT_EQ(OrderFieldList(record, false, "10001").GetCount(), 17u);
}

TEST(FillingFromARecord, PricesTakeTheDecimalsOfTheTick) {
  EXPECT_EQ(PriceTextForTick("3.4", 0.2), "3.4");
  EXPECT_EQ(PriceTextForTick("71230.0000", 10), "71230");
  EXPECT_EQ(PriceTextForTick("2.5", 0.05), "2.50");
  EXPECT_EQ(PriceTextForTick("1.2346", 0.0001), "1.2346");
  EXPECT_EQ(PriceTextForTick("1.2346", 0), "1.2346");
  EXPECT_EQ(PriceTextForTick("0", 0.2), "0");
  EXPECT_EQ(PriceTextForTick("", 0.2), "");
}

TEST(ChoosingAContract, TheCodeMatchesWithoutRegardToCaseAndBringsItsDefaultLots) {
  FakeOrderServices services;
  backend::CxDataSet contracts;
  ASSERT_TRUE(services.QueryContracts(contracts));
  const std::optional<engine::ReducedContractRow> row = MatchContract(contracts, "CU2105");
  ASSERT_TRUE(row.has_value());
  EXPECT_EQ(Text(row->szContractCode), "cu2105");
  EXPECT_FALSE(MatchContract(contracts, "cu21").has_value());

  client::VarietyParamRows rows(2);
  engine::SetText(rows[1].contractCode, "cu2105");
  rows[1].defaultLots = 5;
  EXPECT_EQ(DefaultLots(rows, "cu2105", ""), 5);
  EXPECT_EQ(DefaultLots(rows, "cu2105", "0"), 5);
  EXPECT_EQ(DefaultLots(rows, "cu2105", "3"), std::nullopt);
  EXPECT_EQ(DefaultLots(rows, "m2109", ""), std::nullopt);
}

TEST(ClosableVolumes, TheLabelsShowTheSideOfTheBuySellChoice) {
  engine::QuantityRecord answer{};
  answer.usableMoney = 12345.678;
  answer.closableBuy = 1;
  answer.closableSell = 2;
  answer.closableTodayBuy = 3;
  answer.closableTodaySell = 4;
  answer.openableBuy = 5;
  answer.openableSell = 6;
  answer.heldBuy = 7;
  answer.heldSell = 8;
  const VolumeLabels buy = VolumeLabelsOf(answer, true);
  EXPECT_EQ(buy.closable + buy.closableToday + buy.openable + buy.usable, "可平：1可平今：3可开：5可用：12345.68");
  const VolumeLabels sell = VolumeLabelsOf(answer, false);
  EXPECT_EQ(sell.closable + sell.closableToday + sell.openable, "可平：2可平今：4可开：6");
  EXPECT_EQ(FundsText(answer), "12345.68");
  EXPECT_EQ(HoldingsText(answer), "7/8");
}

}  // namespace
}  // namespace tradeviews
