// A bare client of the back end for the tests: frames straight on a socket,
// with the request texts that the terminal sends.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "portal/frame.h"

namespace simbackend_test {

// Every wait of the tests is bounded by this.
inline constexpr std::chrono::milliseconds kWait{10000};

inline constexpr const char* kMachineAddress = "00-11-22-33-44-55";
inline constexpr const char* kClientIp = "192.168.1.20";

class RawClient {
 public:
  // `receiveBuffer` not 0: the socket's receive buffer is made that small,
  // so that a client that stops reading soon stalls the server's writes.
  explicit RawClient(std::uint16_t port, int receiveBuffer = 0);
  ~RawClient();
  RawClient(const RawClient&) = delete;
  RawClient& operator=(const RawClient&) = delete;

  bool Connected() const { return descriptor_ >= 0; }

  bool SendBytes(std::string_view bytes);
  // Sends a request frame; its frame sequence number.
  std::uint32_t Send(std::string_view text);
  // The next frame within the time-out; none on time-out or end of stream.
  std::optional<portal::Frame> NextFrame(std::chrono::milliseconds timeout = kWait);
  // The answer to the request sent with `sequence`; other answers and pushes
  // that come first are kept. Empty on time-out.
  std::string AnswerTo(std::uint32_t sequence);
  // Send() and AnswerTo().
  std::string Call(std::string_view text);
  // True when the server ends the connection within the time-out.
  bool WaitClosed();

  // Push texts received so far, in order.
  const std::vector<std::string>& Pushes() const { return pushes_; }
  // The oldest pushed line not taken yet, received so far or within the
  // time-out; answers that come first are kept. None on time-out.
  std::optional<std::string> NextPushLine(std::chrono::milliseconds timeout = kWait);

 private:
  int descriptor_ = -1;
  std::uint32_t nextSequence_ = 1;
  portal::FrameReader reader_;
  bool ended_ = false;
  std::map<std::uint32_t, std::string> answers_;  // kept for a later AnswerTo
  std::vector<std::string> pushes_;
  std::size_t pushesTaken_ = 0;    // push texts split into lines_
  std::deque<std::string> lines_;  // their lines not taken yet
};

// Field n (from 1) of a line, "|" read back from 0x01; empty when absent.
std::string Field(std::string_view line, std::size_t n);
std::size_t FieldCount(std::string_view line);

// The first line whose field `field` is `value`; empty when none.
std::string LineWith(const std::vector<std::string>& lines, std::size_t field, const std::string& value);

struct ExpectedField {
  std::size_t field;
  std::string value;
};
// Expects each field of the line to hold its value.
void ExpectFields(const std::string& line, const std::vector<ExpectedField>& expected);

// A business request: the head, the four leading parameters and `parameters`.
std::string RequestText(int sequence, int function, std::string_view customer, std::string_view password,
                        const std::vector<std::string>& parameters = {});
std::string FollowUpText(int sequence);

// The rows of a multi-row answer whose status line is `status`, fetched one
// by one with follow-ups of `sequence`.
std::vector<std::string> FetchRows(RawClient& client, int sequence, const std::string& status);

// The login texts of the terminal, field by field.
std::string TradingLoginText(int sequence, std::string_view customer, std::string_view password);
std::string ManagementLoginText(int sequence, std::string_view customer, std::string_view password);
std::string SubAccountLoginText(int sequence, std::string_view customer, std::string_view managerPassword,
                                std::string_view manager);
std::string QuoteLoginText(int sequence, std::string_view user, std::string_view password);

}  // namespace simbackend_test
