// The program's name as its windows and message boxes show it.
#pragma once

namespace shell {

inline constexpr const char* kProgramTitle = "Quentara";

}  // namespace shell
