#include "client/shell_services.h"

#include <gtest/gtest.h>

#include <cstring>

#include "client/testing/recording_shell.h"

namespace {

using client_testing::OutputLine;
using client_testing::RecordingShell;
using client_testing::ScopedShell;

TEST(ShellServices, OutputLinesReachTheInstalledShellAndNothingWithoutOne) {
  ASSERT_EQ(client::TheShellServices(), nullptr);
  EXPECT_EQ(client::PostOutputLine(client::kNoticeLine, "查询失败"), 0);

  RecordingShell shell;
  {
    ScopedShell installed(shell);
    EXPECT_EQ(client::TheShellServices(), &shell);
    EXPECT_NE(client::PostOutputLine(client::kFailureLine, "委托被取消!"), 0);
  }
  EXPECT_EQ(client::TheShellServices(), nullptr);
  EXPECT_EQ(shell.OutputLines(), (std::vector<OutputLine>{{"委托被取消!", 6}}));
}

TEST(ServerSettings, AGatewayRowKeepsItsPortLittleEndianAtByte32) {
  client::GatewayRow row;
  row.SetAddress("192.168.100.200");
  row.SetPort(0x1F90);
  unsigned char bytes[sizeof row];
  std::memcpy(bytes, &row, sizeof row);
  EXPECT_STREQ(reinterpret_cast<const char*>(bytes), "192.168.100.200");
  EXPECT_EQ(bytes[32], 0x90);
  EXPECT_EQ(bytes[33], 0x1F);
  EXPECT_EQ(row.Port(), 0x1F90);
  EXPECT_EQ(row.Address(), "192.168.100.200");
}

TEST(ServerSettings, AnAddressTooLongForItsFieldIsCutOnACharacterBoundary) {
  client::GatewayRow row;
  row.SetAddress(std::string(30, 'a') + "网关");
  EXPECT_EQ(row.Address(), std::string(30, 'a'));
}

TEST(ServerSettings, OnlyAnIndexInsideTheListSelectsAGateway) {
  client::TraderServerConfigData settings;
  settings.gateways.resize(2);
  settings.gateways[1].SetAddress("10.0.0.2");
  const struct {
    int selected;
    bool found;
  } cases[] = {{-1, false}, {0, true}, {1, true}, {2, false}, {100, false}};
  for (const auto& test : cases) {
    settings.selected = test.selected;
    EXPECT_EQ(settings.SelectedGateway() != nullptr, test.found) << test.selected;
  }
  settings.selected = 1;
  EXPECT_EQ(settings.SelectedGateway()->Address(), "10.0.0.2");
}

}  // namespace
