// The request texts that go to the back end, and their trace form.
//
// A request is "R|<MAC address>|<request number>|<function number>|"
// followed by every argument and "|"; fields count from 1 at the "R", so
// argument k is field k + 5.
#pragma once

#include <string>
#include <string_view>

#include "connpool/packed_list.h"

namespace connpool {

// A password change; once answered "Y" the library logs in again with the
// new password.
inline constexpr int kPasswordChangeFunction = 5013;

// `arguments` may be null: no arguments.
std::string RequestText(std::string_view mac, int requestNumber, int functionNumber, const PackedBlock* arguments);
// Fetches the next packet of a multi-packet answer.
std::string FollowUpText(std::string_view mac, int requestNumber);
// The log-in (function 5001) that follows a password change: arguments 0,
// 1, 2 and 4 of the change, the new password last.
std::string ReloginText(std::string_view mac, const PackedBlock* changeArguments);

// A line for the trace with the passwords of the request in it masked, as
// the terminal masks its own log: when the line holds "R|" and field 4
// (counted from that "R") is a non-zero number (requests and pushes, not
// answers), field 8 becomes "********", and field 9 too for functions 5013,
// 5014 and 5301.
std::string MaskPasswordFields(std::string_view line);

}  // namespace connpool
