#include "engine/row_field.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <optional>
#include <random>
#include <string>
#include <string_view>

#include "engine/reference_rows.h"
#include "engine/table_catalogue.h"
#include "engine/table_change_record.h"
#include "engine/trading_rows.h"

namespace {

using engine::ReadInt;
using engine::ReadMoney;
using engine::ReadNumber;
using engine::SetInt;
using engine::SetMoney;
using engine::SetText;
using engine::TableChangeRecord;
using engine::Text;

bool AllZero(const char* bytes, std::size_t count) {
  return std::all_of(bytes, bytes + count, [](char byte) { return byte == 0; });
}

TEST(RowField, CutsOnACharacterBoundaryAndLeavesTheNeighboursAlone) {
  engine::ContractRow row{};
  SetText(row.szExchangeName, "上海期货交易所");
  // Three bytes of room: a whole character and half of the next would fit.
  SetText(row.szExchangeCode, "中国");
  EXPECT_EQ(Text(row.szExchangeCode), "中");
  EXPECT_EQ(row.szExchangeCode[2], 0);
  EXPECT_EQ(row.szExchangeCode[3], 0);
  EXPECT_EQ(Text(row.szExchangeName), "上海期货交易所");

  // Fifteen bytes of room for seven two-byte characters and a letter.
  SetText(row.szExchangeName, "上海期货交易所X中");
  EXPECT_EQ(Text(row.szExchangeName), "上海期货交易所X");
  SetText(row.szExchangeName, "上海期货交易所中");
  EXPECT_EQ(Text(row.szExchangeName), "上海期货交易所");
  EXPECT_EQ(row.szExchangeName[15], 0);
  EXPECT_EQ(Text(row.szContractCode), "");
}

TEST(RowField, ShorterTextZeroesWhatTheLongerOneLeft) {
  engine::OrderRow row{};
  SetText(row.szRemark, "a long remark of many bytes");
  SetText(row.szRemark, "ok");
  EXPECT_EQ(Text(row.szRemark), "ok");
  EXPECT_TRUE(AllZero(row.szRemark + 2, sizeof row.szRemark - 2));
  // A text stops at its first zero byte.
  SetText(row.szRemark, std::string_view("ab\0cd", 5));
  EXPECT_TRUE(AllZero(row.szRemark + 2, sizeof row.szRemark - 2));
  // An empty view without data empties the field.
  SetText(row.szRemark, std::string_view{});
  EXPECT_TRUE(AllZero(row.szRemark, sizeof row.szRemark));
}

TEST(RowField, ReadsAFieldWithoutTerminatorOnlyToItsWidth) {
  engine::TradeCodeRow row{};
  std::memset(row.szExchangeCode, '7', sizeof row.szExchangeCode);
  SetText(row.szMapCode, "99");
  EXPECT_EQ(Text(row.szExchangeCode), "7777");
  EXPECT_EQ(ReadInt(row.szExchangeCode), 7777);
}

struct NumberCase {
  const char* text;
  double number;
  int integer;
};

TEST(RowField, ReadsNumbersAsTheCLibraryDoesButNeverAnythingNotFinite) {
  const NumberCase cases[] = {
      // clang-format off
      {"", 0.0, 0},           {"abc", 0.0, 0},           {" \t12.5", 12.5, 12},   {"+3", 3.0, 3},
      {"-2.5x", -2.5, -2},    {"+-1", 0.0, 0},           {"1e3", 1000.0, 1},      {"1e999", 0.0, 1},
      {"nan", 0.0, 0},        {"inf", 0.0, 0},           {"99999999999", 99999999999.0, 0},
      {"-", 0.0, 0},          {"2147483647", 2147483647.0, 2147483647},
      // clang-format on
  };
  for (const NumberCase& c : cases) {
    char field[16]{};
    SetText(field, c.text);
    EXPECT_EQ(ReadNumber(field), c.number) << '"' << c.text << '"';
    EXPECT_EQ(ReadInt(field), c.integer) << '"' << c.text << '"';
  }
}

// from_chars of the text, as the number it stands for or nothing, by bits
// so that -0 and 0 differ.
std::optional<std::uint64_t> GeneralConversion(std::string_view text) {
  double value = 0.0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc{} || !std::isfinite(value)) return std::nullopt;
  return std::bit_cast<std::uint64_t>(value);
}

