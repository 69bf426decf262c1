#include "engine_log.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <vector>

#include "platform/testing/fake_clock.h"
#include "securelogin/testing/engine_folder.h"

namespace {

std::vector<std::string> hostLines;

int HostLog(const char* text) {
  hostLines.emplace_back(text);
  return 7;
}

std::string ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), {});
}

TEST(EngineLog, MasksThePasswordAndTheSecretOfAPasswordLogIn) {
  std::string request = "R|mac|1|5001|c|d|cust|pw|";
  for (int n = 8; n <= 18; ++n) request += (n == 18 ? "secret" : "f") + std::string("|");
  EXPECT_EQ(gatelin::MaskedForLog(request, true), "R|mac|1|5001|c|d|cust|******|f|f|f|f|f|f|f|f|f|f|******|");
  EXPECT_EQ(gatelin::MaskedForLog(request, false), "R|mac|1|5001|c|d|cust|******|f|f|f|f|f|f|f|f|f|f|secret|");
  EXPECT_EQ(gatelin::MaskedForLog("R|mac|", true), "R|mac|") << "fields that are not there stay away";
}

TEST(EngineLog, HostFunctionTakesLinesCutOnACharacter) {
  hostLines.clear();
  gatelin::EngineLog log;
  log.Configure(HostLog, "");
  EXPECT_EQ(log.WriteExchange("[GTN][5001-2]应答", 4, "Y|"), 7);
  // 510 ASCII bytes and a two-byte character would need 512.
  log.Write(std::string(510, 'x') + "中");
  ASSERT_EQ(hostLines.size(), 2u);
  EXPECT_EQ(hostLines[0], "[GTN][5001-2]应答(CID=4):Y|");
  EXPECT_EQ(hostLines[1], std::string(510, 'x'));
}

TEST(EngineLog, DailyLogAppendsToTheFileOfTheLocalDate) {
  gatelin_test::EngineFolder folder;
  platform::FakeClock clock({2024, 3, 9, 7, 23, 59, 58, 0}, 0);
  gatelin::EngineLog log;
  log.Configure(nullptr, folder.Path());
  EXPECT_EQ(log.Write("第一行"), 1);
  EXPECT_EQ(log.Write("second"), 1);
  EXPECT_EQ(ReadFile(folder.Path() + "/GTN20240309.txt"), "第一行\nsecond\n");

  EXPECT_EQ(gatelin::WriteDailyLog(folder.Path() + "/missing", "x"), 0);
  EXPECT_EQ(gatelin::WriteDailyLog("", "x"), 0) << "no folder known before initialisation";
}

}  // namespace
