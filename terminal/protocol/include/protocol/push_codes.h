// The push codes: field 4 of every line the back end pushes. The engine sees
// each pushed line first; the GUI thread then handles those that reach the
// output pane, the order module or the quote table.
//
//   15001  quote                                  GUI (quote table)
//   15002  order state                            engine, GUI
//   15003  condition-order and profit/loss-order  engine
//   15004  order cancel                           engine, GUI
//   15005  trade                                  engine, GUI
//   15006  message                                engine (field 9 "1": download again), GUI
//   15007  message box                            GUI
//   15008  special order                          engine
//   15009  special-order state                    engine
//   15012  option exercise/abandon order state    engine, GUI
//   15013  option exercise/abandon order cancel   engine, GUI
#pragma once

namespace protocol::push_code {

inline constexpr int kQuote = 15001;
inline constexpr int kOrderState = 15002;
inline constexpr int kConditionOrder = 15003;
inline constexpr int kOrderCancel = 15004;
inline constexpr int kTrade = 15005;
inline constexpr int kMessage = 15006;
inline constexpr int kMessageBox = 15007;
inline constexpr int kSpecialOrder = 15008;
inline constexpr int kSpecialOrderState = 15009;
inline constexpr int kExerciseOrderState = 15012;
inline constexpr int kExerciseOrderCancel = 15013;

}  // namespace protocol::push_code
