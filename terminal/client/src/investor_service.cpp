#include "client/investor_service.h"

#include <cctype>
#include <cstring>
#include <utility>

#include "backend/field_text.h"
#include "client/operation_frame.h"
#include "leading_number.h"
#include "platform/ini_file.h"
#include "platform/process.h"
#include "protocol/function_numbers.h"

namespace client {
namespace {

constexpr Operation kKeyQuery{
    .title = "查询监控中心密钥", .functionNo = protocol::function_no::kQueryMonitorCentreKey, .singlePacket = true};

constexpr std::string_view kLoginPage = "/loginByKey.do";

// The key's password comes in three parts, joined without a separator.
constexpr int kFirstPasswordField = 8;
constexpr int kLastPasswordField = 10;

template <std::size_t N>
void SetText(char (&member)[N], std::string_view text) {
  const std::string value(text);
  backend::CopyTextBounded(value.c_str(), member, N);
}

// A query value: every byte but the unreserved ones of RFC 3986 as %XX, so
// that a password holding "&", "#" or "+" arrives as it is.
std::string PercentEncoded(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string encoded;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte < 0x80 && std::isalnum(byte) != 0) || c == '-' || c == '_' || c == '.' || c == '~') {
      encoded += c;
    } else {
      encoded += '%';
      encoded += kHex[byte >> 4];
      encoded += kHex[byte & 0x0F];
    }
  }
  return encoded;
}

InvestorServiceThread& TheInvestorServiceThread() {
  static InvestorServiceThread thread;
  return thread;
}

}  // namespace

bool QueryMonitorCentreKey(MonitorCentreKey& key, std::string& message) {
  // The whole answer check, not only the status letter: a lost connection
  // or an empty answer gives no key.
  const backend::RequestPtr record = RunSync(kKeyQuery, 0, OperationParameters(SlotAccount(0)), message);
  if (!record) return false;
  const std::string_view status = StatusLine(*record);
  CopyFieldInto(key.userId, status, 5);
  CopyFieldInto(key.companyId, status, 6);
  key.keyId = LeadingInteger(backend::GetSeparatedFieldText(7, status));
  std::string password;
  for (int n = kFirstPasswordField; n <= kLastPasswordField; ++n) password += backend::GetSeparatedFieldText(n, status);
  SetText(key.password, password);
  return true;
}

std::string InvestorServicePageAddress(std::string_view siteAddress, const MonitorCentreKey* key) {
  std::string address = std::string(siteAddress) + std::string(kLoginPage);
  if (key == nullptr) return address;
  address += "?companyID=" + PercentEncoded(backend::FieldText(key->companyId));
  address += "&userid=" + PercentEncoded(backend::FieldText(key->userId));
  address += "&keyid=" + std::to_string(key->keyId);
  address += "&passwd=" + PercentEncoded(backend::FieldText(key->password));
  return address;
}

bool OpenWithDesktopHandler(const std::string& address) { return platform::StartProcess({"xdg-open", address}); }

InvestorServiceThread::InvestorServiceThread(PageOpener opener) : opener_(std::move(opener)) {}

bool InvestorServiceThread::Start(std::string_view siteAddress) {
  if (siteAddress.empty()) return false;
  std::lock_guard lock(mutex_);
  if (thread_.IsRunning()) {
    if (!finished_.load()) return false;
    thread_.Stop();
  }
  finished_.store(false);
  return thread_.Start([this, site = std::string(siteAddress)](platform::Event& stop) { Run(site, stop); });
}

void InvestorServiceThread::Stop() {
  std::lock_guard lock(mutex_);
  thread_.Stop();
}

void InvestorServiceThread::Run(const std::string& siteAddress, platform::Event& stop) {
  MonitorCentreKey key;
  SetText(key.userId, SlotAccount(0).customerNo);
  std::string message;
  const bool keyed = QueryMonitorCentreKey(key, message);
  if (!stop.IsSet()) opener_(InvestorServicePageAddress(siteAddress, keyed ? &key : nullptr));
  finished_.store(true);
}

bool StartInvestorServiceThread(std::string_view siteAddress) { return TheInvestorServiceThread().Start(siteAddress); }

std::string InvestorServiceSite() {
  return platform::ReadIniString("\\Config\\Configs.ini", "InvestorService", "Address", "");
}

void StopInvestorServiceThread() { TheInvestorServiceThread().Stop(); }

}  // namespace client
