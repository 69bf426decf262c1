// The logged-in accounts: after a plain log-in the one trading account;
// after a management log-in the management account first and then each
// managed trading account on its own connection slot. Business operations
// look up the password and slot of the account they act for here.
//
// The log-in fills the table on the GUI thread before any other thread reads
// it; afterwards it is only read, so it has no lock. Records keep their
// address while the table grows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <span>
#include <string_view>
#include <vector>

namespace backend {

inline constexpr std::size_t kAccountTextSize = 64;

struct AccountKey {
  char customerNo[kAccountTextSize] = {};  // zero-terminated
  char password[kAccountTextSize] = {};    // zero-terminated
  std::int32_t slot = 0;                   // connection slot 0..2
};
static_assert(sizeof(AccountKey) == 132);

// An account: its key, then fields 5 to 43 of its log-in answer (function
// 5001), each a zero-terminated text of fixed width.
struct AccountRecord {
  static constexpr int kFirstAnswerField = 5;
  static constexpr int kLastAnswerField = 43;

  AccountKey key;
  char answerFields[1664] = {};

  // Answer field n (5..43) as stored; empty for any other n.
  std::string_view Field(int n) const;
  // Its width in the record, terminator included; 0 outside 5..43.
  static std::size_t FieldWidth(int n);
};
static_assert(sizeof(AccountRecord) == 1796);

// Who logged in: 2 a trading account (at start), 1 a management account.
inline constexpr int kTradingLogin = 2;
inline constexpr int kManagementLogin = 1;
int GetLoginType();
void SetLoginType(int loginType);

// Copies fields 5..43 of the log-in answer line into the record: each cut to
// its width minus one on a character boundary, 0x01 read as "|", a field not
// closed by a separator left empty.
void FillAccountFromAnswer(AccountRecord& record, std::string_view answerLine);

class AccountTable {
 public:
  // Appends a record holding the key (texts cut to 63 bytes); returns the
  // index of the first record with that customer number.
  std::size_t AddAccount(const AccountKey& key);
  // Fills the first record of the customer number; returns its index, or the
  // record count when there is none.
  std::size_t UpdateAccountFromAnswer(std::string_view customerNo, std::string_view answerLine);

  const AccountRecord* FindAccountByCode(std::string_view customerNo) const;
  const AccountRecord* FindAccountBySlot(int slot) const;
  // The key of the account; false with a zeroed key when there is none.
  bool CopyAccountKey(std::string_view customerNo, AccountKey& key) const;
  bool CopyAccountKeyBySlot(int slot, AccountKey& key) const;
  // Stores a changed log-in password in every record of the customer
  // number (cut to its field), so that later requests and log-ins carry it.
  void SetPassword(std::string_view customerNo, std::string_view password);
  // The customer number of the account on slot 0; empty when none.
  std::string_view GetFirstAccountCode() const;
  // Appends the keys behind the customer selectors: after a management
  // log-in the managed accounts (records 1 on), otherwise record 0. Returns
  // the number of keys appended.
  std::size_t GetAccountList(std::vector<AccountKey>& keys) const;

  std::size_t Count() const { return records_.size(); }
  const AccountRecord& At(std::size_t index) const { return records_[index]; }
  void Clear() { records_.clear(); }

 private:
  // Index of the first record of the customer number; the count when none.
  std::size_t IndexOf(std::string_view customerNo) const;

  std::deque<AccountRecord> records_;
};

// The table of the running terminal.
AccountTable& TheAccountTable();

// The first row whose variety code (a zero-terminated text at byte 64 of a
// 240-byte row) equals `code`, in packed rows; its index and bytes, or -1.
inline constexpr std::size_t kVarietyParamRowSize = 240;
std::ptrdiff_t FindVarietyParamRow(std::span<const std::uint8_t> rows, std::string_view code,
                                   std::span<const std::uint8_t>* row = nullptr);

// The first 588-byte voice item whose leading 32-bit id (little-endian)
// equals `eventId`, in packed items; its index and bytes, or -1.
inline constexpr std::size_t kVoiceItemSize = 588;
std::ptrdiff_t FindVoiceItem(std::uint32_t eventId, std::span<const std::uint8_t> items,
                             std::span<const std::uint8_t>* item = nullptr);

}  // namespace backend
