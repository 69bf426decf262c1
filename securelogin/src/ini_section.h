// Reading one section of an ini file as its key = value pairs.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace gatelin {

using IniPairs = std::vector<std::pair<std::string, std::string>>;

// The pairs of the first section named `section` (compared without regard to
// ASCII case), in file order, keys and values trimmed of spaces. Comment
// lines (";") and lines without "=" are passed over. Empty when the file or
// the section is missing.
IniPairs ReadIniSection(const std::string& path, std::string_view section);

}  // namespace gatelin
