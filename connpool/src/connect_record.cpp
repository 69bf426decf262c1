#include "connect_record.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "text.h"

namespace connpool {
namespace {

// Proxy modes of the connect record.
constexpr std::int32_t kNoProxy = 0;
constexpr std::int32_t kProxyWithoutUser = 2;
constexpr std::int32_t kProxyWithUser = 3;

// A text field of the host's record, which need not hold its terminator.
template <std::size_t N>
std::string_view FieldText(const char (&field)[N]) {
  return std::string_view(field, ::strnlen(field, N));
}

template <std::size_t N>
void CopyText(char (&to)[N], std::string_view text) {
  CopyToField(to, N, text);
}

HalvostConnectRecord WithProxy(const ServerInfo& info) {
  HalvostConnectRecord record{};
  const std::string_view user = FieldText(info.proxyUser);
  if (ReadInt32(info.proxyKind) < 1) {
    record.proxyMode = kNoProxy;
  } else {
    record.proxyMode = user.empty() ? kProxyWithoutUser : kProxyWithUser;
  }
  CopyText(record.proxyHost, FieldText(info.proxyHost));
  record.proxyPort = ReadInt32(info.proxyPort);
  CopyText(record.proxyUser, user);
  CopyText(record.proxyPassword, FieldText(info.proxyPassword));
  return record;
}

void PutServer(HalvostServerPlace& to, const ServerPlace& from) {
  CopyText(to.host, FieldText(from.host));
  to.port = ReadUint16(from.port);
}

}  // namespace

bool IsServerEnabled(const ServerInfo& info, int place) {
  return place >= 0 && place < kServerPlaces && ReadInt32(info.servers[place].enabled) != 0;
}

HalvostConnectRecord ConnectRecord(const ServerInfo& info) {
  HalvostConnectRecord record = WithProxy(info);
  const int inUse = std::clamp(ReadInt32(info.serverCount), 0, kServerPlaces);
  int packed = 0;
  for (int place = 0; place < inUse; ++place) {
    if (IsServerEnabled(info, place)) PutServer(record.servers[packed++], info.servers[place]);
  }
  return record;
}

HalvostConnectRecord TestRecord(const ServerInfo& info, int place) {
  HalvostConnectRecord record = WithProxy(info);
  if (place >= 0 && place < kServerPlaces) PutServer(record.servers[0], info.servers[place]);
  return record;
}

}  // namespace connpool
