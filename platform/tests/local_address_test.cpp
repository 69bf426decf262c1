#include "platform/local_address.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <cctype>
#include <string>

namespace {

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

}  // namespace
