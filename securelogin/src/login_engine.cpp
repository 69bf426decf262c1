#include "login_engine.h"

#include <algorithm>
#include <charconv>
#include <cstring>

#include "delimited_field.h"
#include "platform/gbk.h"
#include "policy_list.h"

namespace gatelin {
namespace {

// Buffer sizes of the plug-in's outputs.
constexpr int kCertificateDetailSize = 128;
constexpr int kEchoKeySize = 64;
constexpr int kSignatureSize = 1024;
constexpr int kEnvelopeSize = 1024;
constexpr int kUploadCertificateSize = 2048;
// The longest server certificate a download may assemble.
constexpr std::size_t kDownloadCertificateLimit = 2047;
constexpr std::size_t kUploadChunk = 128;
// The first part of answer field 34 when the server holds no certificate.
constexpr std::string_view kNoServerCertificate = "-1000";

constexpr int kLoggedIn = GTN_LOGGED_IN;
constexpr int kRefused = GTN_REFUSED;
constexpr int kCommunicationError = GTN_COMMUNICATION_ERROR;
constexpr int kFailed = GTN_FAILED;

constexpr std::string_view kUnknownKind = "未知类型的安全登录方式";
constexpr std::string_view kSupplierCallFailed = "调用认证厂商功能失败";

// The engine whose log-in is in progress, for the middleware's reply hook.
LoginEngine* hookEngine = nullptr;

int ReplyHook(int connection, const char* request, const char* reply, char* out, int outSize) {
  if (!hookEngine || !request || !reply || !out || outSize <= 0) return 0;
  return hookEngine->OnReply(connection, request, reply, out, outSize);
}

class HookScope {
 public:
  explicit HookScope(LoginEngine* engine) { hookEngine = engine; }
  ~HookScope() { hookEngine = nullptr; }
};

// The leading decimal number of a text, as the server writes it; 0 when
// there is none.
int LeadingNumber(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  int value = 0;
  std::from_chars(text.data(), text.data() + text.size(), value);
  return value;
}

// A plug-in's output of `length` bytes in a buffer of `size`, read up to its
// terminator; nullopt when the length claims more than the buffer.
std::optional<std::string> PluginOutput(const char* buffer, int length, int size) {
  if (length < 0 || length > size) return std::nullopt;
  return std::string(buffer, ::strnlen(buffer, static_cast<std::size_t>(length)));
}

// A text that the engine puts into a request field must not split it.
bool IsFieldText(std::string_view text, std::string_view separators = "|") {
  return !text.empty() && text.find_first_of(separators) == std::string_view::npos;
}

}  // namespace

LoginEngine::LoginEngine() : pluginError_(kPluginErrorSize, '\0') {}

LoginEngine::~LoginEngine() = default;

int LoginEngine::InitInstance(GtnLogFunction log, std::string engineFolder) {
  log_.Configure(log, engineFolder);
  log_.Write(std::string("[GTN]version:") + kGatelinVersion);
  log_.Write("[GTN]InitInstance...");
  suppliers_.Load(std::move(engineFolder));
  return 1;
}

int LoginEngine::ExitInstance() {
  suppliers_.Unload();
  return log_.Write("[GTN]ExitInstance...");
}

void LoginEngine::PolicyList(unsigned char* list) const { WritePolicyList(suppliers_, list); }

int LoginEngine::ChangePassword(int policy, const char* oldSecret, const char* newSecret, char* error, int errorSize) {
  Failure failure;
  const int result = suppliers_.ChangeSupplierPassword(policy, oldSecret, newSecret, failure);
  if (error && errorSize > 0) {
    const std::size_t length = platform::GbkFitLength(failure.message, static_cast<std::size_t>(errorSize) - 1);
    std::memcpy(error, failure.message.data(), length);
    error[length] = '\0';
  }
  return result;
}

// ---------------------------------------------------------------------------
// Log-in and relogin

void LoginEngine::BeginCall(const char* request, char* reply, int replySize) {
  request_ = request ? request : "";
  reply_ = reply;
  replySize_ = replySize;
  PluginError();
}

int LoginEngine::Login(int connection, const HostParams& host, const char* request, const char* secret, int policy,
                       char* reply, int replySize) {
  if (!reply || replySize <= 0) return kFailed;
  state_ = LoginState{};
  handshake_ = Handshake{};
  state_.made = true;
  state_.connection = connection;
  state_.host = host;
  state_.secret = secret ? secret : "";
  state_.policy = policy;
  BeginCall(request, reply, replySize);
  state_.field6 = FieldOrEmpty(request_, 6);
  Prepare();
  const int result = RunLogin();
  if (result == kFailed) middleware_.Close(state_.connection);
  return result;
}

int LoginEngine::RunLogin() {
  if (state_.kind == 1) {
    const int result = Round(2);
    if (result == kLoggedIn) state_.lastField39 = ReplyField(39);
    return result;
  }
  if (state_.kind == 2) {
    if (auto failure = suppliers_.MakeCurrent(state_.policy, state_.secret)) return Fail(*failure);
    return RunHandshake();
  }
  return Fail(kUnknownKind);
}

int LoginEngine::ReLogin(HalvostParam a, const char* request, char* reply, int replySize, HalvostParam e,
                         HalvostParam f) {
  if (!reply || replySize <= 0) return kFailed;
  BeginCall(request, reply, replySize);
  // Without an earlier log-in there is no connection of ours to close.
  if (!state_.made) return Fail(kUnknownKind);
  state_.host.a = a;
  state_.host.e = e;
  state_.host.f = f;
  const std::string field6 = FieldOrEmpty(request_, 6);
  Prepare();
  const int result = RunReLogin(field6);
  if (result == kFailed) middleware_.Close(state_.connection);
  return result;
}

int LoginEngine::RunReLogin(const std::string& field6) {
  if (state_.kind == 1) {
    SetField(22, state_.lastField39);
    return Round(9);
  }
  if (state_.kind != 2) return Fail(kUnknownKind);
  // The plug-in may have been unloaded since the log-in.
  if (auto failure = suppliers_.MakeCurrent(state_.policy, state_.secret)) return Fail(*failure);
  // The same account logs in again with what the last handshake agreed.
  if (field6 != state_.field6) return RunHandshake();
  SetField(18, handshake_.reloginText);
  if (handshake_.envelopeMode == 2) SetField(7, "");
  SetField(22, handshake_.certificateField);
  const int result = Round(9);
  if (result == kLoggedIn) state_.lastField31 = ReplyField(31);
  return result;
}

void LoginEngine::Prepare() {
  const int policy = state_.policy;
  SetField(11, "3");
  SetField(15, std::to_string(suppliers_.SupplierIdOf(policy)));
  state_.kind = suppliers_.PolicyKind(policy);
  SetField(19, std::to_string(state_.kind));
  SetField(21, suppliers_.AppIdOfPolicy(policy).value_or(""));
  if (state_.kind == 1) SetField(18, state_.secret);
}

// ---------------------------------------------------------------------------
// Rounds and exchanges

int LoginEngine::Round(int type) {
  SetField(14, std::to_string(type));
  std::memset(reply_, 0, static_cast<std::size_t>(replySize_));
  const std::string name = "[GTN][5001-" + std::to_string(type) + "]";
  log_.WriteExchange(name + "请求", state_.connection, MaskedForLog(request_, state_.kind == 1));
  if (const int code = CallMiddleware(type); code != kHalvostOk) return CommunicationError(name + "通讯错误", code);
  log_.WriteExchange(name + "应答", state_.connection, ReplyText());
  return ReplyField(3) == "Y" ? kLoggedIn : RefusedByServer();
}

int LoginEngine::CallMiddleware(int type) {
  const HookScope scope(this);
  if (state_.kind == 2 && type == 2) {
    return middleware_.HookCall(state_.connection, state_.host, request_, reply_, replySize_, ReplyHook);
  }
  if (state_.kind == 2 && type == 9) {
    return middleware_.LoginHookCall(state_.connection, state_.host, request_, reply_, replySize_, ReplyHook);
  }
  return middleware_.LoginCall(state_.connection, state_.host, request_, reply_, replySize_);
}

int LoginEngine::Exchange(int function, const std::string& text, std::string_view name) {
  std::memset(reply_, 0, static_cast<std::size_t>(replySize_));
  const std::string title(name);
  log_.WriteExchange(title + "请求", state_.connection, MaskedForLog(text, state_.kind == 1));
  if (const int code = middleware_.Call(state_.connection, function, text, reply_, replySize_); code != kHalvostOk) {
    return CommunicationError(title + "通讯错误", code);
  }
  log_.WriteExchange(title + "应答", state_.connection, ReplyText());
  return kLoggedIn;
}

int LoginEngine::RefusedByServer() {
  middleware_.Close(state_.connection);
  return kRefused;
}

// ---------------------------------------------------------------------------
// The certificate handshake

int LoginEngine::RunHandshake() {
  handshake_ = Handshake{};
  if (const int result = RoundOne(); result != kLoggedIn) return result;
  if (handshake_.envelopeMode == 0) {
    if (const int result = CheckServerSignature(); result != kLoggedIn) return result;
    SetField(18, "0");
    SetField(19, "0");
    SetField(22, "-1");
    return Round(2);
  }
  for (auto step : {&LoginEngine::CheckClientCertificate, &LoginEngine::CheckServerCertificate,
                    &LoginEngine::CheckServerSignature, &LoginEngine::Sign}) {
    if (const int result = (this->*step)(); result != kLoggedIn) return result;
  }
  handshake_.certificateField = CertificateField();
  SetField(22, handshake_.certificateField);
  if (const int result = Round(2); result != kLoggedIn) return result;
  state_.lastField31 = ReplyField(31);
  state_.lastField39 = ReplyField(39);
  if (handshake_.envelopeMode == 2 && handshake_.serverEcho != handshake_.challenge) return Fail("验证码不匹配");
  return kLoggedIn;
}

int LoginEngine::RoundOne() {
  handshake_.savedField7 = FieldOrEmpty(request_, 7);
  SetField(7, "");
  const auto random = RandomBytes();
  if (!random) return Fail(kSupplierCallFailed);
  handshake_.random = *random;
  SetField(16, Base64(random->data(), random->size()));

  char detail[kCertificateDetailSize] = {};
  if (!Plugin().getCustCertDetail(detail, kCertificateDetailSize, GTN_DETAIL_CERTIFICATE, PluginError(),
                                  kPluginErrorSize)) {
    return Fail(kSupplierCallFailed);
  }
  handshake_.certificateDetail = std::string(detail, ::strnlen(detail, sizeof detail - 1));
  if (!IsFieldText(handshake_.certificateDetail, "|,")) return Fail(kSupplierCallFailed);
  SetField(17, handshake_.certificateDetail);
  if (!FitsMiddleware(request_)) return Fail(kSupplierCallFailed);

  const int result = Round(1);
  SetField(16, "");
  SetField(17, "");
  if (result != kLoggedIn) return result;
  handshake_.field31 = ReplyField(31);
  handshake_.field32 = ReplyField(32);
  handshake_.field33 = ReplyField(33);
  handshake_.field34 = ReplyField(34);
  handshake_.field35 = ReplyField(35);
  handshake_.field39 = ReplyField(39);
  handshake_.envelopeMode = LeadingNumber(ReplyField(40));
  if (handshake_.envelopeMode != 2) SetField(7, handshake_.savedField7);
  return kLoggedIn;
}

int LoginEngine::CheckClientCertificate() {
  const int serial = LeadingNumber(handshake_.field35);
  if (serial == -1) return Fail("服务器端无该客户证书或已失效");
  if (serial != 0) {
    handshake_.clientSerial = handshake_.field35;
    return kLoggedIn;
  }
  return UploadCertificate();
}

int LoginEngine::CheckServerCertificate() {
  const std::string id = FieldOrEmpty(handshake_.field34, 0, ',');
  if (id == kNoServerCertificate) return kLoggedIn;
  if (Plugin().checkServiceCertValid(id.c_str(), PluginError(), kPluginErrorSize) > 0) return kLoggedIn;
  if (FieldOrEmpty(handshake_.field34, 1, ',') != "1") return Fail("客户端无服务器证书或已失效");
  PluginError();  // the missing certificate is mended by the download
  return DownloadCertificate();
}

int LoginEngine::CheckServerSignature() {
  if (FieldOrEmpty(handshake_.field34, 0, ',') == kNoServerCertificate) return CheckRandomEcho();
  const std::string& signature = handshake_.field31;
  const int verified = Plugin().verifySignData(reinterpret_cast<const char*>(handshake_.random.data()),
                                               static_cast<int>(handshake_.random.size()), signature.c_str(),
                                               static_cast<int>(signature.size()), LeadingNumber(handshake_.field32),
                                               PluginError(), kPluginErrorSize);
  return (verified & 0xFF) ? kLoggedIn : Fail("服务端签名不正确");
}

// The server proves itself by returning our random bytes enciphered under
// the key text that the plug-in shares with it.
int LoginEngine::CheckRandomEcho() {
  char key[kEchoKeySize] = {};
  if (!Plugin().getCustCertDetail(key, kEchoKeySize, GTN_DETAIL_ECHO_KEY, PluginError(), kPluginErrorSize)) {
    return Fail(kSupplierCallFailed);
  }
  const std::string keyText(key, ::strnlen(key, sizeof key - 1));
  const auto cipherText = FromBase64(handshake_.field31);
  const auto plain =
      cipherText && cipherText->size() == handshake_.random.size() ? Decipher(*cipherText, keyText) : std::nullopt;
  const bool echoed = plain && std::equal(handshake_.random.begin(), handshake_.random.end(), plain->begin());
  return echoed ? kLoggedIn : Fail("(BNM)验证服务端签名不正确");
}

int LoginEngine::Sign() {
  const std::string& challenge = handshake_.field33;
  char signatureBuffer[kSignatureSize] = {};
  int signatureLength = kSignatureSize;
  std::int32_t signatureNumber = 0;
  const bool signedIt = Plugin().signData(challenge.c_str(), static_cast<int>(challenge.size()), signatureBuffer,
                                          &signatureLength, &signatureNumber, PluginError(), kPluginErrorSize);
  const auto signature = PluginOutput(signatureBuffer, signatureLength, kSignatureSize);
  if (!signedIt || !signature || !IsFieldText(*signature, "|#")) return Fail("签名失败");

  const std::string kind = std::to_string(state_.kind);
  std::string envelope;
  std::string challengeLength;
  if (handshake_.envelopeMode == 2) {
    const auto number = RandomNumber();
    if (!number) return Fail("组成数字信封失败");
    handshake_.challenge = std::to_string(*number);
    challengeLength = std::to_string(handshake_.challenge.size());
    const std::string sealed = handshake_.challenge + handshake_.savedField7;
    char envelopeBuffer[kEnvelopeSize] = {};
    int envelopeLength = kEnvelopeSize;
    const bool made = Plugin().envelope(GTN_ENVELOPE_MAKE, sealed.c_str(), static_cast<int>(sealed.size()),
                                        envelopeBuffer, &envelopeLength, PluginError(), kPluginErrorSize);
    const auto output = PluginOutput(envelopeBuffer, envelopeLength, kEnvelopeSize);
    if (!made || !output || !IsFieldText(*output, "|#")) return Fail("组成数字信封失败");
    envelope = *output;
    handshake_.reloginText = *signature + "#" + kind + "#" + challengeLength + "#";
  } else {
    handshake_.reloginText = *signature + "#" + kind + "##";
  }
  std::string field18 = *signature + "#";
  SetDelimitedField(field18, 1, envelope, '#');
  SetDelimitedField(field18, 2, kind, '#');
  SetDelimitedField(field18, 3, challengeLength, '#');
  SetField(18, field18);
  SetField(19, std::to_string(signatureNumber));
  if (!FitsMiddleware(request_)) return Fail("签名失败");
  return kLoggedIn;
}

std::string LoginEngine::CertificateField() const {
  const std::string& field39 = handshake_.field39;
  const std::size_t hash = field39.find('#');
  const std::string first = field39.substr(0, hash);
  const std::string rest = hash == std::string::npos ? std::string() : field39.substr(hash);
  if (!handshake_.clientSerial.empty()) return first + "," + handshake_.clientSerial + ",," + rest;
  return first + ",," + handshake_.certificateDetail + "," + rest;
}

// ---------------------------------------------------------------------------
// Certificates

std::string LoginEngine::CertificateRequest(std::string_view function) const {
  std::string text;
  for (int n = 0; n <= 7; ++n) SetDelimitedField(text, n, FieldOrEmpty(request_, n));
  SetDelimitedField(text, 8, FieldOrEmpty(request_, 15));
  SetDelimitedField(text, 9, FieldOrEmpty(request_, 21));
  SetDelimitedField(text, 3, function);
  return text;
}

int LoginEngine::UploadCertificate() {
  constexpr std::string_view kUploadFailed = "上传证书失败";
  char buffer[kUploadCertificateSize] = {};
  int length = kUploadCertificateSize;
  const bool given = Plugin().upTransCertificate(buffer, &length, PluginError(), kPluginErrorSize);
  const auto certificate = PluginOutput(buffer, length, kUploadCertificateSize);
  if (!given || !certificate || !IsFieldText(*certificate)) return Fail(kUploadFailed);

  const std::size_t chunks = (certificate->size() + kUploadChunk - 1) / kUploadChunk;
  std::string upload = CertificateRequest("5492");
  SetDelimitedField(upload, 10, std::to_string(chunks));
  for (std::size_t i = 0; i < chunks; ++i) {
    SetDelimitedField(upload, 11, std::to_string(i + 1));
    SetDelimitedField(upload, 12, certificate->substr(i * kUploadChunk, kUploadChunk));
    if (!FitsMiddleware(upload)) return Fail(kUploadFailed);
    if (const int result = Exchange(5492, upload, "[GTN][5492]"); result != kLoggedIn) return result;
    if (ReplyField(3) != "Y") return Fail(kUploadFailed);
  }
  return kLoggedIn;
}

int LoginEngine::DownloadCertificate() {
  constexpr std::string_view kDownloadFailed = "下载证书失败";
  std::string download = CertificateRequest("5493");
  if (!FitsMiddleware(download)) return Fail(kDownloadFailed);
  if (const int result = Exchange(5493, download, "[GTN][5493]"); result != kLoggedIn) return result;
  if (ReplyField(3) != "Y") return RefusedByServer();

  // Each packet brings at least one character, so a count beyond the
  // longest certificate is not believed.
  const int packets = LeadingNumber(ReplyField(4));
  if (packets < 1 || static_cast<std::size_t>(packets) > kDownloadCertificateLimit) return Fail(kDownloadFailed);
  SetDelimitedField(download, 3, "0");
  std::string certificate;
  for (int i = 0; i < packets; ++i) {
    if (const int result = Exchange(0, download, "[GTN][5493]"); result != kLoggedIn) return result;
    const std::string part = ReplyField(3);
    if (part.empty() || certificate.size() + part.size() > kDownloadCertificateLimit) return Fail(kDownloadFailed);
    certificate += part;
  }
  if (!Plugin().downLoadCertificate(certificate.c_str(), static_cast<int>(certificate.size()), PluginError(),
                                    kPluginErrorSize)) {
    return Fail(kDownloadFailed);
  }
  return kLoggedIn;
}

// ---------------------------------------------------------------------------
// The reply hook

int LoginEngine::OnReply(int connection, const char* request, const char* reply, char* out, int outSize) {
  out[0] = '\0';
  if (FieldOrEmpty(request, 3) != "5001" || handshake_.envelopeMode != 2 || connection != state_.connection ||
      FieldOrEmpty(reply, 3) != "Y" || !suppliers_.Current()) {
    return 0;
  }
  const std::string sealed = FieldOrEmpty(reply, 31);
  char buffer[kEnvelopeSize] = {};
  int length = kEnvelopeSize;
  const bool opened = Plugin().envelope(GTN_ENVELOPE_OPEN, sealed.c_str(), static_cast<int>(sealed.size()), buffer,
                                        &length, PluginError(), kPluginErrorSize);
  const auto text = PluginOutput(buffer, length, kEnvelopeSize);
  if (!opened || !text) {
    log_.Write("[GTN]拆解数字信封失败:" + PluginErrorText());
    return 0;
  }
  const std::size_t echoLength = std::min(handshake_.challenge.size(), text->size());
  const std::string type = FieldOrEmpty(request, 14);
  const std::string output = type == "2" ? text->substr(echoLength) : type == "9" ? *text : std::string();
  // The middleware's buffer bounds the session text: one that does not fit
  // is refused whole, and the log-in does not pass its echo check.
  if (output.size() >= static_cast<std::size_t>(outSize)) {
    log_.Write("[GTN]拆解数字信封失败:");
    return 0;
  }
  handshake_.serverEcho = text->substr(0, echoLength);
  std::memcpy(out, output.data(), output.size());
  out[output.size()] = '\0';
  return static_cast<int>(output.size());
}

// ---------------------------------------------------------------------------
// Helpers

int LoginEngine::Fail(std::string_view message) { return Fail(Failure{std::string(message), PluginErrorText()}); }

int LoginEngine::Fail(const Failure& failure) {
  const std::string text = failure.message + ":" + failure.pluginText;
  WriteReply(text);
  log_.Write("[GTN]" + text);
  return kFailed;
}

int LoginEngine::CommunicationError(std::string_view title, int code) {
  middleware_.ErrorText(code, reply_, replySize_);
  log_.WriteExchange(title, state_.connection, ReplyText());
  return kCommunicationError;
}

void LoginEngine::WriteReply(std::string_view text) {
  const std::size_t length = platform::GbkFitLength(text, static_cast<std::size_t>(replySize_) - 1);
  std::memcpy(reply_, text.data(), length);
  reply_[length] = '\0';
}

std::string LoginEngine::ReplyText() const {
  return std::string(reply_, ::strnlen(reply_, static_cast<std::size_t>(replySize_)));
}

std::string LoginEngine::ReplyField(int n) const { return FieldOrEmpty(ReplyText(), n); }

void LoginEngine::SetField(int n, std::string_view value) { SetDelimitedField(request_, n, value); }

bool LoginEngine::FitsMiddleware(const std::string& text) const {
  return text.size() <= static_cast<std::size_t>(kHalvostMaxRequestLength);
}

char* LoginEngine::PluginError() {
  std::fill(pluginError_.begin(), pluginError_.end(), '\0');
  return pluginError_.data();
}

std::string LoginEngine::PluginErrorText() const {
  return std::string(pluginError_.data(), ::strnlen(pluginError_.data(), pluginError_.size() - 1));
}

}  // namespace gatelin
