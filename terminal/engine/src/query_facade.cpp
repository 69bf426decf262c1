#include "engine/query_facade.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <optional>
#include <system_error>
#include <utility>

#include "backend/data_set_block.h"
#include "backend/field_text.h"
#include "engine/combination_contract_row.h"
#include "engine/engine_query.h"
#include "engine/money.h"
#include "platform/little_endian.h"

namespace engine {
namespace {

constexpr int kUnknownMultiplier = 10;
constexpr double kUnknownPriceTick = 1.0;
constexpr int kUnknownExerciseInstruction = 3;  // both exercise and abandon
constexpr std::string_view kFlagSet = "1";

// Ticks of contracts are kept to thousandths, those of combinations to
// cents; the tick check compares prices and ticks in thousandths.
constexpr RoundingRule kContractTickRounding{1000.0, 0.5};
constexpr RoundingRule kCombinationTickRounding{100.0, 0.5};
constexpr double kTickCheckScale = 1000.0;

bool IsReady(const COperationEngine& engine) { return engine.GetEngineState() == EngineState::kReady; }

bool IsCombinationContractCode(std::string_view contractCode) {
  return contractCode.find('&') != std::string_view::npos;
}

// A conditional query as the facade runs it: without the engine's busy
// guard, since each question decides itself what a busy engine answers.
class FacadeQuery {
 public:
  explicit FacadeQuery(int tableId) : record_(tableId) {}

  FacadeQuery& Key(std::size_t key, std::string_view text) {
    keysFit_ = record_.SetKey(key, text) && keysFit_;
    return *this;
  }
  FacadeQuery& Account(std::string_view account) {
    record_.SetAccount(account);
    return *this;
  }

  bool KeysFit() const { return keysFit_; }
  // A key's text as the query compares it.
  std::string_view KeyText(std::size_t key) const { return record_.Key(key); }

  // The matching rows; nothing when a text did not fit its key (it could
  // match no row) or the query failed.
  std::optional<backend::CxDataSet> Run(const COperationEngine& engine) {
    std::string ignored;
    if (!keysFit_ || !engine.QueryTableByConditionUnguarded(record_, ignored)) return std::nullopt;
    return record_.TakeResult();
  }

  template <EngineRow Row>
  std::optional<Row> FirstRow(const COperationEngine& engine) {
    const std::optional<backend::CxDataSet> rows = Run(engine);
    return rows ? RowFromBytes<Row>(rows->GetValue(0)) : std::nullopt;
  }

  bool AnyRow(const COperationEngine& engine) {
    const std::optional<backend::CxDataSet> rows = Run(engine);
    return rows && rows->GetCount() > 0;
  }

 private:
  EngineQueryRecord record_;
  bool keysFit_ = true;
};

std::optional<ContractRow> FindContractRow(const COperationEngine& engine, std::string_view contractCode) {
  return FacadeQuery(table_id::kContracts).Key(contract_key::kContractCode, contractCode).FirstRow<ContractRow>(engine);
}

// What the contract questions tell of a contract or a combination contract.
struct ContractFacts {
  std::string exchangeCode;
  std::string name;
  double priceTick;
};

std::optional<ContractFacts> LookUpContract(const COperationEngine& engine, std::string_view contractCode) {
  if (IsCombinationContractCode(contractCode)) {
    const std::optional<CombinationContractRow> row = FacadeQuery(table_id::kCombinationContracts)
                                                          .Key(combination_contract_key::kContractCode, contractCode)
                                                          .FirstRow<CombinationContractRow>(engine);
    if (!row) return std::nullopt;
    return ContractFacts{std::string(Text(row->szExchangeCode)), std::string(Text(row->szContractName)),
                         Round(ReadNumber(row->szMinPriceStep), kCombinationTickRounding)};
  }
  const std::optional<ContractRow> row = FindContractRow(engine, contractCode);
  if (!row) return std::nullopt;
  return ContractFacts{std::string(Text(row->szExchangeCode)), std::string(Text(row->szContractName)),
                       Round(ReadNumber(row->szMinPriceStep), kContractTickRounding)};
}

std::optional<ExchangeSeatRow> FirstSeatOfExchange(const COperationEngine& engine, std::string_view exchangeCode) {
  return FacadeQuery(table_id::kExchangeSeats)
      .Key(exchange_seat_key::kExchangeCode, exchangeCode)
      .FirstRow<ExchangeSeatRow>(engine);
}

bool SeatFlagSet(const COperationEngine& engine, std::string_view exchangeCode, std::string_view seat,
                 std::size_t flagKey) {
  return IsReady(engine) && FacadeQuery(table_id::kExchangeSeats)
                                .Key(exchange_seat_key::kExchangeCode, exchangeCode)
                                .Key(exchange_seat_key::kSeat, seat)
                                .Key(flagKey, kFlagSet)
                                .AnyRow(engine);
}

// The whole text, blanks and tabs around it allowed, as a finite number.
std::optional<double> ParsePrice(std::string_view text) {
  text = backend::TrimBlanks(text);
  double price = 0.0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), price);
  if (error != std::errc{} || end != text.data() + text.size() || !std::isfinite(price)) return std::nullopt;
  return price;
}

