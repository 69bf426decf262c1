#include "backend/testing/request_texts.h"

#include <gtest/gtest.h>

#include <vector>

#include "backend/field_text.h"
#include "backend/sequence_number.h"
#include "backend/transport.h"

namespace backend_testing {

std::vector<std::string> Fields(std::string_view line) {
  std::vector<std::string> fields;
  for (int n = 1; backend::FindNthSeparator(line, '|', n) >= 0; ++n) {
    fields.push_back(backend::GetSeparatedFieldText(n, line));
  }
  return fields;
}

backend::CxDataSet BusinessFrame(std::string_view customer, std::string_view password) {
  backend::CxDataSet parameters;
  for (const std::string_view text : {std::string_view(), std::string_view("Pellora"), customer, password})
    parameters.AddText(text);
  return parameters;
}

backend::RequestPtr BuildRequest(const char* title, int function, int priority, int slot, bool singlePacket,
                                 const backend::CxDataSet& parameters) {
  std::string message;
  backend::RequestPtr record =
      backend::BuildRequestCommand(title, 1, slot, priority, "", backend::LocalMachineAddress(),
                                   backend::GetNextSequenceNo(), function, singlePacket, parameters, message);
  EXPECT_TRUE(record) << message;
  return record;
}

std::string LoginText(const LoginFields& login) {
  // clang-format off
  const std::vector<std::string> fields = {
      "R", backend::LocalMachineAddress(), std::to_string(login.sequence), "5001", "", "Pellora", login.customer,
      login.password, backend::LocalIpAddress(), "1", "1", "", "20091204", login.version, "", "", "", "", "", "",
      "1", "", "", "", "", "", login.role, login.manager};
  // clang-format on
  std::string text;
  for (const std::string& field : fields) backend::AppendSeparatedField(text, field);
  return text;
}

}  // namespace backend_testing
