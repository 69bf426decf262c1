// The ordinals that only the connection-pool library calls: the service's
// life cycle, sends without answer, the local addresses and the server test.
#pragma once

namespace halvost {

// The function of one of these ordinals, or null for any other.
void* PoolProcByOrdinal(int ordinal);

}  // namespace halvost
