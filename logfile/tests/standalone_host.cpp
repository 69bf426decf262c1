// A host of the log library as an outside program builds one: it links
// Quillmere and the standard library, nothing else, and writes a log and
// reads it back. Linking fails, or loading does, when the library needs
// symbols that only the project's own programs carry.
#include <stdlib.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "logfile/log.h"

namespace {

constexpr short kHostApplication = 2;
constexpr std::string_view kText = "written by a host that links Quillmere alone";

bool WriteOneRecord(const std::string& folder, std::string& path) {
  CLog log;
  if (!log.SetFileMode(folder.c_str(), "host_", ".log", 7, 30) || !log.OpenLogFile("") ||
      !log.AddAppName(kHostApplication, "host") || !log.WriteLog(kHostApplication, "%s", kText.data())) {
    return false;
  }
  path = log.GetFileName();
  return true;
}

bool ReadsBack(const std::string& path) {
  CLog reader;
  if (!reader.OpenLogFile(path.c_str())) return false;
  std::uint32_t position = 0;
  short type = 0;
  short length = 0;
  char time[logfile::kTimeTextSize];
  std::vector<char> data(logfile::kReadBufferSize);
  while (reader.GetNextLog(position, type, time, data.data(), length)) {
    if (type == kHostApplication && std::string_view(data.data(), length) == kText) return true;
  }
  return false;
}

}  // namespace

int main() {
  std::string pattern = (std::filesystem::temp_directory_path() / "quillmere-host-XXXXXX").string();
  if (!::mkdtemp(pattern.data())) {
    std::perror("mkdtemp");
    return 1;
  }
  const std::string folder = pattern;
  std::string path;
  const bool written = WriteOneRecord(folder, path);
  const bool readBack = written && ReadsBack(path);
  std::filesystem::remove_all(folder);
  if (!readBack) {
    std::fprintf(stderr, "standalone_host: %s\n", written ? "the record did not read back" : "writing the log failed");
    return 1;
  }
  return 0;
}
