#include "marketviews/model/option_detail.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using marketviews::CField;
using marketviews::OptionDetail;

backend::QuoteRecord Quote(std::string_view code, float last, float preSettlement) {
  backend::QuoteRecord quote{};
  code.copy(quote.szCode, sizeof quote.szCode - 1);
  quote.fNewPrice = last;
  quote.fPreSettlementPrice = preSettlement;
  quote.dAmount = 66185;
  quote.dwVolume = 31;
  quote.dwPreOpenInterest = 3085;
  return quote;
}

// Text and colour of each of the sixteen fields, by label.
struct Shown {
  std::string text;
  std::uint32_t colour;
};
Shown Field(const OptionDetail& detail, std::string_view label) {
  for (const marketviews::DetailField& entry : detail.Fields()) {
    if (label == entry.label) return {entry.field.Text(), entry.field.Colour()};
  }
  ADD_FAILURE() << "no field " << label;
  return {};
}

TEST(OptionDetail, TheChangeAndItsRatioRiseAndFallAgainstThePreSettlementPrice) {
  struct Case {
    float last;
    float preSettlement;
    int decimals;
    Shown last_, change, ratio;
  };
  const CField colours;
  const std::vector<Case> cases = {
      {105, 100, 2, {"105.00", colours.up}, {"5.00", colours.up}, {"5.00%", colours.up}},
      {95, 100, 1, {"95.0", colours.down}, {"-5.0", colours.down}, {"-5.0%", colours.down}},
      {100, 100, 0, {"100", colours.normal}, {"-", colours.normal}, {"-", colours.normal}},
      // Without a pre-settlement price nothing is compared.
      {105, 0, 2, {"105.00", colours.normal}, {"-", colours.normal}, {"-", colours.normal}},
  };
  for (const Case& c : cases) {
    OptionDetail detail;
    detail.SetContract("m2703-C-3000");
    ASSERT_TRUE(detail.SetQuote(Quote("m2703-C-3000", c.last, c.preSettlement), c.decimals));
    for (const auto& [label, expected] : {std::pair{"最新价", c.last_}, {"涨跌", c.change}, {"涨跌幅", c.ratio}}) {
      const Shown shown = Field(detail, label);
      EXPECT_EQ(shown.text, expected.text) << label << " " << c.last << "/" << c.preSettlement;
      EXPECT_EQ(shown.colour, expected.colour) << label << " " << c.last << "/" << c.preSettlement;
    }
  }
}

TEST(OptionDetail, VolumesAreWholeNumbersTheTurnoverMoneyAndAMissingValueADash) {
  OptionDetail detail;
  detail.SetContract("m2703-C-3000");
  ASSERT_TRUE(detail.SetQuote(Quote("m2703-C-3000", 105, 100), 0));
  EXPECT_EQ(Field(detail, "成交额").text, "66185.00");
  EXPECT_EQ(Field(detail, "成交量").text, "31");
  EXPECT_EQ(Field(detail, "昨持仓").text, "3085");
  EXPECT_EQ(Field(detail, "今持仓").text, "-");
  EXPECT_EQ(Field(detail, "今开盘").text, "-");
}

TEST(OptionDetail, AQuoteOfAnotherOptionChangesNothing) {
  OptionDetail detail;
  detail.SetContract("m2703-C-3000");
  ASSERT_TRUE(detail.SetQuote(Quote("m2703-C-3000", 105, 100), 2));
  EXPECT_FALSE(detail.SetQuote(Quote("m2703-P-3000", 7, 100), 2));
  EXPECT_EQ(Field(detail, "最新价").text, "105.00");
}

TEST(OptionDetail, TheSideComesFromTheSeriesLetterOrElseFromTheCode) {
  OptionDetail detail;
  detail.SetContract("m2703-P-3000");
  EXPECT_EQ(detail.SideText(), "  看跌  ");
  detail.SetContract("m2703-C-3000");
  EXPECT_EQ(detail.SideText(), "  看涨  ");
  // Codes without the dashes still name their side.
  detail.SetContract("cu2702P76000", "P");
  EXPECT_EQ(detail.SideText(), "  看跌  ");
  detail.SetContract("IF2612");
  EXPECT_EQ(detail.SideText(), "");
}

}  // namespace
