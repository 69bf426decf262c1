#include "platform/local_address.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <regex>

TEST(LocalAddresses, AreWellFormedTextsOrTheFallbacks) {
  const platform::LocalAddresses found = platform::FindLocalAddresses();
  EXPECT_TRUE(std::regex_match(found.machine, std::regex("([0-9A-F]{2}-){5}[0-9A-F]{2}"))) << found.machine;
  in_addr parsed{};
  EXPECT_EQ(::inet_pton(AF_INET, found.ip.c_str(), &parsed), 1) << found.ip;
  if (found.machine == platform::kNoMachineAddress) {
    EXPECT_EQ(found.ip, platform::kNoIpAddress);
  }
}
