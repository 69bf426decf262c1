// The data the simulated back end serves, read from its data folder.
//
// The folder holds GBK text files, one record a line: a key naming the kind
// of record, then its values, every field closed by "|". Lines starting
// with "#" are comments; blank lines are skipped. Each file says in its own
// head comment which records it takes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace simbackend {

inline constexpr const char* kAccountsFile = "accounts.txt";
inline constexpr const char* kQuoteServersFile = "quoteservers.txt";

enum class AccountKind { kTrading, kManagement };

struct Account {
  AccountKind kind = AccountKind::kTrading;
  std::string customer;
  std::string password;
  std::string name;
  // A management account's trading sub-accounts, in file order.
  std::vector<std::string> managed;
};

struct QuoteServer {
  std::string name;
  std::string address;
  std::uint16_t port = 0;  // 0: the port this back end itself listens on
};

struct BackendData {
  std::vector<Account> accounts;
  // The account with which the terminal logs in to the quote servers.
  std::string quoteUser;
  std::string quotePassword;
  std::vector<QuoteServer> quoteServers;

  // Null when there is no such account.
  const Account* FindAccount(std::string_view customer) const;
  // The management account whose sub-accounts include `customer`; null when none.
  const Account* FindManager(std::string_view customer) const;
};

// Reads every file of the data folder. False, with `data` untouched and the
// file, line and fault named in `error`, when a file is missing, too large,
// not well-formed GBK text, or holds a record that is malformed or
// inconsistent with the others.
bool LoadBackendData(const std::string& folder, BackendData& data, std::string& error);

// The data folder shipped with the back end: "data" beside the running
// program when it is there, else the one in the source tree.
std::string DefaultDataFolder();

}  // namespace simbackend
