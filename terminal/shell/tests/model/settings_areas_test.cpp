#include "shell/settings_areas.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <memory>

#include "platform/files.h"
#include "platform/ini_file.h"

namespace {

namespace fs = std::filesystem;

// A program folder of its own for each test, with the areas built in it.
class SettingsAreasTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / ("shell_settings_" + std::to_string(::getpid()) + "_" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    platform::SetProgramFolder(folder_.string());
  }
  void TearDown() override {
    settings_.reset();
    platform::SetProgramFolder("");
    fs::remove_all(folder_);
  }

  // Builds, registers and loads every area, as the login dialog does.
  shell::ShellSettings& Load() {
    settings_ = std::make_unique<shell::ShellSettings>([this](std::vector<shell::VarietyContract>& rows) {
      if (!contractsKnown) return false;
      rows = contracts;
      return true;
    });
    registry_ = std::make_unique<client::ConfigRegistry>();
    settings_->RegisterAndLoad(*registry_);
    return *settings_;
  }
  bool SaveAll() { return registry_->SaveAll(); }

  std::string File(const char* name) const { return (folder_ / "Config" / name).string(); }
  void Write(const char* file, const char* section, const char* key, const std::string& value) {
    fs::create_directories(folder_ / "Config");
    ASSERT_TRUE(platform::WriteIniString(File(file), section, key, value));
  }
  std::string Read(const char* file, const char* section, const char* key) const {
    return platform::ReadIniString(File(file), section, key, "<missing>");
  }

  bool contractsKnown = true;
  std::vector<shell::VarietyContract> contracts;

 private:
  fs::path folder_;
  std::unique_ptr<shell::ShellSettings> settings_;
  std::unique_ptr<client::ConfigRegistry> registry_;
};

TEST_F(SettingsAreasTest, AFreshInstallationGivesTheDefaults) {
  const shell::SettingsRecords& r = Load().records;
  EXPECT_TRUE(r.traderServers.gateways.empty());
  EXPECT_EQ(r.proxy.server.proxyType, 0);
  EXPECT_FALSE(r.proxy.verifyUser);
  const client::OrderSettings& o = r.orders;
  EXPECT_EQ(o.SendOrderAffirmBox + o.OrderReturnHintBox + o.DelOrderAffirmBox + o.FirstTodayLastTomorrow +
                o.ExceededMaxHandsSplitOrder + o.ShowHedge + o.AutoEO + o.ClickQuot + o.DBClickCloseOrder +
                o.EnableAotoDelOrder,
            0);
  for (int i = 0; i < 7; ++i) EXPECT_EQ(o.OrderInputSequence[i], i);
  EXPECT_EQ((std::vector<int>{o.ShortcutKeyBuy, o.ShortcutKeySell, o.ShortcutKeyOpen, o.ShortcutKeyClose,
                              o.ShortcutKeyCloseToday}),
            (std::vector<int>{1, 3, 1, 2, 3}));
  EXPECT_EQ(r.hotKey.use, 0);
  EXPECT_EQ(r.voice.voiceType, 0);
  ASSERT_EQ(r.voice.items.size(), 7u);
  EXPECT_EQ(shell::FieldText(r.voice.items[2].soundFile), platform::ProgramFolder() + "/Res/成交通知.wav");
  EXPECT_EQ(r.login.saveUser, 0);
  EXPECT_TRUE(fs::is_directory(File("")));
}

TEST_F(SettingsAreasTest, TheAdvancedSectionWinsTheSharedFieldsAndSavingWritesItToBoth) {
  Write("EntrustParam.ini", "EntrustCommon", "PriceLevel", "5");
  Write("EntrustParam.ini", "EntrustAdv", "PriceLevel", "2");
  Write("EntrustParam.ini", "EntrustCommon", "FirstTodayLastTomorrow", "1");
  EXPECT_EQ(Load().records.orders.PriceLevel, 2);
  EXPECT_EQ(Load().records.orders.FirstTodayLastTomorrow, 0);
  ASSERT_TRUE(SaveAll());
  EXPECT_EQ(Read("EntrustParam.ini", "EntrustCommon", "PriceLevel"), "2");
  EXPECT_EQ(Read("EntrustParam.ini", "EntrustAdv", "PriceLevel"), "2");
  EXPECT_EQ(Read("EntrustParam.ini", "EntrustCommon", "FirstTodayLastTomorrow"), "0");
}

