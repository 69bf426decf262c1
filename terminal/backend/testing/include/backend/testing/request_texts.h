// The texts a test sends through the transport: requests in the business
// frame and the terminal's log-in text.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "backend/cx_data_set.h"
#include "backend/request_record.h"

namespace backend_testing {

// The field values of a separated-field line.
std::vector<std::string> Fields(std::string_view line);

// The leading parameters of the business frame: the application tag and
// the credentials of the customer who signs the request.
backend::CxDataSet BusinessFrame(std::string_view customer, std::string_view password);

// A request of one sub-request on `slot`, numbered and addressed as this
// terminal numbers and addresses its own; a request that cannot be built
// fails the test.
backend::RequestPtr BuildRequest(const char* title, int function, int priority, int slot, bool singlePacket,
                                 const backend::CxDataSet& parameters);

// The login roles of field 27: a customer's own login, a management
// account, a trading account signed by its management account.
inline constexpr const char* kTradingRole = "";
inline constexpr const char* kManagementRole = "1";
inline constexpr const char* kSubAccountRole = "2";

struct LoginFields {
  int sequence = 0;
  std::string customer{};
  std::string password{};
  std::string version{};  // the terminal's own
  std::string role = kTradingRole;
  std::string manager{};  // the management account that signs a trading account
};

// The 28-field log-in text: the business frame with the customer's
// credentials, the terminal's addresses and version, the role in field 27
// and the management account in field 28.
std::string LoginText(const LoginFields& login);

}  // namespace backend_testing
