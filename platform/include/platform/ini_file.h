// Settings in ini files, read and written key by key as the private-profile
// functions of the desktop platform do.
//
// Paths go through ResolvePath ("\Config\Configs.ini" is a file of the
// program folder). Names and values are GBK bytes, passed through unchanged.
// Section and key names compare without regard to ASCII case. Comment lines
// start with ";". Only the first section of a name and, in it, the first key
// of a name count. Lines that are neither a header, a key nor a comment
// (no "=", an unclosed "[") are passed over and kept.
//
// Writes change only the line of their key (or add it after the section's
// last key, or add the section at the end of the file, creating the file):
// comments, order, line endings and the other sections stay byte for byte.
// The new file replaces the old one whole, so that a crash leaves one or the
// other. Writes within the process are serialised, so that two of them on
// one file never lose each other's key.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// The key's value without the blanks around it; `defaultValue` when the
// file, the section or the key is missing. A key present with nothing after
// its "=" gives "".
std::string ReadIniString(std::string_view path, std::string_view section, std::string_view key,
                          std::string_view defaultValue);

// The key's value read as a decimal integer: an optional sign and the digits
// that follow it; whatever comes after the digits is ignored ("12abc" is 12,
// "-3" is -3). `defaultValue` when the key is missing or its value does not
// start with a number that fits an int ("", "abc", "-", "99999999999").
int ReadIniInt(std::string_view path, std::string_view section, std::string_view key, int defaultValue);

// Sets the key to the value. False, with the file untouched, when the file
// exists but cannot be read, cannot be replaced, or when the names or the
// value would not read back as written (empty names, line breaks, a "]" in
// the section name, an "=" in the key, blanks around a name, a key starting
// with ";" or "[").
bool WriteIniString(std::string_view path, std::string_view section, std::string_view key, std::string_view value);

// Removes the key's line. True when the key is gone, also when it was never
// there; false as for WriteIniString.
bool DeleteIniKey(std::string_view path, std::string_view section, std::string_view key);

// Removes the section's header and every line up to the next header. True
// when the section is gone, also when it was never there; false when the
// file exists but cannot be read or replaced.
bool DeleteIniSection(std::string_view path, std::string_view section);

}  // namespace platform
