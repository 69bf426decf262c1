#include "order_module/order_module.h"

#include <chrono>
#include <cstdint>
#include <exception>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "backend/global_string_list.h"
#include "backend/program_log.h"
#include "client/operation_frame.h"
#include "client/shell_services.h"
#include "engine/query_facade.h"
#include "engine/trading_rows.h"
#include "order_task.h"
#include "platform/question.h"
#include "platform/sync.h"
#include "platform/thread.h"
#include "tasks.h"

namespace order_module {
namespace {

// Waiting tasks are looked at again when nothing happened for this long.
constexpr std::chrono::milliseconds kCheckInterval{5000};
constexpr std::chrono::milliseconds kPiecePause{50};

constexpr std::string_view kOneKeyModeErrorText = "一键下单方式参数错误！";

void Log(const std::string& text) { backend::WriteLogLine(backend::kLogNote, text.c_str()); }

// Joined from its pieces: every order state change that reaches the thread
// is logged, so the line stays off the general formatter.
void LogStateChange(const client::OrderStateChange& change) {
  std::string text = "下单模块处理委托状态变化(委托号：";
  text += engine::Text(change.orderNo);
  text += "，席位号：";
  text += engine::Text(change.seatCode);
  text += "，委托状态：";
  text += engine::Text(change.state);
  text += ")";
  Log(text);
}

// A finished task's result, waiting for the GUI thread.
struct Result {
  int code = 0;
  backend::CxDataSet messages;
  TaskCaller caller;
};

// The question the order thread waits on. Its number keeps a late answer to
// a question of a stopped thread from answering the next one.
struct Question {
  std::uint64_t number = 0;
  std::string text;
  bool asked = false;
  bool yes = false;
};

std::string HandleText(const backend::CxDataSet& messages) {
  return std::to_string(reinterpret_cast<std::uintptr_t>(&messages));
}

bool IsPending(std::string_view state) {
  return state.empty() || state == "n" || state == "p" || state == "a" || state == "t";
}

CancelEntry EntryOf(const engine::OrderRow& order) {
  CancelEntry entry;
  entry.orderNo = Str(order.szOrderNo);
  entry.orderingSeat = Str(order.szOrderSeat);
  entry.seatCode = Str(order.szSeatCode);
  entry.exchange = Str(order.szExchangeCode);
  entry.state = Str(order.szFlagOrderState);
  return entry;
}

// The account's pending orders of the order's exchange, contract and
// direction. The engine's query does not compare accounts, so orders of
// other logged-in accounts are left out here: a task cancels only its own
// account's orders.
CancelList PendingOrdersOf(const OrderRecord& order) {
  CancelList cancels;
  engine::COperationEngine* engine = client::TheOperationEngine();
  backend::CxDataSet rows;
  if (engine == nullptr ||
      !engine::EngineQueryOrders(*engine, engine::Text(order.buySell), engine::Text(order.exchange),
                                 engine::Text(order.contractCode), engine::Text(order.customerNo), rows)) {
    return cancels;
  }
  for (std::uint32_t index = 0; index < rows.GetCount(); ++index) {
    const std::optional<engine::OrderRow> row = engine::RowFromBytes<engine::OrderRow>(rows.GetValue(index));
    if (row && engine::Text(row->szTradeAccount) == engine::Text(order.customerNo) &&
        IsPending(engine::Text(row->szFlagOrderState))) {
      cancels.Add(EntryOf(*row));
    }
  }
  return cancels;
}

bool TakesPendingOrders(const CloseOrderTask& task) {
  return (task.checkMode != kNoCheck && engine::Text(task.order.openClose) != kOpen) || task.oneKeyMode != kOrdinary;
}

}  // namespace

class OrderModule::Impl final : public TaskContext {
 public:
  ~Impl() { Stop(); }

  bool Start() {
    if (thread_.IsRunning()) return true;
    runTasks_.Reset();
    stateChanges_.Reset();
    try {
      return thread_.Start([this](platform::Event& stop) { Run(stop); });
    } catch (const std::exception&) {
      return false;
    }
  }

  void Stop() {
    thread_.Stop();
    std::lock_guard lock(lock_);
    newTasks_.clear();
    heldTasks_ = 0;
    pendingChanges_.clear();
    question_.reset();
  }

  bool IsRunning() const { return thread_.IsRunning(); }

  void AddTask(std::unique_ptr<OrderTask> task) {
    {
      std::lock_guard lock(lock_);
      newTasks_.push_back(std::move(task));
      ++heldTasks_;
    }
    runTasks_.Set();
  }

  // The changes wait for the next delivery, which hands them over at once:
  // a drain of many pushes wakes the order thread once.
  void QueueStateChange(const client::OrderStateChange& change) {
    std::lock_guard lock(lock_);
    pendingChanges_.push_back(change);
  }