TEST_F(SettingsAreasTest, NegativeAndTextValuesRoundTrip) {
  shell::ShellSettings& s = Load();
  s.records.orders.PriceLevel = -3;
  s.records.orders.DBClickCloseOrder = 1;
  s.records.orders.ClearInfoAfterOrder = 2;
  shell::TraderServerRecord row;
  row.SetAddress("127.0.0.1");
  row.SetPort(17001);
  shell::trader_server::SetName(row, "模拟网关");
  shell::trader_server::SetLoad(row, -1.5);
  shell::trader_server::SetPing(row, -7);
  shell::trader_server::SetComposite(row, 2.25);
  s.records.traderServers.gateways = {row};
  s.records.hotKey = {.virtualKey = 0x51, .modifiers = 3, .use = 1, .text = "Ctrl+Alt+Q"};
  s.records.voice.voiceType = 2;
  ASSERT_TRUE(SaveAll());
  EXPECT_EQ(Read("EntrustParam.ini", "EntrustCommon", "DBClickCloseOrder"), "1");

  const shell::SettingsRecords& again = Load().records;
  EXPECT_EQ(again.orders.PriceLevel, -3);
  EXPECT_EQ(again.orders.ClearInfoAfterOrder, 2);
  ASSERT_EQ(again.traderServers.gateways.size(), 1u);
  const shell::TraderServerRecord& loaded = again.traderServers.gateways[0];
  EXPECT_EQ(loaded.Address(), "127.0.0.1");
  EXPECT_EQ(loaded.Port(), 17001);
  EXPECT_EQ(shell::trader_server::Name(loaded), "模拟网关");
  EXPECT_DOUBLE_EQ(shell::trader_server::Load(loaded), -1.5);
  EXPECT_EQ(shell::trader_server::Ping(loaded), -7);
  EXPECT_DOUBLE_EQ(shell::trader_server::Composite(loaded), 2.25);
  EXPECT_EQ(again.hotKey.virtualKey, 0x51);
  EXPECT_EQ(again.hotKey.modifiers, 3);
  EXPECT_EQ(shell::FieldText(again.hotKey.text), "Ctrl+Alt+Q");
  EXPECT_EQ(again.voice.voiceType, 2);
  EXPECT_EQ(again.voice.items.size(), 7u);
}

// The trader-server page as a plain list of rows.
class FakeServerPage : public shell::ServerListPage {
 public:
  void AddServerRow(const std::vector<std::string>& cells) override { rows.push_back(cells); }
  int ServerRowCount() const override { return static_cast<int>(rows.size()); }
  std::string ServerCell(int row, int column) const override {
    return rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
  }
  std::vector<std::vector<std::string>> rows;
};

TEST_F(SettingsAreasTest, FewerServersOnThePageDeleteTheKeysAboveTheNewCount) {
  Write("Configs.ini", "TraderServerSet", "ServerCount", "5");
  for (int n = 1; n <= 5; ++n) {
    Write("Configs.ini", "TraderServerSet", ("IP_" + std::to_string(n)).c_str(), "10.0.0." + std::to_string(n));
    Write("Configs.ini", "TraderServerSet", ("ServerName_" + std::to_string(n)).c_str(), "S" + std::to_string(n));
    Write("Configs.ini", "TraderServerSet", ("Port_" + std::to_string(n)).c_str(), "700" + std::to_string(n));
  }
  shell::ShellSettings& s = Load();
  ASSERT_EQ(s.records.traderServers.gateways.size(), 5u);
  FakeServerPage page;
  s.traderServer.BindPage(&page);
  ASSERT_TRUE(s.traderServer.ToPage());
  ASSERT_EQ(page.rows.size(), 5u);
  EXPECT_EQ(page.rows[1], (std::vector<std::string>{"S2", "10.0.0.2", "7002", "0", "0.00", "0.00"}));
  page.rows.resize(3);
  page.rows[2][0] = "新网关";
  ASSERT_TRUE(s.traderServer.FromPage());
  s.traderServer.BindPage(nullptr);
  ASSERT_TRUE(SaveAll());
  EXPECT_EQ(Read("Configs.ini", "TraderServerSet", "ServerCount"), "3");
  EXPECT_EQ(Read("Configs.ini", "TraderServerSet", "ServerName_3"), "新网关");
  for (const char* key : {"IP_4", "Port_4", "ServerName_4", "IP_5", "ClientCommendValue_5"}) {
    EXPECT_EQ(Read("Configs.ini", "TraderServerSet", key), "<missing>") << key;
  }
}

