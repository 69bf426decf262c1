// The settings that the log-ins read: the trading gateways with the one the
// user selected, and the proxy. The application shell owns them (its
// settings areas "TraderServerConfig" and "ProxyServerSet" of
// "\Config\Configs.ini") and lends them through ShellServices.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/little_endian.h"

namespace client {

// One trading gateway as the settings keep it: 128 bytes, the address text
// first and the port as an unsigned 16-bit little-endian number at byte 32.
struct GatewayRow {
  static constexpr std::size_t kAddressSize = 32;

  char address[kAddressSize] = {};  // zero-terminated
  unsigned char port[2] = {};
  // Members of the settings area that the log-ins do not read.
  unsigned char more[94] = {};

  std::uint16_t Port() const { return platform::LoadLittleEndian<std::uint16_t>(port); }
  void SetPort(std::uint16_t value) { platform::StoreLittleEndian(port, value); }
  // The address up to its terminator (the whole field when it has none).
  std::string_view Address() const;
  // Stores the address cut to 31 bytes on a character boundary.
  void SetAddress(std::string_view text);
};
static_assert(sizeof(GatewayRow) == 128);
static_assert(offsetof(GatewayRow, port) == 32);

// The data record of the settings area "TraderServerConfig".
struct TraderServerConfigData {
  std::vector<GatewayRow> gateways;
  // The row the user chose; negative when none.
  std::int32_t selected = -1;

  // The selected row, or null when the index lies outside the list.
  const GatewayRow* SelectedGateway() const;
};

// The data record of the settings area "ProxyServerSet" (section
// [ProxyServer]): "ProxyType", "ProxyIP", "ProxyPort", "User", "UserPwd".
struct ProxyServerConfigData {
  static constexpr std::size_t kHostSize = 32;
  static constexpr std::size_t kUserSize = 64;

  std::int32_t proxyType = 0;
  char proxyIp[kHostSize] = {};  // zero-terminated texts
  std::uint16_t proxyPort = 0;
  char user[kUserSize] = {};
  char userPassword[kUserSize] = {};
};
static_assert(sizeof(ProxyServerConfigData) == 168);

}  // namespace client
