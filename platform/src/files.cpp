#include "platform/files.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <mutex>

namespace platform {
namespace {

std::mutex folderMutex;
std::string folderOverride;

std::string ExecutableFolder() {
  std::error_code error;
  const auto exe = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return std::filesystem::current_path(error).string();
  return exe.parent_path().string();
}

}  // namespace

std::string ProgramFolder() {
  {
    std::lock_guard lock(folderMutex);
    if (!folderOverride.empty()) return folderOverride;
  }
  static const std::string folder = ExecutableFolder();
  return folder;
}

void SetProgramFolder(std::string folder) {
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  std::lock_guard lock(folderMutex);
  folderOverride = std::move(folder);
}

std::string ResolvePath(std::string_view path) {
  std::string text(path);
  std::replace(text.begin(), text.end(), '\\', '/');
  std::filesystem::path resolved(text);
  if (!resolved.is_absolute() || path.starts_with('\\')) {
    resolved = std::filesystem::path(ProgramFolder()) / resolved.relative_path();
  }
  std::string result = resolved.lexically_normal().string();
  // Keep a trailing "/" only where the caller wrote one.
  if (result.size() > 1 && result.back() == '/' && !text.ends_with('/')) result.pop_back();
  return result;
}

bool PathExists(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0;
}

bool IsDirectory(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool IsRegularFile(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool MakeDirectory(const std::string& path) { return ::mkdir(path.c_str(), 0777) == 0; }

bool RemoveFile(const std::string& path) { return ::unlink(path.c_str()) == 0; }

bool MatchesPattern(std::string_view name, std::string_view pattern) {
  // Iterative match with one back-track point for the last "*".
  size_t n = 0, p = 0, starP = std::string_view::npos, starN = 0;
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == name[n])) {
      ++n;
      ++p;
    } else if (p < pattern.size() && pattern[p] == '*') {
      starP = p++;
      starN = n;
    } else if (starP != std::string_view::npos) {
      p = starP + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

std::vector<DirectoryEntry> ListDirectory(const std::string& folder, std::string_view pattern) {
  std::vector<DirectoryEntry> entries;
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return entries;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string_view name(entry->d_name);
    if (name == "." || name == ".." || !MatchesPattern(name, pattern)) continue;
    entries.push_back({std::string(name), IsDirectory(folder + "/" + std::string(name))});
  }
  ::closedir(dir);
  std::sort(entries.begin(), entries.end(),
            [](const DirectoryEntry& a, const DirectoryEntry& b) { return a.name < b.name; });
  return entries;
}

}  // namespace platform
