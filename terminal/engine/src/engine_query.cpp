#include "engine/engine_query.h"

#include <cstddef>
#include <cstring>
#include <utility>

#include "engine/combination_contract_row.h"
#include "engine/reference_rows.h"
#include "engine/stored_order_row.h"
#include "engine/table_catalogue.h"
#include "engine/trading_rows.h"
#include "platform/gbk.h"
#include "platform/little_endian.h"

namespace engine {
namespace {

// One key of a table: its width in the key area and the row field it is
// compared with.
struct QueryKey {
  std::size_t width;
  std::size_t rowOffset;
  std::size_t rowWidth;
};

// The place and width of a row field.
#define ROW_FIELD(Row, field) offsetof(Row, field), sizeof(Row::field)

constexpr std::array kOrderKeys{
    QueryKey{4, ROW_FIELD(OrderRow, szExchangeCode)},  QueryKey{16, ROW_FIELD(OrderRow, szOrderNo)},
    QueryKey{32, ROW_FIELD(OrderRow, szContractCode)}, QueryKey{2, ROW_FIELD(OrderRow, szNameBS)},
    QueryKey{2, ROW_FIELD(OrderRow, szNameEO)},        QueryKey{2, ROW_FIELD(OrderRow, szNameSH)},
    QueryKey{16, ROW_FIELD(OrderRow, szMapCode)},      QueryKey{16, ROW_FIELD(OrderRow, szSeatCode)},
    QueryKey{16, ROW_FIELD(OrderRow, szOrderSeat)},
};
constexpr std::array kSpecialOrderKeys{
    QueryKey{16, ROW_FIELD(SpecialOrderRow, szOrderNo)},     QueryKey{16, ROW_FIELD(SpecialOrderRow, szMapCode)},
    QueryKey{4, ROW_FIELD(SpecialOrderRow, szExchangeCode)}, QueryKey{16, ROW_FIELD(SpecialOrderRow, szSeatCode)},
    QueryKey{16, ROW_FIELD(SpecialOrderRow, szOrderSeat)},   QueryKey{8, ROW_FIELD(SpecialOrderRow, szStrategyCode)},
    QueryKey{2, ROW_FIELD(SpecialOrderRow, szNameBS)},       QueryKey{2, ROW_FIELD(SpecialOrderRow, szNameEO)},
    QueryKey{2, ROW_FIELD(SpecialOrderRow, szNameSH)},
};
constexpr std::array kPositionSummaryKeys{
    QueryKey{4, ROW_FIELD(PositionSummaryRow, szExchangeCode)},
    QueryKey{32, ROW_FIELD(PositionSummaryRow, szContractCode)},
    QueryKey{16, ROW_FIELD(PositionSummaryRow, szMapCode)},
    QueryKey{2, ROW_FIELD(PositionSummaryRow, szFlagBS)},
    QueryKey{16, ROW_FIELD(PositionSummaryRow, szSeatCode)},
};
constexpr std::array kOrderKindKeys{
    QueryKey{4, ROW_FIELD(OrderKindRow, szExchangeCode)}, QueryKey{8, ROW_FIELD(OrderKindRow, szStrategyCode)},
    QueryKey{2, ROW_FIELD(OrderKindRow, szKindKey3)},     QueryKey{2, ROW_FIELD(OrderKindRow, szKindKey4)},
    QueryKey{16, ROW_FIELD(OrderKindRow, szKindKey5)},
};
constexpr std::array kOrderTypeKeys{
    QueryKey{4, ROW_FIELD(OrderTypeRow, szExchangeCode)},
    QueryKey{2, ROW_FIELD(OrderTypeRow, szAnswerField7)},
    QueryKey{4, ROW_FIELD(OrderTypeRow, szOrderFormType)},
};
constexpr std::array kExchangeSeatKeys{
    QueryKey{16, ROW_FIELD(ExchangeSeatRow, szSeatCode)},
    QueryKey{4, ROW_FIELD(ExchangeSeatRow, szExchangeCode)},
    QueryKey{16, ROW_FIELD(ExchangeSeatRow, szExchangeName)},
    QueryKey{2, ROW_FIELD(ExchangeSeatRow, szCloseTodayFlag)},
    QueryKey{2, ROW_FIELD(ExchangeSeatRow, szMarketOrderFlag)},
    QueryKey{2, ROW_FIELD(ExchangeSeatRow, szGroupFlag)},
    QueryKey{2, ROW_FIELD(ExchangeSeatRow, szGroupFlag)},
};
constexpr std::array kContractKeys{
    QueryKey{8, ROW_FIELD(ContractRow, szVarietyCode)},
    QueryKey{32, ROW_FIELD(ContractRow, szContractCode)},
    QueryKey{4, ROW_FIELD(ContractRow, szExchangeCode)},
};
constexpr std::array kCombinationContractKeys{
    QueryKey{8, ROW_FIELD(CombinationContractRow, szStrategyCode)},
    QueryKey{64, ROW_FIELD(CombinationContractRow, szContractCode)},
    QueryKey{4, ROW_FIELD(CombinationContractRow, szExchangeCode)},
};
constexpr std::array kStoredOrderKeys{
    QueryKey{16, ROW_FIELD(StoredOrderRow, szStoredOrderNo)}, QueryKey{4, ROW_FIELD(StoredOrderRow, szAnswerField6)},
    QueryKey{16, ROW_FIELD(StoredOrderRow, szAnswerField7)},  QueryKey{16, ROW_FIELD(StoredOrderRow, szAnswerField8)},
    QueryKey{32, ROW_FIELD(StoredOrderRow, szAnswerField9)},  QueryKey{2, ROW_FIELD(StoredOrderRow, szAnswerField10)},
    QueryKey{2, ROW_FIELD(StoredOrderRow, szAnswerField12)},  QueryKey{2, ROW_FIELD(StoredOrderRow, szAnswerField14)},
};

#undef ROW_FIELD

struct QueryTable {
  int tableId;
  std::size_t rowSize;
  std::span<const QueryKey> keys;
};

constexpr std::array kQueryTables{
    QueryTable{table_id::kOrders, sizeof(OrderRow), kOrderKeys},
    QueryTable{table_id::kSpecialOrders, sizeof(SpecialOrderRow), kSpecialOrderKeys},
    QueryTable{table_id::kPositionSummary, sizeof(PositionSummaryRow), kPositionSummaryKeys},
    QueryTable{table_id::kOrderKinds, sizeof(OrderKindRow), kOrderKindKeys},
    QueryTable{table_id::kOrderTypes, sizeof(OrderTypeRow), kOrderTypeKeys},
    QueryTable{table_id::kExchangeSeats, sizeof(ExchangeSeatRow), kExchangeSeatKeys},
    QueryTable{table_id::kContracts, sizeof(ContractRow), kContractKeys},
    QueryTable{table_id::kCombinationContracts, sizeof(CombinationContractRow), kCombinationContractKeys},
    QueryTable{table_id::kStoredOrders, sizeof(StoredOrderRow), kStoredOrderKeys},
};

constexpr bool KeysFit(const QueryTable& table) {
  std::size_t width = 0;
  for (const QueryKey& key : table.keys) {
    if (key.width == 0 || key.rowOffset + key.rowWidth > table.rowSize) return false;
    width += key.width;
  }
  return width <= EngineQueryRecord::kKeyAreaSize;
}

constexpr bool AllKeysFit() {
  for (const QueryTable& table : kQueryTables) {
    if (!KeysFit(table)) return false;
  }
  return true;
}
static_assert(AllKeysFit(), "every table's keys fit the key area, and every row field its row");

const QueryTable* QueryTableFor(int tableId) {
  for (const QueryTable& table : kQueryTables) {
    if (table.tableId == tableId) return &table;
  }
  return nullptr;
}

// Where a key lies in the record, or nothing for a key the table lacks.
struct KeyPlace {
  std::size_t offset;
  const QueryKey* key;
};

std::optional<KeyPlace> PlaceOf(int tableId, std::size_t key) {
  const QueryTable* table = QueryTableFor(tableId);
  if (table == nullptr || key >= table->keys.size()) return std::nullopt;
  std::size_t offset = EngineQueryRecord::kKeyAreaOffset;
  for (std::size_t before = 0; before < key; ++before) offset += table->keys[before].width;
  return KeyPlace{offset, &table->keys[key]};
}

// The text of a field: its bytes up to the first zero, never past its width.
std::string_view FieldText(const std::uint8_t* field, std::size_t width) {
  const auto* text = reinterpret_cast<const char*>(field);
  return {text, strnlen(text, width)};
}

}  // namespace

EngineQueryRecord::EngineQueryRecord(int tableId) {
  platform::StoreLittleEndian(bytes_.data() + kTableIdOffset, static_cast<std::uint32_t>(tableId));
}

EngineQueryRecord::~EngineQueryRecord() { TakeResult(); }

EngineQueryRecord::EngineQueryRecord(EngineQueryRecord&& other) noexcept : bytes_(other.bytes_) {
  other.SetResultAddress(0);
}

EngineQueryRecord& EngineQueryRecord::operator=(EngineQueryRecord&& other) noexcept {
  if (this != &other) {
    TakeResult();
    bytes_ = other.bytes_;
    other.SetResultAddress(0);
  }
  return *this;
}

int EngineQueryRecord::TableId() const {
  return static_cast<int>(platform::LoadLittleEndian<std::uint32_t>(bytes_.data() + kTableIdOffset));
}

void EngineQueryRecord::SetAccount(std::string_view account) {
  account = account.substr(0, account.find('\0'));
  const std::size_t length = platform::GbkFitLength(account, kAccountSize - 1);
  std::uint8_t* field = bytes_.data() + kAccountOffset;
  std::memset(field, 0, kAccountSize);
  if (length > 0) std::memcpy(field, account.data(), length);
}

std::string_view EngineQueryRecord::Account() const { return FieldText(bytes_.data() + kAccountOffset, kAccountSize); }

bool EngineQueryRecord::SetKey(std::size_t key, std::string_view text) {
  const std::optional<KeyPlace> place = PlaceOf(TableId(), key);
  text = text.substr(0, text.find('\0'));
  if (!place || text.size() >= place->key->width) return false;
  std::uint8_t* field = bytes_.data() + place->offset;
  std::memset(field, 0, place->key->width);
  if (!text.empty()) std::memcpy(field, text.data(), text.size());
  return true;
}

std::string_view EngineQueryRecord::Key(std::size_t key) const {
  const std::optional<KeyPlace> place = PlaceOf(TableId(), key);
  if (!place) return {};
  return FieldText(bytes_.data() + place->offset, place->key->width);
}

bool EngineQueryRecord::Matches(std::span<const std::uint8_t> row) const {
  const QueryTable* table = QueryTableFor(TableId());
  if (table == nullptr) return false;
  std::size_t offset = kKeyAreaOffset;
  for (const QueryKey& key : table->keys) {
    const std::string_view wanted = FieldText(bytes_.data() + offset, key.width);
    offset += key.width;
    if (wanted.empty()) continue;
    if (key.rowOffset + key.rowWidth > row.size()) return false;
    if (FieldText(row.data() + key.rowOffset, key.rowWidth) != wanted) return false;
  }
  return true;
}

void EngineQueryRecord::SetResult(backend::CxDataSet result) {
  TakeResult();
  SetResultAddress(reinterpret_cast<std::uintptr_t>(result.ReleaseBlock()));
}

backend::CxDataSet EngineQueryRecord::TakeResult() {
  auto* block = reinterpret_cast<std::uint8_t*>(static_cast<std::uintptr_t>(ResultAddress()));
  SetResultAddress(0);
  return backend::CxDataSet(block);
}

std::uint64_t EngineQueryRecord::ResultAddress() const {
  return platform::LoadLittleEndian<std::uint64_t>(bytes_.data() + kResultOffset);
}

void EngineQueryRecord::SetResultAddress(std::uint64_t address) {
  platform::StoreLittleEndian(bytes_.data() + kResultOffset, address);
}

std::optional<std::size_t> ConditionalQueryRowSize(int tableId) {
  const QueryTable* table = QueryTableFor(tableId);
  if (table == nullptr) return std::nullopt;
  return table->rowSize;
}

}  // namespace engine
