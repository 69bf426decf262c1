// Where the views register for what the main frame routes to them: the
// table-change records of a table, the answers of asynchronous requests by
// their handler tag, the order module's results, the news that the contract
// list is ready, and the one order form. The frame decides what is routed
// (and in what order it reaches its receivers); the views only register.
// GUI thread only. No toolkit.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "backend/request_record.h"
#include "engine/table_change_record.h"

namespace ui {

class OrderForm;

// One result of the order module as the frame shows it.
struct OrderResult {
  std::string callerTag;
  bool failed = false;
  std::vector<std::string> lines;  // GBK
  std::string prompt;
};

class ViewReceivers {
 public:
  using TableReceiver = std::function<void(const engine::TableChangeRecord& record)>;
  using AsyncReceiver = std::function<void(const backend::RequestRecord& record)>;
  using OrderResultReceiver = std::function<void(const OrderResult& result)>;
  using Listener = std::function<void()>;

  // Receivers of a table get its records in the order they registered.
  void AddTableReceiver(int tableId, TableReceiver receiver);
  // The number of receivers the record reached.
  int DeliverTableChange(const engine::TableChangeRecord& record) const;

  // One receiver per handler tag; a later one replaces the earlier.
  void SetAsyncReceiver(std::string_view tag, AsyncReceiver receiver);
  bool HasAsyncReceiver(std::string_view tag) const;
  // False when no receiver has the tag.
  bool DeliverAsyncAnswer(std::string_view tag, const backend::RequestRecord& record) const;

  void AddOrderResultReceiver(OrderResultReceiver receiver);
  void DeliverOrderResult(const OrderResult& result) const;

  void AddContractsReadyListener(Listener listener);
  void NotifyContractsReady() const;

  // The order dock's form; null until it registers.
  void SetOrderForm(OrderForm* form) { orderForm_ = form; }
  OrderForm* Form() const { return orderForm_; }

 private:
  std::map<int, std::vector<TableReceiver>> tables_;
  std::map<std::string, AsyncReceiver, std::less<>> async_;
  std::vector<OrderResultReceiver> orderResults_;
  std::vector<Listener> contractsReady_;
  OrderForm* orderForm_ = nullptr;
};

}  // namespace ui
