#include "simbackend/backend_data.h"

#include <algorithm>
#include <charconv>
#include <functional>
#include <map>

#include "platform/files.h"
#include "record_file.h"

namespace simbackend {
namespace {

// The terminal keeps customer numbers, passwords and names in 64-byte fields
// and a quote server's address in 15 characters: longer values would reach
// it cut.
constexpr std::size_t kMaxKeyText = 63;
constexpr std::size_t kMaxAddress = 15;

// What a record kind needs: its number of values and how it is taken in.
// A handler returns an empty text, or what is wrong with the record.
struct RecordKind {
  const char* key;
  std::size_t valueCount;
  std::function<std::string(const DataRecord&)> take;
};

std::string CheckText(std::string_view what, const std::string& value, std::size_t maxLength, bool required) {
  if (required && value.empty()) return std::string(what) + " is empty";
  if (value.size() > maxLength) return std::string(what) + " is longer than " + std::to_string(maxLength) + " bytes";
  return {};
}

// Takes the records of one file, each by its kind. False with `error` set.
bool TakeRecords(const std::string& path, const std::vector<DataRecord>& records, const std::vector<RecordKind>& kinds,
                 std::string& error) {
  for (const DataRecord& record : records) {
    const auto kind =
        std::find_if(kinds.begin(), kinds.end(), [&](const RecordKind& k) { return record.key == k.key; });
    std::string problem;
    if (kind == kinds.end()) {
      problem = "unknown record '" + Printable(record.key) + "'";
    } else if (record.values.size() != kind->valueCount) {
      problem = "'" + record.key + "' takes " + std::to_string(kind->valueCount) + " values, found " +
                std::to_string(record.values.size());
    } else {
      problem = kind->take(record);
    }
    if (!problem.empty()) {
      error = LineError(path, record.line, problem);
      return false;
    }
  }
  return true;
}

class AccountsReader {
 public:
  explicit AccountsReader(std::vector<Account>& accounts) : accounts_(accounts) {}

  std::vector<RecordKind> Kinds() {
    return {
        {"trader", 3, [this](const DataRecord& r) { return TakeAccount(AccountKind::kTrading, r); }},
        {"manager", 3, [this](const DataRecord& r) { return TakeAccount(AccountKind::kManagement, r); }},
        {"managed", 2, [this](const DataRecord& r) { return TakeManaged(r); }},
    };
  }

  // Sub-accounts may be listed before their accounts: they are checked once
  // the whole file is read.
  bool Link(const std::string& path, std::string& error) {
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
    for (std::string problem : {CheckText("the customer number", account.customer, kMaxKeyText, true),
                                CheckText("the password", account.password, kMaxKeyText, true),
                                CheckText("the name", account.name, kMaxKeyText, false)})
      if (!problem.empty()) return problem;
    if (Find(account.customer) != nullptr) return "customer '" + Printable(account.customer) + "' appears twice";
    accounts_.push_back(std::move(account));
    return {};
  }

  std::string TakeManaged(const DataRecord& record) {
    links_.emplace(record.line, std::pair(record.values[0], record.values[1]));
    return {};
  }

  const Account* Owner(const std::string& trader) const {
    for (const Account& account : accounts_)
      if (std::find(account.managed.begin(), account.managed.end(), trader) != account.managed.end()) return &account;
    return nullptr;
  }

  Account* Find(std::string_view customer) {
    const auto found =
        std::find_if(accounts_.begin(), accounts_.end(), [&](const Account& a) { return a.customer == customer; });
    return found == accounts_.end() ? nullptr : &*found;
  }

  std::vector<Account>& accounts_;
  std::map<std::size_t, std::pair<std::string, std::string>> links_;  // by line
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
         for (std::string problem : {CheckText("the user", data.quoteUser, kMaxKeyText, true),
                                     CheckText("the password", data.quotePassword, kMaxKeyText, true)})
           if (!problem.empty()) return problem;
         return {};
       }},
      {"server", 3,
       [&](const DataRecord& r) -> std::string {
         QuoteServer server{r.values[0], r.values[1], 0};
         for (std::string problem :
              {CheckText("the name", server.name, kMaxKeyText, false),
               CheckText("the address", server.address, kMaxAddress, true), ParsePort(r.values[2], server.port)})
           if (!problem.empty()) return problem;
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

bool ReadAccounts(const std::string& path, BackendData& data, std::string& error) {
  std::vector<DataRecord> records;
  if (!ReadRecordFile(path, records, error)) return false;
  AccountsReader reader(data.accounts);
  return TakeRecords(path, records, reader.Kinds(), error) && reader.Link(path, error);
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

bool LoadBackendData(const std::string& folder, BackendData& data, std::string& error) {
  BackendData loaded;
  const std::string quotesPath = folder + "/" + kQuoteServersFile;
  if (!ReadAccounts(folder + "/" + kAccountsFile, loaded, error) || !ReadQuoteServers(quotesPath, loaded, error))
    return false;
  // The quote user's login is told apart from a customer's by its name.
  if (loaded.FindAccount(loaded.quoteUser) != nullptr) {
    error = quotesPath + ": the quote user '" + Printable(loaded.quoteUser) + "' is also a customer number";
    return false;
  }
  data = std::move(loaded);
  return true;
}

std::string DefaultDataFolder() {
  const std::string beside = platform::ProgramFolder() + "/data";
  return platform::IsRegularFile(beside + "/" + kAccountsFile) ? beside : SIMBACKEND_SOURCE_DATA_FOLDER;
}

}  // namespace simbackend