ReducedContractRow ReduceContractRow(const ContractRow& contract) {
  ReducedContractRow row{};
  SetText(row.szExchangeCode, Text(contract.szExchangeCode));
  SetText(row.szContractCode, Text(contract.szContractCode));
  SetText(row.szContractName, Text(contract.szContractName));
  SetText(row.szVarietyCode, Text(contract.szVarietyCode));
  SetText(row.szVarietyName, Text(contract.szVarietyName));
  platform::StoreLittleEndian(row.priceTick, std::bit_cast<std::uint64_t>(ReadNumber(contract.szMinPriceStep)));
  return row;
}

template <EngineRow Row>
bool AppendRow(backend::CxDataSet& list, const Row& row) {
  const auto bytes = RowBytes(row);
  return list.AddEntry(nullptr, bytes.data(), bytes.size(), backend::data_set_block::kRawType);
}

}  // namespace

bool QueryEngineTable(COperationEngine& engine, int tableId, backend::CxDataSet& copy, std::string& error) {
  // The engine's own table copy applies the busy guard first.
  return engine.GetTableCopy(tableId, copy, error);
}

bool ReadEngineTable(COperationEngine& engine, int tableId, const RowVisitor& visit, std::string& error) {
  return engine.ReadTable(tableId, visit, error);
}

bool EngineQueryOrders(COperationEngine& engine, std::string_view buySell, std::string_view exchangeCode,
                       std::string_view contractCode, std::string_view account, backend::CxDataSet& orders) {
  if (!IsReady(engine)) return false;
  std::optional<backend::CxDataSet> rows = FacadeQuery(table_id::kOrders)
                                               .Account(account)
                                               .Key(order_key::kBuySell, buySell)
                                               .Key(order_key::kExchangeCode, exchangeCode)
                                               .Key(order_key::kContractCode, contractCode)
                                               .Run(engine);
  if (!rows) return false;
  orders = std::move(*rows);
  return true;
}

double PriceTickOf(const ReducedContractRow& row) {
  return std::bit_cast<double>(platform::LoadLittleEndian<std::uint64_t>(row.priceTick));
}

bool EngineQueryContracts(COperationEngine& engine, backend::CxDataSet& contracts, bool wholeRows) {
  std::string ignored;
  backend::CxDataSet table;
  if (!engine.GetTableCopy(table_id::kContracts, table, ignored)) return false;
  for (std::uint32_t index = 0; index < table.GetCount(); ++index) {
    const std::optional<ContractRow> contract = RowFromBytes<ContractRow>(table.GetValue(index));
    if (!contract) continue;
    const bool added = wholeRows ? AppendRow(contracts, *contract) : AppendRow(contracts, ReduceContractRow(*contract));
    if (!added) return false;
  }
  return true;
}

bool GetContractExchange(COperationEngine& engine, std::string_view contractCode, std::string& error,
                         std::string& exchangeCode) {
  if (!engine.CheckBusy(error)) return false;
  std::optional<ContractFacts> facts = LookUpContract(engine, contractCode);
  if (!facts) return false;
  exchangeCode = std::move(facts->exchangeCode);
  return true;
}

bool GetContractName(COperationEngine& engine, std::string_view contractCode, std::string& name) {
  if (!IsReady(engine)) return false;
  std::optional<ContractFacts> facts = LookUpContract(engine, contractCode);
  if (!facts) return false;
  name = std::move(facts->name);
  return true;
}

bool GetContractOptionFlag(COperationEngine& engine, std::string_view contractCode, std::string& optionFlag) {
  if (!IsReady(engine)) return false;
  const std::optional<ContractRow> contract = FindContractRow(engine, contractCode);
  if (!contract) return false;
  optionFlag = Text(contract->szTradeClass);
  return true;
}

