#include "ui/registry_store.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>

#include "platform/files.h"
#include "platform/ini_file.h"

namespace ui {
namespace {

std::string WithSlashes(std::string_view text) {
  std::string result(text);
  for (char& c : result) {
    if (c == '\\') c = '/';
  }
  return result;
}

// Creates each folder along the path of a file.
void MakeParentFolders(const std::string& filePath) {
  for (std::size_t slash = filePath.find('/', 1); slash != std::string::npos; slash = filePath.find('/', slash + 1)) {
    const std::string folder = filePath.substr(0, slash);
    if (!platform::IsDirectory(folder)) platform::MakeDirectory(folder);
  }
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(text[i]) != lower(prefix[i])) return false;
  }
  return true;
}

// UTF-16LE with its byte-order mark becomes UTF-8-free ASCII/GBK bytes the
// way the rest reads them: characters below 0x80 kept, others dropped into
// "?" (the default layout file holds ASCII only).
std::string Narrow(const std::string& raw) {
  if (raw.size() >= 2 && static_cast<unsigned char>(raw[0]) == 0xFF && static_cast<unsigned char>(raw[1]) == 0xFE) {
    std::string narrow;
    for (std::size_t i = 2; i + 1 < raw.size(); i += 2) {
      const unsigned value = static_cast<unsigned char>(raw[i]) | (static_cast<unsigned char>(raw[i + 1]) << 8);
      narrow += value < 0x80 ? static_cast<char>(value) : '?';
    }
    return narrow;
  }
  if (raw.size() >= 3 && raw.compare(0, 3, "\xEF\xBB\xBF") == 0) return raw.substr(3);
  return raw;
}

// A quoted registry text ("..." with \\ and \" escapes) from `at`; the
// position after its closing quote in `end`.
std::optional<std::string> ReadQuoted(std::string_view line, std::size_t at, std::size_t& end) {
  if (at >= line.size() || line[at] != '"') return std::nullopt;
  std::string text;
  for (std::size_t i = at + 1; i < line.size(); ++i) {
    if (line[i] == '\\' && i + 1 < line.size()) {
      text += line[++i];
    } else if (line[i] == '"') {
      end = i + 1;
      return text;
    } else {
      text += line[i];
    }
  }
  return std::nullopt;
}

// The section a registry key maps to below `keyPath`, or nothing when the
// key lies outside it.
std::optional<std::string> SectionOf(std::string_view key, std::string_view keyPath) {
  const std::size_t hiveEnd = key.find('\\');
  if (hiveEnd == std::string_view::npos) return std::nullopt;
  std::string_view rest = key.substr(hiveEnd + 1);
  if (StartsWithNoCase(rest, "Software\\")) rest.remove_prefix(9);
  if (!StartsWithNoCase(rest, keyPath)) return std::nullopt;
  rest.remove_prefix(keyPath.size());
  if (rest.empty()) return std::string();
  if (rest.front() != '\\') return std::nullopt;
  return std::string(rest.substr(1));
}

}  // namespace

std::string UserConfigFolder() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg != nullptr && *xdg == '/') return xdg;
  const char* home = std::getenv("HOME");
  return std::string(home != nullptr ? home : "") + "/.config";
}

RegistryStore::RegistryStore(std::string_view keyPath)
    : keyPath_(keyPath), path_(UserConfigFolder() + "/" + WithSlashes(keyPath) + ".ini") {}

int RegistryStore::GetInt(std::string_view section, std::string_view name, int defaultValue) const {
  return platform::ReadIniInt(path_, section, name, defaultValue);
}

std::string RegistryStore::GetString(std::string_view section, std::string_view name,
                                     std::string_view defaultValue) const {
  return platform::ReadIniString(path_, section, name, defaultValue);
}

bool RegistryStore::SetInt(std::string_view section, std::string_view name, int value) {
  return SetString(section, name, std::to_string(value));
}

bool RegistryStore::SetString(std::string_view section, std::string_view name, std::string_view value) {
  MakeParentFolders(path_);
  return platform::WriteIniString(path_, section, name, value);
}

int ImportRegistryFile(const std::string& path, RegistryStore& store) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return -1;
  const std::string text = Narrow(std::string(std::istreambuf_iterator<char>(file), {}));
  std::istringstream lines(text);
  std::optional<std::string> section;
  int imported = 0;
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[') {
      const std::size_t close = line.rfind(']');
      section = close == std::string::npos ? std::nullopt : SectionOf(line.substr(1, close - 1), store.KeyPath());
      continue;
    }
    if (!section || section->empty()) continue;
    std::size_t end = 0;
    const std::optional<std::string> name = ReadQuoted(line, 0, end);
    if (!name || end >= line.size() || line[end] != '=') continue;
    const std::string_view value = std::string_view(line).substr(end + 1);
    if (!value.empty() && value.front() == '"') {
      const std::optional<std::string> text = ReadQuoted(value, 0, end);
      if (text && store.SetString(*section, *name, *text)) ++imported;
    } else if (StartsWithNoCase(value, "dword:")) {
      const std::string digits(value.substr(6));
      char* stop = nullptr;
      const unsigned long number = std::strtoul(digits.c_str(), &stop, 16);
      if (stop != digits.c_str() && *stop == '\0' &&
          store.SetInt(*section, *name, static_cast<int>(static_cast<std::uint32_t>(number)))) {
        ++imported;
      }
    }
  }
  return imported;
}

}  // namespace ui
