// The fields of one answer or push line, split once.
//
// Field n (counted from 1) is the text between the (n-1)-th and the n-th
// "|", with every 0x01 byte turned back into "|". A field that no separator
// closes is missing, and a missing field reads as an empty text.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "backend/cx_data_set.h"

namespace engine {

class LineFields {
 public:
  explicit LineFields(std::string_view line);

  // Field n; empty when the line has no such field.
  std::string_view Field(int n) const;
  // Field n without its leading and trailing blanks and tabs.
  std::string_view Trimmed(int n) const;
  // The number of fields the line has.
  std::size_t Count() const { return fields_.size(); }

 private:
  std::vector<std::string> fields_;
};

// Line `index` of an answer: the entry's text up to its first zero byte;
// empty when the answer has no such entry.
std::string_view AnswerLineAt(const backend::CxDataSetView& answer, std::size_t index);

}  // namespace engine