std::optional<std::uint64_t> ParsedBits(std::string_view text) {
  const std::optional<double> value = engine::ParseNumber(text);
  return value ? std::optional(std::bit_cast<std::uint64_t>(*value)) : std::nullopt;
}

TEST(RowField, ReadsDecimalsExactlyAsTheGeneralConversion) {
  const std::string_view texts[] = {"0",
                                    "-0",
                                    "-0.00",
                                    ".5",
                                    "5.",
                                    "-.5",
                                    ".",
                                    "-",
                                    "1.2.3",
                                    "12abc",
                                    "0x10",
                                    "1e5",
                                    "1E",
                                    "2.5e-3",
                                    "0.1",
                                    "0.3",
                                    "123456789012345",
                                    "1234567890123456",
                                    "999999999999999.9",
                                    "0.000000000000001",
                                    "0.0000000000000001",
                                    "-9007199254740993",
                                    "3.14159265358979",
                                    "00000000000000012.5",
                                    "4503.599627370497"};
  for (const std::string_view text : texts) EXPECT_EQ(ParsedBits(text), GeneralConversion(text)) << text;

  std::mt19937_64 random(71211);
  std::uniform_int_distribution<int> digitCount(1, 18);
  std::uniform_int_distribution<int> digit(0, 9);
  for (int i = 0; i < 50000; ++i) {
    std::string text = random() % 2 ? "-" : "";
    const int digits = digitCount(random);
    const int point = static_cast<int>(random() % static_cast<unsigned>(digits + 1));
    for (int at = 0; at < digits; ++at) {
      if (at == point) text.push_back('.');
      text.push_back(static_cast<char>('0' + digit(random)));
    }
    ASSERT_EQ(ParsedBits(text), GeneralConversion(text)) << text;
  }
}

TEST(RowField, ReadsAmountsExactlyAsTheReadNumberRounded) {
  std::mt19937_64 random(71212);
  std::uniform_int_distribution<int> digitCount(1, 17);
  std::uniform_int_distribution<int> decimals(0, 4);
  std::uniform_int_distribution<int> digit(0, 9);
  for (int i = 0; i < 50000; ++i) {
    std::string text = random() % 2 ? "-" : "";
    const int digits = digitCount(random);
    const int point = std::max(digits - decimals(random), 0);
    for (int at = 0; at < digits; ++at) {
      if (at == point) text.push_back('.');
      text.push_back(static_cast<char>('0' + digit(random)));
    }
    char field[24]{};
    SetText(field, text);
    ASSERT_EQ(std::bit_cast<std::uint64_t>(ReadMoney(field)),
              std::bit_cast<std::uint64_t>(engine::RoundMoney(ReadNumber(field))))
        << text;
  }
}

TEST(RowField, MoneyIsStoredRoundedAsTwoDecimals) {
  engine::OrderRow row{};
  SetMoney(row.szFrozenCautionMoney, 1.005);
  SetMoney(row.szFrozenCharge, 2.344);
  SetMoney(row.szFrozenPremium, ReadNumber(row.szReserved));  // an empty text
  EXPECT_EQ(Text(row.szFrozenCautionMoney), "1.01");
  EXPECT_EQ(Text(row.szFrozenCharge), "2.34");
  EXPECT_EQ(Text(row.szFrozenPremium), "0.00");

  SetText(row.szDealPrice, "3.456");
  EXPECT_EQ(ReadMoney(row.szDealPrice), 3.46);
  // Sixteen digits and two decimals do not fit: the text is cut, never past
  // its field.
  SetMoney(row.szFrozenPremium, 1e15);
  EXPECT_EQ(Text(row.szFrozenPremium), "100000000000000");
  EXPECT_EQ(row.szTradeClass[0], 0);
}

TEST(RowField, CountsAreStoredAsDecimalIntegers) {
  engine::ExercisableQuantityRow row{};
  SetInt(row.szFrozenHands, -3);
  SetInt(row.szFrozenHandsKind1, -2147483647 - 1);  // eleven characters: fits twelve bytes
  EXPECT_EQ(Text(row.szFrozenHands), "-3");
  EXPECT_EQ(Text(row.szFrozenHandsKind1), "-2147483648");
  EXPECT_EQ(ReadInt(row.szFrozenHandsKind1), -2147483647 - 1);
}