  void DeliverResults() {
    if (delivering_) return;
    delivering_ = true;
    HandOverStateChanges();
    AskWaitingQuestion();
    std::vector<Result> results;
    {
      std::lock_guard lock(lock_);
      results.swap(results_);
    }
    for (Result& result : results) Deliver(result);
    delivering_ = false;
  }

  const backend::CxDataSet* DeliveredMessages(std::string_view handleText) const {
    return inDelivery_ != nullptr && handleText == HandleText(*inDelivery_) ? inDelivery_ : nullptr;
  }

  // --- TaskContext, on the order thread
  bool Ask(const std::string& text) override {
    answered_.Reset();
    {
      std::lock_guard lock(lock_);
      question_ = Question{.number = ++lastQuestion_, .text = text};
    }
    const int event = platform::WaitForAny({&thread_.StopEvent(), &answered_}, platform::kWaitForever);
    std::lock_guard lock(lock_);
    const bool yes = event == 1 && question_ && question_->yes;
    question_.reset();
    return yes;
  }

  bool PauseBetweenPieces() override { return !thread_.StopEvent().Wait(kPiecePause); }
  bool Stopping() override { return thread_.StopEvent().IsSet(); }
  void WakeTasks() override { runTasks_.Set(); }

 private:
  void Run(platform::Event& stop) {
    Log("下单线程启动。");
    for (;;) {
      const int event = platform::WaitForAny({&stop, &runTasks_, &stateChanges_}, kCheckInterval);
      if (event == 0) break;
      AdoptNewTasks();
      if (event == 1) {
        runTasks_.Reset();
        RunTasks();
      } else if (event == 2) {
        stateChanges_.Reset();
        ProcessStateChanges();
      } else {
        CheckWaitingTasks();
      }
    }
    Log("通知下单线程退出。");
    tasks_.clear();
    Log("下单线程正常退出。");
  }

  void AdoptNewTasks() {
    std::lock_guard lock(lock_);
    for (std::unique_ptr<OrderTask>& task : newTasks_) tasks_.push_back(std::move(task));
    newTasks_.clear();
  }

  void RunTasks() {
    for (std::size_t index = 0; index < tasks_.size() && !Stopping();) {
      tasks_[index]->Run(*this);
      RetireIfOver(index);
    }
  }

  // Each change goes to the first task that takes it.
  void ProcessStateChanges() {
    std::vector<client::OrderStateChange> changes;
    {
      std::lock_guard lock(lock_);
      changes.swap(pendingChanges_);
    }
    for (const client::OrderStateChange& change : changes) {
      LogStateChange(change);
      for (std::size_t index = 0; index < tasks_.size(); ++index) {
        OrderTask& task = *tasks_[index];
        Log(std::string(task.StateChangeLogText()));
        if (!task.TakeStateChange(change, *this)) continue;
        RetireIfOver(index);
        runTasks_.Set();
        break;
      }
    }
  }

  void CheckWaitingTasks() {
    for (std::size_t index = 0; index < tasks_.size();) {
      tasks_[index]->CheckWaiting(*this);
      RetireIfOver(index);
    }
  }

  // Removes the task at `index` when it is over, its result queued for the
  // GUI thread (none when it produced no message); moves on to the next
  // task otherwise.
  void RetireIfOver(std::size_t& index) {
    OrderTask& task = *tasks_[index];
    if (!task.Over()) {
      ++index;
      return;
    }
    if (!task.Messages().Empty()) {
      Result result{.code = task.ResultCode(), .messages = task.Messages().Take(), .caller = task.Caller()};
      std::lock_guard lock(lock_);
      results_.push_back(std::move(result));
    }
    tasks_.erase(tasks_.begin() + static_cast<std::ptrdiff_t>(index));
    std::lock_guard lock(lock_);
    --heldTasks_;
  }

  // --- GUI thread
  // Wakes the order thread for the queued state changes when it holds a task
  // that may take them; without one, a change only has its log line, written
  // here, and the thread sleeps on.
  void HandOverStateChanges() {
    std::vector<client::OrderStateChange> untaken;
    {
      std::lock_guard lock(lock_);
      if (pendingChanges_.empty()) return;
      if (heldTasks_ > 0) {
        stateChanges_.Set();
        return;
      }
      untaken.swap(pendingChanges_);
    }
    for (const client::OrderStateChange& change : untaken) LogStateChange(change);
  }

