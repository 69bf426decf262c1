// A back end with the demo account logged in, and the helpers that check the
// answers of the terminal engine's downloads.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "server_fixture.h"

namespace simbackend_test {

// A status line and the rows fetched after it.
struct Reply {
  std::string status;
  std::vector<std::string> rows;
};

class DownloadTest : public ServerFixture {
 protected:
  void SetUp() override {
    ServerFixture::SetUp();
    demo_ = LoggedIn("10001", "111111");
  }

  // The one-line answer of `function` with `parameters` for the customer
  // logged in on `client`.
  static std::string Call(RawClient& client, int function, const std::vector<std::string>& parameters,
                          const std::string& customer, const std::string& password) {
    return client.Call(RequestText(2, function, customer, password, parameters));
  }
  std::string CallDemo(int function, const std::vector<std::string>& parameters) {
    return Call(*demo_, function, parameters, "10001", "111111");
  }

  // The multi-row answer of `function` with `parameters` for the customer
  // logged in on `client`.
  static Reply Query(RawClient& client, int function, const std::vector<std::string>& parameters,
                     const std::string& customer, const std::string& password) {
    Reply reply;
    reply.status = client.Call(RequestText(2, function, customer, password, parameters));
    reply.rows = FetchRows(client, 2, reply.status);
    return reply;
  }
  Reply QueryDemo(int function, const std::vector<std::string>& parameters) {
    return Query(*demo_, function, parameters, "10001", "111111");
  }

  std::unique_ptr<RawClient> demo_;
};

}  // namespace simbackend_test
