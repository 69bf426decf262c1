// Folders of a test's own: a fresh folder under the system's temporary
// folder, removed with all it holds when it goes, and such a folder as the
// program folder.
#pragma once

#include <string>
#include <string_view>

namespace platform_testing {

class TemporaryFolder {
 public:
  // A folder whose name starts with `name`; throws std::runtime_error when
  // none can be made.
  explicit TemporaryFolder(std::string_view name = "quentara");
  ~TemporaryFolder();
  TemporaryFolder(const TemporaryFolder&) = delete;
  TemporaryFolder& operator=(const TemporaryFolder&) = delete;

  // Without a trailing "/".
  const std::string& Path() const { return path_; }
  // The path of an entry of the folder.
  std::string PathOf(std::string_view entry) const;

 private:
  std::string path_;
};

// A temporary folder that is the program folder while this lives.
class ScopedProgramFolder {
 public:
  explicit ScopedProgramFolder(std::string_view name = "program");
  ~ScopedProgramFolder();
  ScopedProgramFolder(const ScopedProgramFolder&) = delete;
  ScopedProgramFolder& operator=(const ScopedProgramFolder&) = delete;

  const std::string& Path() const { return folder_.Path(); }
  std::string PathOf(std::string_view entry) const { return folder_.PathOf(entry); }

 private:
  TemporaryFolder folder_;
};

}  // namespace platform_testing
