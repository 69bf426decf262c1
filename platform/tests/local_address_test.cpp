#include "platform/local_address.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <array>
#include <cctype>
#include <optional>
#include <string>
#include <vector>

namespace {

using platform::ChooseLocalAddresses;
using platform::NetworkInterface;

// "00-1A-2B-3C-4D-5E": six pairs of upper-case hex digits.
bool IsMachineAddress(const std::string& text) {
  if (text.size() != 17) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const unsigned char byte = static_cast<unsigned char>(text[i]);
    const bool ok = i % 3 == 2 ? byte == '-' : std::isxdigit(byte) && !std::islower(byte);
    if (!ok) return false;
  }
  return true;
}

TEST(LocalAddresses, AreWellFormedTextsOrTheFallbacks) {
  const platform::LocalAddresses found = platform::FindLocalAddresses();
  EXPECT_TRUE(IsMachineAddress(found.machine)) << found.machine;
  in_addr parsed{};
  EXPECT_EQ(::inet_pton(AF_INET, found.ip.c_str(), &parsed), 1) << found.ip;
  if (found.machine == platform::kNoMachineAddress) {
    EXPECT_EQ(found.ip, platform::kNoIpAddress);
  }
}

NetworkInterface Interface(const char* name, bool loopback, std::array<std::uint8_t, 6> hardware,
                           std::optional<std::string> ipv4) {
  return NetworkInterface{name, loopback, hardware, std::move(ipv4)};
}

TEST(LocalAddresses, TakeTheFirstInterfaceWithAHardwareAddressThatIsNotTheLoopback) {
  struct Case {
    const char* name;
    std::vector<NetworkInterface> interfaces;
    const char* machine;
    const char* ip;
  };
  const std::array<std::uint8_t, 6> zero{};
  const std::vector<Case> cases = {
      {"loopback skipped",
       {Interface("lo", true, zero, "127.0.0.1"),
        Interface("eth0", false, {0x00, 0x11, 0x22, 0x33, 0x4A, 0xFF}, "192.168.1.5")},
       "00-11-22-33-4A-FF",
       "192.168.1.5"},
      {"first of two",
       {Interface("eth0", false, {2, 0, 0, 0, 0, 1}, "10.0.0.1"),
        Interface("eth1", false, {2, 0, 0, 0, 0, 2}, "10.0.0.2")},
       "02-00-00-00-00-01",
       "10.0.0.1"},
      {"no IPv4 on it", {Interface("eth0", false, {2, 0, 0, 0, 0, 1}, std::nullopt)}, "02-00-00-00-00-01", "127.0.0.1"},
      {"all-zero address skipped",
       {Interface("tun0", false, zero, "10.8.0.1"), Interface("eth0", false, {2, 0, 0, 0, 0, 3}, "10.0.0.3")},
       "02-00-00-00-00-03",
       "10.0.0.3"},
      {"only the loopback", {Interface("lo", true, zero, "127.0.0.1")}, "00-00-00-00-00-00", "127.0.0.1"},
      {"no interfaces", {}, "00-00-00-00-00-00", "127.0.0.1"},
  };
  for (const Case& c : cases) {
    const auto chosen = ChooseLocalAddresses(c.interfaces);
    EXPECT_EQ(chosen.machine, c.machine) << c.name;
    EXPECT_EQ(chosen.ip, c.ip) << c.name;
  }
}

TEST(LocalAddresses, InterfaceWithoutHardwareAddressIsSkipped) {
  const std::vector<NetworkInterface> interfaces = {{"sit0", false, std::nullopt, "10.1.1.1"}};
  EXPECT_EQ(ChooseLocalAddresses(interfaces).machine, "00-00-00-00-00-00");
}

}  // namespace
