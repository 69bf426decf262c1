#include "engine/testing/answers.h"

#include <gtest/gtest.h>

namespace engine_testing {

backend::CxDataSet Answer(std::initializer_list<std::string> lines) {
  backend::CxDataSet answer;
  for (const std::string& line : lines) answer.AddText(line);
  return answer;
}

std::string Line(const std::vector<std::string>& fields) {
  std::string line;
  for (const std::string& field : fields) line += field + "|";
  return line;
}

std::string DataLine(int count, std::initializer_list<std::pair<int, std::string>> given) {
  std::vector<std::string> fields(static_cast<std::size_t>(count));
  fields[0] = "A";
  for (const auto& [field, text] : given) fields[static_cast<std::size_t>(field) - 1] = text;
  return Line(fields);
}

backend::RequestPtr MakeRequest(int functionNo, const std::vector<std::string>& parameters) {
  backend::CxDataSet list;
  for (const std::string& parameter : parameters) list.AddText(parameter);
  std::string message;
  backend::RequestPtr record =
      backend::BuildRequestCommand("下单", 1, 0, 2, "", kMachineAddress, 1, functionNo, true, list, message);
  EXPECT_NE(record, nullptr) << message;
  return record;
}

std::vector<std::string> Leading(std::vector<std::string> more) {
  std::vector<std::string> parameters{"", std::string(kApplicationTag), "8001", "secret"};
  parameters.insert(parameters.end(), more.begin(), more.end());
  return parameters;
}

}  // namespace engine_testing
