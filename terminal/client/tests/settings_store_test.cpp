#include "client/settings_store.h"

#include <gtest/gtest.h>

#include <climits>
#include <fstream>
#include <string>

#include "platform/files.h"
#include "platform/ini_file.h"
#include "platform/testing/program_folder_fixture.h"

namespace {

using client::CTQConfig;

// An area that keeps the base's four operations.
class BaseArea : public CTQConfig {};

class OwnFileArea : public CTQConfig {
 public:
  OwnFileArea() { SetIniPath("\\Config\\EntrustParam.ini"); }
};

class SettingsStoreTest : public platform_testing::ProgramFolderTest {};

TEST_F(SettingsStoreTest, AnAreaCreatesTheConfigFolderAndTakesItsIniFileThere) {
  const BaseArea area;
  EXPECT_TRUE(platform::IsDirectory(folder_ + "/Config"));
  EXPECT_EQ(area.IniPath(), folder_ + "/Config/Configs.ini");
  EXPECT_EQ(OwnFileArea().IniPath(), folder_ + "/Config/EntrustParam.ini");
}

TEST_F(SettingsStoreTest, AnAreaStartsWithoutItsFolderWhenTheProgramFolderIsGone) {
  platform::SetProgramFolder(folder_ + "/gone");
  const BaseArea area;
  EXPECT_FALSE(platform::PathExists(folder_ + "/gone"));
  EXPECT_EQ(area.IniPath(), folder_ + "/gone/Config/Configs.ini");
}

TEST_F(SettingsStoreTest, BaseOperationsTellWhetherRecordAndPageAreBound) {
  struct Case {
    bool data;
    bool page;
    bool loadAndSave;
    bool toAndFromPage;
  };
  const Case cases[] = {
      {false, false, false, false},
      {false, true, false, false},
      {true, false, true, false},
      {true, true, true, true},
  };
  int record = 0;
  client::SettingsPage page;
  for (const Case& c : cases) {
    BaseArea area;
    area.BindData(c.data ? &record : nullptr);
    area.BindPage(c.page ? &page : nullptr);
    EXPECT_EQ(area.Load(), c.loadAndSave) << c.data << c.page;
    EXPECT_EQ(area.Save(), c.loadAndSave) << c.data << c.page;
    EXPECT_EQ(area.ToPage(), c.toAndFromPage) << c.data << c.page;
    EXPECT_EQ(area.FromPage(), c.toAndFromPage) << c.data << c.page;
  }
}

TEST_F(SettingsStoreTest, ReadProfileFloatTakesTheDefaultOnlyForAnEmptyValue) {
  const std::string ini = folder_ + "/Configs.ini";
  std::ofstream(ini) << "[TraderServerSet]\n"
                        "ServerLoad_1=12.5\n"
                        "ServerLoad_2=\n"
                        "ServerLoad_3=abc\n"
                        "ServerLoad_4=  3.25xyz\n"
                        "ServerLoad_5=-0.75\n"
                        "[Other]\n"
                        "ServerLoad_6=9\n";
  struct Case {
    const char* key;
    double expected;
  };
  const Case cases[] = {
      {"ServerLoad_1", 12.5}, {"serverload_1", 12.5},  {"ServerLoad_2", 7.5}, {"ServerLoad_3", 0.0},
      {"ServerLoad_4", 3.25}, {"ServerLoad_5", -0.75}, {"ServerLoad_6", 0.0}, {"Missing", 0.0},
  };
  for (const Case& c : cases) EXPECT_EQ(client::ReadProfileFloat(7.5, ini, c.key), c.expected) << c.key;
  EXPECT_EQ(client::ReadProfileFloat(7.5, folder_ + "/missing.ini", "ServerLoad_1"), 0.0);
}

TEST_F(SettingsStoreTest, WriteProfileIntWritesDecimalText) {
  const std::string ini = folder_ + "/SysParam.ini";
  for (const int value : {-5, 0, 17, INT_MAX}) {
    EXPECT_TRUE(client::WriteProfileInt("VoiceType", ini, "MediaVoice", value));
    EXPECT_EQ(platform::ReadIniString(ini, "MediaVoice", "VoiceType", ""), std::to_string(value));
  }
  EXPECT_FALSE(client::WriteProfileInt("VoiceType", folder_ + "/gone/SysParam.ini", "MediaVoice", 1));
}

TEST(AppendDecimalText, BuildsIndexedKeyNames) {
  struct Case {
    const char* text;
    int number;
    const char* expected;
  };
  const Case cases[] = {
      {"Server", 12, "Server12"},
      {"IP_", 1, "IP_1"},
      {"", -3, "-3"},
      {"Media_", 123456789, "Media_123456789"},
  };
  for (const Case& c : cases) {
    std::string text = c.text;
    client::AppendDecimalText(text, c.number);
    EXPECT_EQ(text, c.expected);
  }
}

}  // namespace
