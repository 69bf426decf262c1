#include "engine/answer_fields.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "backend/field_text.h"

namespace {

using engine::LineFields;

// Lines whose fields the split must read as the field reader of the
// transport reads them one by one: empty fields, escaped separators, a last
// field no separator closes, GBK text whose second byte is 0x7C escaped.
TEST(LineFields, ReadsEveryFieldAsTheFieldReaderDoes) {
  const std::string lines[] = {
      "",
      "|",
      "||",
      "abc",
      "abc|def|",
      "abc|def|unclosed",
      "a\x01"
      "b|\x01|\x01\x01|",
      "15005|0|x| 10001 |SHFE||cu2501|",
      "\xd7\x01|\xb6\x01|tail",
  };
  for (const std::string& line : lines) {
    const LineFields fields(line);
    int closed = 0;
    for (char byte : line) closed += byte == backend::kFieldSeparator ? 1 : 0;
    EXPECT_EQ(fields.Count(), static_cast<std::size_t>(closed)) << line;
    for (int n = -1; n <= closed + 2; ++n) {
      EXPECT_EQ(fields.Field(n), backend::GetSeparatedFieldText(n, line)) << line << " field " << n;
    }
  }
}

TEST(LineFields, TrimsBlanksAndTabsOnly) {
  const LineFields fields(" \t a b \t|\t|x|");
  EXPECT_EQ(fields.Trimmed(1), "a b");
  EXPECT_EQ(fields.Trimmed(2), "");
  EXPECT_EQ(fields.Trimmed(3), "x");
  EXPECT_EQ(fields.Trimmed(4), "");
}

// The fields stay readable for as long as the split lives, though the line
// it was made from is gone.
TEST(LineFields, OwnsItsText) {
  std::string line = "first|second|";
  const LineFields fields(line);
  line.assign(line.size(), 'z');
  EXPECT_EQ(fields.Field(1), "first");
  EXPECT_EQ(fields.Field(2), "second");
}

}  // namespace
