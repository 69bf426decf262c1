// The policy list of GTN_GetGTNpolicyList as its fixed little-endian layout.
#pragma once

#include "securelogin/bnGatelin.h"
#include "supplier_manager.h"

namespace gatelin {

inline constexpr std::size_t kPolicyEntryKindOffset = 0;
inline constexpr std::size_t kPolicyEntrySupplierNumberOffset = 4;
inline constexpr std::size_t kPolicyEntryNameOffset = 8;
inline constexpr std::size_t kPolicyEntryNameSize = 128;
inline constexpr std::size_t kPolicyEntryNumberOffset = 136;
static_assert(kPolicyEntryNumberOffset + 4 == GTN_POLICY_ENTRY_SIZE);
static_assert(4 + GTN_POLICY_LIST_CAPACITY * GTN_POLICY_ENTRY_SIZE == GTN_POLICY_LIST_SIZE);

// Fills `list` (GTN_POLICY_LIST_SIZE bytes): entry i describes policy number
// i + 1; policies past the capacity are left out of the list and the count.
void WritePolicyList(const SupplierManager& suppliers, unsigned char* list);

}  // namespace gatelin
