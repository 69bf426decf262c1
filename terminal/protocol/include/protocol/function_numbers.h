// The back-end function numbers of the terminal's own operations. Each runs
// synchronously through the engine's dispatcher, asynchronously with a
// handler tag, or directly through the connection layer:
//
//   5001  Login, LoginQuoteGateway              direct (the slot's connect step)
//   5002  QueryFunds                            sync
//   5006  QueryHisIOFund                        async "_QueryHisIOFund"
//   5007  QueryQuotation (GetQuoteOrQuery,      sync
//         QueryQuoteRecord)
//   5010  QueryOrderState                       sync
//   5011  SendOrder                             sync
//   5012  CancelOrder                           sync
//   5012  DeleteOrder                           async "_DeleteOrder"
//   5012  DeleteAllOrder                        async "_DeleteAllOrder"
//   5013  ChangePassword (of a password kind)   sync
//   5017  QueryBulletins                        sync
//   5050  ChangePassword (kind 0)               sync
//   5056  QueryManagedTradingAccounts           direct (before the engine runs)
//   5057  MaintainCustomerStatus                sync
//   5058  EditCustomerIOMoney                   sync
//   5059  ReviewCustomerIOMoney                 sync
//   5122  QuerySystemDate                       sync
//   5125  QuerySeatTimeDifference               sync
//   5126  QueryPasswordRules                    sync
//   5127  QuerySettlementParams                 sync
//   5137  CheckInToCTP                          sync
//   5240  SendOptionsExerciseOrder              sync
//   5241  CancelOptionsExerciseOrder            sync
//   5243  ApplyOptionsAbandon                   sync
//   5244  QueryOptionsExercise                  async "_QueryOptionsExercise"
//   5406  QueryMonitorCentreKey                 sync
//   5451  QueryQuoteServerInfo                  sync
//   5461  Logout                                sync
//   5471  ConfirmSettlementStatement            sync
//   5472  QuerySettlementStatement              sync
//   5473  SendProfitLossOrder                   sync
//   5491  QueryImportantNotices                 sync
#pragma once

namespace protocol::function_no {

inline constexpr int kLogin = 5001;
inline constexpr int kQueryFunds = 5002;
inline constexpr int kQueryHisIOFund = 5006;
inline constexpr int kQueryQuotation = 5007;
inline constexpr int kQueryOrderState = 5010;
inline constexpr int kSendOrder = 5011;
inline constexpr int kCancelOrder = 5012;
inline constexpr int kChangeKindPassword = 5013;
inline constexpr int kQueryBulletins = 5017;
inline constexpr int kChangePassword = 5050;
inline constexpr int kQueryManagedTradingAccounts = 5056;
inline constexpr int kMaintainCustomerStatus = 5057;
inline constexpr int kEditCustomerIOMoney = 5058;
inline constexpr int kReviewCustomerIOMoney = 5059;
inline constexpr int kQuerySystemDate = 5122;
inline constexpr int kQuerySeatTimeDifference = 5125;
inline constexpr int kQueryPasswordRules = 5126;
inline constexpr int kQuerySettlementParams = 5127;
inline constexpr int kCheckInToCTP = 5137;
inline constexpr int kSendOptionsExerciseOrder = 5240;
inline constexpr int kCancelOptionsExerciseOrder = 5241;
inline constexpr int kApplyOptionsAbandon = 5243;
inline constexpr int kQueryOptionsExercise = 5244;
inline constexpr int kQueryMonitorCentreKey = 5406;
inline constexpr int kQueryQuoteServerInfo = 5451;
inline constexpr int kLogout = 5461;
inline constexpr int kConfirmSettlementStatement = 5471;
inline constexpr int kQuerySettlementStatement = 5472;
inline constexpr int kSendProfitLossOrder = 5473;
inline constexpr int kQueryImportantNotices = 5491;

}  // namespace protocol::function_no
