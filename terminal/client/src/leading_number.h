// Numbers in the back end's pushed fields, read as the terminal always read
// them: leading blanks skipped, then as many characters as form a number;
// whatever follows is ignored.
#pragma once

#include <optional>
#include <string_view>

namespace client {

// Nothing when the text does not start with a number.
std::optional<double> LeadingDecimal(std::string_view text);
// 0 when the text does not start with a number; held to the int range.
int LeadingInteger(std::string_view text);

}  // namespace client
