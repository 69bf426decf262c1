#include "functions.h"

#include <utility>

#include "platform/clock.h"
#include "simbackend/field_line.h"

namespace simbackend {
namespace {

enum Function : int {
  kLogin = 5001,
  kFundsQuery = 5002,
  kTradesQuery = 5003,
  kOrderStateQuery = 5010,
  kOrderSend = 5011,
  kOrderCancel = 5012,
  kKindPasswordChange = 5013,
  kBulletinsQuery = 5017,
  kPasswordChange = 5050,
  kMoneyHistoryQuery = 5006,
  kQuoteQuery = 5007,
  kManagedAccountsQuery = 5056,
  kCustomerStatusChange = 5057,
  kMoneyEdit = 5058,
  kMoneyReview = 5059,
  kContractsQuery = 5008,
  kFeeRatesQuery = 5016,
  kSystemDateQuery = 5122,
  kSeatTimeQuery = 5125,
  kPasswordRulesQuery = 5126,
  kLastPriceQuery = 5128,
  kTradingParametersQuery = 5127,
  kCloseStrategiesQuery = 5131,
  kPositionDetailsQuery = 5132,
  kCombinationDetailsQuery = 5133,
  kOrdersQuery = 5134,
  kCtpCheckIn = 5137,
  kExerciseSend = 5240,
  kExerciseCancel = 5241,
  kExercisableQuery = 5242,
  kAbandonApply = 5243,
  kAbandonableQuery = 5244,
  kOptionParametersQuery = 5245,
  kExerciseOrdersQuery = 5246,
  kTradeCodesQuery = 5300,
  kOrderTypesQuery = 5323,
  kQuoteSubscription = 5450,
  kQuoteServersQuery = 5451,
  kMonitorKeyQuery = 5406,
  kExchangeSeatsQuery = 5454,
  kLogoutRequest = 5461,
  kStatementConfirmation = 5471,
  kStatementQuery = 5472,
  kProfitLossOrder = 5473,
  kConditionOrder = 5477,
  kConditionConfirmation = 5482,
  kConditionChoice = 5483,
  kImportantNoticesQuery = 5491,
};

// Fields of the login text beyond the business frame.
constexpr std::size_t kClientAddressField = 9;
constexpr std::size_t kLoginRoleField = 27;
constexpr std::size_t kManagerField = 28;
// Login roles of field 27: empty for a customer's own login.
constexpr const char* kManagementRole = "1";
constexpr const char* kSubAccountRole = "2";

// The login answer carries the account from field 5 to field 43.
constexpr std::size_t kFirstAccountField = 5;
constexpr std::size_t kLastAccountField = 43;
// Fields of the login answer.
enum AccountField : std::size_t {
  kNameField = 5,
  kRiskDegreeField = 6,
  kRiskLevelField = 8,
  kTradingDateField = 9,
  kLastAddressField = 10,
  kLastDateField = 11,
  kLastTimeField = 12,
  kLastChannelField = 13,
  kStatementModeField = 14,
  kStatementConfirmedField = 15,
  kNoticesWaitingField = 16,
  kVersionField = 19,
  kSessionField = 42,
};

constexpr const char* kBackendVersion = "SIM 1.0";
// Login channels as the customer information shows them: single and multi-account.
constexpr const char* kSingleAccountChannel = "5";
constexpr const char* kMultiAccountChannel = "6";

// Fields of the CTP check-in request.
constexpr std::size_t kCtpUserParameter = 6;
constexpr std::size_t kCtpPasswordParameter = 7;
constexpr std::size_t kCtpAutomaticParameter = 8;

}  // namespace

std::string TrimBlanks(const std::string& text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

Answer Refusal(const Request& request, int code, const std::string& text) {
  return OneLine(RefusedLine(&request, code, text));
}

Functions::Functions(const BackendData& data, std::uint16_t ownPort, const QuoteFeed& quotes, AccountBook& accounts,
                     TradingFloor& floor)
    : data_(data),
      ownPort_(ownPort),
      quotes_(quotes),
      handlers_{
          {kOrderStateQuery, &Functions::OrderState},
          {kOrderSend, &Functions::SendOrder},
          {kOrderCancel, &Functions::CancelOrder},
          {kKindPasswordChange, &Functions::ChangeKindPassword},
          {kPasswordChange, &Functions::ChangePassword},
          {kPasswordRulesQuery, &Functions::PasswordRules},
          {kBulletinsQuery, &Functions::Bulletins},
          {kImportantNoticesQuery, &Functions::ImportantNotices},
          {kSeatTimeQuery, &Functions::SeatTimeDifferences},
          {kMonitorKeyQuery, &Functions::MonitorCentreKey},
          {kStatementQuery, &Functions::SettlementStatement},
          {kStatementConfirmation, &Functions::ConfirmStatement},
          {kProfitLossOrder, &Functions::PlaceProfitLoss},
          {kConditionOrder, &Functions::PlaceCondition},
          {kConditionConfirmation, &Functions::ConfirmCondition},
          {kConditionChoice, &Functions::ChooseConditionAction},
          {kMoneyHistoryQuery, &Functions::MoneyHistory},
          {kQuoteQuery, &Functions::QuoteQuery},
          {kManagedAccountsQuery, &Functions::ManagedAccounts},
          {kCustomerStatusChange, &Functions::CustomerStatus},
          {kMoneyEdit, &Functions::EditMoney},
          {kMoneyReview, &Functions::ReviewMoney},
          {kCtpCheckIn, &Functions::CheckInToCtp},
          {kExerciseSend, &Functions::SendExercise},
          {kExerciseCancel, &Functions::CancelExercise},
          {kAbandonApply, &Functions::ApplyAbandon},
          {kAbandonableQuery, &Functions::AbandonableOptions},
          {kQuoteSubscription, &Functions::Subscribe},
          {kQuoteServersQuery, &Functions::QuoteServers},
          {kSystemDateQuery, &Functions::SystemDate},
          {kExchangeSeatsQuery, &Functions::ExchangeSeats},
          {kTradingParametersQuery, &Functions::TradingParameters},
          {kCloseStrategiesQuery, &Functions::CloseStrategies},
          {kOrderTypesQuery, &Functions::OrderTypes},
          {kContractsQuery, &Functions::Contracts},
          {kTradeCodesQuery, &Functions::TradeCodes},
          {kFundsQuery, &Functions::FundsQuery},
          {kPositionDetailsQuery, &Functions::PositionDetails},
          {kCombinationDetailsQuery, &Functions::CombinationDetails},
          {kOrdersQuery, &Functions::Orders},
          {kExerciseOrdersQuery, &Functions::ExerciseOrders},
          {kTradesQuery, &Functions::Trades},
          {kFeeRatesQuery, &Functions::FeeRates},
          {kExercisableQuery, &Functions::ExercisableQuantity},
          {kOptionParametersQuery, &Functions::OptionParameters},
          {kLastPriceQuery, &Functions::LastPriceQuery},
          {kLogoutRequest, &Functions::Logout},
      },
      book_(accounts),
      floor_(floor) {}

Answer Functions::Handle(const Request& request, Session& session, std::uint64_t connection) {
  if (request.function == kLogin) return Login(request, session, connection);
  if (session.kind == SessionKind::kNone) return Refusal(request, kNotLoggedIn, "尚未登录，请先登录！");
  const auto handler = handlers_.find(request.function);
  if (handler == handlers_.end())
    return Refusal(request, kUnknownFunction, "模拟后台不支持功能号" + std::to_string(request.function) + "！");
  // A change of a password kind is signed by the old password of that kind,
  // which the change checks itself.
  const bool signedHere = request.function == kKindPasswordChange;
  if (!signedHere && !Authorized(request, session))
    return Refusal(request, kCredentialsMismatch, "客户号或密码与登录的账号不符！");
  return (this->*handler->second)(request, session);
}

SessionKind Functions::CheckLogin(const Request& request, std::string& refusal) const {
  const std::string& customer = request.Field(kCustomerField);
  const std::string& password = request.Field(kPasswordField);
  const std::string& role = request.Field(kLoginRoleField);
  if (role.empty() && customer == data_.quoteUser) {
    if (password == data_.quotePassword) return SessionKind::kQuote;
    refusal = RefusedLine(&request, kWrongPassword, "密码错误！");
    return SessionKind::kNone;
  }
  const Account* const account = data_.FindAccount(customer);
  if (account == nullptr) {
    refusal = RefusedLine(&request, kNoSuchCustomer, "客户号" + customer + "不存在！");
    return SessionKind::kNone;
  }
  SessionKind kind = SessionKind::kNone;
  // The management account's password signs the login of its sub-accounts.
  const Account* signer = account;
  if (role.empty()) {
    if (account->kind == AccountKind::kTrading) kind = SessionKind::kTrading;
  } else if (role == kManagementRole) {
    if (account->kind == AccountKind::kManagement) kind = SessionKind::kManagement;
  } else if (role == kSubAccountRole) {
    const std::string& manager = request.Field(kManagerField);
    signer = data_.FindAccount(manager);
    if (signer == nullptr || data_.FindManager(customer) != signer) {
      refusal = RefusedLine(&request, kNotManaged, "交易账号" + customer + "不属于管理账号" + manager + "！");
      return SessionKind::kNone;
    }
    kind = SessionKind::kSubAccount;
  }
  if (kind == SessionKind::kNone) {
    refusal = RefusedLine(
        &request, kWrongRole,
        account->kind == AccountKind::kManagement ? "管理账号请以管理角色登录！" : "该账号不能以此角色登录！");
  } else if (!book_.HasPassword(signer->customer, PasswordKind::kTrading, password)) {
    refusal = RefusedLine(&request, kWrongPassword, "密码错误！");
    kind = SessionKind::kNone;
  }
  return kind;
}

Answer Functions::Login(const Request& request, Session& session, std::uint64_t connection) {
  std::string refusal;
  const SessionKind kind = CheckLogin(request, refusal);
  if (kind == SessionKind::kNone) return OneLine(std::move(refusal));
  session = {kind, request.Field(kCustomerField)};
  if (kind == SessionKind::kQuote) return OneLine(AcceptedLine(request, {}));
  const Account& account = *data_.FindAccount(session.customer);
  return OneLine(AcceptedLine(request, AccountValues(account, kind, request, connection)));
}

std::vector<std::string> Functions::AccountValues(const Account& account, SessionKind kind, const Request& request,
                                                  std::uint64_t connection) {
  const platform::LocalTime now = platform::LocalNow();
  const LastLogin current{request.Field(kClientAddressField), DateText(now), TimeText(now),
                          kind == SessionKind::kTrading ? kSingleAccountChannel : kMultiAccountChannel};
  LastLogin last;
  {
    std::lock_guard lock(lastLoginsMutex_);
    LastLogin& stored = lastLogins_[account.customer];
    last = std::exchange(stored, current);
  }
  std::vector<std::string> values(kLastAccountField - kFirstAccountField + 1);
  const auto set = [&](AccountField field, std::string value) {
    values[field - kFirstAccountField] = std::move(value);
  };
  set(kNameField, account.name);
  set(kRiskDegreeField, "0");
  set(kRiskLevelField, "0");
  set(kTradingDateField, current.date);
  set(kLastAddressField, last.address);
  set(kLastDateField, last.date);
  set(kLastTimeField, last.time);
  set(kLastChannelField, last.channel);
  set(kStatementModeField, kind == SessionKind::kManagement ? "0" : account.statementMode);
  set(kStatementConfirmedField, book_.StatementConfirmed(account.customer, current.date) ? "1" : "0");
  set(kNoticesWaitingField, NoticesOf(account.customer).empty() ? "0" : "1");
  set(kVersionField, kBackendVersion);
  set(kSessionField, std::to_string(connection));
  return values;
}

Answer Functions::QuoteServers(const Request& request, Session&) {
  Answer answer{
      AcceptedLine(request, {std::to_string(data_.quoteServers.size()), data_.quoteUser, data_.quotePassword}),
      {},
      {},
      {}};
  // The terminal reads a server's address from field 3 and its port from field 4.
  int number = 0;
  for (const QuoteServer& server : data_.quoteServers)
    answer.rows.push_back(FieldLine()
                              .AddNumber(++number)
                              .Add(server.name)
                              .Add(server.address)
                              .AddNumber(server.port != 0 ? server.port : ownPort_)
                              .Text());
  return answer;
}

Answer Functions::ManagedAccounts(const Request& request, Session& session) {
  if (session.kind != SessionKind::kManagement)
    return Refusal(request, kNotManagement, "只有管理账号可以查询对应的交易账号！");
  const Account& manager = *data_.FindAccount(session.customer);
  Answer answer{AcceptedLine(request, {std::to_string(manager.managed.size())}), {}, {}, {}};
  // The terminal reads the sub-account from field 6 of each row.
  int number = 0;
  for (const std::string& customer : manager.managed)
    answer.rows.push_back(
        RowLine(request, {manager.customer, std::to_string(++number), customer, data_.FindAccount(customer)->name}));
  return answer;
}

Answer Functions::Logout(const Request& request, Session& session) {
  session = {};
  return OneLine(AcceptedLine(request, {}));
}

Answer Functions::CheckInToCtp(const Request& request, Session&) {
  // The simulated CTP system knows the back end's own trading accounts.
  const std::string user = TrimBlanks(Parameter(request, kCtpUserParameter));
  if (user.empty()) return Refusal(request, kBadParameter, "CTP用户名不能为空！");
  const Account* const account = data_.FindAccount(user);
  if (account == nullptr || account->kind != AccountKind::kTrading ||
      !book_.HasPassword(user, PasswordKind::kTrading, Parameter(request, kCtpPasswordParameter)))
    return Refusal(request, kCtpLoginFailed, "CTP用户名或密码错误！");
  return OneLine(
      AcceptedLine(request, {user, Parameter(request, kCtpAutomaticParameter), TodayText(), "签入CTP系统成功！"}));
}

const Contract* Functions::FindOption(const Request& request, const std::string& exchange, const std::string& code,
                                      std::string& refusal) const {
  const std::size_t index = data_.FindContract(exchange, code);
  if (index == BackendData::kNoContract) {
    refusal = RefusedLine(&request, kNoSuchContract, "合约" + code + "不存在！");
    return nullptr;
  }
  const Contract& contract = data_.contracts[index];
  if (contract.kind != ContractKind::kOption) {
    refusal = RefusedLine(&request, kBadParameter, "合约" + code + "不是期权！");
    return nullptr;
  }
  return &contract;
}

const Account* Functions::ManagerOf(const Request& request, const Session& session, const std::string& customer,
                                    std::string& refusal) const {
  if (session.kind != SessionKind::kManagement) {
    refusal = RefusedLine(&request, kNotManagement, "只有管理账号可以管理交易账号！");
    return nullptr;
  }
  const Account* const manager = data_.FindAccount(session.customer);
  if (data_.FindManager(customer) != manager) {
    refusal = RefusedLine(&request, kNotManaged, "交易账号" + customer + "不属于管理账号" + session.customer + "！");
    return nullptr;
  }
  return manager;
}

bool Functions::Authorized(const Request& request, const Session& session) const {
  const std::string& customer = request.Field(kCustomerField);
  // The quote connection carries requests signed by the trading account.
  if (session.kind != SessionKind::kQuote && customer != session.customer) return false;
  return SignsFor(customer, request.Field(kPasswordField));
}

bool Functions::SignsFor(const std::string& customer, const std::string& password) const {
  if (book_.HasPassword(customer, PasswordKind::kTrading, password)) return true;
  const Account* const manager = data_.FindManager(customer);
  return manager != nullptr && book_.HasPassword(manager->customer, PasswordKind::kTrading, password);
}

}  // namespace simbackend
