#include "platform/testing/temporary_folder.h"

#include <stdlib.h>

#include <filesystem>
#include <stdexcept>
#include <system_error>

#include "platform/files.h"

namespace platform_testing {

TemporaryFolder::TemporaryFolder(std::string_view name) {
  std::string pattern = (std::filesystem::temp_directory_path() / name).string() + "-XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("no temporary folder for " + pattern);
  path_ = std::move(pattern);
}

TemporaryFolder::~TemporaryFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string TemporaryFolder::PathOf(std::string_view entry) const { return path_ + "/" + std::string(entry); }

ScopedProgramFolder::ScopedProgramFolder(std::string_view name) : folder_(name) {
  platform::SetProgramFolder(folder_.Path());
}

ScopedProgramFolder::~ScopedProgramFolder() { platform::SetProgramFolder(""); }

}  // namespace platform_testing
