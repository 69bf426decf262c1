#include "simbackend/backend_data.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>
#include <tuple>

#include "data_folder.h"

namespace simbackend {
namespace {

using simbackend_test::DataFolder;
using ::testing::HasSubstr;

constexpr const char* kGoodAccounts =
    "# 账户\n"
    "trader|10001|111111|张明|\n"
    "manager|90001|999999|李经理|\n"
    "managed|90001|20001|\n"  // before its account: links are checked at the end
    "trader|20001|222222|王芳|\n";
constexpr const char* kGoodQuotes =
    "gateway|quote|quote123|\n"
    "server|行情一|127.0.0.1|7001|\n";
constexpr const char* kGoodContracts =
    "exchange|S|sfe|上期所|5|\n"
    "variety|sfe|cu|铜|5|10|7|\n"
    "future|sfe|cu|2702|76510|\n"
    "optionvariety|sfe|cu|铜期权|cu|5|1||\n"
    "options|sfe|cu|2702|1000|2|4|\n";
constexpr const char* kGoodTrading =
    "seat|sfe|S001|1|1|0|0|\n"
    "parameter|ACCFRZ||T0||\n"
    "fee|sfe|0|cu|开平|0.00005|0|0|0.5|0|0|\n"
    "fee|sfe|0|cu|平今|0.0001|0|0|0.5|0|0|\n"
    "margin|sfe|0|cu|0.1|0|0.1|0|0.09|0|0.09|0|\n"
    "fee|sfe|1|cu|开平|0|5|0|0|0|0|\n"
    "fee|sfe|1|cu|平今|0|0|0|0|0|0|\n"
    "margin|sfe|1|cu|0.1|0|0.1|0|0.09|0|0.09|0|\n";

TEST(BackendDataTest, TheShippedFolderHoldsTheDemoAccountsAndTheQuoteServer) {
  BackendData data;
  std::string error;
  ASSERT_TRUE(LoadBackendData(SIMBACKEND_SOURCE_DATA_FOLDER, data, error)) << error;

  const Account* customer = data.FindAccount("10001");
  ASSERT_NE(customer, nullptr);
  EXPECT_EQ(customer->kind, AccountKind::kTrading);
  EXPECT_EQ(customer->password, "111111");
  EXPECT_EQ(customer->name, "张明");

  const Account* manager = data.FindAccount("90001");
  ASSERT_NE(manager, nullptr);
  EXPECT_EQ(manager->kind, AccountKind::kManagement);
  EXPECT_EQ(manager->managed, (std::vector<std::string>{"20001", "20002"}));
  EXPECT_EQ(data.FindManager("20002"), manager);
  EXPECT_EQ(data.FindManager("10001"), nullptr);

  EXPECT_EQ(data.quoteUser, "quote");
  ASSERT_EQ(data.quoteServers.size(), 1u);
  EXPECT_EQ(data.quoteServers[0].address, "127.0.0.1");
  EXPECT_EQ(data.quoteServers[0].port, 0);  // "*": the back end's own port

  ASSERT_EQ(data.moneyHistory.size(), 5u);
  const MoneyEntry& withdrawal = data.moneyHistory[1];
  EXPECT_EQ(withdrawal.customer, "10001");
  EXPECT_EQ(withdrawal.direction, MoneyDirection::kWithdrawal);
  EXPECT_EQ(withdrawal.cents, 5'000'000);
  EXPECT_EQ(withdrawal.summary, "银期转账出金");
}

// The expected layout of one contract of the shipped folder.
struct ShippedContract {
  const char* exchange;
  const char* code;
  const char* name;
  std::int64_t multiplier;
  const char* preSettlement;
  const char* upperLimit;
  const char* lowerLimit;
  const char* underlying;  // options only
};

TEST(BackendDataTest, TheShippedFolderListsFuturesAndOptionsOfTheFourExchanges) {
  BackendData data;
  std::string error;
  ASSERT_TRUE(LoadBackendData(SIMBACKEND_SOURCE_DATA_FOLDER, data, error)) << error;
  ASSERT_EQ(data.exchanges.size(), 4u);
  EXPECT_EQ(data.FindExchange("S"), data.FindExchange("sfe"));
  EXPECT_EQ(data.FindExchange("cffex")->bookDepth, 5);
  EXPECT_EQ(data.FindExchange("dce")->bookDepth, 1);

  const ShippedContract expected[] = {
      {"sfe", "cu2701", "铜2701", 5, "76430", "81780", "71080", ""},
      {"sfe", "au2702", "黄金2702", 1000, "763.40", "809.20", "717.60", ""},
      {"czce", "SR705", "白糖705", 10, "5893", "6187", "5599", ""},
      {"cffex", "T2703", "10年期国债2703", 10000, "108.455", "110.620", "106.290", ""},
      {"sfe", "cu2702C76000", "铜期权2702C76000", 5, "1489", "6844", "1", "cu2702"},
      {"dce", "m2705-P-3000", "豆粕期权2705-P-3000", 10, "100.5", "248.5", "0.5", "m2705"},
      {"czce", "SR703C5900", "白糖期权703C5900", 10, "103.5", "397.0", "0.5", "SR703"},
      {"cffex", "IO2612-C-3900", "沪深300股指期权2612-C-3900", 100, "53.2", "444.4", "0.2", "IF2612"},
  };
  for (const ShippedContract& e : expected) {
    SCOPED_TRACE(e.code);
    const std::size_t index = data.FindContract(e.exchange, e.code);
    ASSERT_NE(index, BackendData::kNoContract);
    const Contract& c = data.contracts[index];
    EXPECT_EQ(c.name, e.name);
    EXPECT_EQ(data.VarietyOf(c).multiplier, e.multiplier);
    EXPECT_EQ(data.PriceText(c, c.preSettlement), e.preSettlement);
    EXPECT_EQ(data.PriceText(c, c.upperLimit), e.upperLimit);
    EXPECT_EQ(data.PriceText(c, c.lowerLimit), e.lowerLimit);
    EXPECT_EQ(c.underlying, e.underlying);
  }

  std::size_t options = 0;
  for (const Contract& c : data.contracts) {
    SCOPED_TRACE(c.code);
    EXPECT_TRUE(c.lowerLimit >= 1 && c.lowerLimit <= c.preSettlement && c.preSettlement <= c.upperLimit);
    if (c.kind != ContractKind::kOption) continue;
    ++options;
    EXPECT_NE(data.FindContract(data.ExchangeOf(c).code, c.underlying), BackendData::kNoContract);
  }
  // Four series of 9 strikes and two of 7 for each of two periods, calls and puts.
  EXPECT_EQ(options, 2u * (3 * 9 + 7) * 2);
  EXPECT_EQ(data.FindContract("D", "cu2701"), BackendData::kNoContract);
}

TEST(BackendDataTest, TheDemoAccountHoldsEveryKindOfPositionAndTheSubAccountsTheirOwn) {
  BackendData data;
  std::string error;
  ASSERT_TRUE(LoadBackendData(SIMBACKEND_SOURCE_DATA_FOLDER, data, error)) << error;
  // Exchange, option or futures, long or short.
  std::set<std::tuple<std::size_t, bool, std::string>> kinds;
  std::set<std::string> holders;
  for (const PositionDetail& p : data.positions) {
    const Contract& contract = data.contracts[p.contract];
    holders.insert(p.customer);
    if (p.customer == "10001") kinds.emplace(contract.exchange, contract.kind == ContractKind::kOption, p.buySell);
  }
  EXPECT_EQ(kinds.size(), data.exchanges.size() * 2 * 2);
  EXPECT_EQ(holders, (std::set<std::string>{"10001", "20001", "20002"}));
  // The day's orders: filled, partly filled, working, cancelled; opens, closes and closes of today.
  std::set<std::string> states;
  std::set<std::string> openClose;
  for (const DayOrder& order : data.orders) {
    states.insert(order.state);
    openClose.insert(order.openClose);
  }
  EXPECT_EQ(states, (std::set<std::string>{"a", "b", "c", "d", "n", "p"}));
  EXPECT_EQ(openClose, (std::set<std::string>{"0", "1", "2"}));
  EXPECT_EQ(data.FindAccount("10001")->yesterdayBalance, 118'562'050);
  EXPECT_EQ(data.FindAccount("20002")->credit, 5'000'000);
}

TEST(BackendDataTest, ReadsGbkNamesWhoseSecondByteIsTheSeparatorBlanksAndWindowsLineEnds) {
  DataFolder folder;
  folder.Write(kAccountsFile, "  trader |\t10001 |111111|王秥|  \r\n\r\n   # 注释\r\n");
  folder.Write(kQuoteServersFile, kGoodQuotes);
  folder.Write(kContractsFile, kGoodContracts);
  folder.Write(kTradingFile, kGoodTrading);
  BackendData data;
  std::string error;
  ASSERT_TRUE(LoadBackendData(folder.Path(), data, error)) << error;
  ASSERT_EQ(data.accounts.size(), 1u);
  EXPECT_EQ(data.accounts[0].customer, "10001");
  EXPECT_EQ(data.accounts[0].name, "王秥");
}

TEST(BackendDataTest, EachTradeFindsTheOrderOfItsOwnAccountWhenTwoAccountsShareAnOrderNumber) {
  DataFolder folder;
  folder.Write(kAccountsFile, std::string(kGoodAccounts) +
                                  "tradecode|10001|sfe|8101|S001|0|\n"
                                  "tradecode|20001|sfe|8201|S001|0|\n"
                                  "order|10001|7|sfe|cu2702|0|0|0|2|76500|c|09:00:00||\n"
                                  "order|20001|7|sfe|cu2702|1|0|0|3|76500|p|09:00:00||\n"
                                  "trade|20001|7|1|1|76500|09:00:01|\n"
                                  "trade|10001|7|2|2|76500|09:00:02|\n");
  folder.Write(kQuoteServersFile, kGoodQuotes);
  folder.Write(kContractsFile, kGoodContracts);
  folder.Write(kTradingFile, kGoodTrading);
  BackendData data;
  std::string error;
  ASSERT_TRUE(LoadBackendData(folder.Path(), data, error)) << error;
  ASSERT_EQ(data.trades.size(), 2u);
  for (const DayTrade& trade : data.trades) {
    SCOPED_TRACE(trade.dealNumber);
    EXPECT_EQ(data.orders[trade.order].customer, trade.customer);
    EXPECT_EQ(data.orders[trade.order].number, 7);
  }
}

struct MalformedCase {
  const char* what;
  std::string accounts;
  std::string quotes;
  const char* error;  // a part of the message
  std::string contracts = kGoodContracts;
  std::string trading = kGoodTrading;
};

void PrintTo(const MalformedCase& c, std::ostream* out) { *out << c.what; }

// The data is refused with the file, line and fault, and left as it was.
void ExpectRefused(const MalformedCase& c) {
  DataFolder folder;
  folder.Write(kAccountsFile, c.accounts);
  if (!c.quotes.empty()) folder.Write(kQuoteServersFile, c.quotes);
  if (!c.contracts.empty()) folder.Write(kContractsFile, c.contracts);
  if (!c.trading.empty()) folder.Write(kTradingFile, c.trading);
  BackendData data;
  data.quoteUser = "before";
  std::string error;
  EXPECT_FALSE(LoadBackendData(folder.Path(), data, error)) << c.what;
  EXPECT_THAT(error, HasSubstr(c.error)) << c.what;
  EXPECT_EQ(data.quoteUser, "before");
  EXPECT_TRUE(data.accounts.empty());
}

class MalformedDataTest : public ::testing::TestWithParam<MalformedCase> {};

TEST_P(MalformedDataTest, IsRefusedWithTheFileLineAndFaultAndLeavesTheDataAsItWas) { ExpectRefused(GetParam()); }

// Outside the table of cases, which GoogleTest copies several times whenever
// the test program starts, even to list its tests: 32 MiB each time.
TEST(BackendDataTest, AFileLargerThan32MiBIsRefused) {
  ExpectRefused(
      MalformedCase{"file too large", std::string((32 << 20) + 1, '\n'), kGoodQuotes, "larger than 33554432 bytes"});
}

const std::string kGood = kGoodAccounts;
const std::string kContracts = kGoodContracts;
const std::string kExchange = "exchange|S|sfe|上期所|5|\n";
const std::string kCopper = kExchange + "variety|sfe|cu|铜|5|10|7|\n";
const std::string kTrading = kGoodTrading;
const std::string kCode = kGood + "tradecode|10001|sfe|8101|S001|3|\n";  // speculation only
const std::string kBuyOrder = kCode + "order|10001|1|sfe|cu2702|0|0|0|2|76500|p|09:00:00||\n";

// The good trading file with one line replaced.
std::string TradingWith(const std::string& line, const std::string& replacement) {
  std::string text = kTrading;
  text.replace(text.find(line), line.size(), replacement);
  return text;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MalformedDataTest,
    ::testing::Values(
        MalformedCase{"quote file missing", kGood, "", "quoteservers.txt: cannot be opened"},
        MalformedCase{"unknown record", kGood + "tradr|1|2|3|\n", kGoodQuotes,
                      "accounts.txt, line 6: unknown record 'tradr'"},
        MalformedCase{"too few values", "trader|10001|111111|\n", kGoodQuotes,
                      "line 1: 'trader' takes 3 values, found 2"},
        MalformedCase{"last field open", "trader|10001|111111|张明\n", kGoodQuotes,
                      "line 1: the last field is not closed by '|'"},
        MalformedCase{"half a character",
                      "trader|10001|111111|\xD5"
                      "0|\n",
                      kGoodQuotes, "line 1: broken GBK character"},
        MalformedCase{"half a character at the end", "trader|10001|111111|张|\xD5", kGoodQuotes,
                      "line 1: broken GBK character"},
        MalformedCase{"zero byte",
                      std::string("trader|10001|11\0"
                                  "1111|x|\n",
                                  22),
                      kGoodQuotes, "line 1: control byte 0"},
        MalformedCase{"empty password", "trader|10001||张明|\n", kGoodQuotes, "line 1: the password is empty"},
        MalformedCase{"long customer number", "trader|" + std::string(64, '1') + "|1|x|\n", kGoodQuotes,
                      "line 1: the customer number is longer than 63 bytes"},
        MalformedCase{"customer twice", kGood + "trader|10001|1|x|\n", kGoodQuotes,
                      "line 6: customer '10001' appears twice"},
        MalformedCase{"manager unknown", kGood + "managed|90002|10001|\n", kGoodQuotes,
                      "line 6: '90002' is not a management account"},
        MalformedCase{"manager managed", kGood + "managed|90001|90001|\n", kGoodQuotes,
                      "line 6: '90001' is not a trading account"},
        MalformedCase{"two managers", kGood + "manager|90002|1|x|\nmanaged|90002|20001|\n", kGoodQuotes,
                      "line 7: '20001' already belongs to '90001'"},
        MalformedCase{"no gateway", kGood, "server|a|127.0.0.1|7001|\n", "no 'gateway' record"},
        MalformedCase{"two gateways", kGood, "gateway|q|p|\ngateway|q|p|\n", "line 2: a second 'gateway' record"},
        MalformedCase{"port out of range", kGood, "gateway|q|p|\nserver|a|127.0.0.1|70000|\n",
                      "line 2: the port '70000' is not a number from 1 to 65535 or '*'"},
        MalformedCase{"long address", kGood, "gateway|q|p|\nserver|a|1234567890.123456|7001|\n",
                      "line 2: the address is longer than 15 bytes"},
        MalformedCase{"quote user is a customer", kGood, "gateway|10001|p|\n",
                      "the quote user '10001' is also a customer number"},
        MalformedCase{"line too long", "#" + std::string(5000, 'x') + "\n", kGoodQuotes,
                      "line 1: longer than 4096 bytes"},
        MalformedCase{"money of a manager", kGood + "money|90001|20261120|1|1|10.00|3|01|x|\n", kGoodQuotes,
                      "line 6: '90001' is not a trading account"},
        MalformedCase{"money on no day", kGood + "money|10001|20261131|1|1|10.00|3|01|x|\n", kGoodQuotes,
                      "line 6: the date '20261131' is not a date YYYYMMDD"},
        MalformedCase{"money in three decimals", kGood + "money|10001|20261130|1|1|10.005|3|01|x|\n", kGoodQuotes,
                      "line 6: the amount '10.005' has more than 2 decimals"},
        MalformedCase{"money serial twice",
                      kGood + "money|10001|20261130|7|1|1|3||x|\nmoney|10001|20261130|7|2|1|3||x|\n", kGoodQuotes,
                      "line 7: serial number 7 appears twice"},
        MalformedCase{"money direction", kGood + "money|10001|20261130|1|0|1|3||x|\n", kGoodQuotes,
                      "the direction '0' is not 1 (deposit) or 2"},
        MalformedCase{"contracts file missing", kGood, kGoodQuotes, "contracts.txt: cannot be opened", ""},
        MalformedCase{"exchange id of two letters", kGood, kGoodQuotes,
                      "contracts.txt, line 1: the exchange id 'SS' is not one letter or digit",
                      "exchange|SS|sfe|上期所|5|\n"},
        MalformedCase{"book depth 3", kGood, kGoodQuotes, "line 1: the book depth must be 1 or 5",
                      "exchange|S|sfe|上期所|3|\n"},
        MalformedCase{"exchange twice", kGood, kGoodQuotes, "line 2: the exchange 'S' appears twice",
                      kExchange + "exchange|S|dce|大商所|1|\n"},
        MalformedCase{"variety of an unknown exchange", kGood, kGoodQuotes,
                      "line 2: the exchange 'shfe' is not listed above", kExchange + "variety|shfe|cu|铜|5|10|7|\n"},
        MalformedCase{"tick of 0", kGood, kGoodQuotes, "line 2: the price tick '0' is not a decimal number above 0",
                      kExchange + "variety|sfe|cu|铜|5|0|7|\n"},
        MalformedCase{"tick in exponent form", kGood, kGoodQuotes, "the price tick '1e1' is not a decimal number",
                      kExchange + "variety|sfe|cu|铜|5|1e1|7|\n"},
        MalformedCase{"limit of 100 %", kGood, kGoodQuotes, "line 2: the price limit must be below 100 %",
                      kExchange + "variety|sfe|cu|铜|5|10|100|\n"},
        MalformedCase{"future of an unknown variety", kGood, kGoodQuotes, "line 3: 'al' is no futures variety of 'sfe'",
                      kCopper + "future|sfe|al|2702|20000|\n"},
        MalformedCase{"month 13", kGood, kGoodQuotes, "line 3: the delivery period '2713' is not YYMM or YMM",
                      kCopper + "future|sfe|cu|2713|76510|\n"},
        MalformedCase{"price between ticks", kGood, kGoodQuotes,
                      "line 3: the price 76515.0000 is not a whole number of ticks of 10",
                      kCopper + "future|sfe|cu|2702|76515|\n"},
        MalformedCase{"future twice", kGood, kGoodQuotes, "line 6: contract 'cu2702' appears twice at 'sfe'",
                      kContracts + "future|sfe|cu|2702|76510|\n"},
        MalformedCase{"name too long", kGood, kGoodQuotes,
                      "line 3: the contract name of 'cu2702' is longer than 31 bytes",
                      kExchange + "variety|sfe|cu|" + std::string(28, 'x') + "|5|10|7|\nfuture|sfe|cu|2702|76510|\n"},
        MalformedCase{"options on no futures variety", kGood, kGoodQuotes,
                      "line 6: 'zz' is no futures variety of 'sfe'",
                      kContracts + "optionvariety|sfe|zz|锌期权|zz|5|1||\n"},
        MalformedCase{"code separator of two signs", kGood, kGoodQuotes,
                      "line 6: the code separator '--' is not empty or one sign",
                      kContracts + "optionvariety|sfe|al|铝期权|cu|5|1|--|\n"},
        MalformedCase{"series without its underlying", kGood, kGoodQuotes,
                      "line 6: the underlying futures contract 'cu2703' is not listed above",
                      kContracts + "options|sfe|cu|2703|1000|2|4|\n"},
        MalformedCase{"strikes down to 0", kGood, kGoodQuotes, "line 5: the lowest strike would not be above 0",
                      kCopper + "future|sfe|cu|2702|76510|\noptionvariety|sfe|cu|铜期权|cu|5|1||\n"
                                "options|sfe|cu|2702|50000|2|4|\n"},
        MalformedCase{"no contract", kGood, kGoodQuotes, "contracts.txt: no contract", kCopper},
        MalformedCase{"trading file missing", kGood, kGoodQuotes, "trading.txt: cannot be opened", kContracts, ""},
        MalformedCase{"no floating-profit parameter", kGood, kGoodQuotes,
                      "trading.txt: the parameter 'ACCFRZ' must be given once", kContracts,
                      TradingWith("parameter|ACCFRZ||T0||\n", "")},
        MalformedCase{"futures without margin rates", kGood, kGoodQuotes,
                      "trading.txt: the contract 'cu2702' has no margin rates", kContracts,
                      TradingWith("margin|sfe|0|cu|", "margin|sfe|1|cu2702C77000|")},
        MalformedCase{"unknown fee set", kGood, kGoodQuotes, "line 3: the fee set '", kContracts,
                      TradingWith("开平|0.00005", "开仓|0.00005")},
        MalformedCase{"negative rate", kGood, kGoodQuotes,
                      "line 3: the rate '-0.00005' is not a decimal number of 0 or more", kContracts,
                      TradingWith("|0.00005|", "|-0.00005|")},
        MalformedCase{"rates of an unknown variety", kGood, kGoodQuotes,
                      "line 3: 'al' is no futures variety or contract of 'sfe'", kContracts,
                      TradingWith("fee|sfe|0|cu|开平", "fee|sfe|0|al|开平")},
        MalformedCase{"rates twice", kGood, kGoodQuotes, "line 9: the rates of 'cu' appear twice", kContracts,
                      kTrading + "margin|sfe|0|cu|0.1|0|0.1|0|0.09|0|0.09|0|\n"},
        MalformedCase{"seat twice", kGood, kGoodQuotes, "line 9: the seat 'S001' appears twice", kContracts,
                      kTrading + "seat|sfe|S001|1|1|0|0|\n"},
        MalformedCase{"exercise instructions of no seat", kGood, kGoodQuotes,
                      "line 9: the exercise instructions name the seat 'S002'", kContracts,
                      kTrading + "parameter|ZXZL|S002|1||\n"},
        MalformedCase{"time difference of no seat", kGood, kGoodQuotes, "line 9: the seat 'S002' is not listed above",
                      kContracts, kTrading + "seattime|S002|1|\n"},
        MalformedCase{"time difference of a day", kGood, kGoodQuotes,
                      "line 9: the time difference '86400' is not a whole number from 0 to 3600", kContracts,
                      kTrading + "seattime|S001|-86400|\n"},
        MalformedCase{"strategy the terminal does not know", kGood, kGoodQuotes,
                      "line 9: the combination strategy 'SP' is not one of", kContracts,
                      kTrading + "strategy|sfe|SP|跨期|\n"},
        MalformedCase{"statement mode of a manager", kGood + "statement|90001|1|\n", kGoodQuotes,
                      "line 6: '90001' is not a trading account"},
        MalformedCase{"statement mode 3", kGood + "statement|10001|3|\n", kGoodQuotes,
                      "line 6: the statement mode '3' is not one of"},
        MalformedCase{"bulletin to nobody", kGood + "bulletin|20261201|08:30:00|1|55555|x|\n", kGoodQuotes,
                      "line 6: customer '55555' is not listed"},
        MalformedCase{"bulletin of level 6", kGood + "bulletin|20261201|08:30:00|6||x|\n", kGoodQuotes,
                      "line 6: the level '6' is not one of"},
        MalformedCase{"empty notice", kGood + "notice|10001||\n", kGoodQuotes, "line 6: the text is empty"},
        MalformedCase{"guarantee denominator 0", kGood, kGoodQuotes,
                      "line 9: the denominator '0' is not a whole number from 1", kContracts,
                      kTrading + "optionparams|sfe|cu||1|0|0|\n"},
        MalformedCase{"funds of a manager", kGood + "funds|90001|10|0|\n", kGoodQuotes,
                      "accounts.txt, line 6: '90001' is not a trading account"},
        MalformedCase{"trade code at no seat of the exchange", kGood + "tradecode|10001|sfe|8101|D001|0|\n",
                      kGoodQuotes, "line 6: the seat 'D001' is no seat of 'sfe'"},
        MalformedCase{"position without a trade code", kGood + "position|10001|sfe|cu2702|0|0|1|76500|20261209|1|\n",
                      kGoodQuotes, "line 6: '10001' has no trade code at 'sfe' for hedge code 0"},
        MalformedCase{"hedge position with a speculation code",
                      kCode + "position|10001|sfe|cu2702|0|1|1|76500|20261209|1|\n", kGoodQuotes,
                      "line 7: '10001' has no trade code at 'sfe' for hedge code 1"},
        MalformedCase{"position of an unlisted contract", kCode + "position|10001|sfe|cu2799|0|0|1|76500|20261209|1|\n",
                      kGoodQuotes, "line 7: the contract 'cu2799' is not listed at 'sfe'"},
        MalformedCase{"open price between ticks", kCode + "position|10001|sfe|cu2702|0|0|1|76505|20261209|1|\n",
                      kGoodQuotes, "line 7: the open price 76505.0000 is not a whole number of ticks of 10"},
        MalformedCase{"order beyond the limits", kCode + "order|10001|1|sfe|cu2702|0|0|0|2|90000|a|09:00:00||\n",
                      kGoodQuotes, "line 7: the price 90000 is beyond the limits of 'cu2702'"},
        MalformedCase{"cancel time of a working order",
                      kCode + "order|10001|1|sfe|cu2702|0|0|0|2|76500|a|09:00:00|09:01:00|\n", kGoodQuotes,
                      "line 7: only a cancelled order has a cancel time"},
        MalformedCase{"order twice", kBuyOrder + "order|10001|1|sfe|cu2702|0|0|0|1|76500|a|09:01:00||\n", kGoodQuotes,
                      "line 8: order 1 of '10001' appears twice"},
        MalformedCase{"state beyond its fills", kBuyOrder + "trade|10001|1|1|2|76500|09:00:01|\n", kGoodQuotes,
                      "line 7: the state 'p' does not fit the 2 of 2 lots its trades filled"},
        MalformedCase{"trade of an unlisted order", kBuyOrder + "trade|10001|9|1|1|76500|09:00:01|\n", kGoodQuotes,
                      "line 8: order 9 of '10001' is not listed"},
        MalformedCase{"trade above the buy limit", kBuyOrder + "trade|10001|1|1|1|76510|09:00:01|\n", kGoodQuotes,
                      "line 8: the price 76510 is worse than the order's limit"},
        MalformedCase{"trade before its order", kBuyOrder + "trade|10001|1|1|1|76500|08:59:59|\n", kGoodQuotes,
                      "line 8: the trade is earlier than its order"},
        MalformedCase{"close without a position",
                      kCode + "order|10001|1|sfe|cu2702|1|1|0|2|76500|c|09:00:00||\n"
                              "position|10001|sfe|cu2702|0|0|1|76500|20261209|1|\n"
                              "trade|10001|1|2|2|76500|09:00:01|\n",
                      kGoodQuotes, "accounts.txt: trade 2 of '10001' closes more lots of 'cu2702' than are held"},
        MalformedCase{"deal number twice",
                      kBuyOrder + "position|10001|sfe|cu2702|0|0|1|76500|20261209|5|\n"
                                  "trade|10001|1|5|1|76500|09:00:01|\n",
                      kGoodQuotes, "line 9: deal number 5 of '10001' appears twice"}),
    [](const ::testing::TestParamInfo<MalformedCase>& info) { return "Case" + std::to_string(info.index); });

}  // namespace
}  // namespace simbackend
