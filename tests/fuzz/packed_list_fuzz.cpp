// The connection pool's packed lists under arbitrary sequences of changes,
// checked against a plain model of their entries, and the receive path that
// fills them from answers and pushed data.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <vector>

#include "answer_text.h"
#include "connpool/packed_list.h"
#include "fuzz_support.h"

namespace {

using connpool::PackedList;

// What an entry should hold; a child entry is checked by its entry count.
struct ModelEntry {
  std::uint8_t type;
  std::string value;
  int childCount = 0;
};

std::span<const std::byte> Bytes(const std::string& text) {
  return {reinterpret_cast<const std::byte*>(text.data()), text.size()};
}

// Any type but that of a child entry, whose value the list takes for the
// address of a block it owns.
std::uint8_t PlainType(FuzzedDataProvider& input) {
  const auto type = input.ConsumeIntegral<std::uint8_t>();
  return type == connpool::kChildListEntry ? connpool::kBinaryEntry : type;
}

void CheckAgainst(const PackedList& list, const std::vector<ModelEntry>& model) {
  fuzz::Check(list.Count() == static_cast<int>(model.size()), "the list counts its entries");
  for (std::size_t index = 0; index < model.size(); ++index) {
    const int at = static_cast<int>(index);
    const ModelEntry& entry = model[index];
    if (entry.type == connpool::kChildListEntry) {
      PackedList child(PackedList::CloneBlock(list.ChildAt(at)));
      fuzz::Check(child.Count() == entry.childCount, "a child list keeps its entries");
      continue;
    }
    const std::span<const std::byte> value = list.ValueAt(at);
    fuzz::Check(value.size() == entry.value.size() && std::memcmp(value.data(), entry.value.data(), value.size()) == 0,
                "a value reads back");
    fuzz::Check(list.ChildAt(at) == nullptr, "a plain entry holds no child");
  }
  fuzz::Check(list.ValueAt(-1).data() == nullptr && list.ValueAt(static_cast<int>(model.size())).data() == nullptr,
              "no value outside the list");
}

void Change(PackedList& list, std::vector<ModelEntry>& model, FuzzedDataProvider& input) {
  const int count = static_cast<int>(model.size());
  switch (input.ConsumeIntegralInRange(0, 6)) {
    case 0: {
      const std::string text = input.ConsumeRandomLengthString(64);
      if (list.AddText(text)) model.push_back({connpool::kTextEntry, text + '\0'});
      break;
    }
    case 1: {
      const std::string value = input.ConsumeRandomLengthString(300);
      const std::string name = input.ConsumeRandomLengthString(40);
      const std::uint8_t type = PlainType(input);
      if (list.AddEntry(Bytes(value), name, type, 0)) model.push_back({type, value});
      break;
    }
    case 2: {
      const int position = input.ConsumeIntegralInRange(-1, count + 1);
      const std::string value = input.ConsumeRandomLengthString(64);
      const std::uint8_t type = PlainType(input);
      if (list.InsertEntry(position, Bytes(value), "", type, 0)) {
        const auto at = static_cast<std::size_t>(std::clamp(position, 0, count));
        model.insert(model.begin() + static_cast<std::ptrdiff_t>(at), ModelEntry{type, value});
      }
      break;
    }
    case 3: {
      const int index = input.ConsumeIntegralInRange(-1, count);
      fuzz::Check(list.RemoveAt(index) == (index >= 0 && index < count), "an entry that is there is removed");
      if (index >= 0 && index < count) model.erase(model.begin() + index);
      break;
    }
    case 4: {
      PackedList child;
      const int texts = input.ConsumeIntegralInRange(1, 3);
      for (int k = 0; k < texts; ++k) child.AddText(input.ConsumeRandomLengthString(16));
      const int childCount = child.Count();
      if (list.AddChildList(child)) {
        fuzz::Check(child.Block() == nullptr, "a child moved into the list leaves its handle");
        model.push_back({connpool::kChildListEntry, {}, childCount});
      }
      break;
    }
    case 5: {
      PackedList copy(PackedList::CloneBlock(list.Block()));
      CheckAgainst(copy, model);
      break;
    }
    default: {
      PackedList other;
      other.AddInt32(input.ConsumeIntegral<std::int32_t>());
      if (list.AppendListAsValue(other)) {
        const std::span<const std::byte> block = list.ValueAt(count);
        model.push_back(
            {connpool::kBinaryEntry, std::string(reinterpret_cast<const char*>(block.data()), block.size())});
      }
      break;
    }
  }
}

void Receive(const std::string& answer, int n) {
  connpool::AnswerField(answer, n);
  PackedList packet;
  if (connpool::AppendFields(answer, n, packet)) {
    for (int index = 0; index < packet.Count(); ++index) {
      fuzz::Check(packet.TextAt(index).size() < packet.ValueAt(index).size(), "a field text stays in its value");
    }
  }
  const std::vector<char> pushed(answer.begin(), answer.end());
  for (std::string_view line : connpool::PushLines(pushed.data(), static_cast<int>(pushed.size()))) {
    fuzz::Check(
        !line.empty() && line.data() >= pushed.data() && line.data() + line.size() <= pushed.data() + pushed.size(),
        "a pushed line lies within the data");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  if (input.ConsumeBool()) {
    const int n = input.ConsumeIntegralInRange(-1, 20);
    Receive(input.ConsumeRemainingBytesAsString(), n);
    return 0;
  }
  PackedList list;
  std::vector<ModelEntry> model;
  for (int step = 0; step < 64 && input.remaining_bytes() > 0; ++step) {
    Change(list, model, input);
    CheckAgainst(list, model);
  }
  return 0;
}
