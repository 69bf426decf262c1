// The fields of an answer or push line set by their numbers.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "simbackend/field_line.h"

namespace simbackend {

// The fields of a line from 1 to `last`, set by number; those not set stay empty.
class NumberedFields {
 public:
  explicit NumberedFields(std::size_t last) : fields_(last) {}
  NumberedFields& Set(std::size_t field, std::string value) {
    fields_.at(field - 1) = std::move(value);
    return *this;
  }
  std::string Line() const { return FieldLine().AddAll(fields_).Text(); }
  // The values from field `first` on, as an answer's status line takes them.
  std::vector<std::string> From(std::size_t first) const {
    return {fields_.begin() + static_cast<std::ptrdiff_t>(first - 1), fields_.end()};
  }

 private:
  std::vector<std::string> fields_;
};

// A push line "R||0|<code>|" up to field `last`.
inline NumberedFields PushHead(int code, std::size_t last) {
  NumberedFields fields(last);
  fields.Set(1, "R").Set(3, "0").Set(4, std::to_string(code));
  return fields;
}

}  // namespace simbackend
