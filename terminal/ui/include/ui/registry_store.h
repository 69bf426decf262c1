// The registry in place of the desktop's: a key path such as
// "Tolvane\Brennark\Quentara" is one ini file under the user's configuration
// folder ($XDG_CONFIG_HOME, else ~/.config), "Tolvane/Brennark/Quentara.ini",
// whose sections are the key's sub-keys ("Settings", "Settings\Grids", ...).
// Values are GBK texts; numbers are kept in decimal. No toolkit.
#pragma once

#include <string>
#include <string_view>

namespace ui {

class RegistryStore {
 public:
  explicit RegistryStore(std::string_view keyPath);

  int GetInt(std::string_view section, std::string_view name, int defaultValue) const;
  std::string GetString(std::string_view section, std::string_view name, std::string_view defaultValue) const;
  // False when the file could not be written.
  bool SetInt(std::string_view section, std::string_view name, int value);
  bool SetString(std::string_view section, std::string_view name, std::string_view value);

  const std::string& FilePath() const { return path_; }
  const std::string& KeyPath() const { return keyPath_; }

 private:
  std::string keyPath_;
  std::string path_;
};

// The user's configuration folder, without a trailing "/".
std::string UserConfigFolder();

// Imports a registry file of the desktop's registry editor ("REGEDIT4" or
// "Windows Registry Editor Version 5.00", in UTF-8, GBK or UTF-16 with its
// byte-order mark) into the store: only values below the store's key path
// (any hive, with or without "Software\") are taken, each sub-key becoming a
// section; string values and dwords (written in decimal) are taken, other
// kinds passed over. The number of values written, or -1 when the file
// cannot be read.
int ImportRegistryFile(const std::string& path, RegistryStore& store);

}  // namespace ui
