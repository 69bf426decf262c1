#include "ini_values.h"

#include <charconv>
#include <cstdio>

#include "platform/gbk.h"
#include "platform/ini_file.h"

namespace shell::ini {

int Section::Int(std::string_view key, int defaultValue) const {
  return platform::ReadIniInt(path_, name_, key, defaultValue);
}

std::string Section::Text(std::string_view key, std::size_t maxBytes) const {
  std::string text = platform::ReadIniString(path_, name_, key, "");
  text.resize(platform::GbkFitLength(text, maxBytes));
  return text;
}

double Section::Number(std::string_view key, double defaultValue) const {
  double value = defaultValue;
  const std::string text = platform::ReadIniString(path_, name_, key, "");
  return ParseLeadingNumber(text, value) ? value : defaultValue;
}

void Section::WriteInt(std::string_view key, int value) const {
  platform::WriteIniString(path_, name_, key, std::to_string(value));
}

void Section::WriteText(std::string_view key, std::string_view value) const {
  platform::WriteIniString(path_, name_, key, value);
}

void Section::WriteNumber(std::string_view key, double value) const {
  char text[64];
  std::snprintf(text, sizeof text, "%f", value);
  platform::WriteIniString(path_, name_, key, text);
}

void Section::Delete(std::string_view key) const { platform::DeleteIniKey(path_, name_, key); }

bool ParseLeadingNumber(std::string_view text, double& value) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end != text.data();
}

}  // namespace shell::ini
