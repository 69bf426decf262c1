// A fresh user configuration folder for one test ($XDG_CONFIG_HOME), so that
// the registry file it writes is its own; the folder and the variable are
// restored when it ends.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace ui::testing {

class TempConfigHome {
 public:
  TempConfigHome()
      : folder_(std::filesystem::temp_directory_path() /
                ("quentara_config_" + std::to_string(::getpid()) + "_" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name())) {
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
    const char* old = std::getenv("XDG_CONFIG_HOME");
    if (old != nullptr) saved_ = old;
    ::setenv("XDG_CONFIG_HOME", folder_.c_str(), 1);
  }
  ~TempConfigHome() {
    if (saved_.empty()) {
      ::unsetenv("XDG_CONFIG_HOME");
    } else {
      ::setenv("XDG_CONFIG_HOME", saved_.c_str(), 1);
    }
    std::filesystem::remove_all(folder_);
  }
  TempConfigHome(const TempConfigHome&) = delete;
  TempConfigHome& operator=(const TempConfigHome&) = delete;

  const std::filesystem::path& Folder() const { return folder_; }

 private:
  std::filesystem::path folder_;
  std::string saved_;
};

}  // namespace ui::testing
