#include "simbackend/backend_data.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "data_folder.h"

namespace simbackend {
namespace {

using simbackend_test::DataFolder;
using ::testing::HasSubstr;

constexpr const char* kGoodAccounts =
    "# 账户\n"
    "trader|10001|111111|张明|\n"
    "manager|90001|999999|李经理|\n"
    "managed|90001|20001|\n"  // before its account: links are checked at the end
    "trader|20001|222222|王芳|\n";
constexpr const char* kGoodQuotes =
    "gateway|quote|quote123|\n"
    "server|行情一|127.0.0.1|7001|\n";

TEST(BackendDataTest, TheShippedFolderHoldsTheDemoAccountsAndTheQuoteServer) {
  BackendData data;
  std::string error;
  ASSERT_TRUE(LoadBackendData(SIMBACKEND_SOURCE_DATA_FOLDER, data, error)) << error;

  const Account* customer = data.FindAccount("10001");
  ASSERT_NE(customer, nullptr);
  EXPECT_EQ(customer->kind, AccountKind::kTrading);
  EXPECT_EQ(customer->password, "111111");
  EXPECT_EQ(customer->name, "张明");

  const Account* manager = data.FindAccount("90001");
  ASSERT_NE(manager, nullptr);
  EXPECT_EQ(manager->kind, AccountKind::kManagement);
  EXPECT_EQ(manager->managed, (std::vector<std::string>{"20001", "20002"}));
  EXPECT_EQ(data.FindManager("20002"), manager);
  EXPECT_EQ(data.FindManager("10001"), nullptr);

  EXPECT_EQ(data.quoteUser, "quote");
  ASSERT_EQ(data.quoteServers.size(), 1u);
  EXPECT_EQ(data.quoteServers[0].address, "127.0.0.1");
  EXPECT_EQ(data.quoteServers[0].port, 0);  // "*": the back end's own port
}

TEST(BackendDataTest, ReadsGbkNamesWhoseSecondByteIsTheSeparatorBlanksAndWindowsLineEnds) {
  DataFolder folder;
  folder.Write(kAccountsFile, "  trader |\t10001 |111111|王秥|  \r\n\r\n   # 注释\r\n");
  folder.Write(kQuoteServersFile, kGoodQuotes);
  BackendData data;
  std::string error;
  ASSERT_TRUE(LoadBackendData(folder.Path(), data, error)) << error;
  ASSERT_EQ(data.accounts.size(), 1u);
  EXPECT_EQ(data.accounts[0].customer, "10001");
  EXPECT_EQ(data.accounts[0].name, "王秥");
}

struct MalformedCase {
  const char* what;
  std::string accounts;
  std::string quotes;
  const char* error;  // a part of the message
};

void PrintTo(const MalformedCase& c, std::ostream* out) { *out << c.what; }

class MalformedDataTest : public ::testing::TestWithParam<MalformedCase> {};

TEST_P(MalformedDataTest, IsRefusedWithTheFileLineAndFaultAndLeavesTheDataAsItWas) {
  const MalformedCase& c = GetParam();
  DataFolder folder;
  folder.Write(kAccountsFile, c.accounts);
  if (!c.quotes.empty()) folder.Write(kQuoteServersFile, c.quotes);
  BackendData data;
  data.quoteUser = "before";
  std::string error;
  EXPECT_FALSE(LoadBackendData(folder.Path(), data, error)) << c.what;
  EXPECT_THAT(error, HasSubstr(c.error)) << c.what;
  EXPECT_EQ(data.quoteUser, "before");
  EXPECT_TRUE(data.accounts.empty());
}

const std::string kGood = kGoodAccounts;

INSTANTIATE_TEST_SUITE_P(
    Cases, MalformedDataTest,
    ::testing::Values(
        MalformedCase{"quote file missing", kGood, "", "quoteservers.txt: cannot be opened"},
        MalformedCase{"unknown record", kGood + "tradr|1|2|3|\n", kGoodQuotes,
                      "accounts.txt, line 6: unknown record 'tradr'"},
        MalformedCase{"too few values", "trader|10001|111111|\n", kGoodQuotes,
                      "line 1: 'trader' takes 3 values, found 2"},
        MalformedCase{"last field open", "trader|10001|111111|张明\n", kGoodQuotes,
                      "line 1: the last field is not closed by '|'"},
        MalformedCase{"half a character",
                      "trader|10001|111111|\xD5"
                      "0|\n",
                      kGoodQuotes, "line 1: broken GBK character"},
        MalformedCase{"half a character at the end", "trader|10001|111111|张|\xD5", kGoodQuotes,
                      "line 1: broken GBK character"},
        MalformedCase{"zero byte",
                      std::string("trader|10001|11\0"
                                  "1111|x|\n",
                                  22),
                      kGoodQuotes, "line 1: control byte 0"},
        MalformedCase{"empty password", "trader|10001||张明|\n", kGoodQuotes, "line 1: the password is empty"},
        MalformedCase{"long customer number", "trader|" + std::string(64, '1') + "|1|x|\n", kGoodQuotes,
                      "line 1: the customer number is longer than 63 bytes"},
        MalformedCase{"customer twice", kGood + "trader|10001|1|x|\n", kGoodQuotes,
                      "line 6: customer '10001' appears twice"},
        MalformedCase{"manager unknown", kGood + "managed|90002|10001|\n", kGoodQuotes,
                      "line 6: '90002' is not a management account"},
        MalformedCase{"manager managed", kGood + "managed|90001|90001|\n", kGoodQuotes,
                      "line 6: '90001' is not a trading account"},
        MalformedCase{"two managers", kGood + "manager|90002|1|x|\nmanaged|90002|20001|\n", kGoodQuotes,
                      "line 7: '20001' already belongs to '90001'"},
        MalformedCase{"no gateway", kGood, "server|a|127.0.0.1|7001|\n", "no 'gateway' record"},
        MalformedCase{"two gateways", kGood, "gateway|q|p|\ngateway|q|p|\n", "line 2: a second 'gateway' record"},
        MalformedCase{"port out of range", kGood, "gateway|q|p|\nserver|a|127.0.0.1|70000|\n",
                      "line 2: the port '70000' is not a number from 1 to 65535 or '*'"},
        MalformedCase{"long address", kGood, "gateway|q|p|\nserver|a|1234567890.123456|7001|\n",
                      "line 2: the address is longer than 15 bytes"},
        MalformedCase{"quote user is a customer", kGood, "gateway|10001|p|\n",
                      "the quote user '10001' is also a customer number"},
        MalformedCase{"line too long", "#" + std::string(5000, 'x') + "\n", kGoodQuotes,
                      "line 1: longer than 4096 bytes"},
        MalformedCase{"file too large", std::string((1 << 20) + 1, '\n'), kGoodQuotes, "larger than 1048576 bytes"}),
    [](const ::testing::TestParamInfo<MalformedCase>& info) { return "Case" + std::to_string(info.index); });

}  // namespace
}  // namespace simbackend
