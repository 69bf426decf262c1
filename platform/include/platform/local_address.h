// The machine's own addresses, as the back end wants them in every request:
// the hardware address of the first network interface that is not the
// loopback, and the IPv4 address of that interface.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform {

struct NetworkInterface {
  std::string name;
  bool loopback = false;
  std::optional<std::array<std::uint8_t, 6>> hardwareAddress;
  std::optional<std::string> ipv4;
};

struct LocalAddresses {
  std::string machine;  // "00-11-22-33-44-55"
  std::string ip;       // "192.168.1.5"
};

inline constexpr const char* kNoMachineAddress = "00-00-00-00-00-00";
inline constexpr const char* kNoIpAddress = "127.0.0.1";

// The machine's interfaces in the system's order.
std::vector<NetworkInterface> ListNetworkInterfaces();

// Picks the first interface that is not the loopback and has a hardware
// address other than all zeros; the fallbacks above when there is none.
LocalAddresses ChooseLocalAddresses(const std::vector<NetworkInterface>& interfaces);

// The addresses of this machine: ChooseLocalAddresses over its interfaces.
LocalAddresses FindLocalAddresses();

}  // namespace platform
