#include "client/settings_registry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/testing/program_folder_fixture.h"

namespace {

using client::ConfigEntry;
using client::ConfigRegistry;
using client::CTQConfig;

// An area that writes each call of Load, Save and FromPage to a shared log
// as "<name>.<operation>".
class RecordingArea : public CTQConfig {
 public:
  RecordingArea(std::string name, std::vector<std::string>& log) : name_(std::move(name)), log_(log) {}

  bool Load() override { return Record("Load"); }
  bool Save() override { return Record("Save"); }
  bool FromPage() override { return Record("FromPage"); }

  bool succeeds = true;

 private:
  bool Record(const char* operation) {
    log_.push_back(name_ + "." + operation);
    return succeeds;
  }

  std::string name_;
  std::vector<std::string>& log_;
};

// The shell's eight areas with their records; the two order-entry areas
// share one.
struct ShellAreas {
  explicit ShellAreas(std::vector<std::string>& log)
      : traderServer("TraderServer", log),
        login("Login", log),
        proxyServer("ProxyServer", log),
        varietyParams("VarietyParams", log),
        entrustCommon("EntrustCommon", log),
        entrustAdvanced("EntrustAdvanced", log),
        sysParam("SysParam", log),
        voice("Voice", log) {}

  client::SettingsAreas Areas() {
    return {.traderServer = {&traderServer, &records[0]},
            .login = {&login, &records[1]},
            .proxyServer = {&proxyServer, &records[2]},
            .varietyParams = {&varietyParams, &records[3]},
            .entrustCommon = &entrustCommon,
            .entrustAdvanced = &entrustAdvanced,
            .entrustData = &records[4],
            .sysParam = {&sysParam, &records[5]},
            .voice = {&voice, &records[6]}};
  }

