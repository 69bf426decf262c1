// The middleware's connect record made from a host's ServerInfo.
#pragma once

#include "connpool/Linkara.h"
#include "middleware/Halvost.h"

namespace connpool {

inline constexpr int kServerPlaces = 3;

bool IsServerEnabled(const ServerInfo& info, int place);

// The proxy settings and the enabled servers among the first `serverCount`
// places, packed from the first place of the record.
HalvostConnectRecord ConnectRecord(const ServerInfo& info);

// The proxy settings and server place `place` alone, in the record's first
// place (the server test).
HalvostConnectRecord TestRecord(const ServerInfo& info, int place);

}  // namespace connpool
