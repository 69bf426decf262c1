#include "simbackend/server.h"

#include <unistd.h>

#include <algorithm>
#include <condition_variable>
#include <map>
#include <mutex>
#include <optional>

#include "combination_orders.h"
#include "connection.h"
#include "deferred_answers.h"
#include "event_loop.h"
#include "fault_injector.h"
#include "functions.h"
#include "listener.h"
#include "message_lines.h"
#include "other_client.h"
#include "portal/frame.h"
#include "quote_feed.h"
#include "record_kinds.h"
#include "request.h"
#include "request_log.h"
#include "simbackend/backend_data.h"
#include "trading_floor.h"

namespace simbackend {
namespace {

// What the script does with the requests of one function.
struct Rule {
  enum class Kind { kRefuse, kHold, kDelay } kind = Kind::kRefuse;
  int code = 0;
  std::string text;
  std::chrono::milliseconds delay{0};
};

const char* SessionKindName(SessionKind kind) {
  switch (kind) {
    case SessionKind::kTrading: return "trading";
    case SessionKind::kManagement: return "management";
    case SessionKind::kSubAccount: return "sub-account";
    case SessionKind::kQuote: return "quote";
    case SessionKind::kNone: break;
  }
  return "none";
}

std::string AnswerFrame(std::uint32_t sequence, const std::string& text) {
  std::string frame;
  portal::AppendFrame(frame, portal::FrameKind::kAnswer, sequence, text);
  return frame;
}

// The account of a customer number that names a trading account.
const Account* TradingAccount(const BackendData& data, std::string_view customer) {
  const Account* account = data.FindAccount(customer);
  return account == nullptr || account->kind != AccountKind::kTrading ? nullptr : account;
}

}  // namespace

class Server::Impl {
 public:
  explicit Impl(ServerOptions options)
      : options_(std::move(options)),
        listener_(loop_),
        requests_(kMaxRecordedRequests, kMaxRecordedBytes, kMaxRecordedTextBytes),
        deferred_(kMaxDeferredAnswers) {}
  ~Impl() { Stop(); }

  bool Start(std::string& error) {
    if (options_.dataFolder.empty()) options_.dataFolder = DefaultDataFolder();
    if (!LoadBackendData(options_.dataFolder, data_, error) || !listener_.Open(options_.port, error)) return false;
    feed_.emplace(data_, options_.quoteSeed, options_.quoteInterval);
    accounts_.emplace(data_);
    floor_.emplace(data_, *feed_, *accounts_, FillBehaviour{},
                   [this](const std::string& customer, const std::vector<std::string>& lines) {
                     Push(customer, faults_.Garble(lines));
                   });
    feed_->SetStepListener([this](const std::vector<std::size_t>& moved) { floor_->MatchMoved(moved); });
    functions_.emplace(data_, listener_.Port(), *feed_, *accounts_, *floor_);
    deferred_.Start();
    feed_->Start();
    listener_.Start([this](int descriptor, const std::string& peer) { Admit(descriptor, peer); });
    loop_.Start();
    return true;
  }

  std::uint16_t Port() const { return listener_.Port(); }

  void Stop() {
    std::lock_guard stopping(stopMutex_);
    if (stopped_) return;
    stopped_ = true;
    // No quote or late answer goes out to connections that are closing.
    if (feed_) feed_->Stop();
    deferred_.Stop();
    loop_.Post([this] {
      listener_.Close();
      for (const auto& connection : LiveConnections()) connection->Abort("closed by the server");
    });
    loop_.Stop();
    connectionsChanged_.notify_all();
  }

  void SetRule(int function, Rule rule) {
    std::lock_guard lock(rulesMutex_);
    rules_[function] = std::move(rule);
  }

  void ClearRules(std::optional<int> function) {
    std::lock_guard lock(rulesMutex_);
    if (function)
      rules_.erase(*function);
    else
      rules_.clear();
  }

  DeferredAnswers& Deferred() { return deferred_; }
  const DeferredAnswers& Deferred() const { return deferred_; }

  // Shuts down the connections that `matches`; the number.
  template <typename Matches>
  std::size_t Drop(const Matches& matches) {
    std::size_t dropped = 0;
    for (const auto& connection : LiveConnections())
      if (matches(*connection)) {
        connection->Shutdown();
        ++dropped;
      }
    return dropped;
  }

