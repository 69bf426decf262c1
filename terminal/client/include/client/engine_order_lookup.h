// The trade push handler's lookup of local orders, answered from the
// engine's order table through the query facade's FindOrder.
#pragma once

#include <optional>
#include <string_view>

#include "client/order_push_hooks.h"

namespace engine {
class COperationEngine;
}

namespace client {

class EngineOrderLookup final : public OrderLookup {
 public:
  // The engine must outlive the lookup.
  explicit EngineOrderLookup(engine::COperationEngine& engine) : engine_(engine) {}

  // Nothing while the engine downloads, as FindOrder.
  std::optional<KnownOrder> FindOrder(std::string_view exchange, std::string_view account,
                                      std::string_view orderingSeat, std::string_view orderNo) override;

 private:
  engine::COperationEngine& engine_;
};

}  // namespace client
