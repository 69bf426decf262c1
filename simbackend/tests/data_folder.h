// A data folder of its own for a test, removed with it.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace simbackend_test {

class DataFolder {
 public:
  DataFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "simbackend-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
  }
  ~DataFolder() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  DataFolder(const DataFolder&) = delete;
  DataFolder& operator=(const DataFolder&) = delete;

  std::string Path() const { return path_.string(); }

  void Write(const std::string& name, std::string_view bytes) const {
    std::ofstream(path_ / name, std::ios::binary | std::ios::trunc)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }

  // The data files shipped with the back end, as they are.
  void CopyShipped() const {
    for (const auto& entry : std::filesystem::directory_iterator(SIMBACKEND_SOURCE_DATA_FOLDER))
      std::filesystem::copy_file(entry.path(), path_ / entry.path().filename(),
                                 std::filesystem::copy_options::overwrite_existing);
  }

 private:
  std::filesystem::path path_;
};

}  // namespace simbackend_test
