// The back-end function numbers that the terminal sends or whose answers it
// reads, each named after the operation it asks of the back end.
//
// The terminal's own operations run synchronously through the engine's
// dispatcher, asynchronously with a handler tag, or directly through the
// connection layer:
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
//   5450  SubscribeQuotation                    async "_SubscibeQuotation"
//   5451  QueryQuoteServerInfo                  sync
//   5461  Logout                                sync
//   5471  ConfirmSettlementStatement            sync
//   5472  QuerySettlementStatement              sync
//   5473  SendProfitLossOrder                   sync
//   5491  QueryImportantNotices                 sync
//
// The engine sends its own requests for its downloads, for rows it lacks,
// for last prices and for the answers that condition-order pushes ask of the
// user (5002, 5122 and 5127 among them, named above). It also applies to its
// tables the answers of the account-changing numbers that pass through its
// dispatcher, whoever sends them (5321 to 5481 below).
#pragma once

namespace protocol::function_no {

// --- The terminal's own operations
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
inline constexpr int kSubscribeQuotation = 5450;
inline constexpr int kQueryQuoteServerInfo = 5451;
inline constexpr int kLogout = 5461;
inline constexpr int kConfirmSettlementStatement = 5471;
inline constexpr int kQuerySettlementStatement = 5472;
inline constexpr int kSendProfitLossOrder = 5473;
inline constexpr int kQueryImportantNotices = 5491;

// --- The engine's own requests
inline constexpr int kQueryTrades = 5003;
inline constexpr int kQueryContracts = 5008;
inline constexpr int kQueryFeeRate = 5016;  // answered by the engine itself
inline constexpr int kQueryLastPrice = 5128;
inline constexpr int kQueryCloseStrategies = 5131;
inline constexpr int kQueryPositionDetails = 5132;
inline constexpr int kQueryCombinationDetails = 5133;
inline constexpr int kQueryOrders = 5134;  // every order of an account, or one
inline constexpr int kQueryExercisableQuantity = 5242;
inline constexpr int kQueryOptionParams = 5245;
inline constexpr int kQueryExerciseOrders = 5246;  // every application of an account, or one
inline constexpr int kQueryTradeCodes = 5300;
inline constexpr int kQueryOrderTypes = 5323;
inline constexpr int kQueryExchangeSeats = 5454;
inline constexpr int kConfirmConditionOrder = 5482;
inline constexpr int kChooseConditionOrderAction = 5483;

// --- Answers the engine applies to its tables
inline constexpr int kSendSpecialOrder = 5321;
inline constexpr int kCancelSpecialOrder = 5322;
inline constexpr int kChangeStoredOrder = 5460;
inline constexpr int kAddStoredOrder = 5464;
inline constexpr int kDeleteStoredOrder = 5466;
inline constexpr int kSendStoredOrder = 5467;
inline constexpr int kQueryProfitLossOrders = 5474;
inline constexpr int kChangeProfitLossOrder = 5475;
inline constexpr int kDeleteProfitLossOrder = 5476;
inline constexpr int kSendConditionOrder = 5477;  // also the engine's confirmation of a triggered one
inline constexpr int kQueryConditionOrders = 5478;
inline constexpr int kChangeConditionOrder = 5479;
inline constexpr int kCancelConditionOrder = 5480;
inline constexpr int kUpdateConditionOrderState = 5481;

}  // namespace protocol::function_no
