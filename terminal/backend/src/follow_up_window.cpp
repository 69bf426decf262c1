#include "follow_up_window.h"

#include <algorithm>
#include <climits>
#include <utility>

#include "portal/Orvanet.h"

namespace backend {
namespace {

// Follow-ups name their answer by the sequence number in their text: the
// function number goes to the portal's messages only.
constexpr int kFollowUpFunction = 0;

}  // namespace

FollowUpWindow::FollowUpWindow(int connection, platform::Event& abort, std::string request, std::size_t packets,
                               std::size_t width)
    : connection_(connection),
      abort_(abort),
      request_(std::move(request)),
      unsent_(packets),
      width_(std::max<std::size_t>(width, 1)) {}

FollowUpWindow::~FollowUpWindow() {
  for (const int sequence : inFlight_) OV_Abandon(connection_, sequence);
}

bool FollowUpWindow::Next(std::string& reply) {
  reply.clear();
  if (!Fill(reply)) return false;
  if (inFlight_.empty()) {
    reply = "后续数据包已经取完！";
    return false;
  }
  const int sequence = inFlight_.front();
  inFlight_.pop_front();
  return OV_RecvAnswer(connection_, sequence, &abort_, OV_AppendToString, &reply) == 1;
}

bool FollowUpWindow::Fill(std::string& reply) {
  if (request_.size() > INT_MAX) {
    reply = "请求长" + std::to_string(request_.size()) + "字节，超出可发送的长度！";
    return false;
  }
  for (; unsent_ > 0 && inFlight_.size() < width_; --unsent_) {
    const int sequence = OV_SendOnly(connection_, kFollowUpFunction, &abort_, request_.data(),
                                     static_cast<int>(request_.size()), OV_AppendToString, &reply);
    if (sequence == 0) return false;
    inFlight_.push_back(sequence);
  }
  return true;
}

}  // namespace backend