TEST_F(SettingsAreasTest, SavingWithoutOpeningTheServerPageKeepsTheList) {
  Write("Configs.ini", "TraderServerSet", "ServerCount", "2");
  Write("Configs.ini", "TraderServerSet", "IP_2", "10.0.0.2");
  ASSERT_EQ(Load().records.traderServers.gateways.size(), 2u);
  ASSERT_TRUE(SaveAll());
  EXPECT_EQ(Read("Configs.ini", "TraderServerSet", "ServerCount"), "2");
  EXPECT_EQ(Load().records.traderServers.gateways[1].Address(), "10.0.0.2");
}

TEST_F(SettingsAreasTest, ARepeatedLoadDoesNotDoubleTheLists) {
  Write("Configs.ini", "TraderServerSet", "ServerCount", "1");
  shell::ShellSettings& s = Load();
  ASSERT_TRUE(s.traderServer.Load());
  ASSERT_TRUE(s.voice.Load());
  EXPECT_EQ(s.records.traderServers.gateways.size(), 1u);
  EXPECT_EQ(s.records.voice.items.size(), 7u);
}

TEST_F(SettingsAreasTest, VarietyRowsAreWrittenOnlyAboveTheirThresholds) {
  struct Case {
    const char* name;
    void (*set)(client::VarietyParamRow&);
    bool written;
  };
  const Case cases[] = {
      {"nothing", [](client::VarietyParamRow&) {}, false},
      {"close offset 0.00005", [](client::VarietyParamRow& r) { r.closeOffset = 0.00005; }, false},
      {"close offset 0.0002", [](client::VarietyParamRow& r) { r.closeOffset = 0.0002; }, true},
      {"take profit 0.00002", [](client::VarietyParamRow& r) { r.takeProfitOffset = 0.00002; }, true},
      {"stop loss 0.000005", [](client::VarietyParamRow& r) { r.stopLossOffset = 0.000005; }, false},
      {"default lots 1", [](client::VarietyParamRow& r) { r.defaultLots = 1; }, true},
      {"market lots 1", [](client::VarietyParamRow& r) { r.maxMarketLots = 1; }, true},
      {"negative lots", [](client::VarietyParamRow& r) { r.maxLimitLots = -4; }, false},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    contracts.push_back({"铜", "cu", "cu27" + std::to_string(10 + i), "sfe", "上期所", "10"});
  }
  shell::ShellSettings& s = Load();
  ASSERT_EQ(s.records.varieties.size(), std::size(cases));
  for (std::size_t i = 0; i < std::size(cases); ++i) cases[i].set(s.records.varieties[i]);
  ASSERT_TRUE(SaveAll());
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const std::string value = Read("VarietyParamSet.ini", "VarietyParam", contracts[i].contractCode.c_str());
    EXPECT_EQ(value != "<missing>", cases[i].written) << cases[i].name << ": " << value;
  }
  EXPECT_EQ(Read("VarietyParamSet.ini", "VarietyParam", "cu2715"), "上期所|铜|1|0|0|0.00|0.00|0.00|");
}

TEST_F(SettingsAreasTest, AStoredValueFillsItsContractsRowAndMissingFieldsStayZero) {
  contracts = {{"铜", "cu", "cu2701", "sfe", "上期所", "10"}, {"豆粕", "m", "m2701", "dce", "大商所", "1"}};
  Write("VarietyParamSet.ini", "VarietyParam", "cu2701", "x|y|5|0|0|0.00|0.00|0.00|");
  Write("VarietyParamSet.ini", "VarietyParam", "m2701", "x|y|2|-3|");
  const client::VarietyParamRows& rows = Load().records.varieties;
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].defaultLots, 5);
  EXPECT_EQ(rows[0].maxLimitLots, 0);
  EXPECT_EQ(shell::FieldText(rows[0].exchangeName), "上期所");
  EXPECT_EQ(shell::FieldText(rows[0].priceTick), "10");
  EXPECT_EQ(rows[1].defaultLots, 2);
  EXPECT_EQ(rows[1].maxLimitLots, -3);
  EXPECT_EQ(rows[1].maxMarketLots, 0);
  EXPECT_EQ(rows[1].closeOffset, 0);
}

