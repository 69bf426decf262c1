// The machine's own network addresses, as back ends want them in requests:
// the hardware address of the first interface that is not the loopback and
// has one, and the IPv4 address of that interface.
#pragma once

#include <string>

namespace platform {

struct LocalAddresses {
  std::string machine;  // "00-1A-2B-3C-4D-5E"
  std::string ip;       // "192.168.1.5"
};

inline constexpr const char* kNoMachineAddress = "00-00-00-00-00-00";
inline constexpr const char* kNoIpAddress = "127.0.0.1";

// The fallbacks above where the machine has no such interface (or no IPv4
// address on it).
LocalAddresses FindLocalAddresses();

}  // namespace platform
