// Typed reads and writes of one ini key, as the settings areas store their
// values: integers read as the private-profile reader does and written as
// "%d", flags as 0/1, texts cut to their field on a character boundary,
// numbers written as "%f".
#pragma once

#include <string>
#include <string_view>

namespace shell::ini {

class Section {
 public:
  Section(const std::string& path, std::string_view name) : path_(path), name_(name) {}

  int Int(std::string_view key, int defaultValue) const;
  bool Flag(std::string_view key) const { return Int(key, 0) != 0; }
  // At most `maxBytes` bytes.
  std::string Text(std::string_view key, std::size_t maxBytes) const;
  // A decimal number; `defaultValue` when the key is missing or no number.
  double Number(std::string_view key, double defaultValue) const;

  void WriteInt(std::string_view key, int value) const;
  void WriteFlag(std::string_view key, bool value) const { WriteInt(key, value ? 1 : 0); }
  void WriteText(std::string_view key, std::string_view value) const;
  void WriteNumber(std::string_view key, double value) const;
  void Delete(std::string_view key) const;

 private:
  const std::string& path_;
  std::string_view name_;
};

// A decimal number at the start of the text ("12.5x" is 12.5); nothing for
// a text that starts with none.
bool ParseLeadingNumber(std::string_view text, double& value);

}  // namespace shell::ini
