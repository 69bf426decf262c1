#include "simbackend/backend_data.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <map>

#include "account_day.h"
#include "business_reader.h"
#include "contracts_reader.h"
#include "platform/files.h"
#include "record_file.h"
#include "record_kinds.h"
#include "trading_reader.h"

namespace simbackend {
namespace {

// The terminal keeps customer numbers, passwords and names in 64-byte fields
// and a quote server's address in 15 characters: longer values would reach
// it cut.
constexpr std::size_t kMaxKeyText = 63;
constexpr std::size_t kMaxAddress = 15;
// Widths of the deposit and withdrawal history the terminal shows.
constexpr std::size_t kMaxSerial = 15;
constexpr std::size_t kMaxBank = 15;
constexpr std::size_t kMaxSummary = 99;
constexpr std::int64_t kMaxSerialNumber = 999'999'999;
// The terminal shows a bulletin in 4096 bytes and the important notices in 4096 together.
constexpr std::size_t kMaxBulletin = 4095;
constexpr std::size_t kMaxNotice = 1023;

class AccountsReader {
 public:
  explicit AccountsReader(BackendData& data) : data_(data) {}

  std::vector<RecordKind> Kinds() {
    std::vector<RecordKind> kinds = {
        {"trader", 3, [this](const DataRecord& r) { return TakeAccount(AccountKind::kTrading, r); }},
        {"manager", 3, [this](const DataRecord& r) { return TakeAccount(AccountKind::kManagement, r); }},
        {"managed", 2, [this](const DataRecord& r) { return TakeManaged(r); }},
        {"money", 8, [this](const DataRecord& r) { return TakeMoney(r); }},
        {"statement", 2, [this](const DataRecord& r) { return TakeStatementMode(r); }},
        {"bulletin", 5, [this](const DataRecord& r) { return TakeBulletin(r); }},
        {"notice", 2, [this](const DataRecord& r) { return TakeNotice(r); }},
    };
    // The business refers to contracts and seats, which are read later:
    // its records are kept for then, their values counted there.
    for (const std::string& key : kBusinessRecordKeys)
      kinds.push_back({key.c_str(), kAnyCount, [this](const DataRecord& r) {
                         business_.push_back(r);
                         return std::string();
                       }});
    return kinds;
  }

  const std::vector<DataRecord>& Business() const { return business_; }

  // Sub-accounts, money entries, statement modes and addressees may be
  // listed before their accounts: they are checked once the whole file is
  // read.
  bool Link(const std::string& path, std::string& error) {
    const auto notTrading = [&](std::size_t line, const std::string& customer) {
      const Account* const account = Find(customer);
      if (account != nullptr && account->kind == AccountKind::kTrading) return false;
      error = LineError(path, line, "'" + Printable(customer) + "' is not a trading account");
      return true;
    };
    for (const auto& [line, index] : moneyLines_)
      if (notTrading(line, data_.moneyHistory[index].customer)) return false;
    for (const auto& [line, mode] : statementModes_) {
      if (notTrading(line, mode.first)) return false;
      Find(mode.first)->statementMode = mode.second;
    }
    for (const auto& [line, customer] : addressees_)
      if (Find(customer) == nullptr) {
        error = LineError(path, line, "customer '" + Printable(customer) + "' is not listed");
        return false;
      }
    for (const auto& [line, link] : links_) {
      const auto& [manager, trader] = link;
      Account* const managing = Find(manager);
      const Account* const managed = Find(trader);
      std::string problem;
      if (managing == nullptr || managing->kind != AccountKind::kManagement)
        problem = "'" + Printable(manager) + "' is not a management account";
      else if (managed == nullptr || managed->kind != AccountKind::kTrading)
        problem = "'" + Printable(trader) + "' is not a trading account";
      else if (const Account* owner = Owner(trader))
        problem = "'" + Printable(trader) + "' already belongs to '" + Printable(owner->customer) + "'";
      if (!problem.empty()) {
        error = LineError(path, line, problem);
        return false;
      }
      managing->managed.push_back(trader);
    }
    return true;
  }

