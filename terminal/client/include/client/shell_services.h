// What the back-end client and the engine's GUI side call on the application
// shell: output lines, connection states, table changes, finished
// asynchronous requests, order-module results, exchange clocks, the program's
// version text and the server settings the log-ins read.
//
// The shell installs its one instance at start-up (tests install a fake, see
// client/testing/recording_shell.h); callers look it up and do nothing when
// none is installed, as when the program has no main window.
#pragma once

#include <string>
#include <string_view>

#include "backend/global_string_list.h"
#include "backend/request_record.h"
#include "client/server_settings.h"
#include "engine/table_change_record.h"

namespace client {

// The kinds of output-pane lines.
enum OutputLineType : int {
  kOrderLine = 0,  // orders, exercise orders, successful order-module results
  kCancelLine = 1,
  kTradeLine = 2,
  kExchangeStateLine = 3,
  kConnectionLine = 4,  // connection states and message-box texts
  kNoticeLine = 5,      // notices and query messages
  kFailureLine = 6,     // failed requests, failed order-module results
};

// The handler tags under which asynchronous requests come back to the shell.
inline constexpr std::string_view kQueryHisDealTag = "_QueryHisDeal";
inline constexpr std::string_view kQueryHisIOFundTag = "_QueryHisIOFund";
inline constexpr std::string_view kDeleteOrderTag = "_DeleteOrder";
inline constexpr std::string_view kDeleteAllOrderTag = "_DeleteAllOrder";
inline constexpr std::string_view kQueryOptionsExerciseTag = "_QueryOptionsExercise";

class ShellServices {
 public:
  virtual ~ShellServices() = default;

  // Adds a line of the type to the output pane, prefixed with the local time
  // ("%04d%02d%02d %02d:%02d:%02d > %s"). Non-zero when the line was taken.
  // May be called from any thread (the quote lookup runs on the engine's
  // calculation thread too); every other service is called on the GUI thread.
  virtual int AppendOutputLine(std::string_view text, int lineType) = 0;

  // Shows the state of the trading (slot 0) or quote connection in the status
  // bar and as an output line; states of 4 and above are ignored.
  virtual void ShowConnectionState(int state, int slot) = 0;

  // The engine's initial download has finished: builds the market window the
  // first time, then refreshes the order panel, contract bar and variety page.
  virtual void OnContractsReady() = 0;

  // Routes one table change to the view that shows the table; the record is
  // lent for the call.
  virtual void OnTableChanged(const engine::TableChangeRecord& record) = 0;

  // Hands a finished asynchronous request whose answer check passed to the
  // view that asked, by its handler tag; the flag goes back to the queue pump.
  virtual bool OnAsyncRequestDone(const backend::RequestRecord& record, std::string_view handlerTag) = 0;

  // One order-module result: caller tag, result code (non-zero: failure), the
  // handle of its message list as decimal text, the prompt text. Called with
  // the order module's lock held; the message list stays the caller's.
  virtual void OnOrderResults(const backend::CGlobalStringList& result) = 0;

  // An exchange's new state: item 1 the exchange text (empty: every
  // exchange), item 2 the state code.
  virtual void UpdateExchangeClockState(const backend::CGlobalStringList& exchangeState) = 0;

  // The program's version text, sent with the trading log-in.
  virtual std::string ProgramVersionText() const = 0;

  // The server settings; read on the GUI thread by the log-ins.
  virtual const TraderServerConfigData& TraderServerConfig() const = 0;
  virtual const ProxyServerConfigData& ProxyServerConfig() const = 0;
};

// Installs the shell (null: none). The shell stays owned by the caller and
// must outlive its installation.
void InstallShellServices(ShellServices* shell);
// The installed shell, or null.
ShellServices* TheShellServices();

// Hands an output line to the installed shell; 0 when there is none.
int PostOutputLine(int lineType, std::string_view text);

}  // namespace client
