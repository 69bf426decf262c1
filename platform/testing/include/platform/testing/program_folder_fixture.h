// A fresh temporary folder as the program folder of each test, so that the
// settings areas create their "Config" folder there.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "platform/files.h"

namespace platform_testing {

class ProgramFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = ::testing::TempDir() + "settings-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    folder_ = pattern;
    platform::SetProgramFolder(folder_);
  }
  void TearDown() override {
    platform::SetProgramFolder("");
    std::filesystem::remove_all(folder_);
  }

  std::string folder_;
};

}  // namespace platform_testing
