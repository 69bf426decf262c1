// Reading what the back end sends: answers and pushed lines.
//
// An answer is separated-field text: every field is closed by "|" and
// fields count from 1. A byte 0x01 inside a field stands for a "|" of its
// value. Answers start "R|<MAC address>|<request number>|", then the status
// "Y" (or another letter), the packet count, a message and the rows.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "connpool/packed_list.h"

namespace connpool {

// Where an answer's status and message stand.
inline constexpr int kStatusField = 4;
inline constexpr int kMessageField = 6;

// Field n with every 0x01 turned into "|"; empty when the answer has no
// field n closed by a separator.
std::string AnswerField(std::string_view answer, int n);

// "Y" in either case: the back end accepted the request.
bool IsAccepted(std::string_view status);

// Appends one text entry (type 33, no name, flag 0) to `packet` for every
// closed field from field n on, its bytes as they stand; text after the
// last separator is dropped. False when the list cannot hold them.
bool AppendFields(std::string_view answer, int n, PackedList& packet);

// The non-empty lines of pushed data: NUL-terminated lines within `length`
// bytes, the last one possibly without its terminator. Nothing beyond
// `length` is read.
std::vector<std::string_view> PushLines(const char* data, int length);

}  // namespace connpool
