#include "client/settings_store.h"

#include "leading_number.h"
#include "platform/files.h"
#include "platform/ini_file.h"

namespace client {

CTQConfig::CTQConfig() {
  EnsureConfigDirectory();
  SetIniPath("\\Config\\Configs.ini");
}

bool CTQConfig::Load() { return data_ != nullptr; }

bool CTQConfig::Save() { return data_ != nullptr; }

bool CTQConfig::ToPage() { return data_ != nullptr && page_ != nullptr; }

bool CTQConfig::FromPage() { return data_ != nullptr && page_ != nullptr; }

void CTQConfig::SetIniPath(std::string_view path) { iniPath_ = platform::ResolvePath(path); }

void EnsureConfigDirectory() {
  const std::string folder = platform::ResolvePath("\\Config");
  if (!platform::IsDirectory(folder)) platform::MakeDirectory(folder);
}

double ReadProfileFloat(double defaultValue, std::string_view iniFile, std::string_view key) {
  const std::string text = platform::ReadIniString(iniFile, "TraderServerSet", key, "0.00");
  if (text.empty()) return defaultValue;
  return LeadingDecimal(text).value_or(0.0);
}

bool WriteProfileInt(std::string_view key, std::string_view iniFile, std::string_view section, int value) {
  return platform::WriteIniString(iniFile, section, key, std::to_string(value));
}

void AppendDecimalText(std::string& text, int number) { text += std::to_string(number); }

}  // namespace client
