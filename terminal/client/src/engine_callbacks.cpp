#include "client/engine_callbacks.h"

#include "backend/transport.h"
#include "client/quote_operations.h"
#include "client/shell_services.h"
#include "platform/files.h"
#include "quotes/group_tables.h"
#include "quotes/optional_contract.h"

namespace client {

std::string ContractGroupsFolder() { return platform::ResolvePath("\\Config\\Common"); }

EngineGuiCallbacks::EngineGuiCallbacks(engine::COperationEngine& engine, quotes::CtbOptionalContract& quotes)
    : engine_(engine), quotes_(quotes) {}

void EngineGuiCallbacks::OnEngineConnectionState(int slot, int flag, int state) {
  // A slot whose connection is gone for good is closed, so that its waiting
  // requests end and it can be connected again.
  if (state == engine::connection_state::kDisconnected && flag != engine::connection_state::kDisconnected &&
      slot >= 0 && slot < backend::kSlotCount && backend::IsSlotConnected(slot)) {
    std::string message;
    backend::CloseSlot(slot, message);
  }
  if (slot == engine_.QuoteConnectionIndex() && state == engine::connection_state::kConnected &&
      flag != engine::connection_state::kConnected) {
    quotes_.ResendSubscription();
  }
  if (ShellServices* shell = TheShellServices()) shell->ShowConnectionState(state, slot);
}

void EngineGuiCallbacks::OnEngineDownloadDone() {
  quotes_.Load(ContractGroupsFolder(), quotes::ReadGroupTables(engine_));
  quotes_.StartWatching();
  if (ShellServices* shell = TheShellServices()) shell->OnContractsReady();
}

void EngineGuiCallbacks::OnEngineTableChange(const engine::TableChangeRecord& record) {
  if (ShellServices* shell = TheShellServices()) shell->OnTableChanged(record);
}

void EngineGuiCallbacks::BindTo(engine::EngineCallbacks& callbacks) {
  callbacks.connectionState = [this](int connection, int flag, int state) {
    OnEngineConnectionState(connection, flag, state);
  };
  callbacks.downloadDone = [this] { OnEngineDownloadDone(); };
  callbacks.tableChanged = [this](const engine::TableChangeRecord& record) { OnEngineTableChange(record); };
  callbacks.quoteLastPrice = [](std::string_view exchangeCode, std::string_view contractCode, double& lastPrice) {
    backend::QuoteRecord quote{};
    std::string message;
    if (!GetQuoteOrQuery(exchangeCode, contractCode, quote, message)) return false;
    lastPrice = quote.fNewPrice;
    return true;
  };
}

}  // namespace client
