// Pushed lines for tests: "R|sim|0|<code>|" and then the given fields, every
// field up to the highest one present, the others empty.
#pragma once

#include <map>
#include <string>

#include "backend/field_text.h"

namespace client_testing {

using PushFields = std::map<int, std::string>;

inline std::string PushLine(int code, const PushFields& fields) {
  std::string line = "R|sim|0|" + std::to_string(code) + "|";
  const int last = fields.empty() ? 4 : fields.rbegin()->first;
  for (int n = 5; n <= last; ++n) {
    const auto field = fields.find(n);
    backend::AppendSeparatedField(line, field == fields.end() ? std::string() : field->second);
  }
  return line;
}

}  // namespace client_testing
