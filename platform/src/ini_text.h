// The text of an ini file: finding a key's value, and editing one key or one
// section so that every other byte of the text stays as it was.
//
// The text is GBK bytes. Lines end in "\n" or "\r\n". A line whose first
// non-blank byte is ";" is a comment. "[name]" opens a section (blanks around
// the name and anything after the "]" do not count); a line that opens with
// "[" but has no "]" opens nothing and is passed over. "key=value" lines are
// keys, both sides trimmed of blanks; lines without "=" or with an empty key
// are passed over. Section and key names compare without regard to ASCII
// case; the second byte of a GBK character always compares exactly.
// Only the first section of a name counts, and only its first key of a name.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform::ini_text {

// The value of the key, or nothing when the section or the key is missing.
std::optional<std::string_view> FindValue(std::string_view text, std::string_view section, std::string_view key);

// The text with the key set to the value, or removed when there is no value.
// A new key goes after the last key of its section; a new section goes at
// the end of the text. Nothing when the names or the value would not read
// back as written (empty names, line breaks, a "]" in the section name, an
// "=" in the key, blanks around a name, a key opening with ";" or "[").
std::optional<std::string> WithValue(std::string_view text, std::string_view section, std::string_view key,
                                     std::optional<std::string_view> value);

// The text without the section: its header and every line up to the next
// header.
std::string WithoutSection(std::string_view text, std::string_view section);

}  // namespace platform::ini_text
