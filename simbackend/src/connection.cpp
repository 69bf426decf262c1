#include "connection.h"

#include <unistd.h>

#include <asio/ip/tcp.hpp>
#include <asio/steady_timer.hpp>
#include <asio/write.hpp>
#include <utility>

#include "event_loop.h"

namespace simbackend {
namespace {

// A write takes at most about this much of the queue at a time, so that the
// rest can still take newer quotes in place of older ones.
constexpr std::size_t kWriteBatch = 64 * 1024;
// How long a connection that the server drops goes on writing what waits.
constexpr std::chrono::milliseconds kDrainTime{1000};

}  // namespace

struct Connection::Io {
  Io(asio::io_context& context, int descriptor) : socket(context), timer(context) {
    asio::error_code failure;
    socket.assign(asio::ip::tcp::v4(), descriptor, failure);
    if (failure) ::close(descriptor);
    // Read when readable, never waiting in the read itself.
    socket.non_blocking(true, failure);
  }

  asio::ip::tcp::socket socket;
  // The login deadline; once the connection closes, the end of the drain.
  asio::steady_timer timer;
  std::uint64_t deadlineGeneration = 0;  // names the deadline that counts
  std::string writing;                   // the batch being written
  std::string closeReason;
};

Connection::Connection(EventLoop& loop, std::uint64_t id, int descriptor, std::string peer, Limits limits)
    : loop_(loop),
      id_(id),
      peer_(std::move(peer)),
      limits_(limits),
      io_(std::make_unique<Io>(loop.Context(), descriptor)),
      frames_(limits.maxRequestBytes),
      queue_(limits.maxQueuedBytes) {}

Connection::~Connection() = default;

void Connection::Start(RequestHandler onRequest, ClosedHandler onClosed) {
  onRequest_ = std::move(onRequest);
  onClosed_ = std::move(onClosed);
  ArmLoginDeadline();
  ReadNext();
}

bool Connection::Send(std::string frames) {
  return Queue([&](OutgoingQueue& queue) { return queue.AddFrames(std::move(frames)); });
}

bool Connection::SendQuoteUpdates(const std::vector<QuoteUpdate>& updates) {
  return Queue([&](OutgoingQueue& queue) { return queue.AddQuoteUpdates(updates); });
}

bool Connection::Queue(const std::function<bool(OutgoingQueue&)>& add) {
  bool startWriter = false;
  bool overflow = false;
  {
    std::lock_guard lock(mutex_);
    if (closing_) return false;
    overflow = !add(queue_);
    startWriter = !overflow && !writing_;
    writing_ = writing_ || startWriter;
    if (overflow) closing_ = true;
  }
  const std::shared_ptr<Connection> self = shared_from_this();
  if (!overflow) {
    if (startWriter) loop_.Post([self] { self->WriteNext(); });
    return true;
  }
  // Order states, cancels and fills are never dropped: a client that does
  // not take them loses its connection instead.
  loop_.Post([self] {
    self->Abort("closed: more than " + std::to_string(self->limits_.maxQueuedBytes) + " bytes waited to be written");
  });
  return false;
}

void Connection::Shutdown() {
  if (closing_.exchange(true)) return;
  loop_.Post([self = shared_from_this()] { self->Close("closed by the server"); });
}

void Connection::Abort(const std::string& reason) { Finish(reason); }

Session Connection::CurrentSession() const {
  std::lock_guard lock(sessionMutex_);
  return session_;
}

void Connection::SetSession(Session session) {
  bool wasLoggedIn = false;
  bool loggedIn = false;
  {
    std::lock_guard lock(sessionMutex_);
    wasLoggedIn = session_.kind != SessionKind::kNone;
    session_ = std::move(session);
    loggedIn = session_.kind != SessionKind::kNone;
  }
  // Once closing, the timer counts the drain.
  if (closing_ || wasLoggedIn == loggedIn) return;
  if (loggedIn) {
    ++io_->deadlineGeneration;
    io_->timer.cancel();
  } else {
    ArmLoginDeadline();
  }
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

void Connection::ReadNext() {
  // Waits for bytes without a buffer of its own: an idle connection costs
  // its socket and little more.
  io_->socket.async_wait(asio::socket_base::wait_read, [self = shared_from_this()](const asio::error_code& failure) {
    // While the connection drains, what the client sends is no longer read.
    if (self->finished_ || self->closing_) return;
    if (failure) {
      self->Finish("read failed (" + failure.message() + ")");
      return;
    }
    self->OnReadable();
  });
}

void Connection::OnReadable() {
  auto& buffer = loop_.ReadBuffer();
  asio::error_code failure;
  const std::size_t received = io_->socket.read_some(asio::buffer(buffer), failure);
  if (failure == asio::error::would_block || failure == asio::error::interrupted) {
    ReadNext();
    return;
  }
  if (failure == asio::error::eof) {
    Finish("closed by the client");
    return;
  }
  if (failure) {
    Finish("read failed (" + failure.message() + ")");
    return;
  }
  frames_.Append(std::string_view(buffer.data(), received));
  for (auto next = frames_.Next(); next.status != portal::DecodeStatus::kIncomplete && !closing_;
       next = frames_.Next()) {
    if (next.status != portal::DecodeStatus::kComplete && next.status != portal::DecodeStatus::kOversized) {
      Abort("broken frame from the client");
      return;
    }
    // A client sends requests only; anything else is ignored.
    if (next.frame.kind == portal::FrameKind::kRequest) onRequest_(*this, next.frame);
  }
  if (!closing_) ReadNext();
}

void Connection::WriteNext() {
  if (finished_) return;
  {
    std::lock_guard lock(mutex_);
    io_->writing = queue_.TakeBatch(kWriteBatch);
    if (io_->writing.empty()) writing_ = false;
  }
  if (io_->writing.empty()) {
    // Drained: a connection that closes ends now.
    if (closing_) Finish(io_->closeReason);
    return;
  }
  asio::async_write(io_->socket, asio::buffer(io_->writing),
                    [self = shared_from_this()](const asio::error_code& failure, std::size_t) {
                      if (self->finished_) return;
                      if (failure)
                        self->Finish("write failed (" + failure.message() + ")");
                      else
                        self->WriteNext();
                    });
}

void Connection::ArmLoginDeadline() {
  const std::uint64_t generation = ++io_->deadlineGeneration;
  io_->timer.expires_after(limits_.loginDeadline);
  io_->timer.async_wait([self = shared_from_this(), generation](const asio::error_code& failure) {
    if (failure || self->closing_ || generation != self->io_->deadlineGeneration) return;
    self->Abort("closed: no login within " + std::to_string(self->limits_.loginDeadline.count()) + " ms");
  });
}

void Connection::Close(const std::string& reason) {
  if (finished_) return;
  io_->closeReason = reason;
  ++io_->deadlineGeneration;
  io_->timer.expires_after(kDrainTime);
  io_->timer.async_wait([self = shared_from_this()](const asio::error_code& failure) {
    if (!failure) self->Finish(self->io_->closeReason);
  });
  bool writerIdle = false;
  {
    std::lock_guard lock(mutex_);
    writerIdle = !writing_;
    writing_ = true;
  }
  if (writerIdle) WriteNext();
}

void Connection::Finish(const std::string& reason) {
  if (finished_) return;
  finished_ = true;
  closing_ = true;
  asio::error_code ignored;
  io_->timer.cancel();
  io_->socket.shutdown(asio::ip::tcp::socket::shutdown_both, ignored);
  io_->socket.close(ignored);
  if (onClosed_) onClosed_(*this, reason);
}

}  // namespace simbackend
