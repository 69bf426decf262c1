// The engine's settings file "Gatelin.ini": the kinds of secure login
// ([SafePolicy]), the authentication suppliers ([SafeSupplier]) and which
// supplier serves which policy number ([SupplierPolicy]).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace gatelin {

inline constexpr const char* kSettingsFileName = "Gatelin.ini";

struct SafePolicyRecord {
  int id = 0;              // the kind: 1 password, 2 certificate
  std::uint32_t mask = 0;  // the kind's bit; 0 for an id below 1
  std::string name;
};

struct SafeSupplierRecord {
  int id = 0;
  int capabilityMask = 0;  // not kept in the file
  int number = 0;
  std::string appId;  // names the plug-in's folder and file
  std::string name;
};

struct SupplierPolicyRecord {
  int policyNumber = 0;
  int kindId = 0;
  int supplierId = 0;
  std::string displayName;  // the supplier's name, then the kind's name
};

struct GatelinSettings {
  std::vector<SafePolicyRecord> policies;
  std::vector<SafeSupplierRecord> suppliers;
  std::vector<SupplierPolicyRecord> supplierPolicies;
};

// Reads the three sections of the file at `path`. A missing file or section
// gives empty lists; an entry whose key is not a number is passed over; a
// missing or malformed number in a value counts as 0.
GatelinSettings LoadGatelinSettings(const std::string& path);

// The kind's bit: 1 shifted left by (id - 1) mod 32, or 0 for an id below 1.
std::uint32_t PolicyMask(int id);

}  // namespace gatelin
