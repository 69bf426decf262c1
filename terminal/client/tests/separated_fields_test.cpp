#include "separated_fields.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "backend/field_text.h"

namespace {

using client::SeparatedFields;

// A field taken from a line split once reads as the field searched for.
TEST(SeparatedFields, GiveTheFieldsThatASearchFinds) {
  const std::string_view lines[] = {
      "abc|def|", "abc|def", "x\x01y|", "a||c|", "|", "", "R|1.2.3.4|7|5010|a||b|",
  };
  for (const std::string_view line : lines) {
    const SeparatedFields fields(line);
    for (int n = -1; n <= 8; ++n) {
      char searched[32];
      char split[32];
      backend::GetSeparatedField(n, line, backend::kFieldSeparator, searched, sizeof searched);
      backend::CopyFieldText(fields.Raw(n), split, sizeof split);
      EXPECT_EQ(std::string(split), std::string(searched)) << line << " field " << n;
    }
  }
  EXPECT_EQ(SeparatedFields("a;b;", ';').Raw(2), "b");
}

TEST(SeparatedFields, ALineGivesItsFirst64Fields) {
  std::string line;
  for (int field = 1; field <= 70; ++field) line += std::to_string(field) + "|";
  const SeparatedFields fields(line);
  EXPECT_EQ(fields.Raw(1), "1");
  EXPECT_EQ(fields.Raw(64), "64");
  EXPECT_EQ(fields.Raw(65), "");
}

}  // namespace
