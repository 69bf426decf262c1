// Files that hold a secret (a stored password) are kept readable and
// writable by their owner only.
#pragma once

#include <string>

namespace platform {

// Creates the file empty when it does not exist, then allows reading and
// writing to its owner alone. Later atomic replacements keep that. False
// when the file could not be created or changed.
bool RestrictToOwner(const std::string& path);

}  // namespace platform
