// The texts of the middleware's error codes.
#pragma once

#include <string>

namespace halvost {

std::string ErrorText(int code);

}  // namespace halvost
