// The servers a dropped connection tries next: the quote connection walks the
// quote server list (function 5451), every other connection the trading
// gateway list, each wrapping round to its first row. The log-ins fill the
// lists; the portal's threads ask for the next server.
#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace backend {

struct ServerRow {
  std::string address;
  std::uint16_t port = 0;

  friend bool operator==(const ServerRow&, const ServerRow&) = default;
};

class ServerRotation {
 public:
  // A list and the index of the row in use.
  void SetQuoteServers(std::vector<ServerRow> rows, int current);
  void SetGateways(std::vector<ServerRow> rows, int current);
  // The slot of the quote connection (1 until the market log-in sets it).
  void SetQuoteSlot(int slot);
  int QuoteSlot() const;
  int CurrentQuoteServer() const;
  int CurrentGateway() const;

  // The server the connection uses: the row in use of its list; nothing
  // when the list has no such row.
  std::optional<ServerRow> InUse(int connection) const;

  // Moves the connection's list on by one row and returns that row; nothing,
  // with the list unchanged, when the list is empty.
  std::optional<ServerRow> Next(int connection);

 private:
  struct List {
    std::vector<ServerRow> rows;
    int current = 0;
  };

  mutable std::mutex mutex_;  // guards everything below
  List quoteServers_;
  List gateways_;
  int quoteSlot_ = 1;
};

// The rotation of the running terminal.
ServerRotation& TheServerRotation();

}  // namespace backend
