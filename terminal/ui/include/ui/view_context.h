// What every bar and view of the main frame is handed when it is created:
// the core objects it reads and acts on, who is logged in, where output
// lines go, and where it registers for what the frame routes to views. The
// objects outlive every view. No toolkit.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace engine {
class COperationEngine;
}
namespace quotes {
class CtbOptionalContract;
}
namespace order_module {
class OrderSubmission;
class OrderModule;
class OrderSettingsSource;
}  // namespace order_module
namespace client {
class ConfigRegistry;
}

namespace ui {

class RegistryStore;
class ViewReceivers;

struct ViewContext {
  engine::COperationEngine* engine = nullptr;
  quotes::CtbOptionalContract* quotes = nullptr;
  order_module::OrderSubmission* orders = nullptr;
  order_module::OrderModule* orderModule = nullptr;
  // The order settings as the order entry reads them, afresh at each use.
  const order_module::OrderSettingsSource* orderSettings = nullptr;
  // The settings areas, found by name ("EntrustParam", "VarietyParamSet", ...).
  client::ConfigRegistry* settings = nullptr;
  // The window layout and grid states.
  RegistryStore* registry = nullptr;
  int role = 2;  // 1 institution management, 2 trading customer
  std::string customerNo;
  std::string customerName;
  // An output line of the type (client::OutputLineType), GBK; any thread.
  std::function<void(int type, std::string_view text)> output;
  ViewReceivers* receivers = nullptr;
};

}  // namespace ui
