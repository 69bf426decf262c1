#include "message_lines.h"

#include <vector>

#include "simbackend/field_line.h"

namespace simbackend {
namespace {

enum MessageField : std::size_t {
  kBoxTitleField = 8,
  kBoxTextField = 9,
  kCategoryField = 9,
  kAddresseeField = 11,
  kLevelField = 14,
  kTextField = 17,
  kExchangeField = 19,
  kStateField = 20,
};

// The fields of a push line up to `last`, its head filled in.
std::vector<std::string> PushFields(const char* code, std::size_t last) {
  std::vector<std::string> fields(last);
  fields[0] = "R";
  fields[2] = "0";
  fields[3] = code;
  return fields;
}

void Set(std::vector<std::string>& fields, std::size_t field, std::string_view value) { fields[field - 1] = value; }

}  // namespace

std::string MessagePushLine(const MessagePush& message) {
  std::vector<std::string> fields = PushFields("15006", kStateField);
  Set(fields, kCategoryField, message.category);
  Set(fields, kAddresseeField, message.addressee);
  Set(fields, kLevelField, message.level);
  Set(fields, kTextField, message.text);
  Set(fields, kExchangeField, message.exchange);
  Set(fields, kStateField, message.state);
  return FieldLine().AddAll(fields).Text();
}

std::string MessageBoxPushLine(std::string_view title, std::string_view text) {
  std::vector<std::string> fields = PushFields("15007", kBoxTextField);
  Set(fields, kBoxTitleField, title);
  Set(fields, kBoxTextField, text);
  return FieldLine().AddAll(fields).Text();
}

}  // namespace simbackend
