// Replacing a file's contents so that a crash leaves either the old file or
// the new one, never a part of either.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// Writes the contents to a new file beside `path`, flushes it to the disk and
// renames it over `path`. The new file has the permissions of the file it
// replaces from its creation on, so a secret in it is never open to more
// eyes than before; a file written for the first time is its owner's alone.
// Temporary files that writers of `path` left when they died mid-way are
// removed first. False, with `path` untouched, when any step fails (the
// folder must exist).
bool WriteFileAtomically(const std::string& path, std::string_view contents);

}  // namespace platform
