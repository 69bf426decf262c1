// Packed record lists read from arbitrary bytes, as a list nested in another
// list's value or handed over by pointer is read: every value read lies
// inside the bytes, and a list cloned from them keeps working as a list.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "backend/cx_data_set.h"
#include "fuzz_support.h"

namespace {

// Entries read from one list; enough to reach every path, few enough that
// a stated count of four billion does not stall the run.
constexpr std::uint32_t kMaxEntriesRead = 512;

bool Inside(std::span<const std::uint8_t> part, std::span<const std::uint8_t> whole) {
  return part.data() >= whole.data() && part.data() + part.size() <= whole.data() + whole.size();
}

// Reads every entry of the list (and of the lists nested in its values, to
// `depth` levels); each value must lie within the list's bytes.
void ReadList(const backend::CxDataSetView& list, std::span<const std::uint8_t> bytes, int depth) {
  fuzz::Check(!list.HasBlock() || Inside(list.Bytes(), bytes), "a list lies within its bytes");
  const std::uint32_t count = std::min(list.GetCount(), kMaxEntriesRead);
  for (std::uint32_t index = 0; index < count; ++index) {
    const std::span<const std::uint8_t> value = list.GetValue(index);
    if (value.data() == nullptr) continue;
    fuzz::Check(Inside(value, list.Bytes()), "a value lies within its list");
    std::vector<std::uint8_t> copy(value.size());
    fuzz::Check(list.GetData(index, copy.size(), copy.data()) == value.size(), "a value copies whole");
    if (depth > 0) ReadList(backend::CxDataSetView(value), value, depth - 1);
  }
}

// Changes a clone of the list and reads it back after each change.
void EditClone(const backend::CxDataSetView& list, FuzzedDataProvider& input) {
  backend::CxDataSet clone = backend::CxDataSet::CloneBlock(list);
  if (clone.Block() == nullptr) return;
  fuzz::Check(clone.GetCount() == list.GetCount(), "a clone has the entries of its list");
  for (int step = 0; step < 4 && input.remaining_bytes() > 0; ++step) {
    const std::uint32_t before = clone.GetCount();
    switch (input.ConsumeIntegralInRange(0, 2)) {
      case 0: {
        const std::string text = input.ConsumeRandomLengthString(64);
        if (clone.AddText(text)) {
          fuzz::Check(clone.GetCount() == before + 1, "an added text counts");
          const std::span<const std::uint8_t> value = clone.GetValue(before);
          fuzz::Check(value.size() == text.size() + 1 &&
                          std::equal(text.begin(), text.end(), reinterpret_cast<const char*>(value.data())),
                      "an added text reads back");
        }
        break;
      }
      case 1: {
        const std::size_t index = input.ConsumeIntegralInRange<std::size_t>(0, before);
        fuzz::Check(clone.RemoveEntry(index) == (index < before), "an entry that is there is removed");
        if (index < before) fuzz::Check(clone.GetCount() == before - 1, "a removed entry is gone");
        break;
      }
      default: {
        std::array<std::uint8_t, backend::CxDataSet::kItemSize> item{};
        item[0] = input.ConsumeIntegral<std::uint8_t>();
        if (clone.InsertItem(input.ConsumeIntegralInRange<std::size_t>(0, before + 1), item)) {
          fuzz::Check(clone.GetCount() == before + 1, "an inserted item counts");
        }
        break;
      }
    }
    ReadList(clone.View(), clone.View().Bytes(), 0);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // A copy of exactly the input's size, so that a read past it is seen.
  const std::vector<std::uint8_t> bytes(data, data + size);
  const backend::CxDataSetView list(bytes);
  ReadList(list, bytes, 2);
  // The edits take their choices from the same bytes.
  FuzzedDataProvider input(data, size);
  EditClone(list, input);
  return 0;
}
