// The values of the option detail panel (the model of COptionDetailDlg):
// one option's code, whether it is a call or a put, and sixteen labelled
// values of its quote, each a CField that knows its kind, its decimals and
// whether it rose or fell. No toolkit.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "backend/quote_record.h"

namespace marketviews {

// The kinds of value a field shows, by the quote field they come from.
namespace field_kind {
inline constexpr int kLast = 0;
inline constexpr int kOpen = 1;
inline constexpr int kChange = 6;
inline constexpr int kChangeRatio = 7;
inline constexpr int kHigh = 8;
inline constexpr int kLow = 9;
inline constexpr int kUpperLimit = 10;
inline constexpr int kLowerLimit = 11;
inline constexpr int kVolume = 12;
inline constexpr int kTurnover = 13;
inline constexpr int kPreviousClose = 14;
inline constexpr int kClose = 15;
inline constexpr int kPreSettlement = 16;
inline constexpr int kSettlement = 17;
inline constexpr int kOpenInterest = 18;
inline constexpr int kPreviousOpenInterest = 19;
}  // namespace field_kind

class CField {
 public:
  enum State { kFlat = 0, kUp = 1, kDown = 2 };

  explicit CField(int kind = field_kind::kLast) : kind_(kind) {}
  virtual ~CField() = default;

  int Kind() const { return kind_; }
  double Value() const { return value_; }
  State Rise() const { return state_; }
  int Decimals() const { return decimals_; }
  void SetDecimals(int decimals) { decimals_ = decimals; }
  // Takes its value (and, for the kinds that have one, its state) from the
  // quote.
  void Fill(const backend::QuoteRecord& quote);
  // What the field shows: "-" for a value of (nearly) 0, a whole number for
  // the volumes and the open interests, else the value with its decimals
  // ("%" after the change ratio, shown in per cent).
  std::string Text() const;
  // The colour of the text (0x00BBGGRR): that of its state for a price.
  std::uint32_t Colour() const;

  std::uint32_t background = 0xFFFFFF;
  std::uint32_t up = 255;
  std::uint32_t down = 65280;
  std::uint32_t normal = 0;

 private:
  bool IsWholeNumber() const;

  int kind_;
  double value_ = 0;
  State state_ = kFlat;
  int decimals_ = 0;
};

struct DetailField {
  const char* label;
  CField field;
};

class OptionDetail {
 public:
  static constexpr int kFieldCount = 16;

  OptionDetail();

  const std::string& Contract() const { return contract_; }
  // The option shown and its side ("C" or "P"; empty: read from the code).
  void SetContract(std::string code, std::string_view letter = {});
  // "  看涨  " for a call, "  看跌  " for a put, else empty.
  std::string_view SideText() const;
  // Takes the quote of the contract shown with prices of `decimals`
  // decimals; false, nothing changed, for a quote of another contract.
  bool SetQuote(const backend::QuoteRecord& quote, int decimals);

  const std::array<DetailField, kFieldCount>& Fields() const { return fields_; }

 private:
  std::string contract_;
  std::string letter_;
  std::array<DetailField, kFieldCount> fields_;
};

}  // namespace marketviews