TEST_F(SettingsAreasTest, SavingBeforeTheContractsAreKnownKeepsTheVarietyFile) {
  Write("VarietyParamSet.ini", "VarietyParam", "cu2701", "x|y|5|0|0|0.00|0.00|0.00|");
  contractsKnown = false;
  EXPECT_TRUE(Load().records.varieties.empty());
  ASSERT_TRUE(SaveAll());
  EXPECT_EQ(Read("VarietyParamSet.ini", "VarietyParam", "cu2701"), "x|y|5|0|0|0.00|0.00|0.00|");
}

// The login dialog as "LoginSet" sees it.
class FakeLoginPage : public shell::LoginPage {
 public:
  void SetRememberChecks(bool save, bool autoSelect) override {
    saveUser = save;
    autoSelectServer = autoSelect;
  }
  void SetCustomerNo(const std::string& text) override { customerNo = text; }
  void SelectRoleText(const std::string& text) override { role = text; }
  void SelectGatewayText(const std::string& text) override { gateway = text; }
  bool SaveUserChecked() const override { return saveUser; }
  bool AutoSelectChecked() const override { return autoSelectServer; }
  std::string CustomerNoText() const override { return customerNo; }
  std::string RoleText() const override { return role; }
  std::string GatewayText() const override { return gateway; }

  bool saveUser = false;
  bool autoSelectServer = false;
  std::string customerNo, role, gateway;
};

TEST_F(SettingsAreasTest, TheCustomerNumberIsRememberedOnlyWhileRememberIsOn) {
  struct Case {
    bool remember;
    const char* stored;
  };
  for (const Case c : {Case{true, "10001"}, Case{false, "<missing>"}}) {
    shell::ShellSettings& s = Load();
    FakeLoginPage page;
    page.saveUser = c.remember;
    page.customerNo = "10001";
    page.role = "交易角色";
    page.gateway = "模拟";
    s.login.BindPage(&page);
    ASSERT_TRUE(s.login.FromPage());
    ASSERT_TRUE(s.login.Save());
    EXPECT_EQ(Read("Configs.ini", "Login", "SaveUserName"), c.stored) << c.remember;
    EXPECT_EQ(Read("Configs.ini", "Login", "SaveUser"), c.remember ? "1" : "0");
    EXPECT_EQ(Read("Configs.ini", "Login", "ServerSet"), "模拟");

    FakeLoginPage shown;
    shell::ShellSettings& again = Load();
    again.login.BindPage(&shown);
    ASSERT_TRUE(again.login.ToPage());
    EXPECT_EQ(shown.customerNo, c.remember ? "10001" : "");
    EXPECT_EQ(shown.role, "交易角色");
  }
}

TEST_F(SettingsAreasTest, TheFileWithTheProxyPasswordIsTheUsersAlone) {
  shell::ShellSettings& s = Load();
  shell::SetField(s.records.proxy.server.userPassword, "secret");
  ASSERT_TRUE(SaveAll());
  struct stat info {};
  ASSERT_EQ(::stat(File("Configs.ini").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  EXPECT_EQ(Read("Configs.ini", "ProxyServer", "UserPwd"), "secret");
}

TEST_F(SettingsAreasTest, AnAreaWithoutRecordOrPageDoesNothing) {
  shell::TraderServerArea unbound;
  EXPECT_FALSE(unbound.Load());
  EXPECT_FALSE(unbound.Save());
  shell::ShellSettings& s = Load();
  EXPECT_FALSE(s.traderServer.ToPage());
  EXPECT_FALSE(s.proxy.FromPage());
  EXPECT_FALSE(fs::exists(File("SysParam.ini")));
}

}  // namespace

// The program's registry outlives a terminal's areas: a second terminal in
// the same process finds its own areas, not the first one's.
TEST(ShellSettingsRegistry, AreasLeaveTheRegistryWithTheirSettings) {
  client::ConfigRegistry registry;
  const auto noContracts = [](std::vector<shell::VarietyContract>&) { return false; };
  {
    shell::ShellSettings first(noContracts);
    first.RegisterAndLoad(registry);
    EXPECT_EQ(registry.Find("LoginSet"), &first.login);
  }
  EXPECT_TRUE(registry.Entries().empty());
  shell::ShellSettings second(noContracts);
  second.RegisterAndLoad(registry);
  EXPECT_EQ(registry.Find("LoginSet"), &second.login);
  EXPECT_EQ(registry.Entries().size(), 8u);
}
