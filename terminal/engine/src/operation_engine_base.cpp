#include "engine/operation_engine_base.h"

#include <array>
#include <cstring>
#include <mutex>

#include "backend/field_text.h"
#include "fee_rate_readings.h"
#include "keyed_rows.h"
#include "order_flags.h"
#include "order_index.h"
#include "order_updates.h"
#include "platform/gbk.h"
#include "position_book.h"
#include "row_index.h"
#include "typed_rows.h"

namespace engine {
namespace {

constexpr std::string_view kLogPrefix = "计算引擎：";

// The longest prefix of `text` that fits a field of `size` bytes with its
// terminating zero, cut on a character boundary.
std::string Fit(std::string_view text, std::size_t size) {
  return std::string(text.substr(0, platform::GbkFitLength(text, size - 1)));
}

// The fill number of a trade as OrderNoKey reads it; read in place.
bool FillNumberOfTrade(std::span<const std::uint8_t> entry, std::string& key) {
  if (entry.size() < sizeof(TradeRow)) return false;
  order_updates::AppendOrderNoKey(key, typed_rows::FieldIn(entry, &TradeRow::szDealNo));
  return true;
}

// The key fields of the rows the engine finds through KeyedRows, in the
// order their lookups give the texts.
std::vector<KeyField> FeeRateKeyFields() {
  return {KeyFieldOf(&FeeRateRow::szExchangeCode), KeyFieldOf(&FeeRateRow::szSeatCode),
          KeyFieldOf(&FeeRateRow::szContractCode), KeyFieldOf(&FeeRateRow::szTradeAccount)};
}

std::vector<KeyField> ContractKeyFields() {
  return {KeyFieldOf(&ContractRow::szExchangeCode), KeyFieldOf(&ContractRow::szContractCode)};
}

std::vector<KeyField> SummaryKeyFields() {
  using Row = PositionSummaryRow;
  return {KeyFieldOf(&Row::szContractCode), KeyFieldOf(&Row::szFlagBS),   KeyFieldOf(&Row::szTradeAccount),
          KeyFieldOf(&Row::szExchangeCode), KeyFieldOf(&Row::szSeatCode), KeyFieldOf(&Row::szMapCode),
          KeyFieldOf(&Row::szFlagSH)};
}

}  // namespace

COperationEngineBase::COperationEngineBase()
    : orderIndex_(std::make_unique<OrderIndex>()),
      positionBook_(std::make_unique<PositionBook>([this](std::string_view exchangeCode) {
        return std::array{GetCloseStrategy(exchangeCode), CloseStrategyOf(exchangeCode, order_flags::kCloseToday)};
      })),
      tradeIndex_(std::make_unique<RowIndex>(FillNumberOfTrade)),
      contractRows_(std::make_unique<KeyedRows>(sizeof(ContractRow), ContractKeyFields())),
      feeRateRows_(std::make_unique<KeyedRows>(sizeof(FeeRateRow), FeeRateKeyFields())),
      feeRateReadings_(std::make_unique<FeeRateReadings>()),
      summaryRows_(std::make_unique<KeyedRows>(sizeof(PositionSummaryRow), SummaryKeyFields())) {}
COperationEngineBase::~COperationEngineBase() = default;

std::optional<std::uint32_t> COperationEngineBase::FindOrderRow(const OrderSelectors& order, std::string_view account) {
  return orderIndex_->Find(TableAt(Table::kOrders), order, account);
}

std::optional<OrderRow> COperationEngineBase::FindOrderByTexts(const OrderSelectors& order) {
  std::lock_guard guard(lock_);
  const EngineTable& orders = TableAt(Table::kOrders);
  const std::optional<std::uint32_t> index = orderIndex_->FindExact(orders, order);
  return index ? typed_rows::RowAt<OrderRow>(orders, *index) : std::nullopt;
}

PositionBook& COperationEngineBase::FollowedPositions() {
  positionBook_->Follow(TableAt(Table::kPositionDetails), loginTexts_.tradingDate);
  return *positionBook_;
}

std::optional<std::uint32_t> COperationEngineBase::DetailRowOf(std::uint32_t id) const {
  return TableAt(Table::kPositionDetails).IndexOfId(id);
}

const std::vector<std::uint32_t>& COperationEngineBase::TradeRowsOf(std::string_view dealNo) {
  return tradeIndex_->RowsOf(TableAt(Table::kTrades), order_updates::OrderNoKey(dealNo));
}

void COperationEngineBase::ForgetRowIndexes() {
  orderIndex_->Forget();
  positionBook_->Forget();
  tradeIndex_->Forget();
  contractRows_->Forget();
  feeRateRows_->Forget();
  summaryRows_->Forget();
}

void COperationEngineBase::BuildRowIndexes() {
  std::lock_guard guard(lock_);
  orderIndex_->Rebuild(TableAt(Table::kOrders));
  FollowedPositions();
  tradeIndex_->Rebuild(TableAt(Table::kTrades));
}

void COperationEngineBase::WriteLog(const char* text, int level) const {
  if (!callbacks_.log || text == nullptr) return;
  const std::string_view body(text);
  std::string line(kLogPrefix);
  line.append(body.substr(0, platform::GbkFitLength(body, kLogLineSize - 1 - kLogPrefix.size())));
  callbacks_.log(level, line.c_str());
}

void COperationEngineBase::SetLoginTexts(LoginTexts texts) {
  std::lock_guard guard(lock_);
  loginTexts_.machineAddress = Fit(texts.machineAddress, kMachineAddressSize);
  loginTexts_.requestPrefix = Fit(texts.requestPrefix, kRequestTextSize);
  loginTexts_.applicationTag = Fit(texts.applicationTag, kRequestTextSize);
  loginTexts_.customerNumber = Fit(texts.customerNumber, kRequestTextSize);
  loginTexts_.password = Fit(texts.password, kRequestTextSize);
  loginTexts_.tradingDate = Fit(texts.tradingDate, kTradingDateSize);
  loginTexts_.contractCacheTag = Fit(texts.contractCacheTag, kContractCacheTagSize);
}

COperationEngineBase::LoginTexts COperationEngineBase::GetLoginTexts() const {
  std::lock_guard guard(lock_);
  return loginTexts_;
}

std::string COperationEngineBase::TradingDate() const {
  std::lock_guard guard(lock_);
  return loginTexts_.tradingDate;
}

void COperationEngineBase::ResetTables() {
  std::lock_guard guard(lock_);
  for (std::size_t table = 0; table < kTableCount; ++table) {
    if (table != static_cast<std::size_t>(Table::kTradeCodes)) tables_[table].Clear();
  }
  ForgetRowIndexes();
}

bool COperationEngineBase::QueryFeeRate(std::string_view, std::string_view, std::string_view, std::string_view,
                                        FeeRateRow&) {
  return false;
}

bool COperationEngineBase::QueryOptionParams(std::string_view, std::string_view, std::string_view, std::string_view,
                                             OptionParamsRow&) {
  return false;
}

bool COperationEngineBase::QueryLastPrice(std::string_view, std::string&) { return false; }

bool COperationEngineBase::QuoteLastPrice(std::string_view exchangeCode, std::string_view contractCode,
                                          double& lastPrice) const {
  return callbacks_.quoteLastPrice && callbacks_.quoteLastPrice(exchangeCode, contractCode, lastPrice);
}

}  // namespace engine
