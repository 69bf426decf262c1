#include "platform/local_address.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <linux/if_packet.h>
#include <net/if.h>
#include <netinet/in.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace platform {
namespace {

NetworkInterface& EntryFor(std::vector<NetworkInterface>& interfaces, const ifaddrs& address) {
  auto found = std::find_if(interfaces.begin(), interfaces.end(),
                            [&](const NetworkInterface& entry) { return entry.name == address.ifa_name; });
  if (found != interfaces.end()) return *found;
  NetworkInterface& entry = interfaces.emplace_back();
  entry.name = address.ifa_name;
  entry.loopback = (address.ifa_flags & IFF_LOOPBACK) != 0;
  return entry;
}

void TakeAddress(NetworkInterface& entry, const sockaddr& address) {
  if (address.sa_family == AF_PACKET && !entry.hardwareAddress) {
    sockaddr_ll link;
    std::memcpy(&link, &address, sizeof link);
    if (link.sll_halen != 6) return;
    std::array<std::uint8_t, 6> bytes;
    std::memcpy(bytes.data(), link.sll_addr, bytes.size());
    entry.hardwareAddress = bytes;
  } else if (address.sa_family == AF_INET && !entry.ipv4) {
    sockaddr_in inet;
    std::memcpy(&inet, &address, sizeof inet);
    char text[INET_ADDRSTRLEN] = {};
    if (::inet_ntop(AF_INET, &inet.sin_addr, text, sizeof text) != nullptr) entry.ipv4 = text;
  }
}

bool IsUsableHardwareAddress(const std::optional<std::array<std::uint8_t, 6>>& address) {
  return address && std::any_of(address->begin(), address->end(), [](std::uint8_t byte) { return byte != 0; });
}

}  // namespace

std::vector<NetworkInterface> ListNetworkInterfaces() {
  std::vector<NetworkInterface> interfaces;
  ifaddrs* list = nullptr;
  if (::getifaddrs(&list) != 0) return interfaces;
  for (const ifaddrs* address = list; address != nullptr; address = address->ifa_next) {
    NetworkInterface& entry = EntryFor(interfaces, *address);
    if (address->ifa_addr != nullptr) TakeAddress(entry, *address->ifa_addr);
  }
  ::freeifaddrs(list);
  return interfaces;
}

LocalAddresses ChooseLocalAddresses(const std::vector<NetworkInterface>& interfaces) {
  for (const NetworkInterface& entry : interfaces) {
    if (entry.loopback || !IsUsableHardwareAddress(entry.hardwareAddress)) continue;
    const auto& bytes = *entry.hardwareAddress;
    char machine[18];
    std::snprintf(machine, sizeof machine, "%02X-%02X-%02X-%02X-%02X-%02X", bytes[0], bytes[1], bytes[2], bytes[3],
                  bytes[4], bytes[5]);
    return LocalAddresses{.machine = machine, .ip = entry.ipv4.value_or(kNoIpAddress)};
  }
  return LocalAddresses{.machine = kNoMachineAddress, .ip = kNoIpAddress};
}

LocalAddresses FindLocalAddresses() { return ChooseLocalAddresses(ListNetworkInterfaces()); }

}  // namespace platform