 private:
  std::string TakeAccount(AccountKind kind, const DataRecord& record) {
    Account account{kind, record.values[0], record.values[1], record.values[2], {}};
    if (std::string problem = FirstProblem({CheckText("the customer number", account.customer, kMaxKeyText, true),
                                            CheckText("the password", account.password, kMaxKeyText, true),
                                            CheckText("the name", account.name, kMaxKeyText, false)});
        !problem.empty())
      return problem;
    if (Find(account.customer) != nullptr) return "customer '" + Printable(account.customer) + "' appears twice";
    data_.accounts.push_back(std::move(account));
    return {};
  }

  std::string TakeManaged(const DataRecord& record) {
    links_.emplace(record.line, std::pair(record.values[0], record.values[1]));
    return {};
  }

  // money|customer|date|serial|direction 1 deposit, 2 withdrawal|amount|money type|bank|summary|
  std::string TakeMoney(const DataRecord& record) {
    const std::vector<std::string>& v = record.values;
    MoneyEntry entry{v[0], v[1], v[2], MoneyDirection::kDeposit, 0, v[5], v[6], v[7]};
    std::int64_t serial = 0;
    static const std::vector<std::string> kMoneyTypes = {"1", "2", "3", "Z"};
    if (std::string problem = FirstProblem(
            {CheckDate("the date", entry.date),
             ParseWholeNumber("the serial number", entry.serial, 1, kMaxSerialNumber, serial),
             v[3] == "1" || v[3] == "2" ? "" : "the direction '" + Printable(v[3]) + "' is not 1 (deposit) or 2",
             ParseMoney("the amount", v[4], entry.cents),
             std::find(kMoneyTypes.begin(), kMoneyTypes.end(), entry.moneyType) != kMoneyTypes.end()
                 ? ""
                 : "the money type '" + Printable(entry.moneyType) + "' is not 1, 2, 3 or Z",
             CheckText("the bank code", entry.bank, kMaxBank, false),
             CheckText("the summary", entry.summary, kMaxSummary, false)});
        !problem.empty())
      return problem;
    entry.serial = std::to_string(serial);
    if (entry.serial.size() > kMaxSerial) return "the serial number is too long";
    if (std::any_of(data_.moneyHistory.begin(), data_.moneyHistory.end(),
                    [&](const MoneyEntry& e) { return e.serial == entry.serial; }))
      return "serial number " + entry.serial + " appears twice";
    entry.direction = v[3] == "1" ? MoneyDirection::kDeposit : MoneyDirection::kWithdrawal;
    moneyLines_.emplace(record.line, data_.moneyHistory.size());
    data_.moneyHistory.push_back(std::move(entry));
    return {};
  }

  // statement|customer|0 nothing, 1 shown, 2 shown and confirmed|
  std::string TakeStatementMode(const DataRecord& record) {
    const std::string& mode = record.values[1];
    if (std::string problem = CheckChoice("the statement mode", mode, {"0", "1", "2"}); !problem.empty())
      return problem;
    statementModes_.emplace(record.line, std::pair(record.values[0], mode));
    return {};
  }

  // bulletin|date|time|level 1 to 5|customer or empty for everybody|text|
  std::string TakeBulletin(const DataRecord& record) {
    const std::vector<std::string>& v = record.values;
    Bulletin bulletin{v[0], v[1], v[2], v[3], v[4]};
    if (std::string problem = FirstProblem({CheckDate("the date", bulletin.date), CheckTime("the time", bulletin.time),
                                            CheckChoice("the level", bulletin.level, {"1", "2", "3", "4", "5"}),
                                            CheckText("the text", bulletin.text, kMaxBulletin, true)});
        !problem.empty())
      return problem;
    if (!bulletin.customer.empty()) addressees_.emplace(record.line, bulletin.customer);
    data_.bulletins.push_back(std::move(bulletin));
    return {};
  }

  // notice|customer or empty for everybody|text|
  std::string TakeNotice(const DataRecord& record) {
    ImportantNotice notice{record.values[0], record.values[1]};
    if (std::string problem = CheckText("the text", notice.text, kMaxNotice, true); !problem.empty()) return problem;
    if (!notice.customer.empty()) addressees_.emplace(record.line, notice.customer);
    data_.notices.push_back(std::move(notice));
    return {};
  }

  const Account* Owner(const std::string& trader) const {
    for (const Account& account : data_.accounts)
      if (std::find(account.managed.begin(), account.managed.end(), trader) != account.managed.end()) return &account;
    return nullptr;
  }

