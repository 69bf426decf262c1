// Replacing a file's contents so that a crash leaves either the old file or
// the new one, never a part of either.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// Writes the contents to a new file beside `path`, flushes it to the disk and
// renames it over `path`; an existing file's permissions are kept. False,
// with `path` untouched, when any step fails (the folder must exist).
bool WriteFileAtomically(const std::string& path, std::string_view contents);

}  // namespace platform