  std::size_t Push(std::string_view customer, const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines)
      if (!portal::AppendPushLine(text, line)) return 0;
    std::string frame;
    if (!portal::AppendFrame(frame, portal::FrameKind::kPush, 0, text)) return 0;
    std::size_t reached = 0;
    for (const auto& connection : LiveConnections()) {
      const Session session = connection->CurrentSession();
      if (session.kind != SessionKind::kNone && session.customer == customer && connection->Send(frame)) ++reached;
    }
    return reached;
  }

  FaultInjector& Faults() { return faults_; }
  const FaultInjector& Faults() const { return faults_; }

  QuoteFeed& Feed() { return *feed_; }
  TradingFloor& Floor() { return *floor_; }
  const TradingFloor& Floor() const { return *floor_; }
  const BackendData& Data() const { return data_; }

  RequestLog& Received() { return requests_; }
  const RequestLog& Received() const { return requests_; }

  std::size_t ConnectionCount() const {
    std::lock_guard lock(connectionsMutex_);
    return CountLiveLocked();
  }

  bool WaitForConnectionCount(std::size_t count, std::chrono::milliseconds timeout) const {
    std::unique_lock lock(connectionsMutex_);
    return connectionsChanged_.wait_for(lock, timeout, [&] { return CountLiveLocked() == count; });
  }

 private:
  void Log(const std::string& line) const {
    if (options_.log) options_.log(line);
  }

  std::size_t CountLiveLocked() const {
    return static_cast<std::size_t>(
        std::count_if(connections_.begin(), connections_.end(), [](const auto& c) { return !c.second->Closed(); }));
  }

  std::vector<std::shared_ptr<Connection>> LiveConnections() const {
    std::lock_guard lock(connectionsMutex_);
    std::vector<std::shared_ptr<Connection>> live;
    for (const auto& [id, connection] : connections_)
      if (!connection->Closed()) live.push_back(connection);
    return live;
  }

  // On the loop thread, for each accepted socket.
  void Admit(int descriptor, const std::string& peer) {
    const std::uint64_t id = ++lastConnectionId_;
    std::shared_ptr<Connection> connection;
    {
      std::lock_guard lock(connectionsMutex_);
      if (CountLiveLocked() < options_.maxConnections) {
        connection = std::make_shared<Connection>(
            loop_, id, descriptor, peer, Connection::Limits{kMaxRequestBytes, kMaxQueuedBytes, options_.loginDeadline});
        connections_.emplace(id, connection);
      }
    }
    if (!connection) {
      ::close(descriptor);
      Log("connection " + std::to_string(id) + " from " + peer + " refused: too many connections");
      return;
    }
    Log("connection " + std::to_string(id) + " opened from " + peer);
    connection->Start([this](Connection& c, portal::Frame& frame) { OnRequest(c, frame); },
                      [this](Connection& c, const std::string& reason) { OnClosed(c, reason); });
    connectionsChanged_.notify_all();
  }

  void OnClosed(Connection& connection, const std::string& reason) {
    Log("connection " + std::to_string(connection.Id()) + " " + reason);
    feed_->Unsubscribe(connection.Id());
    faults_.Forget(connection.Id());
    // Under the lock, so that a waiter cannot miss the change between its
    // count and its wait.
    std::lock_guard lock(connectionsMutex_);
    connections_.erase(connection.Id());
    connectionsChanged_.notify_all();
  }

