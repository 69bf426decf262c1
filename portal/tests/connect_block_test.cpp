#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "portal/Orvanet.h"

namespace {

using namespace std::string_literals;

// The bytes of the block from `offset`, as another library would read them.
std::string BytesAt(const OV_ConnectBlock& block, std::size_t offset, std::size_t count) {
  return std::string(reinterpret_cast<const char*>(&block) + offset, count);
}

TEST(ConnectBlock, NumbersAreLittleEndianAtTheirOffsets) {
  OV_ConnectBlock block{};
  orvanet::SetI32(block.connection, 2);
  orvanet::SetI32(block.proxyKind, -1);
  orvanet::SetU16(block.proxyPort, 0x1F90);
  orvanet::SetI32(block.serverPort, 0x0000D431);
  EXPECT_EQ(BytesAt(block, 0, 4), "\x02\x00\x00\x00"s);
  EXPECT_EQ(BytesAt(block, 1032, 4), "\xFF\xFF\xFF\xFF"s);
  EXPECT_EQ(BytesAt(block, 1136, 2), "\x90\x1F"s);
  EXPECT_EQ(BytesAt(block, 1396, 4), "\x31\xD4\x00\x00"s);
  EXPECT_EQ(orvanet::GetI32(block.connection), 2);
  EXPECT_EQ(orvanet::GetI32(block.proxyKind), -1);
  EXPECT_EQ(orvanet::GetU16(block.proxyPort), 0x1F90);
  EXPECT_EQ(orvanet::GetI32(block.serverPort), 0xD431);
}

TEST(ConnectBlock, TextsAreBoundedAndMustEndInsideTheirField) {
  OV_ConnectBlock block{};
  const std::string longest(sizeof block.loginText - 1, 'L');
  ASSERT_TRUE(orvanet::SetText(block.loginText, longest));
  EXPECT_EQ(BytesAt(block, 5, 1), "L");
  EXPECT_EQ(orvanet::GetText(block.loginText), longest);
  EXPECT_EQ(BytesAt(block, 1032, 1), "\0"s) << "the login text stops before the proxy kind";

  EXPECT_FALSE(orvanet::SetText(block.loginText, longest + "L")) << "no room for the zero";
  EXPECT_FALSE(orvanet::SetText(block.serverAddress, "a\0b"s));
  EXPECT_EQ(orvanet::GetText(block.loginText), longest) << "a refused text leaves the field alone";

  ASSERT_TRUE(orvanet::SetText(block.serverAddress, "127.0.0.1"));
  EXPECT_EQ(BytesAt(block, 1296, 10), "127.0.0.1\0"s);
  std::memset(block.proxyHost, 'h', sizeof block.proxyHost);
  EXPECT_EQ(orvanet::GetText(block.proxyHost), std::nullopt);
}

}  // namespace
