// Opening a TCP connection to one of the servers of a connect record.
#pragma once

#include <chrono>

#include "middleware/Halvost.h"

namespace halvost {

// Tries the server places of `record` in order; the connected socket, or -1
// when none accepted within `timeout` each.
int ConnectToFirstServer(const HalvostConnectRecord& record, std::chrono::milliseconds timeout);

}  // namespace halvost