  RecordingArea traderServer, login, proxyServer, varietyParams, entrustCommon, entrustAdvanced, sysParam, voice;
  int records[7] = {};
};

const char* const kAreaNames[] = {
    "TraderServerConfig",    "LoginSet",           "ProxyServerSet", "VarietyParamSet",
    "EntrustParamSetCommon", "EntrustParamSetAdv", "SyssetSysParam", "SyssetSysParamVoiceSet",
};

class SettingsRegistryTest : public platform_testing::ProgramFolderTest {
 protected:
  std::vector<std::string> log_;
  ShellAreas shell_{log_};
  ConfigRegistry registry_;
};

TEST_F(SettingsRegistryTest, RegistersTheShellsAreasInOrderWithTheirRecords) {
  client::RegisterConfigs(shell_.Areas(), registry_);
  const std::vector<ConfigEntry>& entries = registry_.Entries();
  ASSERT_EQ(entries.size(), std::size(kAreaNames));
  const CTQConfig* objects[] = {&shell_.traderServer,  &shell_.login,         &shell_.proxyServer,
                                &shell_.varietyParams, &shell_.entrustCommon, &shell_.entrustAdvanced,
                                &shell_.sysParam,      &shell_.voice};
  const void* records[] = {&shell_.records[0], &shell_.records[1], &shell_.records[2], &shell_.records[3],
                           &shell_.records[4], &shell_.records[4], &shell_.records[5], &shell_.records[6]};
  for (std::size_t i = 0; i < entries.size(); ++i) {
    EXPECT_EQ(entries[i].Name(), kAreaNames[i]);
    EXPECT_EQ(entries[i].config, objects[i]) << kAreaNames[i];
    EXPECT_EQ(entries[i].data, records[i]) << kAreaNames[i];
    EXPECT_EQ(entries[i].flag, 0);
  }
}

TEST_F(SettingsRegistryTest, BoundOrderEntryAreasAreTwoObjectsOnOneRecord) {
  client::RegisterConfigs(shell_.Areas(), registry_);
  for (const ConfigEntry& entry : registry_.Entries()) EXPECT_TRUE(entry.BindData());
  CTQConfig* common = registry_.Find("EntrustParamSetCommon");
  CTQConfig* advanced = registry_.Find("EntrustParamSetAdv");
  ASSERT_NE(common, nullptr);
  ASSERT_NE(advanced, nullptr);
  EXPECT_NE(common, advanced);
  EXPECT_EQ(common->Data(), &shell_.records[4]);
  EXPECT_EQ(advanced->Data(), &shell_.records[4]);
  EXPECT_EQ(shell_.voice.Data(), &shell_.records[6]);
}

TEST_F(SettingsRegistryTest, FindsByTheExactNameAndTheFirstRegistrationWins) {
  RecordingArea second("Second", log_);
  EXPECT_TRUE(registry_.Register({"LoginSet", &shell_.login, nullptr}));
  EXPECT_FALSE(registry_.Register({"LoginSet", &second, nullptr}));
  EXPECT_TRUE(registry_.Register({"loginset", &second, nullptr}));
  EXPECT_EQ(registry_.Entries().size(), 2u);
  EXPECT_EQ(registry_.Find("LoginSet"), &shell_.login);
  EXPECT_EQ(registry_.Find("loginset"), &second);
  EXPECT_EQ(registry_.Find("Login"), nullptr);
  EXPECT_EQ(registry_.Find(""), nullptr);
}

TEST_F(SettingsRegistryTest, NamesAreKeptToTheirFirst127BytesOnACharacterBoundary) {
  const std::string longName = std::string(126, 'a') + "委托";  // the GBK character would end at byte 128
  ConfigEntry entry(longName, &shell_.login, nullptr);
  EXPECT_EQ(entry.Name(), std::string(126, 'a'));
  EXPECT_EQ(entry.name[126], '\0');
  EXPECT_TRUE(registry_.Register(entry));
  EXPECT_EQ(registry_.Find(longName), &shell_.login);
  EXPECT_FALSE(registry_.Register({longName + "x", &shell_.voice, nullptr}));
}

TEST_F(SettingsRegistryTest, SavesAndReadsPagesOfEveryAreaOnceInRegistrationOrder) {
  client::RegisterConfigs(shell_.Areas(), registry_);
  EXPECT_TRUE(registry_.ReadAllFromPages());
  EXPECT_TRUE(registry_.SaveAll());
  const std::vector<std::string> expected = {
      "TraderServer.FromPage",  "Login.FromPage",
      "ProxyServer.FromPage",   "VarietyParams.FromPage",
      "EntrustCommon.FromPage", "EntrustAdvanced.FromPage",
      "SysParam.FromPage",      "Voice.FromPage",
      "TraderServer.Save",      "Login.Save",
      "ProxyServer.Save",       "VarietyParams.Save",
      "EntrustCommon.Save",     "EntrustAdvanced.Save",
      "SysParam.Save",          "Voice.Save",
  };
  EXPECT_EQ(log_, expected);
}

TEST_F(SettingsRegistryTest, AFailedAreaFailsTheWholeButTheOthersStillRun) {
  client::RegisterConfigs(shell_.Areas(), registry_);
  shell_.login.succeeds = false;
  EXPECT_FALSE(registry_.SaveAll());
  EXPECT_FALSE(registry_.ReadAllFromPages());
  EXPECT_EQ(log_.size(), 16u);
}

TEST_F(SettingsRegistryTest, AnEntryWithoutObjectDoesNothing) {
  const ConfigEntry empty("Nothing", nullptr, &shell_.records[0]);
  EXPECT_FALSE(empty.BindData());
  EXPECT_FALSE(empty.Load());
  EXPECT_FALSE(empty.Save());
  EXPECT_FALSE(empty.FromPage());
  const ConfigEntry entry("LoginSet", &shell_.login, &shell_.records[1]);
  EXPECT_TRUE(entry.Load());
  EXPECT_EQ(log_, std::vector<std::string>{"Login.Load"});
}

// The program's registry lives as long as the program: its areas are
// created once, as the shell's global areas are.
TEST_F(SettingsRegistryTest, TheProgramsRegistryServesTheFreeFunctions) {
  static std::vector<std::string> log;
  static ShellAreas shell(log);
  log.clear();
  client::RegisterConfigs(shell.Areas());
  EXPECT_EQ(client::TheConfigRegistry().Entries().size(), std::size(kAreaNames));
  EXPECT_FALSE(client::RegisterConfig({"LoginSet", &shell_.login, nullptr}));
  EXPECT_EQ(client::FindConfig("LoginSet"), &shell.login);
  EXPECT_EQ(client::FindConfig("Missing"), nullptr);
  EXPECT_TRUE(client::ReadAllConfigsFromPages());
  EXPECT_TRUE(client::SaveAllConfigs());
  EXPECT_EQ(log.size(), 16u);
}

}  // namespace
