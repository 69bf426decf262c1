#include "client/notice_operations.h"

#include "backend/field_text.h"
#include "client/operation_frame.h"
#include "protocol/function_numbers.h"

namespace client {
namespace {

constexpr Operation kImportantNoticesQuery{
    .title = "查询重要通知", .functionNo = protocol::function_no::kQueryImportantNotices, .priority = 1};
constexpr Operation kBulletinsQuery{.title = "查询公告信息", .functionNo = protocol::function_no::kQueryBulletins};

constexpr int kNoticeTextField = 4;
constexpr std::string_view kLineBreak = "\r\n";

BulletinRecord BulletinOf(std::string_view row) {
  return {.level = FieldOf(row, 5, BulletinRecord::kLevelWidth),
          .sendDate = FieldOf(row, 8, BulletinRecord::kDateWidth),
          .sendTime = FieldOf(row, 9, BulletinRecord::kTimeWidth),
          .field10 = FieldOf(row, 10, BulletinRecord::kCarriedWidth),
          .field11 = FieldOf(row, 11, BulletinRecord::kCarriedWidth),
          .text = backend::GetSeparatedFieldText(7, row)};
}

}  // namespace

bool QueryImportantNotices(std::string& notices, std::string& message) {
  OperationParameters parameters(SlotAccount(0));
  parameters.Add("").Add("");
  const backend::RequestPtr record = RunSync(kImportantNoticesQuery, 0, parameters, message);
  if (!record) return false;
  notices.clear();
  const int rows = AnswerRowCount(*record);
  for (int row = 1; row <= rows; ++row) {
    const std::string text = backend::GetSeparatedFieldText(kNoticeTextField, AnswerRow(*record, row));
    notices.append(backend::TrimBlanks(text)).append(kLineBreak);
  }
  return true;
}

bool QueryBulletins(std::string_view customerNo, std::string_view level, std::string_view firstDate,
                    std::string_view lastDate, std::vector<BulletinRecord>& bulletins, std::string& message) {
  const backend::AccountKey signer = NamedAccount(customerNo);
  OperationParameters parameters(signer);
  parameters.Add(level).Add("").Add(firstDate).Add(lastDate);
  const backend::RequestPtr record = RunSync(kBulletinsQuery, signer.slot, parameters, message);
  if (!record) return false;
  const int rows = AnswerRowCount(*record);
  for (int row = 1; row <= rows; ++row) bulletins.push_back(BulletinOf(AnswerRow(*record, row)));
  return true;
}

}  // namespace client
