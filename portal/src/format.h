// printf-style formatting into a std::string, for log lines and messages.
#pragma once

#include <string>

namespace portal {

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace portal