  void AskWaitingQuestion() {
    Question question;
    {
      std::lock_guard lock(lock_);
      if (!question_ || question_->asked) return;
      question_->asked = true;
      question = *question_;
    }
    const bool yes = platform::AskYesNo(question.text);
    {
      std::lock_guard lock(lock_);
      if (!question_ || question_->number != question.number) return;
      question_->yes = yes;
    }
    answered_.Set();
  }

  void Deliver(Result& result) {
    client::ShellServices* shell = client::TheShellServices();
    if (shell == nullptr) return;
    backend::CGlobalStringList items;
    items.AppendNumber(result.caller.tag);
    items.AppendNumber(result.code);
    items.Append(HandleText(result.messages));
    items.Append(result.caller.prompt);
    inDelivery_ = &result.messages;
    shell->OnOrderResults(items);
    inDelivery_ = nullptr;
  }

  platform::WorkerThread thread_;
  platform::Event runTasks_{platform::ResetMode::kManual};
  platform::Event stateChanges_{platform::ResetMode::kManual};
  platform::Event answered_{platform::ResetMode::kManual};

  std::mutex lock_;  // guards the members down to lastQuestion_
  std::vector<std::unique_ptr<OrderTask>> newTasks_;
  std::size_t heldTasks_ = 0;  // new and adopted tasks not yet retired
  std::vector<client::OrderStateChange> pendingChanges_;
  std::vector<Result> results_;
  std::optional<Question> question_;
  std::uint64_t lastQuestion_ = 0;

  // The order thread's own.
  std::vector<std::unique_ptr<OrderTask>> tasks_;

  // The GUI thread's own.
  bool delivering_ = false;
  const backend::CxDataSet* inDelivery_ = nullptr;
};

OrderModule::OrderModule() : impl_(std::make_unique<Impl>()) {}
OrderModule::~OrderModule() = default;

bool OrderModule::Start() { return impl_->Start(); }
void OrderModule::Stop() { impl_->Stop(); }
bool OrderModule::IsRunning() const { return impl_->IsRunning(); }

bool OrderModule::AddCloseAutoCancelTask(const CloseOrderTask& task, std::string& message) {
  if (task.oneKeyMode != kOrdinary && task.oneKeyMode != kCloseOrOpen) {
    message = kOneKeyModeErrorText;
    return false;
  }
  if (!CheckRunning(message)) return false;
  impl_->AddTask(MakeCloseTask(task, TakesPendingOrders(task) ? PendingOrdersOf(task.order) : CancelList()));
  return true;
}

bool OrderModule::AddReverseOrderTask(const ReverseOrderTask& task, std::string& message) {
  if (task.close.oneKeyMode != kOrdinary && task.close.oneKeyMode != kCloseOrNothing) {
    message = kOneKeyModeErrorText;
    return false;
  }
  if (!CheckRunning(message)) return false;
  // The close of a reverse order cancels what a plain close would.
  impl_->AddTask(
      MakeReverseTask(task, TakesPendingOrders(task.close) ? PendingOrdersOf(task.close.order) : CancelList()));
  return true;
}

bool OrderModule::AddChangePriceOrderTask(const ChangePriceTask& task, std::string& message) {
  engine::COperationEngine* engine = client::TheOperationEngine();
  engine::OrderRow replaced{};
  if (engine == nullptr ||
      !engine::FindOrder(*engine, engine::Text(task.order.exchange), engine::Text(task.order.customerNo),
                         task.orderingSeat, task.orderNo, replaced)) {
    message = "改价下单指定撤销的委托单不存在！";
    return false;
  }
  if (!CheckRunning(message)) return false;
  impl_->AddTask(MakeChangePriceTask(task, EntryOf(replaced)));
  return true;
}

bool OrderModule::AddProfitLossOrderTask(const ProfitLossTask& task, std::string& message) {
  if (!CheckRunning(message)) return false;
  impl_->AddTask(MakeProfitLossTask(task));
  return true;
}

// A task handed over while no order thread runs would never be carried out.
bool OrderModule::CheckRunning(std::string& message) const {
  if (impl_->IsRunning()) return true;
  message = "下单模块未启动！";
  return false;
}

void OrderModule::QueueOrderStateChange(const client::OrderStateChange& change) { impl_->QueueStateChange(change); }

void OrderModule::DeliverResults() { impl_->DeliverResults(); }

const backend::CxDataSet* OrderModule::DeliveredMessages(std::string_view handleText) const {
  return impl_->DeliveredMessages(handleText);
}

OrderModule& TheOrderModule() {
  static OrderModule module;
  return module;
}

bool StartOrderModule() { return TheOrderModule().Start(); }

int StopOrderModule() {
  if (!TheOrderModule().IsRunning()) return 0;
  TheOrderModule().Stop();
  return 1;
}

void DeliverOrderModuleResults() { TheOrderModule().DeliverResults(); }

}  // namespace order_module
