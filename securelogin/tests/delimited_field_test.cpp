#include "delimited_field.h"

#include <gtest/gtest.h>

using gatelin::DelimitedField;
using gatelin::ReplaceExistingField;
using gatelin::SetDelimitedField;

TEST(DelimitedField, FieldsEndAtASeparatorOrAtTheEndOfTheText) {
  EXPECT_EQ(DelimitedField("a|b|c", 2), "c");
  EXPECT_EQ(DelimitedField("a||c|", 1), "");
  EXPECT_EQ(DelimitedField("a|b|c|", 3), std::nullopt);
  EXPECT_EQ(DelimitedField("a|b|c", 5), std::nullopt);
  EXPECT_EQ(DelimitedField("", 0), std::nullopt);
  EXPECT_EQ(DelimitedField("x,y", 1, ','), "y");
}

TEST(DelimitedField, SettingAFieldReplacesItOrGrowsTheText) {
  struct Case {
    std::string text;
    int n;
    std::string expected;
  };
  for (const Case& c : std::vector<Case>{
           {"a|b|", 4, "a|b|||v|"},  // two empty fields, then the value and a separator
           {"a|b", 3, "a|b||v|"},
           {"", 0, "v|"},
           {"a|b|c", 1, "a|v|c"},
           {"a|b|c|", 2, "a|b|v|"},
           {"a||c|", 1, "a|v|c|"},
       }) {
    std::string text = c.text;
    SetDelimitedField(text, c.n, "v");
    EXPECT_EQ(text, c.expected) << c.text << " field " << c.n;
  }
}

TEST(DelimitedField, LongValuesAreKeptWhole) {
  std::string text = "R|mac|1|5001|";
  const std::string value(3000, 'x');
  SetDelimitedField(text, 18, value);
  EXPECT_EQ(DelimitedField(text, 18), value);
}

TEST(DelimitedField, ReplacingOnlyTouchesFieldsThatExist) {
  std::string text = "a|b|";
  ReplaceExistingField(text, 1, "*");
  ReplaceExistingField(text, 7, "*");
  EXPECT_EQ(text, "a|*|");
}