  Account* Find(std::string_view customer) {
    const auto found = std::find_if(data_.accounts.begin(), data_.accounts.end(),
                                    [&](const Account& a) { return a.customer == customer; });
    return found == data_.accounts.end() ? nullptr : &*found;
  }

  BackendData& data_;
  std::map<std::size_t, std::pair<std::string, std::string>> links_;           // by line
  std::map<std::size_t, std::size_t> moneyLines_;                              // entry index by line
  std::map<std::size_t, std::pair<std::string, std::string>> statementModes_;  // customer and mode by line
  std::map<std::size_t, std::string> addressees_;                              // by line
  std::vector<DataRecord> business_;
};

std::string ParsePort(const std::string& text, std::uint16_t& port) {
  // "*" stands for the back end's own port, whatever it turns out to be.
  if (text == "*") {
    port = 0;
    return {};
  }
  unsigned value = 0;
  const auto [end, failure] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || failure != std::errc() || end != text.data() + text.size() || value == 0 || value > 65535)
    return "the port '" + Printable(text) + "' is not a number from 1 to 65535 or '*'";
  port = static_cast<std::uint16_t>(value);
  return {};
}

bool ReadQuoteServers(const std::string& path, BackendData& data, std::string& error) {
  std::vector<DataRecord> records;
  if (!ReadRecordFile(path, records, error)) return false;
  bool haveGateway = false;
  const std::vector<RecordKind> kinds = {
      {"gateway", 2,
       [&](const DataRecord& r) -> std::string {
         if (haveGateway) return "a second 'gateway' record";
         haveGateway = true;
         data.quoteUser = r.values[0];
         data.quotePassword = r.values[1];
         return FirstProblem({CheckText("the user", data.quoteUser, kMaxKeyText, true),
                              CheckText("the password", data.quotePassword, kMaxKeyText, true)});
       }},
      {"server", 3,
       [&](const DataRecord& r) -> std::string {
         QuoteServer server{r.values[0], r.values[1], 0};
         if (std::string problem = FirstProblem({CheckText("the name", server.name, kMaxKeyText, false),
                                                 CheckText("the address", server.address, kMaxAddress, true),
                                                 ParsePort(r.values[2], server.port)});
             !problem.empty())
           return problem;
         data.quoteServers.push_back(std::move(server));
         return {};
       }},
  };
  if (!TakeRecords(path, records, kinds, error)) return false;
  if (!haveGateway) {
    error = path + ": no 'gateway' record";
    return false;
  }
  return true;
}

// The accounts and their money; the records of their business go to `business`.
bool ReadAccounts(const std::string& path, BackendData& data, std::vector<DataRecord>& business, std::string& error) {
  std::vector<DataRecord> records;
  if (!ReadRecordFile(path, records, error)) return false;
  AccountsReader reader(data);
  if (!TakeRecords(path, records, reader.Kinds(), error) || !reader.Link(path, error)) return false;
  business = reader.Business();
  return true;
}

}  // namespace

const Account* BackendData::FindAccount(std::string_view customer) const {
  const auto found =
      std::find_if(accounts.begin(), accounts.end(), [&](const Account& a) { return a.customer == customer; });
  return found == accounts.end() ? nullptr : &*found;
}

const Account* BackendData::FindManager(std::string_view customer) const {
  const auto found = std::find_if(accounts.begin(), accounts.end(), [&](const Account& a) {
    return std::find(a.managed.begin(), a.managed.end(), customer) != a.managed.end();
  });
  return found == accounts.end() ? nullptr : &*found;
}

const Exchange* BackendData::FindExchange(std::string_view idOrCode) const {
  const auto found = std::find_if(exchanges.begin(), exchanges.end(),
                                  [&](const Exchange& e) { return e.id == idOrCode || e.code == idOrCode; });
  return found == exchanges.end() ? nullptr : &*found;
}

std::size_t BackendData::FindContract(std::string_view exchangeIdOrCode, std::string_view code) const {
  const Exchange* const exchange = FindExchange(exchangeIdOrCode);
  if (exchange == nullptr) return kNoContract;
  const auto exchangeIndex = static_cast<std::size_t>(exchange - exchanges.data());
  for (std::size_t i = 0; i < contracts.size(); ++i)
    if (contracts[i].exchange == exchangeIndex && contracts[i].code == code) return i;
  return kNoContract;
}

