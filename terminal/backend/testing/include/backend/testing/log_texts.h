// The program log as a reader sees it, for the tests that look at what the
// terminal wrote.
#pragma once

#include <string>
#include <vector>

namespace backend_testing {

// The texts of the records of a log file, in order; none when it cannot be
// opened.
std::vector<std::string> ReadLogTexts(const std::string& file);

}  // namespace backend_testing
