// The separated-field helpers, the masking of an answer's password and the
// reading of an answer's lines (CheckReplyResult, SplitReplyRows) on
// arbitrary bytes. Every buffer is allocated at exactly its stated size, so
// that AddressSanitizer sees a write or read one byte past it.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "backend/field_text.h"
#include "backend/program_log.h"
#include "backend/request_record.h"
#include "fuzz_support.h"

namespace {

// `text` zero-terminated in a buffer of `size` bytes (at least its length
// plus one).
std::vector<char> TextBuffer(const std::string& text, std::size_t size) {
  std::vector<char> buffer(size, '\0');
  std::memcpy(buffer.data(), text.data(), text.size());
  return buffer;
}

// The text up to its first zero byte, as the zero-terminated helpers see it.
std::string CText(const std::string& text) { return text.substr(0, text.find('\0')); }

void FuzzFields(FuzzedDataProvider& input) {
  const int n = input.ConsumeIntegralInRange(-1, 40);
  const std::size_t bufferSize = input.ConsumeIntegralInRange<std::size_t>(1, 64);
  const std::string insert = CText(input.ConsumeRandomLengthString(32));
  const std::string text = input.ConsumeRandomLengthString(512);

  backend::FindNthSeparator(text, backend::kFieldSeparator, n);

  // Answers of the functions that carry a password: its field holds the
  // mask wherever the line has it, and a line without it stays.
  const int function = input.ConsumeBool() ? 5451 : 5406;
  const std::string answer = backend::MaskAnswerPasswordFields(function, text);
  const int passwordField = function == 5451 ? 7 : 8;
  const std::ptrdiff_t before = backend::FindNthSeparator(answer, backend::kFieldSeparator, passwordField - 1);
  if (backend::FindNthSeparator(text, backend::kFieldSeparator, passwordField - 1) >= 0) {
    fuzz::Check(before >= 0 && answer.compare(static_cast<std::size_t>(before) + 1, 8, "********") == 0,
                "an answer's password is masked");
  } else {
    fuzz::Check(answer == text, "an answer without a password field stays");
  }

  std::vector<char> field(bufferSize);
  fuzz::Check(backend::GetSeparatedField(n, text, backend::kFieldSeparator, field.data(), field.size()) == field.data(),
              "GetSeparatedField returns its buffer");
  fuzz::Check(std::memchr(field.data(), '\0', field.size()) != nullptr, "a field buffer stays terminated");
  const std::string whole = backend::GetSeparatedFieldText(n, text);
  fuzz::Check(whole.starts_with(field.data()) || whole.find('\0') != std::string::npos,
              "a cut field is the start of the whole field");

  const std::string cText = CText(text);
  const std::size_t room = cText.size() + 1 + input.ConsumeIntegralInRange<std::size_t>(0, 40);
  std::vector<char> inserted = TextBuffer(cText, room);
  if (!backend::InsertSeparatedField(n, inserted.data(), inserted.size(), insert)) {
    fuzz::Check(std::string(inserted.data()) == cText, "a refused insert leaves the text");
  } else if (insert.find_first_of("|\x01") == std::string::npos) {
    // A closing separator makes the last field, which an insert may open, a
    // whole one.
    const std::string closed = std::string(inserted.data()) + backend::kFieldSeparator;
    fuzz::Check(backend::GetSeparatedFieldText(n, closed) ==
                    insert + backend::GetSeparatedFieldText(n, cText + backend::kFieldSeparator),
                "an insert opens its field");
  }
  std::vector<char> masked = TextBuffer(cText, room);
  if (!backend::MaskText(insert, masked.data(), masked.size())) {
    fuzz::Check(std::string(masked.data()) == cText, "a refused mask leaves the text");
  } else {
    fuzz::Check(std::string_view(masked.data()).find("********") != std::string_view::npos, "a mask is seen");
  }
  std::vector<char> trimmed = TextBuffer(cText, cText.size() + 1);
  backend::TrimLeftBlanks(trimmed.data());
  backend::TrimRightBlanks(trimmed.data());
  fuzz::Check(std::string(trimmed.data()) == backend::TrimBlanks(cText), "both trims agree");
  backend::ParseDecimal(text);

  std::vector<char> copy(bufferSize);
  backend::CopyTextBounded(cText.c_str(), copy.data(), copy.size());
  fuzz::Check(cText.starts_with(copy.data()), "a bounded copy is the start of its source");

  // A value without 0x01 comes back as it went in.
  std::string line;
  backend::AppendSeparatedField(line, insert);
  if (insert.find(backend::kEscapedSeparator) == std::string::npos) {
    fuzz::Check(backend::GetSeparatedFieldText(1, line) == insert, "an appended field reads back");
  }
}

void FuzzReply(FuzzedDataProvider& input) {
  const bool singlePacket = input.ConsumeBool();
  const int firstField = input.ConsumeIntegralInRange(-1, 12);
  const int fieldCount = input.ConsumeIntegralInRange(-1, 12);
  const int index = input.ConsumeIntegralInRange(-1, 1);
  backend::RequestPtr record = backend::CreateRequest("fuzz", 0, 0, "", 1);
  backend::SubRequest& subRequest = *record->At(0);
  subRequest.singlePacket = singlePacket ? 1 : 0;
  record->errorFlag = input.ConsumeIntegralInRange(0, 3) == 0 ? 1 : 0;
  while (input.remaining_bytes() > 0) subRequest.answer.AddText(CText(input.ConsumeRandomLengthString(256)));

  std::string message;
  backend::CheckReplyResult(index, message, record.get());
  backend::CxDataSet rows;
  backend::SplitReplyRows(index, *record, firstField, fieldCount, rows);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  if (input.ConsumeBool()) {
    FuzzFields(input);
  } else {
    FuzzReply(input);
  }
  return 0;
}
