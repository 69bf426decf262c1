// The rules of the settings pages, without the toolkit: the gateway list's
// checks and sort, the proxy type choices, the hot key's modifiers, the
// variety page's working copy with its filters, edits and batch setting, and
// the watch-list page's rows and group changes.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "client/order_settings.h"
#include "quotes/contract_key.h"
#include "shell/settings_records.h"

namespace engine {
class COperationEngine;
}
namespace quotes {
class CtbOptionalContract;
}

namespace shell {

inline constexpr std::string_view kAllItems = "全部";

// ---- Trader servers ----

// The three fields of a gateway the user types.
struct GatewayFields {
  std::string name;
  std::string address;
  std::string port;
};

// The message of the first field that is wrong, in the order name, address,
// port; nothing when all are right. A port outside 1 to 65535 is refused
// rather than stored cut to 16 bits.
std::optional<std::string> GatewayFieldsProblem(const GatewayFields& fields);

// The sort of a list's column: "--" (no value) comes after every other text
// in both directions; other texts compare without regard to case, reversed
// when descending. A strict ordering, so equal texts keep their order.
bool GatewayCellBefore(std::string_view left, std::string_view right, bool descending);
// The rows' positions in the sorted order of their cells (stable).
std::vector<int> SortedRows(const std::vector<std::string>& cells, bool descending);

// The column and direction of the last header click, shared by every list.
struct ListSort {
  int column = 0;
  bool descending = false;
  // A click on a column: the same column turns the direction, another one
  // sorts ascending.
  void Click(int clicked);
};

// ---- Proxy ----

// The items of the proxy type list, in index order.
inline constexpr const char* kProxyTypeItems[] = {"不用代理", "SOCK4代理", "SOCK5代理", "HTTP代理"};
// The item of a stored type; nothing for an unknown type.
std::optional<int> ProxyItemOfType(int type);
// The stored type of an item: of each pair the second value when the user
// is verified (3 for SOCK5, 5 for HTTP).
int ProxyTypeOfItem(int item, bool verifyUser);

struct ProxyEnabling {
  bool address = false;
  bool port = false;
  bool verifyBox = false;
  bool uncheckBox = false;
};
// What the type item enables; user and password follow the box.
ProxyEnabling ProxyEnablingOf(int item);

// ---- Hot key ----

// The modifier bits a hot-key text names: "Ctrl" 2, "Shift" 4, "Alt" 1.
std::uint8_t HotKeyModifiersOfText(std::string_view text);

// ---- What the pages read of the engine ----

struct PageContract {
  std::string exchangeName;
  std::string exchangeCode;
  std::string code;
  std::string name;
  std::string varietyCode;
  std::string varietyName;
  bool option = false;
};

struct PageTables {
  // The exchanges with contract groups, in seat order, each once.
  std::vector<std::string> exchanges;
  // The contract table in order.
  std::vector<PageContract> contracts;
};

// Empty while the engine reconnects or downloads.
PageTables ReadPageTables(engine::COperationEngine& engine);

// ---- Variety parameters ----

// Cell text of a number: empty for 0 or 0.00.
std::string LotsCellText(int lots);
std::string OffsetCellText(double offset);

class VarietyPageModel {
 public:
  // The varieties of the contract table: code to name and to exchange.
  void SetTables(const PageTables& tables);

  // "全部", then every exchange.
  std::vector<std::string> ExchangeItems() const { return exchangeItems_; }
  // "全部", then the codes of the exchange's varieties ("全部": of all), in
  // code order.
  std::vector<std::string> VarietyItems(std::string_view exchange) const;
  // The name of a variety code; the code "全部" gives "全部", an unknown one
  // its own text.
  std::string VarietyName(std::string_view code) const;
  // The code of a variety name ("全部" when none).
  std::string VarietyCodeOfName(std::string_view name) const;

  // The working copy, which the page edits until OK.
  void SetRows(const client::VarietyParamRows& rows) { working_ = rows; }
  const client::VarietyParamRows& Rows() const { return working_; }

  // The rows the filters pass, by index into the working copy: the
  // variety name and the exchange name, each "全部" or empty for any.
  std::vector<std::size_t> ShownRows(std::string_view exchangeName, std::string_view varietyName) const;

  // A cell of a grid row: columns 0 to 2 the names and code, 3 to 8 the
  // numbers (empty for 0).
  static std::string CellText(const client::VarietyParamRow& row, int column);

  // What an edit of a number cell did.
  struct Edit {
    bool refused = false;  // an offset off the tick
    std::string cellText;  // the cell as it shows now
  };
  // Applies the typed text to the row of the contract; `onTick` tells
  // whether a price text lies on the contract's tick. A refused offset
  // stores 0, which the cell shows (empty). Nothing for an unknown contract
  // or a column that is not a number.
  std::optional<Edit> ApplyEdit(std::string_view contractCode, int column, std::string_view text,
                                const std::function<bool(std::string_view code, std::string_view price)>& onTick);

  // The question of the batch setting for the selections.
  static std::string BatchQuestion(std::string_view lotsText, std::string_view exchangeName,
                                   std::string_view varietyCode, std::string_view varietyName);
  // Sets the default lots of the rows of the exchange name and variety code
  // ("全部" for any) in the working copy; an empty text clears them.
  void ApplyBatch(std::string_view exchangeName, std::string_view varietyCode, std::string_view lotsText);

 private:
  std::vector<std::string> exchangeItems_;
  std::map<std::string, std::string> names_;      // code to name
  std::map<std::string, std::string> exchanges_;  // code to exchange name
  client::VarietyParamRows working_;
};

// ---- Watch list ----

// A row of either grid: display name, code, "期权" or "期货".
struct WatchRow {
  std::string name;
  std::string code;
  std::string kind;
  std::string exchangeCode;
};

// The contracts of the exchange ("全部": of all) that the user's group does
// not hold.
std::vector<WatchRow> UnchosenRows(const PageTables& tables, std::string_view exchange,
                                   const std::vector<quotes::ContractKey>& chosen);
// The group's contracts in group order, named and typed by the tables.
std::vector<WatchRow> ChosenRows(const PageTables& tables, const std::vector<quotes::ContractKey>& chosen);

// The names of the option list's own groups (not built from the tables).
std::vector<std::string> OwnGroupNames(const quotes::CtbOptionalContract& groups);
// The keys of the option list's "自选" group; none when it has none.
std::vector<quotes::ContractKey> OptionalGroupKeys(const quotes::CtbOptionalContract& groups);

// Adds the contracts at the top of the named group of the option list and
// of the futures list; the messages of the lists that refused. Nothing is
// done when the name is empty or either list has no "自选" group.
std::vector<std::string> AddWatchContracts(quotes::CtbOptionalContract& groups, std::string_view groupName,
                                           const std::vector<quotes::ContractKey>& keys);
// Removes exactly these contracts from the named group of either list, each
// found by its key.
void RemoveWatchContracts(quotes::CtbOptionalContract& groups, std::string_view groupName,
                          const std::vector<quotes::ContractKey>& keys);

}  // namespace shell
