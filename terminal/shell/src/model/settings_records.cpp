#include "shell/settings_records.h"

#include <cstring>

#include "platform/little_endian.h"

namespace shell::trader_server {
namespace {

// Offsets in the 128-byte row, and so in its `more` bytes from byte 34 on.
constexpr std::size_t kMoreStart = 34;
constexpr std::size_t kInUse = 34 - kMoreStart;
constexpr std::size_t kName = 35 - kMoreStart;
constexpr std::size_t kLoad = 104 - kMoreStart;
constexpr std::size_t kPing = 112 - kMoreStart;
constexpr std::size_t kComposite = 120 - kMoreStart;
static_assert(offsetof(TraderServerRecord, more) == kMoreStart);
static_assert(kComposite + 8 == sizeof(TraderServerRecord::more));

double LoadDouble(const unsigned char* at) {
  const std::uint64_t bits = platform::LoadLittleEndian<std::uint64_t>(at);
  double value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

void StoreDouble(unsigned char* at, double value) {
  std::uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  platform::StoreLittleEndian(at, bits);
}

}  // namespace

bool InUse(const TraderServerRecord& row) { return row.more[kInUse] != 0; }
void SetInUse(TraderServerRecord& row, bool inUse) { row.more[kInUse] = inUse ? 1 : 0; }

std::string_view Name(const TraderServerRecord& row) {
  const char* name = reinterpret_cast<const char*>(row.more + kName);
  return {name, strnlen(name, kNameSize)};
}

void SetName(TraderServerRecord& row, std::string_view name) {
  const std::size_t length = platform::GbkFitLength(name, kNameSize - 1);
  std::memset(row.more + kName, 0, kNameSize);
  std::memcpy(row.more + kName, name.data(), length);
}

double Load(const TraderServerRecord& row) { return LoadDouble(row.more + kLoad); }
void SetLoad(TraderServerRecord& row, double value) { StoreDouble(row.more + kLoad, value); }

std::int32_t Ping(const TraderServerRecord& row) {
  return static_cast<std::int32_t>(platform::LoadLittleEndian<std::uint32_t>(row.more + kPing));
}
void SetPing(TraderServerRecord& row, std::int32_t value) {
  platform::StoreLittleEndian(row.more + kPing, static_cast<std::uint32_t>(value));
}

double Composite(const TraderServerRecord& row) { return LoadDouble(row.more + kComposite); }
void SetComposite(TraderServerRecord& row, double value) { StoreDouble(row.more + kComposite, value); }

int FindTraderServer(const std::vector<TraderServerRecord>& rows, std::string_view name) {
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (Name(rows[i]) == name) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace shell::trader_server

namespace shell {

const VoiceItem* FindVoiceItem(const VoiceSettings& voice, int eventId) {
  for (const VoiceItem& item : voice.items) {
    if (item.eventId == eventId) return &item;
  }
  return nullptr;
}

}  // namespace shell
