// The data records of the settings areas: what the panels, bars, views and
// the main frame read directly, and what only the areas write. No toolkit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "backend/field_text.h"
#include "client/order_settings.h"
#include "client/server_settings.h"

namespace shell {

// A trading gateway row of the settings (client::GatewayRow, 128 bytes): the
// log-ins read the address and port; the settings also keep, in the row's
// further bytes, the in-use flag (byte 34), the server name (35, 64 bytes),
// the load percentage (double at 104), the ping in milliseconds (int at 112)
// and the composite value (double at 120).
using TraderServerRecord = client::GatewayRow;
using TraderServerSettings = client::TraderServerConfigData;

namespace trader_server {
inline constexpr std::size_t kNameSize = 64;
bool InUse(const TraderServerRecord& row);
void SetInUse(TraderServerRecord& row, bool inUse);
std::string_view Name(const TraderServerRecord& row);
// Cut to 63 bytes on a character boundary.
void SetName(TraderServerRecord& row, std::string_view name);
double Load(const TraderServerRecord& row);
void SetLoad(TraderServerRecord& row, double value);
std::int32_t Ping(const TraderServerRecord& row);
void SetPing(TraderServerRecord& row, std::int32_t value);
double Composite(const TraderServerRecord& row);
void SetComposite(TraderServerRecord& row, double value);

// The first row whose name equals `name` exactly, or -1.
int FindTraderServer(const std::vector<TraderServerRecord>& rows, std::string_view name);
}  // namespace trader_server

// The proxy: the part the log-ins read, and the verify-user flag.
struct ProxySettings {
  client::ProxyServerConfigData server;
  bool verifyUser = false;
};

struct HotKeySettings {
  std::uint16_t virtualKey = 0;
  std::uint8_t modifiers = 0;  // 1 Alt, 2 Ctrl, 4 Shift
  std::uint8_t use = 0;
  char text[64] = {};
};

// 588 bytes, the id first (client::FindVoiceItem reads the items packed).
struct VoiceItem {
  std::int32_t eventId = 0;
  char eventName[64] = {};
  char soundFile[260] = {};
  char defaultFile[260] = {};
};
static_assert(sizeof(VoiceItem) == 588);

struct VoiceSettings {
  std::int32_t voiceType = 0;  // 0 none, 1 beep, 2 sound file
  std::vector<VoiceItem> items;
};

// The item of an event id, or null.
const VoiceItem* FindVoiceItem(const VoiceSettings& voice, int eventId);

// The remembered values of the login dialog (settings "LoginSet").
struct LoginSettings {
  std::uint8_t saveUser = 0;
  std::uint8_t autoSelectServer = 0;
  char saveUserName[64] = {};
  char loginType[32] = {};
  char serverSet[32] = {};
  std::uint8_t autoCheckIn = 0;
};

// Copies text into a fixed field, cut on a character boundary and
// terminated.
template <std::size_t N>
void SetField(char (&field)[N], std::string_view text);
using backend::FieldText;

}  // namespace shell

#include "shell/settings_records_inl.h"
