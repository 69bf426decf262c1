#include "simbackend/field_line.h"

#include <gtest/gtest.h>

namespace simbackend {
namespace {

TEST(FieldLineTest, EveryValueIsClosedAndItsSeparatorBytesTravelAsOne) {
  // "秥" is 0xB6 0x7C in GBK: its second byte must not split the field.
  const std::string name = "王秥";
  ASSERT_EQ(name.back(), '|');
  const std::string line = FieldLine("A").Add("").Add(name).Add("a|b").AddNumber(-12).Text();
  EXPECT_EQ(line,
            "A||\xCD\xF5\xB6\x01|a\x01"
            "b|-12|");
  EXPECT_EQ(SplitFields(line), (std::vector<std::string>{"A", "", name, "a|b", "-12"}));
}

TEST(FieldLineTest, BytesAfterTheLastSeparatorCloseNoField) {
  EXPECT_EQ(SplitFields("abc|def"), std::vector<std::string>{"abc"});
  EXPECT_TRUE(SplitFields("").empty());
  EXPECT_EQ(SplitFields("||"), (std::vector<std::string>{"", ""}));
}

}  // namespace
}  // namespace simbackend
