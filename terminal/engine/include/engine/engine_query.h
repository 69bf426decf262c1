// EngineQueryRecord: a conditional query of one engine table. The views, the
// order module and the query facade ask for the rows of a table whose key
// texts match; the engine fills the record's result with a copy of those rows.
//
// The record keeps its fixed 180-byte layout, little-endian:
//
//   offset  width  field
//        0      4  GUI table id
//        4     32  account text (carried for the caller; never compared)
//       36    136  key area: the table's keys, back to back at their widths,
//                  in the order below; each a zero-terminated text
//      172      8  result: the address of the block of a packed record list
//                  (backend::CxDataSet) holding the matching rows
//
// The record owns its result block: it is freed when the record goes or
// takes another result, and it leaves only through TakeResult, into a
// CxDataSet that frees it in turn. The record is therefore move-only.
//
// An empty key matches every row. A key matches a row when the key's text
// and the text of its row field are equal byte for byte; neither is read
// past its width, so a full field without a terminating zero still compares
// as the field's bytes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "backend/cx_data_set.h"

namespace engine {

inline constexpr std::string_view kNoSuchTableText = "指定的表号不存在！";
inline constexpr std::string_view kNoConditionalQueryText = "不支持该表的条件查询！";

// The keys of each table that the conditional query serves, in the order of
// its key area, with the row field each is compared with.

// GUI table 2, OrderRow.
namespace order_key {
enum : std::size_t {
  kExchangeCode,  // szExchangeCode
  kOrderNo,       // szOrderNo
  kContractCode,  // szContractCode
  kBuySell,       // szNameBS
  kOpenClose,     // szNameEO
  kHedge,         // szNameSH
  kTradeCode,     // szMapCode
  kSeat,          // szSeatCode
  kOrderSeat,     // szOrderSeat
};
}  // namespace order_key

// GUI table 3, SpecialOrderRow.
namespace special_order_key {
enum : std::size_t {
  kOrderNo,       // szOrderNo
  kTradeCode,     // szMapCode
  kExchangeCode,  // szExchangeCode
  kSeat,          // szSeatCode
  kOrderSeat,     // szOrderSeat
  kStrategyCode,  // szStrategyCode
  kBuySell,       // szNameBS
  kOpenClose,     // szNameEO
  kHedge,         // szNameSH
};
}  // namespace special_order_key

// GUI table 5, PositionSummaryRow.
namespace position_summary_key {
enum : std::size_t {
  kExchangeCode,  // szExchangeCode
  kContractCode,  // szContractCode
  kTradeCode,     // szMapCode
  kBuySell,       // szFlagBS
  kSeat,          // szSeatCode
};
}  // namespace position_summary_key

// GUI table 8, OrderKindRow: its first five fields.
namespace order_kind_key {
enum : std::size_t {
  kExchangeCode,  // szExchangeCode
  kStrategyCode,  // szStrategyCode
  kKindKey3,      // szKindKey3
  kKindKey4,      // szKindKey4
  kKindKey5,      // szKindKey5
};
}  // namespace order_kind_key

// GUI table 9, OrderTypeRow.
namespace order_type_key {
enum : std::size_t {
  kExchangeCode,   // szExchangeCode
  kAnswerField7,   // szAnswerField7
  kOrderFormType,  // szOrderFormType
};
}  // namespace order_type_key

// GUI table 10, ExchangeSeatRow. The last two keys both test the third item
// of the seat's flag list.
namespace exchange_seat_key {
enum : std::size_t {
  kSeat,             // szSeatCode
  kExchangeCode,     // szExchangeCode
  kExchangeName,     // szExchangeName
  kCloseTodayFlag,   // szCloseTodayFlag
  kMarketOrderFlag,  // szMarketOrderFlag
  kGroupFlag,        // szGroupFlag
  kGroupFlagAgain,   // szGroupFlag
};
}  // namespace exchange_seat_key

// GUI table 11, ContractRow.
namespace contract_key {
enum : std::size_t {
  kVarietyCode,   // szVarietyCode
  kContractCode,  // szContractCode
  kExchangeCode,  // szExchangeCode
};
}  // namespace contract_key

// GUI table 12, CombinationContractRow.
namespace combination_contract_key {
enum : std::size_t {
  kStrategyCode,  // szStrategyCode
  kContractCode,  // szContractCode
  kExchangeCode,  // szExchangeCode
};
}  // namespace combination_contract_key

// GUI table 17, StoredOrderRow: the fields that fields 9 to 16 of a
// stored-order change (5460) fill.
namespace stored_order_key {
enum : std::size_t {
  kStoredOrderNo,
  kAnswerField6,
  kAnswerField7,
  kAnswerField8,
  kAnswerField9,
  kAnswerField10,
  kAnswerField12,
  kAnswerField14,
};
}  // namespace stored_order_key

class EngineQueryRecord {
 public:
  static constexpr std::size_t kSize = 180;
  static constexpr std::size_t kTableIdOffset = 0;
  static constexpr std::size_t kAccountOffset = 4;
  static constexpr std::size_t kAccountSize = 32;
  static constexpr std::size_t kKeyAreaOffset = kAccountOffset + kAccountSize;
  static constexpr std::size_t kResultOffset = 172;
  static constexpr std::size_t kKeyAreaSize = kResultOffset - kKeyAreaOffset;
  static constexpr std::size_t kResultSize = 8;

  // A query of the table of a GUI table id; every other byte zero.
  explicit EngineQueryRecord(int tableId);
  ~EngineQueryRecord();
  EngineQueryRecord(EngineQueryRecord&& other) noexcept;
  EngineQueryRecord& operator=(EngineQueryRecord&& other) noexcept;
  EngineQueryRecord(const EngineQueryRecord&) = delete;
  EngineQueryRecord& operator=(const EngineQueryRecord&) = delete;

  int TableId() const;

  // Stores the account cut to 31 bytes on a character boundary.
  void SetAccount(std::string_view account);
  std::string_view Account() const;

  // Stores key `key` of the table (its text up to the first zero byte).
  // False, with the key left as it was, when the table has no such key or
  // the text does not fit the key with its terminating zero: such a key
  // could match no row, so the caller must not run the query as if it were
  // empty.
  [[nodiscard]] bool SetKey(std::size_t key, std::string_view text);
  // The key's text; empty for a key the table does not have.
  std::string_view Key(std::size_t key) const;

  // True when every key matches the row's field. `row` holds the bytes of
  // one table entry; a field that lies beyond them never matches a key.
  bool Matches(std::span<const std::uint8_t> row) const;

  bool HasResult() const { return ResultAddress() != 0; }
  // Replaces the result, freeing the one held before.
  void SetResult(backend::CxDataSet result);
  // Hands the result to the caller; the record holds none afterwards.
  backend::CxDataSet TakeResult();

  std::span<const std::uint8_t, kSize> Bytes() const { return bytes_; }

 private:
  std::uint64_t ResultAddress() const;
  void SetResultAddress(std::uint64_t address);

  std::array<std::uint8_t, kSize> bytes_{};
};

static_assert(sizeof(EngineQueryRecord) == EngineQueryRecord::kSize);
static_assert(EngineQueryRecord::kResultOffset + EngineQueryRecord::kResultSize == EngineQueryRecord::kSize);
static_assert(sizeof(std::uintptr_t) <= EngineQueryRecord::kResultSize, "a block address fits the result field");

// The row size of a table the conditional query serves; nothing for every
// other GUI table id.
std::optional<std::size_t> ConditionalQueryRowSize(int tableId);

}  // namespace engine
