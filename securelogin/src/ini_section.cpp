#include "ini_section.h"

#include <algorithm>
#include <fstream>
#include <optional>

namespace gatelin {
namespace {

std::string_view Trim(std::string_view text) {
  const auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!text.empty() && isSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && isSpace(text.back())) text.remove_suffix(1);
  return text;
}

bool SameName(std::string_view a, std::string_view b) {
  const auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; };
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [&](char x, char y) {
    return lower(static_cast<unsigned char>(x)) == lower(static_cast<unsigned char>(y));
  });
}

// The name of a "[name]" line, or nullopt for any other line.
std::optional<std::string_view> SectionName(std::string_view line) {
  if (line.size() < 2 || line.front() != '[') return std::nullopt;
  const std::size_t close = line.rfind(']');
  if (close == 0 || close == std::string_view::npos) return std::nullopt;
  return Trim(line.substr(1, close - 1));
}

}  // namespace

IniPairs ReadIniSection(const std::string& path, std::string_view section) {
  IniPairs pairs;
  std::ifstream file(path, std::ios::binary);
  if (!file) return pairs;
  enum { kBefore, kInside, kAfter } where = kBefore;
  std::string raw;
  while (where != kAfter && std::getline(file, raw)) {
    const std::string_view line = Trim(raw);
    if (const auto name = SectionName(line)) {
      if (where == kInside) {
        where = kAfter;
      } else if (SameName(*name, section)) {
        where = kInside;
      }
      continue;
    }
    if (where != kInside || line.empty() || line.front() == ';') continue;
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) continue;
    pairs.emplace_back(std::string(Trim(line.substr(0, equals))), std::string(Trim(line.substr(equals + 1))));
  }
  return pairs;
}

}  // namespace gatelin
