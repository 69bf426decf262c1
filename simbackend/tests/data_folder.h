// A data folder of its own for a test, removed with it.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "platform/testing/temporary_folder.h"

namespace simbackend_test {

class DataFolder {
 public:
  std::string Path() const { return folder_.Path(); }

  void Write(const std::string& name, std::string_view bytes) const {
    std::ofstream(folder_.PathOf(name), std::ios::binary | std::ios::trunc)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }

  // The data files shipped with the back end, as they are.
  void CopyShipped() const {
    for (const auto& entry : std::filesystem::directory_iterator(SIMBACKEND_SOURCE_DATA_FOLDER))
      std::filesystem::copy_file(entry.path(), folder_.PathOf(entry.path().filename().string()),
                                 std::filesystem::copy_options::overwrite_existing);
  }

 private:
  platform_testing::TemporaryFolder folder_{"simbackend-test"};
};

}  // namespace simbackend_test
