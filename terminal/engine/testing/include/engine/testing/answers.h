// Texts as the back end writes them to the engine and requests as the
// terminal hands them over, for tests.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "backend/cx_data_set.h"
#include "backend/request_record.h"

namespace engine_testing {

// What every engine a test starts signs its requests with: the machine
// address, the sequence number of each request and the application tag.
inline constexpr std::string_view kMachineAddress = "00-11-22-33-44-55";
inline constexpr int kSequenceNo = 7;
inline constexpr std::string_view kApplicationTag = "Pellora";

// The status line of an answer that succeeded and holds no rows.
inline const std::string kStatusLine = "A|||Y|0|";

// An answer of these lines.
backend::CxDataSet Answer(std::initializer_list<std::string> lines);

// A line of fields 1 to `fields.size()`, each followed by "|".
std::string Line(const std::vector<std::string>& fields);

// A data line of fields 1 to `count`: field 1 "A", the given ones (field
// number, text), the others empty.
std::string DataLine(int count, std::initializer_list<std::pair<int, std::string>> given);

// A request "下单" of one sub-request of `functionNo` on slot 0,
// "R|<address>|1|<function>|" and the parameters; a request that cannot be
// built fails the test.
backend::RequestPtr MakeRequest(int functionNo, const std::vector<std::string>& parameters = {});

// The leading parameters of every business request of account 8001: the
// reserved text, the application tag, the customer number and the password;
// then `more`.
std::vector<std::string> Leading(std::vector<std::string> more = {});

}  // namespace engine_testing
