#include "gatelin_settings.h"

#include <charconv>
#include <optional>

#include "delimited_field.h"
#include "ini_section.h"

namespace gatelin {
namespace {

std::optional<int> ParseNumber(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

int NumberPart(std::string_view value, int part) { return ParseNumber(FieldOrEmpty(value, part, ',')).value_or(0); }

template <typename Record, typename Fill>
std::vector<Record> ReadRecords(const std::string& path, std::string_view section, Fill fill) {
  std::vector<Record> records;
  for (const auto& [key, value] : ReadIniSection(path, section)) {
    const auto id = ParseNumber(key);
    if (!id) continue;
    records.push_back(fill(*id, value));
  }
  return records;
}

template <typename Record>
const Record* FindById(const std::vector<Record>& records, int id) {
  for (const Record& record : records) {
    if (record.id == id) return &record;
  }
  return nullptr;
}

}  // namespace

std::uint32_t PolicyMask(int id) {
  if (id < 1) return 0;
  return std::uint32_t{1} << ((id - 1) % 32);
}

GatelinSettings LoadGatelinSettings(const std::string& path) {
  GatelinSettings settings;
  settings.policies = ReadRecords<SafePolicyRecord>(path, "SafePolicy", [](int id, const std::string& value) {
    return SafePolicyRecord{id, PolicyMask(id), value};
  });
  settings.suppliers = ReadRecords<SafeSupplierRecord>(path, "SafeSupplier", [](int id, const std::string& value) {
    return SafeSupplierRecord{id, 0, NumberPart(value, 2), FieldOrEmpty(value, 1, ','), FieldOrEmpty(value, 0, ',')};
  });
  settings.supplierPolicies =
      ReadRecords<SupplierPolicyRecord>(path, "SupplierPolicy", [&](int number, const std::string& value) {
        SupplierPolicyRecord record{number, NumberPart(value, 1), NumberPart(value, 0), {}};
        if (const auto* supplier = FindById(settings.suppliers, record.supplierId))
          record.displayName += supplier->name;
        if (const auto* kind = FindById(settings.policies, record.kindId)) record.displayName += kind->name;
        return record;
      });
  return settings;
}

}  // namespace gatelin
