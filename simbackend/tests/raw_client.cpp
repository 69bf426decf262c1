#include "raw_client.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>

#include "simbackend/field_line.h"

namespace simbackend_test {
namespace {

using Clock = std::chrono::steady_clock;

std::vector<std::string> LoginFields(int sequence, std::string_view customer, std::string_view password) {
  // "R|addr|seq|5001||Pellora|customer|password|ip|1|1||20091204|version|||||||1||||||||"
  std::vector<std::string> fields(28);
  fields[0] = "R";
  fields[1] = kMachineAddress;
  fields[2] = std::to_string(sequence);
  fields[3] = "5001";
  fields[5] = "Pellora";
  fields[6] = customer;
  fields[7] = password;
  fields[8] = kClientIp;
  fields[9] = "1";
  fields[10] = "1";
  fields[12] = "20091204";
  fields[13] = "1.0.0.1";
  fields[20] = "1";
  return fields;
}

std::string Joined(const std::vector<std::string>& fields) { return simbackend::FieldLine().AddAll(fields).Text(); }

}  // namespace

RawClient::RawClient(std::uint16_t port, int receiveBuffer) {
  const int descriptor = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  // Set before the connect, so that the window offered to the server is small from the start.
  if (descriptor >= 0 && receiveBuffer > 0)
    ::setsockopt(descriptor, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(port);
  if (descriptor >= 0 && ::connect(descriptor, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0)
    descriptor_ = descriptor;
  else if (descriptor >= 0)
    ::close(descriptor);
}

RawClient::~RawClient() {
  if (descriptor_ >= 0) ::close(descriptor_);
}

bool RawClient::SendBytes(std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t sent = ::send(descriptor_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (sent <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(sent));
  }
  return true;
}

std::uint32_t RawClient::Send(std::string_view text) {
  const std::uint32_t sequence = nextSequence_++;
  std::string frame;
  portal::AppendFrame(frame, portal::FrameKind::kRequest, sequence, text);
  SendBytes(frame);
  return sequence;
}

std::optional<portal::Frame> RawClient::NextFrame(std::chrono::milliseconds timeout) {
  const Clock::time_point deadline = Clock::now() + timeout;
  for (;;) {
    portal::DecodeResult next = reader_.Next();
    if (next.status == portal::DecodeStatus::kComplete) return std::move(next.frame);
    if (next.status != portal::DecodeStatus::kIncomplete || ended_) return std::nullopt;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    pollfd entry{.fd = descriptor_, .events = POLLIN, .revents = 0};
    if (left.count() <= 0 || ::poll(&entry, 1, static_cast<int>(left.count())) <= 0) return std::nullopt;
    char buffer[65536];
    const ssize_t received = ::recv(descriptor_, buffer, sizeof buffer, 0);
    if (received <= 0) {
      ended_ = true;
      continue;
    }
    reader_.Append(std::string_view(buffer, static_cast<std::size_t>(received)));
  }
}

std::string RawClient::AnswerTo(std::uint32_t sequence) {
  for (;;) {
    if (const auto kept = answers_.find(sequence); kept != answers_.end()) {
      std::string answer = std::move(kept->second);
      answers_.erase(kept);
      return answer;
    }
    std::optional<portal::Frame> frame = NextFrame();
    if (!frame) return {};
    if (frame->kind == portal::FrameKind::kPush)
      pushes_.push_back(std::move(frame->text));
    else
      answers_[frame->sequence] = std::move(frame->text);
  }
}

std::optional<std::string> RawClient::NextPushLine(std::chrono::milliseconds timeout) {
  const Clock::time_point deadline = Clock::now() + timeout;
  while (lines_.empty()) {
    if (pushesTaken_ < pushes_.size()) {
      for (const std::string_view line : portal::SplitPushLines(pushes_[pushesTaken_++])) lines_.emplace_back(line);
      continue;
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    std::optional<portal::Frame> frame = NextFrame(std::max(left, std::chrono::milliseconds(0)));
    if (!frame) return std::nullopt;
    if (frame->kind == portal::FrameKind::kPush)
      pushes_.push_back(std::move(frame->text));
    else
      answers_[frame->sequence] = std::move(frame->text);
  }
  std::string line = std::move(lines_.front());
  lines_.pop_front();
  return line;
}

std::string RawClient::Call(std::string_view text) { return AnswerTo(Send(text)); }

bool RawClient::WaitClosed() {
  while (NextFrame()) {
  }
  return ended_;
}

std::string Field(std::string_view line, std::size_t n) {
  const std::vector<std::string> fields = simbackend::SplitFields(line);
  return n >= 1 && n <= fields.size() ? fields[n - 1] : std::string();
}

std::size_t FieldCount(std::string_view line) { return simbackend::SplitFields(line).size(); }

std::string LineWith(const std::vector<std::string>& lines, std::size_t field, const std::string& value) {
  for (const std::string& line : lines)
    if (Field(line, field) == value) return line;
  return {};
}

void ExpectFields(const std::string& line, const std::vector<ExpectedField>& expected) {
  for (const ExpectedField& e : expected)
    EXPECT_EQ(Field(line, e.field), e.value) << "field " << e.field << ": " << line;
}

std::string RequestText(int sequence, int function, std::string_view customer, std::string_view password,
                        const std::vector<std::string>& parameters) {
  std::vector<std::string> fields = {"R", kMachineAddress, std::to_string(sequence), std::to_string(function),
                                     "",  "Pellora",       std::string(customer),    std::string(password)};
  fields.insert(fields.end(), parameters.begin(), parameters.end());
  return Joined(fields);
}

std::string FollowUpText(int sequence) { return Joined({"R", kMachineAddress, std::to_string(sequence), "0"}); }

std::vector<std::string> FetchRows(RawClient& client, int sequence, const std::string& status) {
  std::vector<std::string> rows;
  const std::string count = Field(status, 5);
  // A line that is no row count must not make a test wait for millions of rows.
  constexpr int kMaxRows = 5000;
  const bool digits = !count.empty() && count.size() <= 4 && count.find_first_not_of("0123456789") == std::string::npos;
  const int rowCount = Field(status, 4) == "Y" && digits ? std::min(std::stoi(count), kMaxRows) : 0;
  for (int row = 0; row < rowCount; ++row) rows.push_back(client.Call(FollowUpText(sequence)));
  return rows;
}

std::string TradingLoginText(int sequence, std::string_view customer, std::string_view password) {
  return Joined(LoginFields(sequence, customer, password));
}

std::string ManagementLoginText(int sequence, std::string_view customer, std::string_view password) {
  std::vector<std::string> fields = LoginFields(sequence, customer, password);
  fields[26] = "1";
  return Joined(fields);
}

std::string SubAccountLoginText(int sequence, std::string_view customer, std::string_view managerPassword,
                                std::string_view manager) {
  std::vector<std::string> fields = LoginFields(sequence, customer, managerPassword);
  fields[26] = "2";
  fields[27] = manager;
  return Joined(fields);
}

std::string QuoteLoginText(int sequence, std::string_view user, std::string_view password) {
  // "R|addr|seq|5001||Pellora|user|password|ip|||1|20091204|9.0.20110712.1|"
  return Joined({"R", kMachineAddress, std::to_string(sequence), "5001", "", "Pellora", std::string(user),
                 std::string(password), kClientIp, "", "", "1", "20091204", "9.0.20110712.1"});
}

}  // namespace simbackend_test
