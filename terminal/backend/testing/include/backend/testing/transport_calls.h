// Calls into the terminal's transport for tests that run it over loopback
// sockets: requests on another thread, the result queue read within a bound,
// and connect blocks for a local server.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <future>
#include <string>
#include <vector>

#include "backend/account_table.h"
#include "backend/request_record.h"
#include "backend/testing/request_texts.h"
#include "portal/Orvanet.h"

namespace backend_testing {

// Bounds every wait of a test, and stays below the portal's answer time-out
// (15 s): a request that ends within it was ended by the transport, not by
// the time-out.
inline constexpr std::chrono::seconds kBound{10};

// How a request executed on another thread ended.
struct Outcome {
  bool ok = false;
  std::string message;
};

// Executes the request on a thread of its own. Between this call and Await()
// a test checks with EXPECT only: returning early would leave the future's
// destructor waiting for the call.
std::future<Outcome> ExecuteOnAnotherThread(backend::RequestRecord& record);

// The outcome of a call on another thread within the bound; past it the
// slots are closed, which ends every waiting call, and the test fails.
Outcome Await(std::future<Outcome>& pending);

// The next `count` records of the result queue, or as many as came within
// the bound.
std::vector<backend::RequestPtr> TakeResults(std::size_t count);

// The next record of the result queue; null when none came within the bound.
backend::RequestPtr NextResult();

// After its slot was closed: the call that waited on the slot and the one
// request queued behind it both ended as lost connections. Wrap the call in
// ASSERT_NO_FATAL_FAILURE: a missing queued request ends the check.
void ExpectWaitingAndQueuedRequestLost(std::future<Outcome>& pending);

// A connect block for `slot` to a server on this machine's loopback address.
OV_ConnectBlock LoopbackConnectBlock(int slot, std::uint16_t port);

// Logs an account in on `slot` of the back end listening on `port` and
// enters it, with what its log-in answer tells, in `accounts`; false, with
// the reason in `error`, when the log-in fails.
bool LogIn(backend::AccountTable& accounts, std::uint16_t port, int slot, const LoginFields& login, std::string& error);

// Logs `customer` in as a trader on slot 0, numbered as the terminal numbers
// its requests.
bool LogInTrader(backend::AccountTable& accounts, std::uint16_t port, const char* customer, const char* password,
                 std::string& error);

}  // namespace backend_testing