// A row survives being stored as bytes and handed over in a change record.
template <typename Row>
Row ThroughChangeRecord(const Row& row, int tableId) {
  const TableChangeRecord record =
      TableChangeRecord::RowChange(tableId, TableChangeRecord::kUpdate, 1, 0, engine::RowBytes(row));
  const auto copy = TableChangeRecord::FromBytes(record.Bytes());
  EXPECT_TRUE(copy.has_value());
  EXPECT_TRUE(
      std::all_of(copy->Row().begin() + sizeof(Row), copy->Row().end(), [](std::uint8_t byte) { return byte == 0; }));
  return engine::RowFromBytes<Row>(copy->Row()).value();
}

TEST(RowRoundTrip, FundRowThroughAChangeRecord) {
  engine::FundRow fund{};
  SetText(fund.szTradeAccount, "8001");
  SetMoney(fund.szUsableMoney, 123456.785);
  SetMoney(fund.szFLOATINGMARGIN, -0.5);
  const engine::FundRow copy = ThroughChangeRecord(fund, engine::table_id::kFunds);
  EXPECT_EQ(Text(copy.szTradeAccount), "8001");
  EXPECT_EQ(Text(copy.szUsableMoney), "123456.79");
  EXPECT_EQ(ReadMoney(copy.szFLOATINGMARGIN), -0.5);
  EXPECT_EQ(std::memcmp(&copy, &fund, sizeof fund), 0);
}

TEST(RowRoundTrip, OrderRowThroughAChangeRecord) {
  engine::OrderRow order{};
  SetText(order.szExchangeCode, "F1");
  SetText(order.szOrderNo, "17");
  SetText(order.szOrderSeat, "S1");
  SetText(order.szDealAttr, "1");
  SetMoney(order.szFrozenCharge, 2.5);
  SetText(order.szTradeClass, "1");
  const engine::OrderRow copy = ThroughChangeRecord(order, engine::table_id::kOrders);
  EXPECT_EQ(Text(copy.szOrderSeat), "S1");
  EXPECT_EQ(ReadInt(copy.szOrderNo), 17);
  EXPECT_EQ(Text(copy.szFrozenCharge), "2.50");
  EXPECT_EQ(Text(copy.szTradeClass), "1");
  EXPECT_EQ(Text(copy.szReserved), "");
}

TEST(RowRoundTrip, ExercisableQuantityRowThroughAChangeRecord) {
  engine::ExercisableQuantityRow quantity{};
  SetText(quantity.szTradeAccount, "8001");
  SetText(quantity.szExchangeCode, "F1");
  SetText(quantity.szContractCode, "m2609-C-3000");
  SetText(quantity.szExerciseKey, "K-0001");
  SetInt(quantity.szFrozenHands, 3);
  const engine::ExercisableQuantityRow copy = ThroughChangeRecord(quantity, engine::table_id::kExercisableQuantities);
  EXPECT_EQ(Text(copy.szContractCode), "m2609-C-3000");
  EXPECT_EQ(Text(copy.szExerciseKey), "K-0001");
  EXPECT_EQ(ReadInt(copy.szFrozenHands), 3);
  EXPECT_EQ(ReadInt(copy.szFrozenHandsKind1), 0);
}

TEST(RowRoundTrip, ShortBytesGiveNoRow) {
  const std::uint8_t bytes[35]{};
  EXPECT_FALSE(engine::RowFromBytes<engine::CloseStrategyRow>(bytes).has_value());
}

TEST(ExerciseInstruction, ComesFromTheExactAbbreviation) {
  EXPECT_EQ(engine::ExerciseInstructionFor("sfe"), "1");
  EXPECT_EQ(engine::ExerciseInstructionFor("dce"), "1");
  EXPECT_EQ(engine::ExerciseInstructionFor("czce"), "3");
  EXPECT_EQ(engine::ExerciseInstructionFor("cffex"), "2");
  EXPECT_EQ(engine::ExerciseInstructionFor("SFE"), "");
  EXPECT_EQ(engine::ExerciseInstructionFor("sfe "), "");
  EXPECT_EQ(engine::ExerciseInstructionFor(""), "");
}

}  // namespace
