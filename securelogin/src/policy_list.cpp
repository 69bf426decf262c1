#include "policy_list.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "platform/gbk.h"

namespace gatelin {
namespace {

void PutInt32(unsigned char* at, std::int32_t value) {
  const auto bits = static_cast<std::uint32_t>(value);
  for (int i = 0; i < 4; ++i) at[i] = static_cast<unsigned char>(bits >> (8 * i));
}

void PutName(unsigned char* at, std::string_view name) {
  const std::size_t length = platform::GbkFitLength(name, kPolicyEntryNameSize - 1);
  std::memcpy(at, name.data(), length);
}

}  // namespace

void WritePolicyList(const SupplierManager& suppliers, unsigned char* list) {
  std::memset(list, 0, GTN_POLICY_LIST_SIZE);
  const int count = std::min(suppliers.PolicyCount(), GTN_POLICY_LIST_CAPACITY);
  PutInt32(list, count);
  for (int i = 0; i < count; ++i) {
    unsigned char* entry = list + 4 + static_cast<std::size_t>(i) * GTN_POLICY_ENTRY_SIZE;
    const int policy = i + 1;
    if (const auto found = suppliers.Entry(policy)) {
      PutInt32(entry + kPolicyEntryKindOffset, found->kindId);
      PutInt32(entry + kPolicyEntrySupplierNumberOffset, found->supplierNumber);
      PutName(entry + kPolicyEntryNameOffset, found->displayName);
    }
    PutInt32(entry + kPolicyEntryNumberOffset, policy);
  }
}

}  // namespace gatelin