int GetContractMultiplier(COperationEngine& engine, std::string_view contractCode) {
  if (!IsReady(engine)) return kUnknownMultiplier;
  const std::optional<ContractRow> contract = FindContractRow(engine, contractCode);
  return contract ? ReadInt(contract->szVolumePerHand) : kUnknownMultiplier;
}

double GetPriceTick(COperationEngine& engine, std::string_view contractCode) {
  if (!IsReady(engine)) return kUnknownPriceTick;
  const std::optional<ContractFacts> facts = LookUpContract(engine, contractCode);
  return facts ? facts->priceTick : kUnknownPriceTick;
}

bool CheckPriceTick(COperationEngine& engine, std::string_view contractCode, std::string_view priceText) {
  const double tickUnits = std::floor(GetPriceTick(engine, contractCode) * kTickCheckScale + 0.5);
  // A tick below half a thousandth cannot divide; such a contract's prices
  // go unchecked rather than all refused.
  if (tickUnits == 0.0) return true;
  const std::optional<double> price = ParsePrice(priceText);
  if (!price) return false;
  // Both are whole numbers here, and fmod is exact, also beyond the range
  // of any integer type.
  return std::fmod(std::floor(*price * kTickCheckScale + 0.5), tickUnits) == 0.0;
}

bool FindOrder(COperationEngine& engine, std::string_view exchangeCode, std::string_view account,
               std::string_view orderSeat, std::string_view orderNo, OrderRow& order) {
  if (!IsReady(engine)) return false;
  FacadeQuery query(table_id::kOrders);
  query.Account(account)
      .Key(order_key::kExchangeCode, exchangeCode)
      .Key(order_key::kOrderNo, orderNo)
      .Key(order_key::kOrderSeat, orderSeat);
  const OrderSelectors wanted{.orderNo = query.KeyText(order_key::kOrderNo),
                              .exchangeCode = query.KeyText(order_key::kExchangeCode),
                              .orderSeat = query.KeyText(order_key::kOrderSeat)};
  // An empty text matches every row, which only the query's walk answers; a
  // text too long for its key matches none, which the query also tells.
  const bool everyKeyNamed = !wanted.orderNo.empty() && !wanted.exchangeCode.empty() && !wanted.orderSeat.empty();
  const std::optional<OrderRow> row =
      everyKeyNamed && query.KeysFit() ? engine.FindOrderByTexts(wanted) : query.FirstRow<OrderRow>(engine);
  if (!row) return false;
  order = *row;
  return true;
}

bool IsMarketOrderSupported(COperationEngine& engine, std::string_view exchangeCode, std::string_view seat) {
  return SeatFlagSet(engine, exchangeCode, seat, exchange_seat_key::kMarketOrderFlag);
}

bool IsCloseTodaySupported(COperationEngine& engine, std::string_view exchangeCode, std::string_view seat) {
  return SeatFlagSet(engine, exchangeCode, seat, exchange_seat_key::kCloseTodayFlag);
}

bool GetExchangeCode(COperationEngine& engine, std::string_view exchangeCode, std::string& abbreviation) {
  const std::optional<ExchangeSeatRow> seat = FirstSeatOfExchange(engine, exchangeCode);
  if (!seat) return false;
  abbreviation = Text(seat->szExchangeAbbr);
  return true;
}

bool GetExchangeName(COperationEngine& engine, std::string_view exchangeCode, std::string& name) {
  if (!IsReady(engine)) return false;
  const std::optional<ExchangeSeatRow> seat = FirstSeatOfExchange(engine, exchangeCode);
  if (!seat) return false;
  name = Text(seat->szExchangeName);
  return true;
}

int GetExerciseInstructionCode(COperationEngine& engine, std::string_view exchangeCode, std::string_view seat) {
  const std::optional<backend::CxDataSet> rows = FacadeQuery(table_id::kExchangeSeats)
                                                     .Key(exchange_seat_key::kSeat, seat)
                                                     .Key(exchange_seat_key::kExchangeCode, exchangeCode)
                                                     .Run(engine);
  if (!rows) return kUnknownExerciseInstruction;
  // The query lets an empty text match any row; the seat row sought here
  // must carry exactly this exchange and seat.
  for (std::uint32_t index = 0; index < rows->GetCount(); ++index) {
    const std::optional<ExchangeSeatRow> row = RowFromBytes<ExchangeSeatRow>(rows->GetValue(index));
    if (row && Text(row->szSeatCode) == seat && Text(row->szExchangeCode) == exchangeCode) {
      return ReadInt(row->szExerciseInstruction);
    }
  }
  return kUnknownExerciseInstruction;
}

}  // namespace engine
