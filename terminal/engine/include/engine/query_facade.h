// The small typed questions that the order panels, the order module, the
// market views and the order submission ask of the engine: a table copy for
// the GUI, the orders of a contract, the contract list, a contract's
// exchange, name, option flag, multiplier and price tick, whether a price
// lies on the tick, an order by its key, and what an exchange seat takes.
//
// Each takes the engine it asks. The terminal has one engine, which the
// back-end client installs above this library (client::TheOperationEngine);
// the callers there pass it, and tests pass an engine of their own.
//
// While the engine downloads (state 1 or 2) every question but
// GetExchangeCode and GetExerciseInstructionCode answers "not found" or its
// default without asking the tables; each answer is read from the first row
// that matches.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "backend/cx_data_set.h"
#include "engine/operation_engine.h"
#include "engine/reference_rows.h"
#include "engine/row_field.h"
#include "engine/trading_rows.h"

namespace engine {

// The GUI's table copy: the busy guard, then the copy of the table of a GUI
// table id (COperationEngine::GetTableCopy); `copy` is replaced on success.
bool QueryEngineTable(COperationEngine& engine, int tableId, backend::CxDataSet& copy, std::string& error);
// The GUI's read of a table in place: the busy guard, then `visit` sees each
// row's bytes under the engine lock (COperationEngine::ReadTable). The
// visitor builds what the caller shows; the GUI itself is told after.
bool ReadEngineTable(COperationEngine& engine, int tableId, const RowVisitor& visit, std::string& error);

// Replaces `orders` with every order row of the exchange, contract and
// buy/sell code (an empty text matches any); the account is carried but not
// compared. False while busy, when a text does not fit its key, or when the
// query fails.
bool EngineQueryOrders(COperationEngine& engine, std::string_view buySell, std::string_view exchangeCode,
                       std::string_view contractCode, std::string_view account, backend::CxDataSet& orders);

// The short contract row of the contract list, 120 bytes.
struct ReducedContractRow {
  char szExchangeCode[4];
  char szContractCode[32];
  char szContractName[32];
  char szVarietyCode[8];
  char szVarietyName[32];
  char szReserved[4];         // zero: the tick keeps its 8-byte place
  std::uint8_t priceTick[8];  // the contract's tick as a little-endian double
};
static_assert(sizeof(ReducedContractRow) == 120);
static_assert(offsetof(ReducedContractRow, priceTick) == 112);
static_assert(EngineRow<ReducedContractRow>);

double PriceTickOf(const ReducedContractRow& row);

// Appends one entry per contract, in table order, to `contracts`: the whole
// ContractRow with `wholeRows`, else its ReducedContractRow. True also when
// there are none; false while busy or when the copy fails.
bool EngineQueryContracts(COperationEngine& engine, backend::CxDataSet& contracts, bool wholeRows);

// A code holding "&" is a combination contract: the contract questions
// below look it up among the combination contracts only.

// The exchange code of a contract. While busy `error` takes the busy
// message and the answer is false.
bool GetContractExchange(COperationEngine& engine, std::string_view contractCode, std::string& error,
                         std::string& exchangeCode);
// The contract's name, or the combination contract's.
bool GetContractName(COperationEngine& engine, std::string_view contractCode, std::string& name);
// The option flag of a contract ("1" option); combinations have none.
bool GetContractOptionFlag(COperationEngine& engine, std::string_view contractCode, std::string& optionFlag);
// The units per lot; 10 while busy or for an unknown contract.
int GetContractMultiplier(COperationEngine& engine, std::string_view contractCode);
// The price tick, rounded half up to thousandths (to hundredths for a
// combination contract); 1 while busy or for an unknown contract.
double GetPriceTick(COperationEngine& engine, std::string_view contractCode);
// True when the price, in thousandths rounded half up, is a whole multiple
// of the tick in thousandths. A tick that rounds to no thousandth cannot be
// checked and accepts every price; a price text that is no number is never
// on the tick.
bool CheckPriceTick(COperationEngine& engine, std::string_view contractCode, std::string_view priceText);

// The order of an exchange, order number and placing seat; the account is
// carried but not compared.
bool FindOrder(COperationEngine& engine, std::string_view exchangeCode, std::string_view account,
               std::string_view orderSeat, std::string_view orderNo, OrderRow& order);

// Whether a seat row of the exchange and seat (an empty text matches any)
// takes market orders, or close-today orders.
bool IsMarketOrderSupported(COperationEngine& engine, std::string_view exchangeCode, std::string_view seat);
bool IsCloseTodaySupported(COperationEngine& engine, std::string_view exchangeCode, std::string_view seat);

// The exchange's abbreviation ("sfe", "dce", "czce", "cffex"), answered also
// while the engine downloads.
bool GetExchangeCode(COperationEngine& engine, std::string_view exchangeCode, std::string& abbreviation);
// The exchange's name.
bool GetExchangeName(COperationEngine& engine, std::string_view exchangeCode, std::string& name);

// What the seat of the exchange takes of option applications: 1 exercise
// only, 2 abandon only, 3 both; 3 when no seat row has exactly this
// exchange and seat. Answered also while the engine downloads.
int GetExerciseInstructionCode(COperationEngine& engine, std::string_view exchangeCode, std::string_view seat);

}  // namespace engine
