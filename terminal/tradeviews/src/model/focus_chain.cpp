#include "tradeviews/model/focus_chain.h"

#include <algorithm>
#include <iterator>

namespace tradeviews {
namespace {

constexpr int kLastPlace = field::kCount - 1;

// The place of a code in the sequence, or -1.
int PlaceOf(const InputSequence& sequence, int code) {
  const auto found = std::find(sequence.begin(), sequence.end(), code);
  return found == sequence.end() ? -1 : static_cast<int>(std::distance(sequence.begin(), found));
}

PanelControl Focusable(PanelControl control, const CanFocus& canFocus) {
  return control != PanelControl::kNone && canFocus(control) ? control : PanelControl::kNone;
}

PanelControl FirstFocusable(std::initializer_list<PanelControl> choices, const CanFocus& canFocus) {
  for (const PanelControl control : choices) {
    if (Focusable(control, canFocus) != PanelControl::kNone) return control;
  }
  return PanelControl::kNone;
}

// The field at a place when it can take the focus.
PanelControl FieldAt(const InputSequence& sequence, int place, const CanFocus& canFocus) {
  return Focusable(ControlOfField(sequence[static_cast<std::size_t>(place)]), canFocus);
}

// Style 1: the fields after a place that can take the focus, then the send
// button.
PanelControl RowFieldAfter(const InputSequence& sequence, int place, const CanFocus& canFocus) {
  for (int next = place + 1; next <= kLastPlace; ++next) {
    if (const PanelControl control = FieldAt(sequence, next, canFocus); control != PanelControl::kNone) return control;
  }
  return Focusable(PanelControl::kSend, canFocus);
}

// Style 1: before the first place the contract edit; else the places before
// it, wrapping from the first to the last.
PanelControl RowFieldBefore(const InputSequence& sequence, int place, const CanFocus& canFocus) {
  if (place <= 0) return PanelControl::kContract;
  for (int step = 1; step < field::kCount; ++step) {
    const int before = (place - step + field::kCount) % field::kCount;
    if (const PanelControl control = FieldAt(sequence, before, canFocus); control != PanelControl::kNone)
      return control;
  }
  return PanelControl::kContract;
}

// Style 1, backwards from the send button: the last place that can take the
// focus, else the contract edit.
PanelControl RowLastField(const InputSequence& sequence, const CanFocus& canFocus) {
  for (int place = kLastPlace; place >= 0; --place) {
    if (const PanelControl control = FieldAt(sequence, place, canFocus); control != PanelControl::kNone) return control;
  }
  return PanelControl::kContract;
}

PanelControl RowNext(const InputSequence& sequence, PanelControl from, const CanFocus& canFocus) {
  switch (from) {
    case PanelControl::kCustomer: return Focusable(PanelControl::kContract, canFocus);
    case PanelControl::kContract: return RowFieldAfter(sequence, -1, canFocus);
    case PanelControl::kSend: return FirstFocusable({PanelControl::kCustomer, PanelControl::kContract}, canFocus);
    default: break;
  }
  const std::optional<int> code = FieldOfControl(from);
  return code ? RowFieldAfter(sequence, PlaceOf(sequence, *code), canFocus) : PanelControl::kNone;
}

PanelControl RowPrevious(const InputSequence& sequence, PanelControl from, const CanFocus& canFocus) {
  switch (from) {
    case PanelControl::kCustomer: return Focusable(PanelControl::kSend, canFocus);
    case PanelControl::kContract: return FirstFocusable({PanelControl::kCustomer, PanelControl::kSend}, canFocus);
    case PanelControl::kSend: return RowLastField(sequence, canFocus);
    default: break;
  }
  const std::optional<int> code = FieldOfControl(from);
  return code ? RowFieldBefore(sequence, PlaceOf(sequence, *code), canFocus) : PanelControl::kNone;
}

// Style 2's fixed chain.
constexpr PanelControl kPropertyChain[] = {
    PanelControl::kCustomer, PanelControl::kContract, PanelControl::kBuySell, PanelControl::kOpenClose,
    PanelControl::kVolume,   PanelControl::kPrice,    PanelControl::kSend,
};

int ChainPlace(PanelControl control) {
  const auto found = std::find(std::begin(kPropertyChain), std::end(kPropertyChain), control);
  return found == std::end(kPropertyChain) ? -1 : static_cast<int>(std::distance(std::begin(kPropertyChain), found));
}

PanelControl PropertyNext(PanelControl from, const CanFocus& canFocus) {
  if (from == PanelControl::kSend) {
    return FirstFocusable({PanelControl::kCustomer, PanelControl::kContract}, canFocus);
  }
  const int place = ChainPlace(from);
  return place < 0 ? PanelControl::kNone : Focusable(kPropertyChain[place + 1], canFocus);
}

PanelControl PropertyPrevious(PanelControl from, const CanFocus& canFocus) {
  if (from == PanelControl::kCustomer) return Focusable(PanelControl::kSend, canFocus);
  if (from == PanelControl::kContract) {
    return FirstFocusable({PanelControl::kCustomer, PanelControl::kSend}, canFocus);
  }
  const int place = ChainPlace(from);
  return place <= 0 ? PanelControl::kNone : Focusable(kPropertyChain[place - 1], canFocus);
}

// Style 4: only codes 0 to 3 are its fields.
PanelControl ClassicField(int code) {
  return code >= field::kBuySell && code <= field::kOpenClose ? ControlOfField(code) : PanelControl::kNone;
}

PanelControl ClassicNextTarget(const InputSequence& sequence, PanelControl from, const CanFocus& canFocus) {
  switch (from) {
    case PanelControl::kCustomer: return PanelControl::kContract;
    case PanelControl::kSend:
      return canFocus(PanelControl::kCustomer) ? PanelControl::kCustomer : PanelControl::kContract;
    case PanelControl::kContract: {
      const PanelControl first = ClassicField(sequence[0]);
      return first == PanelControl::kNone ? PanelControl::kSend : first;
    }
    default: break;
  }
  const std::optional<int> code = FieldOfControl(from);
  if (!code) return PanelControl::kNone;
  const int place = PlaceOf(sequence, *code);
  const PanelControl next = place >= 0 && place < kLastPlace ? ClassicField(sequence[place + 1]) : PanelControl::kNone;
  return next == PanelControl::kNone ? PanelControl::kSend : next;
}

PanelControl ClassicPreviousTarget(const InputSequence& sequence, PanelControl from, const CanFocus& canFocus) {
  switch (from) {
    case PanelControl::kCustomer: return PanelControl::kSend;
    case PanelControl::kContract:
      return canFocus(PanelControl::kCustomer) ? PanelControl::kCustomer : PanelControl::kNone;
    case PanelControl::kSend: {
      const PanelControl last = ClassicField(sequence[kLastPlace]);
      return last == PanelControl::kNone ? PanelControl::kContract : last;
    }
    default: break;
  }
  const std::optional<int> code = FieldOfControl(from);
  if (!code) return PanelControl::kNone;
  const int place = PlaceOf(sequence, *code);
  const PanelControl before = place > 0 ? ClassicField(sequence[place - 1]) : PanelControl::kNone;
  return before == PanelControl::kNone ? PanelControl::kContract : before;
}

}  // namespace

PanelControl NextFocus(PanelStyle style, const InputSequence& sequence, PanelControl from, const CanFocus& canFocus) {
  switch (style) {
    case PanelStyle::kRow: return RowNext(sequence, from, canFocus);
    case PanelStyle::kProperty: return PropertyNext(from, canFocus);
    case PanelStyle::kClassic: return Focusable(ClassicNextTarget(sequence, from, canFocus), canFocus);
  }
  return PanelControl::kNone;
}

PanelControl PreviousFocus(PanelStyle style, const InputSequence& sequence, PanelControl from,
                           const CanFocus& canFocus) {
  switch (style) {
    case PanelStyle::kRow: return RowPrevious(sequence, from, canFocus);
    case PanelStyle::kProperty: return PropertyPrevious(from, canFocus);
    case PanelStyle::kClassic: return Focusable(ClassicPreviousTarget(sequence, from, canFocus), canFocus);
  }
  return PanelControl::kNone;
}

PanelControl FocusAfterOrder(int position) {
  switch (position) {
    case 1: return PanelControl::kBuySell;
    case 2: return PanelControl::kOpenClose;
    case 3: return PanelControl::kVolume;
    case 4: return PanelControl::kPrice;
    default: return PanelControl::kContract;
  }
}

}  // namespace tradeviews
