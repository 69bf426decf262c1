#include "client/push_handlers.h"

#include <algorithm>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <string>
#include <string_view>

#include "backend/field_text.h"
#include "backend/global_string_list.h"
#include "client/code_tables.h"
#include "client/operation_frame.h"
#include "client/shell_services.h"
#include "leading_number.h"
#include "platform/format.h"
#include "platform/gbk.h"
#include "platform/message.h"
#include "separated_fields.h"

namespace client {
namespace {

// Widths of the bounded field copies, terminator included.
constexpr std::size_t kOrderFieldSize = 51;
constexpr std::size_t kTradeSeatCodeSize = 256;
constexpr std::size_t kMessageCategorySize = 256;
constexpr std::size_t kMessageAddresseeSize = 64;
constexpr std::size_t kMessageLevelSize = 256;
constexpr std::size_t kMessageTextSize = 1024;
constexpr std::size_t kExchangeSize = 31;
constexpr std::size_t kExchangeStateSize = 256;
constexpr std::size_t kMessageBoxTitleSize = 128;
constexpr std::size_t kMessageBoxTextSize = 1024;

// The longest notice line, cut on a character boundary.
constexpr std::size_t kNoticeLength = 1023;

// Message categories of push 15006.
enum MessageCategory : int {
  kNotice = 0,
  kRunMessage = 1,  // shown once in the program's run
  kExchangeState = 2,
  kIgnoredCategory = 7,
};

// Field n of the line as a bounded copy of `size` - 1 bytes at most, cut on
// a character boundary and at a zero byte, as backend::CopyFieldText copies
// it; the line is split once for all the fields it gives.
std::string Field(const SeparatedFields& fields, int n, std::size_t size = kOrderFieldSize) {
  std::string_view raw = fields.Raw(n);
  raw = raw.substr(0, platform::GbkFitLength(raw, size - 1));
  raw = raw.substr(0, raw.find('\0'));
  std::string text(raw);
  std::ranges::replace(text, backend::kEscapedSeparator, backend::kFieldSeparator);
  return text;
}

// The pieces in one text, sized once: for the output lines that come with
// every fill, which printf-style formatting would cost more than the rest of
// their handling.
std::string Joined(std::initializer_list<std::string_view> pieces) {
  std::size_t size = 0;
  for (const std::string_view piece : pieces) size += piece.size();
  std::string text;
  text.reserve(size);
  for (const std::string_view piece : pieces) text += piece;
  return text;
}

// The volume not yet filled: order volume minus filled volume, as text.
std::string Difference(std::string_view minuend, std::string_view subtrahend) {
  const std::int64_t difference =
      static_cast<std::int64_t>(LeadingInteger(minuend)) - static_cast<std::int64_t>(LeadingInteger(subtrahend));
  return std::to_string(difference);
}

// The exercise word of field 42: "1" exercise, "2" abandon.
const char* ExerciseWord(std::string_view code) {
  if (code == "1") return "执行";
  if (code == "2") return "放弃";
  return "";
}

// The notice heading of a level; null for a level without one.
const char* NoticeFormat(int level) {
  switch (level) {
    case 1: return "普通信息：%s";
    case 2: return "警告信息：%s";
    case 3: return "危险信息：%s";
    case 4: return "滚动信息：%s";
    case 5: return "风控信息：%s";
    default: return nullptr;
  }
}

std::string CutToLength(std::string text, std::size_t length) {
  text.resize(platform::GbkFitLength(text, length));
  return text;
}

// The state change of an order or cancel push: order number 9, ordering seat
// 42, seat code 36, state 14, volume 22, filled 24.
OrderStateChange StateChangeOf(const SeparatedFields& line) {
  const std::string volume = Field(line, 22);
  return MakeOrderStateChange(Field(line, 42), Field(line, 9), Field(line, 36), Field(line, 14), volume,
                              Difference(volume, Field(line, 24)));
}

}  // namespace

PushHandlers::PushHandlers(const backend::AccountTable& accounts, OrderLookup* orders, OrderStateQueue* orderStates)
    : accounts_(accounts), orders_(orders), orderStates_(orderStates) {}

void PushHandlers::QueueStateChange(const OrderStateChange& change) {
  if (orderStates_ != nullptr) orderStates_->QueueOrderStateChange(change);
}

void PushHandlers::OnOrderPush(std::string_view pushed) {
  const SeparatedFields line(pushed);
  QueueStateChange(StateChangeOf(line));
  PostOutputLine(kOrderLine, Joined({"委托单：", Field(line, 9), "|", Field(line, 15), "|", Field(line, 12), "|",
                                     Field(line, 17), "|", Field(line, 19), "|", Field(line, 21), "|", Field(line, 22),
                                     "|", Field(line, 23), "[", Field(line, 40), "]"}));
}

void PushHandlers::OnCancelPush(std::string_view pushed) {
  const SeparatedFields line(pushed);
  QueueStateChange(StateChangeOf(line));
  PostOutputLine(kCancelLine,
                 platform::Format("撤单：%s|%s|%s|%s|%s|%s|%s|%s|%s|%s|", Field(line, 9).c_str(),
                                  Field(line, 10).c_str(), Field(line, 15).c_str(), Field(line, 12).c_str(),
                                  Field(line, 17).c_str(), Field(line, 19).c_str(), Field(line, 21).c_str(),
                                  Field(line, 36).c_str(), Field(line, 42).c_str(), Field(line, 40).c_str()));
}

void PushHandlers::OnTradePush(std::string_view pushed) {
  const SeparatedFields line(pushed);
  if (orders_ == nullptr) return;
  // Exchange 9, account 8, ordering seat 37, order number 11.
  const std::optional<KnownOrder> order =
      orders_->FindOrder(Field(line, 9), Field(line, 8), Field(line, 37), Field(line, 11));
  // A fill of an order this terminal does not hold is no business of its own.
  if (!order) return;
  const std::string stillOpen = Field(line, 23);
  QueueStateChange(MakeOrderStateChange(order->orderingSeat, order->orderNo, order->seatCode, Field(line, 12),
                                        order->lots, stillOpen));
  PostOutputLine(kTradeLine, Joined({"委托单：",
                                     order->orderNo,
                                     "|委托",
                                     order->lots,
                                     "手,本次成交",
                                     Field(line, 22),
                                     "手,共成交",
                                     Difference(order->lots, stillOpen),
                                     "手|",
                                     order->contractCode,
                                     "|",
                                     Field(line, 17),
                                     "|",
                                     Field(line, 19),
                                     "|",
                                     Field(line, 21),
                                     "|",
                                     order->price,
                                     "[",
                                     Field(line, 36, kTradeSeatCodeSize),
                                     "]"}));
}

void PushHandlers::OnExerciseOrderPush(std::string_view pushed) {
  const SeparatedFields line(pushed);
  PostOutputLine(kOrderLine,
                 platform::Format("执行放弃委托单：%s|%s|%s|%s|%s|%s|%s[%s]", Field(line, 9).c_str(),
                                  OrderStateText(Field(line, 12)), Field(line, 11).c_str(),
                                  ExerciseWord(Field(line, 42)), BuySellText(Field(line, 13)),
                                  HedgeText(Field(line, 14)), Field(line, 15).c_str(), Field(line, 29).c_str()));
}

void PushHandlers::OnExerciseCancelPush(std::string_view pushed) {
  const SeparatedFields line(pushed);
  PostOutputLine(
      kCancelLine,
      platform::Format("执行放弃委托撤单：%s|%s|%s|%s|%s|%s|%s|%s|%s|%s|", Field(line, 9).c_str(),
                       Field(line, 10).c_str(), OrderStateText(Field(line, 12)), Field(line, 11).c_str(),
                       ExerciseWord(Field(line, 42)), BuySellText(Field(line, 13)), HedgeText(Field(line, 14)),
                       Field(line, 25).c_str(), Field(line, 31).c_str(), Field(line, 29).c_str()));
}

void PushHandlers::OnMessagePush(std::string_view pushed) {
  const SeparatedFields line(pushed);
  switch (LeadingInteger(Field(line, 9, kMessageCategorySize))) {
    case kNotice: OnNotice(pushed); return;
    case kRunMessage:
      if (runMessageShown_) return;
      runMessageShown_ = true;
      PostOutputLine(kNoticeLine, Field(line, 17, kMessageTextSize));
      return;
    case kExchangeState: OnExchangeState(pushed); return;
    case kIgnoredCategory: return;
    default: PostOutputLine(kNoticeLine, Field(line, 17, kMessageTextSize)); return;
  }
}

// A notice for everybody (addressee " " or empty) or for a logged-in
// customer, headed by its level; a level without a heading shows the bare
// text.
void PushHandlers::OnNotice(std::string_view pushed) {
  const SeparatedFields line(pushed);
  const std::string addressee = Field(line, 11, kMessageAddresseeSize);
  if (addressee != " " && !addressee.empty() && accounts_.FindAccountByCode(addressee) == nullptr) return;
  const std::string text = Field(line, 17, kMessageTextSize);
  const char* heading = NoticeFormat(LeadingInteger(Field(line, 14, kMessageLevelSize)));
  PostOutputLine(kNoticeLine,
                 heading == nullptr ? text : CutToLength(platform::Format(heading, text.c_str()), kNoticeLength));
}

// An exchange's new state (field 19 the exchange, field 20 the state): each
// of the states 0 to 3 is shown once in the run, any other state every time;
// the exchange clocks always learn it.
void PushHandlers::OnExchangeState(std::string_view pushed) {
  const SeparatedFields line(pushed);
  const std::string exchange = Field(line, 19, kExchangeSize);
  const std::string state = Field(line, 20, kExchangeStateSize);
  const std::optional<int> stateValue = backend::ParseDecimal(state);
  const std::string text = Field(line, 17, kMessageTextSize);
  if (stateValue && *stateValue >= 0 && *stateValue < static_cast<int>(std::size(exchangeStateShown_))) {
    bool& shown = exchangeStateShown_[*stateValue];
    if (!shown) PostOutputLine(kExchangeStateLine, text);
    shown = true;
  } else {
    PostOutputLine(kNoticeLine, text);
  }
  backend::CGlobalStringList exchangeState;
  exchangeState.Append(exchange);
  exchangeState.Append(state);
  if (ShellServices* shell = TheShellServices()) shell->UpdateExchangeClockState(exchangeState);
}

void PushHandlers::OnMessageBoxPush(std::string_view pushed) {
  const SeparatedFields line(pushed);
  const std::string text = platform::Format("[%s]%s", Field(line, 8, kMessageBoxTitleSize).c_str(),
                                            Field(line, 9, kMessageBoxTextSize).c_str());
  // The line is in the output pane before the box holds the GUI thread.
  PostOutputLine(kConnectionLine, text);
  platform::ShowMessage(text);
}

}  // namespace client