std::string BackendData::PriceText(const Contract& contract, std::int64_t ticks) const {
  const Variety& variety = VarietyOf(contract);
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", variety.decimals, static_cast<double>(ticks) * variety.tick);
  return text;
}

double BackendData::Price(const Contract& contract, std::int64_t ticks) const {
  return static_cast<double>(ticks) * VarietyOf(contract).tick;
}

const Seat* BackendData::FindSeat(std::string_view code) const {
  const auto found = std::find_if(seats.begin(), seats.end(), [&](const Seat& s) { return s.code == code; });
  return found == seats.end() ? nullptr : &*found;
}

bool BackendData::FloatingProfitAvailable() const {
  return std::any_of(parameters.begin(), parameters.end(), [](const TradingParameter& p) {
    return p.name == kFloatingProfitParameter && p.value == kFloatingProfitAvailable;
  });
}

std::string BackendData::ExerciseInstructions(std::string_view seat) const {
  const auto found = std::find_if(parameters.begin(), parameters.end(), [&](const TradingParameter& p) {
    return p.name == kExerciseParameter && p.key == seat;
  });
  return found == parameters.end() ? "3" : found->value;
}

int BackendData::CloseStrategyOf(std::size_t exchange) const {
  const auto found = std::find_if(closeStrategies.begin(), closeStrategies.end(),
                                  [&](const CloseStrategy& s) { return s.exchange == exchange; });
  return found == closeStrategies.end() ? 1 : found->number;
}

const OptionParams* BackendData::OptionParamsOf(const Contract& option) const {
  const auto found = std::find_if(optionParams.begin(), optionParams.end(),
                                  [&](const OptionParams& p) { return p.variety == option.variety; });
  return found == optionParams.end() ? nullptr : &*found;
}

const CombinationStrategy* BackendData::FindStrategy(std::size_t exchange, std::string_view code) const {
  const auto found = std::find_if(strategies.begin(), strategies.end(), [&](const CombinationStrategy& s) {
    return s.exchange == exchange && s.code == code;
  });
  return found == strategies.end() ? nullptr : &*found;
}

bool TradeCode::Takes(std::string_view hedge) const {
  // Type "1" serves hedge orders only, "2" none, "3" speculation only.
  if (type == "1") return hedge == "1";
  if (type == "2") return false;
  if (type == "3") return hedge == "0";
  return true;
}

const TradeCode* BackendData::TradeCodeFor(std::string_view customer, std::size_t exchange,
                                           std::string_view hedge) const {
  const auto found = std::find_if(tradeCodes.begin(), tradeCodes.end(), [&](const TradeCode& code) {
    return code.customer == customer && code.exchange == exchange && code.Takes(hedge);
  });
  return found == tradeCodes.end() ? nullptr : &*found;
}

bool LoadBackendData(const std::string& folder, BackendData& data, std::string& error) {
  BackendData loaded;
  const std::string accountsPath = folder + "/" + kAccountsFile;
  const std::string quotesPath = folder + "/" + kQuoteServersFile;
  std::vector<DataRecord> business;
  if (!ReadAccounts(accountsPath, loaded, business, error) || !ReadQuoteServers(quotesPath, loaded, error))
    return false;
  // The quote user's login is told apart from a customer's by its name.
  if (loaded.FindAccount(loaded.quoteUser) != nullptr) {
    error = quotesPath + ": the quote user '" + Printable(loaded.quoteUser) + "' is also a customer number";
    return false;
  }
  if (!ReadContracts(folder + "/" + kContractsFile, loaded, error) ||
      !ReadTrading(folder + "/" + kTradingFile, loaded, error) || !TakeBusiness(accountsPath, business, loaded, error))
    return false;
  // Every close of the day finds the positions it closes.
  const DayBusiness opening = OpeningBusiness(loaded);
  for (const Account& account : loaded.accounts) {
    AccountDay day;
    std::string problem;
    if (account.kind == AccountKind::kTrading &&
        !ReplayDay(loaded, opening, account.customer, {}, SettlementPrices(loaded), day, problem)) {
      error = accountsPath + ": " + problem;
      return false;
    }
  }
  data = std::move(loaded);
  return true;
}

std::string DefaultDataFolder() {
  const std::string beside = platform::ProgramFolder() + "/data";
  return platform::IsRegularFile(beside + "/" + kAccountsFile) ? beside : SIMBACKEND_SOURCE_DATA_FOLDER;
}

}  // namespace simbackend
