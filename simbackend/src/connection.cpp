#include "connection.h"

#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

namespace simbackend {
namespace {

constexpr std::size_t kReadChunk = 64 * 1024;

}  // namespace

Connection::Connection(std::uint64_t id, int descriptor, std::string peer)
    : id_(id), descriptor_(descriptor), peer_(std::move(peer)) {}

Connection::~Connection() {
  Join();
  ::close(descriptor_);
}

void Connection::Start(RequestHandler onRequest, ClosedHandler onClosed) {
  reader_.Start([this, onRequest = std::move(onRequest), onClosed = std::move(onClosed)](platform::Event& stop) {
    Read(stop, onRequest, onClosed);
  });
}

bool Connection::Send(std::string_view frames) {
  std::lock_guard lock(writeMutex_);
  while (!frames.empty()) {
    const ssize_t sent = ::send(descriptor_, frames.data(), frames.size(), MSG_NOSIGNAL);
    if (sent < 0 && errno == EINTR) continue;
    if (sent <= 0) {
      // Part of a frame may have gone out: the stream cannot be trusted.
      Shutdown();
      return false;
    }
    frames.remove_prefix(static_cast<std::size_t>(sent));
  }
  return true;
}

void Connection::Shutdown() {
  shutDown_.store(true);
  ::shutdown(descriptor_, SHUT_RDWR);
}

void Connection::Join() {
  Shutdown();
  reader_.Stop();
}

Session Connection::CurrentSession() const {
  std::lock_guard lock(sessionMutex_);
  return session_;
}

void Connection::SetSession(Session session) {
  std::lock_guard lock(sessionMutex_);
  session_ = std::move(session);
}

void Connection::KeepRows(const std::string& sequence, std::vector<std::string> rows) {
  if (rows_.erase(sequence) > 0) std::erase(rowsOrder_, sequence);
  if (rows.empty()) return;
  if (rowsOrder_.size() >= kMaxWaitingAnswers) {
    rows_.erase(rowsOrder_.front());
    rowsOrder_.pop_front();
  }
  rows_.emplace(sequence,
                std::deque<std::string>(std::make_move_iterator(rows.begin()), std::make_move_iterator(rows.end())));
  rowsOrder_.push_back(sequence);
}

std::optional<std::string> Connection::TakeRow(const std::string& sequence) {
  const auto found = rows_.find(sequence);
  if (found == rows_.end()) return std::nullopt;
  std::string row = std::move(found->second.front());
  found->second.pop_front();
  if (found->second.empty()) {
    rows_.erase(found);
    std::erase(rowsOrder_, sequence);
  }
  return row;
}

void Connection::Read(platform::Event& stop, const RequestHandler& onRequest, const ClosedHandler& onClosed) {
  portal::FrameReader frames;
  std::vector<char> buffer(kReadChunk);
  std::string reason;
  while (reason.empty()) {
    const ssize_t received = ::recv(descriptor_, buffer.data(), buffer.size(), 0);
    if (received < 0 && errno == EINTR) continue;
    if (stop.IsSet() || shutDown_.load()) {
      reason = "closed by the server";
    } else if (received == 0) {
      reason = "closed by the client";
    } else if (received < 0) {
      reason = "read failed (errno " + std::to_string(errno) + ")";
    } else {
      frames.Append(std::string_view(buffer.data(), static_cast<std::size_t>(received)));
      for (auto next = frames.Next(); next.status != portal::DecodeStatus::kIncomplete; next = frames.Next()) {
        if (next.status != portal::DecodeStatus::kComplete) {
          reason = "broken frame from the client";
          break;
        }
        // A client sends requests only; anything else is ignored.
        if (next.frame.kind == portal::FrameKind::kRequest) onRequest(*this, next.frame);
      }
    }
  }
  ::shutdown(descriptor_, SHUT_RDWR);
  finished_.store(true);
  onClosed(*this, reason);
}

}  // namespace simbackend
