// The fields of one answer or push line, split once: the line is copied
// once with its 0x01 bytes turned back, and each field is a view into it.
//
// Field n (counted from 1) is the text between the (n-1)-th and the n-th
// "|", with every 0x01 byte turned back into "|". A field that no separator
// closes is missing, and a missing field reads as an empty text.
#pragma once

#include <cstddef>
#include <cstdint>
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
  std::size_t Count() const { return ends_.size(); }

 private:
  // The line with its escaped separators restored.
  std::string text_;
  // Where each field ends in text_ (at its separator); the next field starts
  // one byte later.
  std::vector<std::uint32_t> ends_;
};

// Line `index` of an answer: the entry's text up to its first zero byte;
// empty when the answer has no such entry.
std::string_view AnswerLineAt(const backend::CxDataSetView& answer, std::size_t index);

}  // namespace engine
