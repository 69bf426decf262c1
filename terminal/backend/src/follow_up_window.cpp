#include "follow_up_window.h"

#include <algorithm>
#include <climits>
#include <utility>
#include <vector>

#include "portal/Orvanet.h"

namespace backend {

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
  // Topped up once half of it is answered, in one write: the back end then
  // reads the follow-ups in batches too.
  if (unsent_ == 0 || inFlight_.size() > width_ / 2) return true;
  if (request_.size() > INT_MAX) {
    reply = "请求长" + std::to_string(request_.size()) + "字节，超出可发送的长度！";
    return false;
  }
  const std::size_t count = std::min(unsent_, width_ - inFlight_.size());
  const std::vector<const char*> texts(count, request_.data());
  const std::vector<int> lengths(count, static_cast<int>(request_.size()));
  std::vector<int> sequences(count);
  if (OV_SendOnlyMany(connection_, kFollowUpFunction, &abort_, texts.data(), lengths.data(), static_cast<int>(count),
                      sequences.data(), OV_AppendToString, &reply) != 1) {
    return false;
  }
  inFlight_.insert(inFlight_.end(), sequences.begin(), sequences.end());
  unsent_ -= count;
  return true;
}

}  // namespace backend
