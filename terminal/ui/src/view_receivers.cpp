#include "ui/view_receivers.h"

#include <utility>

namespace ui {

void ViewReceivers::AddTableReceiver(int tableId, TableReceiver receiver) {
  tables_[tableId].push_back(std::move(receiver));
}

int ViewReceivers::DeliverTableChange(const engine::TableChangeRecord& record) const {
  const auto found = tables_.find(record.TableId());
  if (found == tables_.end()) return 0;
  for (const TableReceiver& receiver : found->second) receiver(record);
  return static_cast<int>(found->second.size());
}

void ViewReceivers::SetAsyncReceiver(std::string_view tag, AsyncReceiver receiver) {
  async_[std::string(tag)] = std::move(receiver);
}

bool ViewReceivers::HasAsyncReceiver(std::string_view tag) const { return async_.find(tag) != async_.end(); }

bool ViewReceivers::DeliverAsyncAnswer(std::string_view tag, const backend::RequestRecord& record) const {
  const auto found = async_.find(tag);
  if (found == async_.end()) return false;
  found->second(record);
  return true;
}

void ViewReceivers::AddOrderResultReceiver(OrderResultReceiver receiver) {
  orderResults_.push_back(std::move(receiver));
}

void ViewReceivers::DeliverOrderResult(const OrderResult& result) const {
  for (const OrderResultReceiver& receiver : orderResults_) receiver(result);
}

void ViewReceivers::AddContractsReadyListener(Listener listener) { contractsReady_.push_back(std::move(listener)); }

void ViewReceivers::NotifyContractsReady() const {
  for (const Listener& listener : contractsReady_) listener();
}

}  // namespace ui
