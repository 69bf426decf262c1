#include "backend/account_table.h"

#include <array>
#include <atomic>
#include <cstring>
#include <numeric>

#include "backend/field_text.h"
#include "platform/little_endian.h"

namespace backend {
namespace {

constexpr int kFieldCount = AccountRecord::kLastAnswerField - AccountRecord::kFirstAnswerField + 1;

// Widths of answer fields 5..43, in order.
constexpr std::array<std::size_t, kFieldCount> kFieldWidths = {
    64,  16, 16, 8,  9,  32, 9,  9,  32, 2,  2,  2,  512,  // 5..17
    128, 16, 32, 32, 9,  32, 64, 16, 2,  16, 16, 16, 16,   // 18..30
    256, 32, 32, 64, 32, 2,  8,  8,  8,  32, 2,  16, 64,   // 31..43
};
static_assert(std::accumulate(kFieldWidths.begin(), kFieldWidths.end(), std::size_t{0}) ==
              sizeof(AccountRecord::answerFields));

constexpr std::size_t kVarietyCodeOffset = 64;

bool ValidField(int n) { return n >= AccountRecord::kFirstAnswerField && n <= AccountRecord::kLastAnswerField; }

std::size_t FieldOffset(int n) {
  std::size_t offset = 0;
  for (int field = AccountRecord::kFirstAnswerField; field < n; ++field) offset += AccountRecord::FieldWidth(field);
  return offset;
}

// The zero-terminated text at the start of `bytes`, never beyond them.
std::string_view TextIn(const char* bytes, std::size_t size) { return {bytes, strnlen(bytes, size)}; }

std::string_view TextIn(std::span<const std::uint8_t> bytes) {
  return TextIn(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

void CopyText(std::string_view text, char (&field)[kAccountTextSize]) {
  const std::string terminated(text);
  CopyTextBounded(terminated.c_str(), field, sizeof field);
}

// Index of the first fixed-size row of `rows` that `matches`, with its bytes.
template <typename Matches>
std::ptrdiff_t FindRow(std::span<const std::uint8_t> rows, std::size_t rowSize, std::span<const std::uint8_t>* row,
                       Matches matches) {
  for (std::size_t index = 0; (index + 1) * rowSize <= rows.size(); ++index) {
    const std::span<const std::uint8_t> candidate = rows.subspan(index * rowSize, rowSize);
    if (!matches(candidate)) continue;
    if (row != nullptr) *row = candidate;
    return static_cast<std::ptrdiff_t>(index);
  }
  return -1;
}

std::atomic<int> gLoginType{kTradingLogin};

}  // namespace

std::size_t AccountRecord::FieldWidth(int n) {
  return ValidField(n) ? kFieldWidths[static_cast<std::size_t>(n - kFirstAnswerField)] : 0;
}

std::string_view AccountRecord::Field(int n) const {
  if (!ValidField(n)) return {};
  return TextIn(answerFields + FieldOffset(n), FieldWidth(n));
}

int GetLoginType() { return gLoginType.load(); }

void SetLoginType(int loginType) { gLoginType.store(loginType); }

void FillAccountFromAnswer(AccountRecord& record, std::string_view answerLine) {
  for (int n = AccountRecord::kFirstAnswerField; n <= AccountRecord::kLastAnswerField; ++n) {
    char* field = record.answerFields + FieldOffset(n);
    std::memset(field, 0, AccountRecord::FieldWidth(n));
    GetSeparatedField(n, answerLine, kFieldSeparator, field, AccountRecord::FieldWidth(n));
  }
}

std::size_t AccountTable::AddAccount(const AccountKey& key) {
  AccountRecord& record = records_.emplace_back();
  CopyText(TextIn(key.customerNo, sizeof key.customerNo), record.key.customerNo);
  CopyText(TextIn(key.password, sizeof key.password), record.key.password);
  record.key.slot = key.slot;
  return IndexOf(record.key.customerNo);
}

std::size_t AccountTable::UpdateAccountFromAnswer(std::string_view customerNo, std::string_view answerLine) {
  const std::size_t index = IndexOf(customerNo);
  if (index < records_.size()) FillAccountFromAnswer(records_[index], answerLine);
  return index;
}

std::size_t AccountTable::IndexOf(std::string_view customerNo) const {
  std::size_t index = 0;
  while (index < records_.size() && TextIn(records_[index].key.customerNo, kAccountTextSize) != customerNo) ++index;
  return index;
}

const AccountRecord* AccountTable::FindAccountByCode(std::string_view customerNo) const {
  const std::size_t index = IndexOf(customerNo);
  return index < records_.size() ? &records_[index] : nullptr;
}

const AccountRecord* AccountTable::FindAccountBySlot(int slot) const {
  for (const AccountRecord& record : records_) {
    if (record.key.slot == slot) return &record;
  }
  return nullptr;
}

bool AccountTable::CopyAccountKey(std::string_view customerNo, AccountKey& key) const {
  const AccountRecord* record = FindAccountByCode(customerNo);
  key = record != nullptr ? record->key : AccountKey{};
  return record != nullptr;
}

void AccountTable::SetPassword(std::string_view customerNo, std::string_view password) {
  const std::string text(password);
  for (AccountRecord& record : records_) {
    if (customerNo == record.key.customerNo)
      CopyTextBounded(text.c_str(), record.key.password, sizeof record.key.password);
  }
}

bool AccountTable::CopyAccountKeyBySlot(int slot, AccountKey& key) const {
  const AccountRecord* record = FindAccountBySlot(slot);
  key = record != nullptr ? record->key : AccountKey{};
  return record != nullptr;
}

std::string_view AccountTable::GetFirstAccountCode() const {
  const AccountRecord* record = FindAccountBySlot(0);
  return record != nullptr ? TextIn(record->key.customerNo, kAccountTextSize) : std::string_view();
}

std::size_t AccountTable::GetAccountList(std::vector<AccountKey>& keys) const {
  // A management account trades through the accounts it manages, not itself.
  const bool management = GetLoginType() == kManagementLogin;
  const std::size_t first = management ? 1 : 0;
  const std::size_t end = management ? records_.size() : 1;
  std::size_t appended = 0;
  for (std::size_t index = first; index < end && index < records_.size(); ++index, ++appended) {
    keys.push_back(records_[index].key);
  }
  return appended;
}

AccountTable& TheAccountTable() {
  static AccountTable table;
  return table;
}

std::ptrdiff_t FindVarietyParamRow(std::span<const std::uint8_t> rows, std::string_view code,
                                   std::span<const std::uint8_t>* row) {
  return FindRow(rows, kVarietyParamRowSize, row, [&](std::span<const std::uint8_t> candidate) {
    return TextIn(candidate.subspan(kVarietyCodeOffset)) == code;
  });
}

std::ptrdiff_t FindVoiceItem(std::uint32_t eventId, std::span<const std::uint8_t> items,
                             std::span<const std::uint8_t>* item) {
  return FindRow(items, kVoiceItemSize, item, [&](std::span<const std::uint8_t> candidate) {
    return platform::LoadLittleEndian<std::uint32_t>(candidate.data()) == eventId;
  });
}

}  // namespace backend
