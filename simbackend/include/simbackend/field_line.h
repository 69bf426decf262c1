// Lines of separated fields, as the back end and its clients exchange them:
// every field is closed by "|", the last one too. A byte 0x7C inside a value
// (a "|" of its own, or the second byte of a GBK character) travels as 0x01,
// so that splitting a line stays byte-based.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace simbackend {

class FieldLine {
 public:
  FieldLine() = default;
  explicit FieldLine(std::string_view firstValue) { Add(firstValue); }

  FieldLine& Add(std::string_view value);
  FieldLine& AddNumber(long long value);
  // Appends each value in order.
  FieldLine& AddAll(const std::vector<std::string>& values);

  const std::string& Text() const { return text_; }
  // The text, moved out: the line is empty after.
  std::string TakeText() { return std::move(text_); }

 private:
  std::string text_;
};

// The fields of a line, each 0x01 read back as "|". Bytes after the last "|"
// close no field and are left out.
std::vector<std::string> SplitFields(std::string_view line);

}  // namespace simbackend
