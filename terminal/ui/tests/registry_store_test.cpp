#include "ui/registry_store.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "temp_config_home.h"

namespace {

class RegistryStoreTest : public ::testing::Test {
 protected:
  std::string WriteFile(const std::string& name, const std::string& text) {
    const std::string path = (folder_ / name).string();
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }

  ui::testing::TempConfigHome home_;
  const std::filesystem::path& folder_ = home_.Folder();
};

TEST_F(RegistryStoreTest, TheKeyPathIsAFileUnderTheConfigurationFolder) {
  ui::RegistryStore store("Tolvane\\Brennark\\Quentara");
  EXPECT_EQ(store.FilePath(), (folder_ / "Tolvane/Brennark/Quentara.ini").string());
  EXPECT_EQ(store.GetInt("Settings", "ApplicationLook", -1), -1);
  ASSERT_TRUE(store.SetInt("Settings", "ApplicationLook", 32849));
  ASSERT_TRUE(store.SetString("Settings", "Layout", "行情|委托"));
  ui::RegistryStore again("Tolvane\\Brennark\\Quentara");
  EXPECT_EQ(again.GetInt("Settings", "ApplicationLook", -1), 32849);
  EXPECT_EQ(again.GetString("Settings", "Layout", ""), "行情|委托");
}

TEST_F(RegistryStoreTest, ImportTakesStringsAndDwordsBelowTheKeyOnly) {
  const std::string path = WriteFile("Quentara.reg",
                                     "Windows Registry Editor Version 5.00\r\n"
                                     "\r\n"
                                     "[HKEY_CURRENT_USER\\Software\\Tolvane\\Brennark\\Quentara\\Settings]\r\n"
                                     "\"ApplicationLook\"=dword:00008050\r\n"
                                     "\"OneNoteTabs\"=dword:00000001\r\n"
                                     "\"Title\"=\"a \\\"quoted\\\" \\\\ text\"\r\n"
                                     "\"Blob\"=hex:01,02\r\n"
                                     "[HKEY_CURRENT_USER\\Software\\Tolvane\\Brennark\\Quentara\\Settings\\Grids]\r\n"
                                     "\"Width\"=dword:0000000a\r\n"
                                     "[HKEY_CURRENT_USER\\Software\\Other\\Program]\r\n"
                                     "\"ApplicationLook\"=dword:00000001\r\n");
  ui::RegistryStore store("Tolvane\\Brennark\\Quentara");
  EXPECT_EQ(ui::ImportRegistryFile(path, store), 4);
  EXPECT_EQ(store.GetInt("Settings", "ApplicationLook", -1), 32848);
  EXPECT_EQ(store.GetInt("Settings", "OneNoteTabs", -1), 1);
  EXPECT_EQ(store.GetString("Settings", "Title", ""), "a \"quoted\" \\ text");
  EXPECT_EQ(store.GetString("Settings", "Blob", "none"), "none");
  EXPECT_EQ(store.GetInt("Settings\\Grids", "Width", -1), 10);
}

TEST_F(RegistryStoreTest, AUtf16FileImportsAndAMissingFileIsReported) {
  const std::string ascii =
      "REGEDIT4\r\n[HKEY_CURRENT_USER\\Software\\Tolvane\\Brennark\\Quentara\\Settings]\r\n"
      "\"OneNoteTabs\"=dword:00000000\r\n";
  std::string utf16 = "\xFF\xFE";
  for (const char c : ascii) {
    utf16 += c;
    utf16 += '\0';
  }
  ui::RegistryStore store("Tolvane\\Brennark\\Quentara");
  EXPECT_EQ(ui::ImportRegistryFile(WriteFile("wide.reg", utf16), store), 1);
  EXPECT_EQ(store.GetInt("Settings", "OneNoteTabs", -1), 0);
  EXPECT_EQ(ui::ImportRegistryFile((folder_ / "missing.reg").string(), store), -1);
}

}  // namespace
