// The base of the terminal's settings areas (trading gateways, login, proxy,
// variety parameters, order entry, system parameters, voice alerts) and the
// ini helpers the areas share. Each area is one global object of a class
// derived from CTQConfig, bound by the registry (client/settings_registry.h)
// to its global data record and by its settings page to that page.
//
// The areas and their pages belong to the application shell; they are used
// on the GUI thread only.
#pragma once

#include <string>
#include <string_view>

namespace client {

// A page of the settings sheet, or a dialog, whose controls an area fills
// (ToPage) and reads (FromPage). Each area casts it to its own page's class.
class SettingsPage {
 public:
  virtual ~SettingsPage() = default;
};

class CTQConfig {
 public:
  // Makes sure the folder "Config" of the program folder exists and takes
  // "\Config\Configs.ini" there as the area's ini file.
  CTQConfig();
  CTQConfig(const CTQConfig&) = delete;
  CTQConfig& operator=(const CTQConfig&) = delete;

  // Reads the ini file into the data record.
  virtual bool Load();
  // Writes the data record to the ini file.
  virtual bool Save();
  // Shows the data record in the page's controls.
  virtual bool ToPage();
  // Reads the page's controls into the data record.
  virtual bool FromPage();
  // The base versions do no work: Load and Save tell whether a data record
  // is bound, ToPage and FromPage whether a data record and a page are.

  // A page binds itself when it opens and unbinds (null) when it closes.
  void BindPage(SettingsPage* page) { page_ = page; }
  SettingsPage* Page() const { return page_; }
  void BindData(void* record) { data_ = record; }
  void* Data() const { return data_; }
  // The resolved path of the area's ini file.
  const std::string& IniPath() const { return iniPath_; }

 protected:
  // The areas are global objects, never deleted through the base.
  ~CTQConfig() = default;

  // For an area with a file of its own, such as "\Config\EntrustParam.ini".
  void SetIniPath(std::string_view path);

 private:
  SettingsPage* page_ = nullptr;
  void* data_ = nullptr;
  std::string iniPath_;
};

// Creates the folder "Config" in the program folder when it is missing; a
// failure is not reported (the ini writes into it fail in their turn).
void EnsureConfigDirectory();

// The key of section "TraderServerSet" read as a decimal number: a missing
// key reads as "0.00" and gives 0; `defaultValue` only for a key present
// with an empty value; a value that is no number gives 0.
double ReadProfileFloat(double defaultValue, std::string_view iniFile, std::string_view key);

// Writes the value as "%d"; false when the file could not be written.
bool WriteProfileInt(std::string_view key, std::string_view iniFile, std::string_view section, int value);

// Appends the number in decimal, to build indexed key names ("IP_" and 1
// give "IP_1").
void AppendDecimalText(std::string& text, int number);

}  // namespace client
