// The option series of the option quote board: every option contract of the
// engine's tables, grouped by exchange and by series (the options on one
// underlying futures month), in the order the contract table lists them,
// and the series picker's tree over them (exchanges, groups of series that
// share all but their last character, series). No toolkit.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace engine {
class COperationEngine;
struct ContractRow;
struct ExchangeSeatRow;
}  // namespace engine

namespace marketviews {

// What the board reads of an option contract row.
struct OptionContract {
  std::string exchange;  // the exchange id text ("S", "D", ...)
  std::string code;
  std::string letter;  // "C" a call, "P" a put
  std::string strike;  // the strike price as the row gives it
  std::string series;  // variety and month: also the underlying futures contract's code
};

struct OptionSeries {
  std::string name;
  std::vector<OptionContract> contracts{};  // in the contract table's order
};

// An exchange of the board's exchange list (seats whose first group flag is
// "1") or one whose options the contract table lists.
struct OptionExchange {
  std::string id;
  std::string name{};          // GBK
  std::string abbreviation{};  // "sfe", "dce", "czce", "cffex"
  bool listed = false;         // in the exchange list: the picker shows it
  std::vector<OptionSeries> series{};
};

// A group of series in the picker: the series of one exchange whose names
// share all but the last character.
struct SeriesGroup {
  std::string name;
  std::vector<std::string> series{};
};

class OptionMap {
 public:
  // The exchange list first (listed, in seat order, each exchange once),
  // then the options: a row whose option flag is "1" and whose exchange id
  // and series name are both set joins its series, made at the end of its
  // exchange's list when new.
  static OptionMap Build(const std::vector<engine::ExchangeSeatRow>& seats,
                         const std::vector<engine::ContractRow>& contracts);
  // The engine's tables; empty while the engine reconnects or downloads.
  static OptionMap FromEngine(engine::COperationEngine& engine);

  bool Empty() const;
  const std::vector<OptionExchange>& Exchanges() const { return exchanges_; }
  // The first series of the first exchange that has one.
  const OptionSeries* FirstSeries() const;
  // The first series of that name, searching every exchange; null for an
  // empty name or none.
  const OptionSeries* FindSeries(std::string_view name) const;
  // The exchange a series belongs to.
  const OptionExchange* ExchangeOf(std::string_view seriesName) const;

 private:
  OptionExchange& ExchangeById(const std::string& id);

  std::vector<OptionExchange> exchanges_;
};

// The series name of an option row: its variety code and its delivery
// month; empty for a row that is no option.
std::string SeriesNameOf(const engine::ContractRow& row);

// The groups of an exchange's series, in the order of their first series.
std::vector<SeriesGroup> GroupSeries(const OptionExchange& exchange);

// The picker's search: in the tree's order (listed exchanges that have
// series, their groups, their series), the first series whose name holds
// the text.
std::optional<std::string> FirstSeriesContaining(const OptionMap& map, std::string_view text);

}  // namespace marketviews
