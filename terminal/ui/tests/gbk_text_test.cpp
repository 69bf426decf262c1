#include "ui/gbk_text.h"

#include <gtest/gtest.h>

namespace {

TEST(GbkText, ChineseTextRoundTripsByteForByte) {
  const std::string text = "委托被取消!|交易:正常";
  const QString wide = ui::FromGbk(text);
  EXPECT_EQ(wide.size(), 12);
  EXPECT_EQ(wide, QString::fromUtf8("\xE5\xA7\x94\xE6\x89\x98\xE8\xA2\xAB\xE5\x8F\x96\xE6\xB6\x88!|"
                                    "\xE4\xBA\xA4\xE6\x98\x93:\xE6\xAD\xA3\xE5\xB8\xB8"));
  EXPECT_EQ(ui::ToGbk(wide), text);
}

TEST(GbkText, AHalfCharacterCostsOneCharacterNotTheWholeText) {
  std::string text = "行情";
  text += '\xD0';  // the first half of a character, cut off
  const QString wide = ui::FromGbk(text);
  ASSERT_EQ(wide.size(), 3);
  EXPECT_EQ(ui::ToGbk(wide.left(2)), "行情");
  EXPECT_EQ(wide[2].unicode(), 0xFFFDu);
}

TEST(GbkText, ACharacterGbkCannotHoldBecomesAQuestionMark) {
  EXPECT_EQ(ui::ToGbk(QString::fromUtf8("a\xF0\x9F\x98\x80") + ui::FromGbk("中")), "a?中");
}

TEST(GbkText, EmptyAndAsciiPassThrough) {
  EXPECT_TRUE(ui::FromGbk("").isEmpty());
  EXPECT_EQ(ui::ToGbk(ui::FromGbk("10001")), "10001");
}

}  // namespace
