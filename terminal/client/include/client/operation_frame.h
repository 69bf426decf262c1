// The frame every business operation of the terminal follows: choose the
// account that signs, list the parameters after the four leading ones, run
// one request through the calculation engine (or, during the log-in, through
// the connection layer), check the answer and read its fields.
//
// Parameter k of an operation is field k + 4 of its request text: the four
// leading parameters are the reserved text (always empty), the application
// tag "Pellora", the customer number and the password.
//
// Texts are std::string throughout; a value containing "|" travels with that
// byte written as 0x01 (the request layer does it), and fields read from an
// answer turn 0x01 back into "|".
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "backend/account_table.h"
#include "backend/cx_data_set.h"
#include "backend/field_text.h"
#include "backend/request_record.h"

namespace engine {
class COperationEngine;
}

namespace client {

inline constexpr std::string_view kApplicationTag = "Pellora";
// The first parameter of every request and field 5 of every log-in text.
inline constexpr std::string_view kReservedLeadingText = "";
// An operation asked for before the engine is installed.
inline constexpr std::string_view kEngineMissingText = "计算前移未初始化！";
// The priority most operations use; a few queries use 1.
inline constexpr int kUrgentPriority = 2;

// The engine through which every synchronous and asynchronous operation
// sends. Start-up installs it once the engine runs; null uninstalls it.
void InstallOperationEngine(engine::COperationEngine* engine);
engine::COperationEngine* TheOperationEngine();

// --- Whose credentials. Each gives the key of an account in the account
// table, or a zeroed key (slot 0) when no such account is logged in.

// The account of the customer number; its slot carries the request.
backend::AccountKey NamedAccount(std::string_view customerNo);
// The account on the slot.
backend::AccountKey SlotAccount(int slot);
// The account that signs a request naming no customer: after a management
// log-in the first trading sub-account (slot 1), otherwise the account on
// slot 0.
backend::AccountKey FirstTradingAccount();

// Field 9 of the log-in answer of the account on slot 0, which several
// management and option requests carry; empty when none is logged in.
std::string SlotZeroLoginValue();

// A request's parameters: the four leading texts for the signer, then the
// operation's own in the order they are added.
class OperationParameters {
 public:
  explicit OperationParameters(const backend::AccountKey& signer);

  OperationParameters& Add(std::string_view text);

  const backend::CxDataSet& List() const { return list_; }
  // False when a text could not be stored (too long, or out of memory).
  bool Complete() const { return complete_; }

 private:
  backend::CxDataSet list_;
  bool complete_ = true;
};

// What a business operation is to the request layer.
struct Operation {
  std::string_view title;  // in the request layer's messages
  int functionNo = 0;
  int priority = kUrgentPriority;
  bool singlePacket = false;
  std::string_view handlerTag{};  // asynchronous operations only
};

// A record for the operation on the slot, with sub-request 0 holding the
// request text and the next sequence number. Null with the request layer's
// message ("<title>时，创建请求命令失败！" or "<title>时，增加请求命令失败！").
backend::RequestPtr BuildOperationRequest(const Operation& operation, int slot, const OperationParameters& parameters,
                                          std::string& message, int subRequestCount = 1);

// Sends the operation synchronously through the engine's dispatcher. The
// record once the dispatcher has it back, answered or refused (the caller
// judges the answer); null with the dispatcher's or the transport's message.
backend::RequestPtr SendSyncRequest(const Operation& operation, int slot, const OperationParameters& parameters,
                                    std::string& message);
// Runs the operation synchronously through the engine's dispatcher and
// checks the answer of sub-request 0. The answered record on success; null
// with the message (the dispatcher's, the transport's or the back end's)
// otherwise.
backend::RequestPtr RunSync(const Operation& operation, int slot, const OperationParameters& parameters,
                            std::string& message);
// The same through the connection layer itself, for the log-in's own
// requests, which run before the engine.
backend::RequestPtr RunDirect(const Operation& operation, int slot, const OperationParameters& parameters,
                              std::string& message);

// Hands a built record to the engine's asynchronous dispatcher. True when
// it is on its way: sent (the connection layer took it) or answered by the
// engine itself (then it goes onto the result queue at once); false with the
// dispatcher's message when refused or failed, the record freed.
bool SendAsync(backend::RequestPtr record, std::string& message);
// Builds the operation's record and sends it asynchronously.
bool RunAsync(const Operation& operation, int slot, const OperationParameters& parameters, std::string& message);

// --- Reading an answer (sub-request 0 of a record)

// The status line; empty when there is no answer.
std::string_view StatusLine(const backend::RequestRecord& record);
// Answer row `row` (row 1 is the line after the status line); empty beyond
// the last line.
std::string_view AnswerRow(const backend::RequestRecord& record, int row);
// The rows the status line announces (field 5), no more than the answer
// holds.
int AnswerRowCount(const backend::RequestRecord& record);
// Field n of a line as text of at most `width` - 1 bytes, cut on a character
// boundary; empty when the line has no such field.
std::string FieldOf(std::string_view line, int n, std::size_t width);
// Field n of a line into a fixed-width member, cut and terminated alike.
template <std::size_t N>
void CopyFieldInto(char (&member)[N], std::string_view line, int n) {
  backend::GetSeparatedField(n, line, backend::kFieldSeparator, member, N);
}

// --- The answer routines

// True when the log-in answer's status (field 4) is "Y" in either case;
// otherwise false with "[<field 5>]<field 6>" in `message`.
bool CheckLoginAnswer(std::string_view statusLine, std::string& message);
// Field 5 of an answer's status line as a number: its follow-up packets or
// rows; 0 when absent or not a number.
int GetReplyPacketCount(std::string_view statusLine);
// Field 4 of a pushed line as a number: the push code (15001 ...).
int GetPushCode(std::string_view line);

}  // namespace client
