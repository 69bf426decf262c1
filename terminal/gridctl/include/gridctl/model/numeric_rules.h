// The rules of the order panels' numeric and price edits: what a text is
// worth, how the spin steps it, which keystrokes may change it, and how a
// held spin button repeats. Lots are whole numbers of digits only; prices
// are digits with at most one decimal point, as many decimals as the price
// tick has.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace gridctl {

// The bounds the order panels give their spins: lots 1 to 99999, prices
// from 0 to a bound above every real price.
inline constexpr double kLotsLower = 1;
inline constexpr double kLotsUpper = 99999;
inline constexpr double kPriceLower = 0;
inline constexpr double kPriceUpper = 99999999;

// A lot count: one or more digits and nothing else.
std::optional<long> ParseLots(std::string_view text);
// A price: digits with at most one decimal point and at least one digit,
// nothing else.
std::optional<double> ParsePrice(std::string_view text);

struct NumericBounds {
  double lower = 0;
  double upper = 0;  // 0: no limit on the digits typed
  double step = 1.0;
  bool realNumbers = false;
};

// The text after one step up (+1) or down (-1): the value moves by the step
// when it stays within the bounds, and is written again either way (a text
// that is no number counts as 0). Nothing for a step of 0.
std::optional<std::string> SteppedText(std::string_view text, const NumericBounds& bounds, int direction);

// The decimals a price may have: those of the tick, or no limit (nothing)
// for a tick too small to show in six decimals.
std::optional<int> AllowedDecimals(double tick);

// An edit's text and selection when a key comes.
struct EditState {
  std::string text;
  int selectionStart = 0;
  int selectionEnd = 0;
};

// Whether a numeric edit takes a typed character (printable; backspace and
// keys without a character always pass). An edit without an upper bound
// takes everything; with one, a whole-number edit takes digits only and a
// real-number edit digits and one point, digits only while the whole
// number stays within the digits of the upper bound.
bool NumericEditTakes(char typed, const EditState& state, const NumericBounds& bounds);
// A price edit: digits within the tick's decimals and the upper bound's
// whole digits, one point (not first, not in a whole-number edit), nothing
// else.
bool PriceEditTakes(char typed, const EditState& state, const NumericBounds& bounds, std::optional<int> decimals);

// The repeat of a held spin button, on a 30 ms tick: the first step at the
// first tick, then after 8, 4, 2 ticks, then at every tick until release.
class SpinRepeat {
 public:
  // +1 for a press in the upper half, -1 in the lower.
  static int DirectionOf(int y, int height) { return y > height / 2 ? -1 : 1; }
  void Press(int direction);
  void Release() { direction_ = 0; }
  // The direction to step at this tick, or 0.
  int Tick();
  int Direction() const { return direction_; }

 private:
  int direction_ = 0;
  int counter_ = 0;
  int ticksPerStep_ = 16;
};

}  // namespace gridctl