  void OnRequest(Connection& connection, portal::Frame& frame) {
    const std::optional<Request> request = ParseRequest(frame.text);
    const Session before = connection.CurrentSession();
    Session session = before;
    const std::optional<Rule> rule = request ? RuleFor(connection.Id(), request->function) : std::nullopt;
    Answer answer = Respond(connection, request, session, rule);
    // Kept before the answer goes out, so that a client that has its answer
    // finds its request. Only logins and what logged-in sessions send are
    // kept: anything else an anonymous client sends leaves no trace.
    if (before.kind != SessionKind::kNone || (request && request->function == kLoginFunction))
      requests_.Add({connection.Id(), request ? request->function : -1, before.customer, frame.text});
    if (request) {
      connection.SetSession(session);
      if (faults_.DropsAt(connection.Id(), request->function, answer.rows.size())) {
        // The request takes its full effect (the book is settled when the
        // client sees the drop); only its answer is lost with the connection.
        if (answer.then) answer.then();
        connection.Shutdown();
        return;
      }
      if (!answer.rows.empty()) connection.KeepRows(request->Sequence(), std::move(answer.rows));
      // Its pushes go out before the answer, on every connection of the
      // account: a client that downloads it sees them while it downloads.
      if (session.kind == SessionKind::kTrading && faults_.OtherClientActsAt(request->function))
        ActAsOtherClient(data_, *floor_, session.customer);
    }
    const std::string bytes = AnswerFrame(frame.sequence, answer.line);
    const auto sendAnswer = [&] {
      if (!rule || !Defer(connection, *rule, request->function, bytes)) connection.Send(bytes);
    };
    if (answer.subscription)
      feed_->Subscribe(connection.shared_from_this(), std::move(*answer.subscription), sendAnswer);
    else
      sendAnswer();
    // The pushes of what the request changed come after its answer, or
    // before it when the script holds or delays the answer.
    if (answer.then) answer.then();
  }

  // True when the rule keeps the answer back to send it later.
  bool Defer(Connection& connection, const Rule& rule, int function, const std::string& bytes) {
    switch (rule.kind) {
      case Rule::Kind::kHold: return deferred_.Hold(connection.weak_from_this(), function, bytes);
      case Rule::Kind::kDelay: return deferred_.Delay(connection.weak_from_this(), bytes, rule.delay);
      case Rule::Kind::kRefuse: break;
    }
    return false;
  }

  Answer Respond(Connection& connection, const std::optional<Request>& request, Session& session,
                 const std::optional<Rule>& rule) {
    if (!request) return OneLine(RefusedLine(nullptr, kMalformedRequest, "请求格式错误！"));
    if (rule && rule->kind == Rule::Kind::kRefuse) return Refusal(*request, rule->code, rule->text);
    if (request->function == kFollowUpFunction) {
      std::optional<std::string> row = connection.TakeRow(request->Sequence());
      if (!row) return Refusal(*request, kNoMoreRows, "没有待取的后续数据！");
      return OneLine(std::move(*row));
    }
    const Session before = session;
    Answer answer = functions_->Handle(*request, session, connection.Id());
    if (session.kind != before.kind || session.customer != before.customer)
      Log("connection " + std::to_string(connection.Id()) + ": " +
          (session.kind == SessionKind::kNone
               ? "logged out"
               : "customer " + session.customer + " logged in (" + SessionKindName(session.kind) + ")"));
    return answer;
  }

  // The script's rule, else a delay when the fault plan draws one.
  std::optional<Rule> RuleFor(std::uint64_t connection, int function) {
    std::optional<Rule> rule = FindRule(function);
    if (!rule && faults_.Delays(connection, function)) rule = Rule{Rule::Kind::kDelay, 0, {}, faults_.Delay()};
    return rule;
  }

  std::optional<Rule> FindRule(int function) const {
    std::lock_guard lock(rulesMutex_);
    const auto found = rules_.find(function);
    return found == rules_.end() ? std::nullopt : std::optional<Rule>(found->second);
  }

  ServerOptions options_;
  BackendData data_;
  // Declared before everything that holds connections, so that it outlives
  // their sockets.
  EventLoop loop_;
  Listener listener_;
  std::optional<QuoteFeed> feed_;
  std::optional<AccountBook> accounts_;
  std::optional<TradingFloor> floor_;
  std::optional<Functions> functions_;

  std::mutex stopMutex_;  // makes Stop run once
  bool stopped_ = false;

  mutable std::mutex connectionsMutex_;  // guards connections_
  mutable std::condition_variable connectionsChanged_;
  std::map<std::uint64_t, std::shared_ptr<Connection>> connections_;  // by id, until closed
  std::uint64_t lastConnectionId_ = 0;                                // loop thread only

  mutable std::mutex rulesMutex_;  // guards rules_
  std::map<int, Rule> rules_;

  RequestLog requests_;
  DeferredAnswers deferred_;
  FaultInjector faults_;
};

std::unique_ptr<Server> Server::Start(ServerOptions options, std::string& error) {
  auto impl = std::make_unique<Impl>(std::move(options));
  if (!impl->Start(error)) return nullptr;
  return std::unique_ptr<Server>(new Server(std::move(impl)));
}

