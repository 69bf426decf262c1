#include "client/server_settings.h"

#include <cstring>

#include "platform/gbk.h"

namespace client {

std::string_view GatewayRow::Address() const { return {address, strnlen(address, sizeof address)}; }

void GatewayRow::SetAddress(std::string_view text) {
  std::memset(address, 0, sizeof address);
  text.copy(address, platform::GbkFitLength(text, sizeof address - 1));
}

const GatewayRow* TraderServerConfigData::SelectedGateway() const {
  if (selected < 0 || static_cast<std::size_t>(selected) >= gateways.size()) return nullptr;
  return &gateways[static_cast<std::size_t>(selected)];
}

}  // namespace client
