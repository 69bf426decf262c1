// Files, folders and paths.
//
// Paths may be written Windows-style ("\Config\Configs.ini", ".\Log"): a path
// with backslashes or relative to the current folder resolves against the
// program's folder and uses "/".
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The folder of the running program, without a trailing "/".
std::string ProgramFolder();
// Overrides the program folder (tests, and hosts that keep data elsewhere);
// an empty text restores the real one.
void SetProgramFolder(std::string folder);

// Backslashes become "/"; a path that is not absolute is taken relative to
// the program folder (a leading "\" as well); "." and ".." are resolved.
std::string ResolvePath(std::string_view path);

bool PathExists(const std::string& path);
bool IsDirectory(const std::string& path);
bool IsRegularFile(const std::string& path);
// Creates one folder; true when it was created.
bool MakeDirectory(const std::string& path);
bool RemoveFile(const std::string& path);

// True when `name` matches `pattern`, where "?" stands for one byte and "*"
// for any run of bytes.
bool MatchesPattern(std::string_view name, std::string_view pattern);

struct DirectoryEntry {
  std::string name;
  bool isDirectory;
};

// The entries of `folder` whose names match `pattern` ("." and ".." left out),
// sorted by name. Empty when the folder cannot be read.
std::vector<DirectoryEntry> ListDirectory(const std::string& folder, std::string_view pattern);

}  // namespace platform