Server::Server(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
Server::~Server() = default;

std::uint16_t Server::Port() const { return impl_->Port(); }
void Server::Stop() { impl_->Stop(); }

void Server::RefuseFunction(int function, int code, std::string text) {
  impl_->SetRule(function, {Rule::Kind::kRefuse, code, std::move(text), {}});
}

void Server::HoldAnswers(int function) { impl_->SetRule(function, {Rule::Kind::kHold, 0, {}, {}}); }

void Server::DelayAnswers(int function, std::chrono::milliseconds delay) {
  impl_->SetRule(function, {Rule::Kind::kDelay, 0, {}, std::clamp(delay, std::chrono::milliseconds{0}, kMaxDelay)});
}

void Server::ClearRule(int function) { impl_->ClearRules(function); }
void Server::ClearRules() { impl_->ClearRules(std::nullopt); }

std::size_t Server::ReleaseHeld(int function) { return impl_->Deferred().Release(function); }
std::size_t Server::HeldCount() const { return impl_->Deferred().HeldCount(); }
bool Server::WaitForHeld(std::size_t count, std::chrono::milliseconds timeout) const {
  return impl_->Deferred().WaitForHeld(count, timeout);
}

std::size_t Server::DropConnections() {
  return impl_->Drop([](const Connection&) { return true; });
}

std::size_t Server::DropConnections(std::string_view customer) {
  return impl_->Drop([&](const Connection& c) {
    const Session session = c.CurrentSession();
    return session.kind != SessionKind::kNone && session.customer == customer;
  });
}

std::size_t Server::Push(std::string_view customer, const std::vector<std::string>& lines) {
  return impl_->Push(customer, lines);
}

std::size_t Server::PushMessage(std::string_view customer, const MessagePush& message) {
  return impl_->Push(customer, {MessagePushLine(message)});
}

std::size_t Server::PushMessageBox(std::string_view customer, std::string_view title, std::string_view text) {
  return impl_->Push(customer, {MessageBoxPushLine(title, text)});
}

std::size_t Server::AdvanceQuotes() { return impl_->Feed().Advance(); }

void Server::SetFaults(const FaultPlan& plan) { impl_->Faults().Set(plan); }
FaultCounts Server::Faults() const { return impl_->Faults().Counts(); }
void Server::HoldFaults(bool held) { impl_->Faults().Hold(held); }

void Server::SetFillBehaviour(FillBehaviour fills) { impl_->Floor().SetFillBehaviour(fills); }

std::optional<std::string> Server::PlaceSpecialOrder(std::string_view customer, const SpecialOrder& order,
                                                     std::string& refusal) {
  return simbackend::PlaceSpecialOrder(impl_->Data(), impl_->Floor(), std::string(customer), order, refusal);
}

bool Server::CancelSpecialOrder(std::string_view customer, std::string_view number, std::string& refusal) {
  return simbackend::CancelSpecialOrder(impl_->Floor(), std::string(customer), number, refusal);
}

std::optional<AccountView> Server::Book(std::string_view customer) const {
  const Account* account = TradingAccount(impl_->Data(), customer);
  if (account == nullptr) return std::nullopt;
  return impl_->Floor().View(*account);
}

std::vector<PositionView> Server::Positions(std::string_view customer) const {
  const Account* account = TradingAccount(impl_->Data(), customer);
  return account == nullptr ? std::vector<PositionView>{} : impl_->Floor().Positions(*account);
}

std::vector<OrderView> Server::WorkingOrders(std::string_view customer) const {
  const Account* account = TradingAccount(impl_->Data(), customer);
  return account == nullptr ? std::vector<OrderView>{} : impl_->Floor().WorkingOrders(*account);
}

std::vector<ReceivedRequest> Server::Requests() const { return impl_->Received().Requests(); }
bool Server::WaitForRequests(std::size_t count, std::chrono::milliseconds timeout) const {
  return impl_->Received().WaitFor(count, timeout);
}
void Server::ClearRequests() { impl_->Received().Clear(); }
std::size_t Server::ConnectionCount() const { return impl_->ConnectionCount(); }
bool Server::WaitForConnectionCount(std::size_t count, std::chrono::milliseconds timeout) const {
  return impl_->WaitForConnectionCount(count, timeout);
}

}  // namespace simbackend
