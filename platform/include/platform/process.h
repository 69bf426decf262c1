// Starting other programs.
#pragma once

#include <string>
#include <vector>

namespace platform {

// Starts a program with an argument vector (argv[0] is looked up on PATH when
// it holds no "/") and does not wait for it; the child is reaped when it ends.
// False when it could not be started.
bool StartProcess(const std::vector<std::string>& argv);

}  // namespace platform
