#include "platform/local_address.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <linux/if_packet.h>
#include <net/if.h>
#include <netinet/in.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <optional>
#include <vector>

namespace platform {
namespace {

using HardwareAddress = std::array<std::uint8_t, 6>;

struct Interface {
  std::string name;
  bool loopback = false;
  std::optional<HardwareAddress> hardware;
  std::optional<std::string> ipv4;
};

Interface& EntryFor(std::vector<Interface>& interfaces, const ifaddrs& address) {
  const auto found = std::find_if(interfaces.begin(), interfaces.end(),
                                  [&](const Interface& entry) { return entry.name == address.ifa_name; });
  if (found != interfaces.end()) return *found;
  Interface& entry = interfaces.emplace_back();
  entry.name = address.ifa_name;
  entry.loopback = (address.ifa_flags & IFF_LOOPBACK) != 0;
  return entry;
}

// Copies through memcpy: the list hands out sockaddr pointers whose real
// type depends on the family.
void Take(Interface& entry, const sockaddr& address) {
  if (address.sa_family == AF_PACKET && !entry.hardware) {
    sockaddr_ll link;
    std::memcpy(&link, &address, sizeof link);
    if (link.sll_halen != 6) return;
    HardwareAddress bytes;
    std::memcpy(bytes.data(), link.sll_addr, bytes.size());
    if (std::any_of(bytes.begin(), bytes.end(), [](std::uint8_t byte) { return byte != 0; })) entry.hardware = bytes;
  } else if (address.sa_family == AF_INET && !entry.ipv4) {
    sockaddr_in inet;
    std::memcpy(&inet, &address, sizeof inet);
    char text[INET_ADDRSTRLEN] = {};
    if (::inet_ntop(AF_INET, &inet.sin_addr, text, sizeof text) != nullptr) entry.ipv4 = text;
  }
}

std::vector<Interface> ListInterfaces() {
  std::vector<Interface> interfaces;
  ifaddrs* list = nullptr;
  if (::getifaddrs(&list) != 0) return interfaces;
  for (const ifaddrs* address = list; address != nullptr; address = address->ifa_next) {
    Interface& entry = EntryFor(interfaces, *address);
    if (address->ifa_addr != nullptr) Take(entry, *address->ifa_addr);
  }
  ::freeifaddrs(list);
  return interfaces;
}

std::string MachineText(const HardwareAddress& bytes) {
  char text[18];
  std::snprintf(text, sizeof text, "%02X-%02X-%02X-%02X-%02X-%02X", bytes[0], bytes[1], bytes[2], bytes[3], bytes[4],
                bytes[5]);
  return text;
}

}  // namespace

LocalAddresses FindLocalAddresses() {
  for (const Interface& entry : ListInterfaces()) {
    if (entry.loopback || !entry.hardware) continue;
    return {MachineText(*entry.hardware), entry.ipv4.value_or(kNoIpAddress)};
  }
  return {kNoMachineAddress, kNoIpAddress};
}

}  // namespace platform
