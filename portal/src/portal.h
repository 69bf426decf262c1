// The library's one instance: the settings of OV_Start and the table of open
// connections by number. Every exported function is a call on it.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "connection.h"
#include "settings.h"

namespace portal {

class Portal {
 public:
  static Portal& Instance();
  ~Portal();

  bool Start(const Settings& settings, std::string& message);
  bool Stop();
  bool Connect(OV_ConnectBlock& block, std::string& text);
  bool Disconnect(int number);
  int State(int number) const;
  bool Send(int number, int function, platform::Event* abort, std::string_view request, std::string& text);
  // The three steps of a pipelined exchange (connection.h).
  std::optional<std::uint32_t> SendOnly(int number, int function, platform::Event* abort, std::string_view request,
                                        std::string& text);
  bool SendOnlyMany(int number, int function, platform::Event* abort, std::span<const std::string_view> requests,
                    std::vector<std::uint32_t>& sequences, std::string& text);
  bool Receive(int number, std::uint32_t sequence, platform::Event* abort, std::string& text);
  bool Abandon(int number, std::uint32_t sequence);

 private:
  Portal() = default;
  std::shared_ptr<Connection> Find(int number) const;
  // The connection of `number`, or null with the reason in `text`.
  std::shared_ptr<Connection> FindConnected(int number, std::string& text) const;
  // Takes a connection that failed to open out of the table.
  void Forget(int number, const std::shared_ptr<Connection>& connection);

  mutable std::mutex mutex_;                  // guards the two members below, never held across a connection's work
  std::shared_ptr<const Settings> settings_;  // null while stopped
  std::map<int, std::shared_ptr<Connection>> connections_;
};

}  // namespace portal
