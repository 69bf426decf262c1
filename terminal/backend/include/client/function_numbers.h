// The back-end function numbers of the terminal's own operations. Each runs
// synchronously through the engine's dispatcher, asynchronously with a
// handler tag, or directly through the connection layer:
//
//   5001  Login, LoginQuoteGateway              direct (the slot's connect step)
//   5006  QueryHisIOFund                        async "_QueryHisIOFund"
//   5007  QueryQuotation (GetQuoteOrQuery,      sync
//         QueryQuoteRecord)
//   5012  DeleteOrder                           async "_DeleteOrder"
//   5012  DeleteAllOrder                        async "_DeleteAllOrder"
//   5056  QueryManagedTradingAccounts           direct (before the engine runs)
//   5057  MaintainCustomerStatus                sync
//   5058  EditCustomerIOMoney                   sync
//   5059  ReviewCustomerIOMoney                 sync
//   5137  CheckInToCTP                          sync
//   5240  SendOptionsExerciseOrder              sync
//   5241  CancelOptionsExerciseOrder            sync
//   5243  ApplyOptionsAbandon                   sync
//   5244  QueryOptionsExercise                  async "_QueryOptionsExercise"
//   5451  QueryQuoteServerInfo                  sync
#pragma once

namespace client::function_no {

inline constexpr int kLogin = 5001;
inline constexpr int kQueryHisIOFund = 5006;
inline constexpr int kQueryQuotation = 5007;
inline constexpr int kCancelOrder = 5012;
inline constexpr int kQueryManagedTradingAccounts = 5056;
inline constexpr int kMaintainCustomerStatus = 5057;
inline constexpr int kEditCustomerIOMoney = 5058;
inline constexpr int kReviewCustomerIOMoney = 5059;
inline constexpr int kCheckInToCTP = 5137;
inline constexpr int kSendOptionsExerciseOrder = 5240;
inline constexpr int kCancelOptionsExerciseOrder = 5241;
inline constexpr int kApplyOptionsAbandon = 5243;
inline constexpr int kQueryOptionsExercise = 5244;
inline constexpr int kQueryQuoteServerInfo = 5451;

}  // namespace client::function_no
