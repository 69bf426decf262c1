#include "backend/server_rotation.h"

#include <utility>

namespace backend {

void ServerRotation::SetQuoteServers(std::vector<ServerRow> rows, int current) {
  std::lock_guard lock(mutex_);
  quoteServers_ = {std::move(rows), current};
}

void ServerRotation::SetGateways(std::vector<ServerRow> rows, int current) {
  std::lock_guard lock(mutex_);
  gateways_ = {std::move(rows), current};
}

void ServerRotation::SetQuoteSlot(int slot) {
  std::lock_guard lock(mutex_);
  quoteSlot_ = slot;
}

int ServerRotation::QuoteSlot() const {
  std::lock_guard lock(mutex_);
  return quoteSlot_;
}

int ServerRotation::CurrentQuoteServer() const {
  std::lock_guard lock(mutex_);
  return quoteServers_.current;
}

int ServerRotation::CurrentGateway() const {
  std::lock_guard lock(mutex_);
  return gateways_.current;
}

std::optional<ServerRow> ServerRotation::InUse(int connection) const {
  std::lock_guard lock(mutex_);
  const List& list = connection == quoteSlot_ ? quoteServers_ : gateways_;
  if (list.current < 0 || list.current >= static_cast<int>(list.rows.size())) return std::nullopt;
  return list.rows[static_cast<std::size_t>(list.current)];
}

std::optional<ServerRow> ServerRotation::Next(int connection) {
  std::lock_guard lock(mutex_);
  List& list = connection == quoteSlot_ ? quoteServers_ : gateways_;
  if (list.rows.empty()) return std::nullopt;
  const int last = static_cast<int>(list.rows.size()) - 1;
  list.current = list.current >= -1 && list.current < last ? list.current + 1 : 0;
  return list.rows[static_cast<std::size_t>(list.current)];
}

ServerRotation& TheServerRotation() {
  static ServerRotation rotation;
  return rotation;
}

}  // namespace backend
