#include "ui/registry_store.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>

namespace {

class RegistryStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ =
        std::filesystem::temp_directory_path() / ("registry_" + std::to_string(::getpid()) + "_" +
                                                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
    const char* old = std::getenv("XDG_CONFIG_HOME");
    if (old != nullptr) saved_ = old;
    ::setenv("XDG_CONFIG_HOME", folder_.c_str(), 1);
  }
  void TearDown() override {
    if (saved_.empty()) {
      ::unsetenv("XDG_CONFIG_HOME");
    } else {
      ::setenv("XDG_CONFIG_HOME", saved_.c_str(), 1);
    }
    std::filesystem::remove_all(folder_);
  }
  std::string WriteFile(const std::string& name, const std::string& text) {
    const std::string path = (folder_ / name).string();
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }

  std::filesystem::path folder_;
  std::string saved_;
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
