// One connection to a back end: its socket, the sends waiting for answers,
// and the reader thread that takes every frame off the socket, finishes the
// matching send, hands pushes to the caller and reconnects after a drop.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/sync.h"
#include "platform/thread.h"
#include "portal/frame.h"
#include "settings.h"
#include "tcp_socket.h"

namespace portal {

class Connection {
 public:
  Connection(int number, std::shared_ptr<const Settings> settings, ServerAddress server, std::string loginText);
  ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  // Connects, sends the login text and waits for its answer. True with the
  // answer in `text` (the reader thread then runs); false with the reason.
  bool Open(std::string& text);

  // Sends one request and waits for its answer: true with the answer in
  // `text`, false with the reason.
  bool Call(int function, platform::Event* abort, std::string_view request, std::string& text);

  // Sends one request without waiting: its sequence number, by which Receive
  // or Abandon later takes its answer; nothing, with the reason in `text`,
  // when it could not be sent.
  std::optional<std::uint32_t> Send(int function, platform::Event* abort, std::string_view request, std::string& text);
  // Waits for the answer of a request Send sent, within the answer time-out
  // counted from its send: true with the answer in `text`, false with the
  // reason (aborted, timed out, dropped, or a sequence not waiting). The
  // sequence is done with either way: a later answer is dropped.
  bool Receive(std::uint32_t sequence, platform::Event* abort, std::string& text);
  // Sends several requests in one write, as Send does each: true with their
  // sequence numbers in `sequences`; false, none of them waiting, with the
  // reason.
  bool SendMany(int function, platform::Event* abort, std::span<const std::string_view> requests,
                std::vector<std::uint32_t>& sequences, std::string& text);
  // Gives up the answer of a request Send sent; false when it was not waiting.
  bool Abandon(std::uint32_t sequence);

  int State() const;

  // Finishes every waiting send with a transport error, stops and joins the
  // reader. Callbacks of this connection have all returned afterwards.
  void Close();

  // True on the reader thread of any connection, that is inside a callback.
  static bool OnReaderThread();

  // Bytes a back end may send before the answer to the login (pushes that
  // come first are held until the login is answered); past them the login
  // fails as a protocol error and the connection is dropped.
  static constexpr std::size_t kMaxBytesBeforeLoginAnswer = std::size_t{1} << 20;

 private:
  // A request sent and not yet taken by its sender; it stays in pending_
  // until then, answered or failed, so that a sender that comes late for
  // its answer still finds it.
  struct PendingCall {
    PendingCall(int function, Deadline deadline) : function(function), deadline(deadline) {}
    const int function;       // names the request in messages
    const Deadline deadline;  // of the wait for its answer
    platform::Event done{platform::ResetMode::kManual};
    bool finished = false;  // under the connection's mutex, like the two below
    bool failed = false;
    std::string text;  // the answer, or the reason of the failure
  };

  bool Establish(const ServerAddress& server, std::string& text);
  bool AwaitLoginAnswer(TcpSocket& socket, std::uint32_t sequence, Deadline deadline, std::string& text);
  void RunReader(platform::Event& stop);
  void ReadUntilDropped(TcpSocket& socket);
  bool Reconnect(platform::Event& stop);
  ServerAddress NextServer();
  void Dispatch(Frame frame);
  bool FinishCall(std::uint32_t sequence, std::string answer);
  void DeliverPush(std::string_view text);
  void DeliverEarlyPushes();
  void ChangeState(int state);
  void DropSocket(const std::string& reason);
  void FailPendingLocked(const std::string& reason);
  // Takes the call out of pending_ and gives its answer or why there is none.
  bool TakeAnswer(std::uint32_t sequence, PendingCall& call, platform::Event* abort, std::string& text);
  std::uint32_t TakeSequenceLocked();
  std::shared_ptr<TcpSocket> CurrentSocket() const;
  bool IsClosing() const;
  void WaitForAnswer(PendingCall& call, platform::Event* abort);

  const int number_;
  const std::shared_ptr<const Settings> settings_;
  const std::string loginText_;

  // Used by whichever thread reads the socket: the caller of Open until the
  // reader thread starts, the reader thread afterwards.
  ServerAddress server_;
  FrameReader frames_;
  std::vector<std::string> earlyPushes_;  // pushes that came before the login answer (bounded)

  mutable std::mutex mutex_;  // guards everything below
  std::shared_ptr<TcpSocket> socket_;
  int state_ = OV_STATE_DISCONNECTED;
  bool closing_ = false;
  std::uint32_t nextSequence_ = 1;
  std::map<std::uint32_t, std::shared_ptr<PendingCall>> pending_;
  platform::WorkerThread reader_;
};

}  // namespace portal
