// Numbers as the views show them: a fixed count of decimals.
#pragma once

#include <string>

namespace client {

// The value with `decimals` decimals (at least 0), rounded half to even on
// the exact binary value as "%.*f" rounds, without the printf family's
// format parsing, which a grid would call for every cell.
std::string FixedText(double value, int decimals);

}  // namespace client
