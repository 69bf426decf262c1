// A supplier plug-in for tests: it really signs, verifies and envelopes with
// the keys in its supplier folder:
//   client.key  the client's private key, encrypted under the secret
//   client.crt  the client's certificate
//   server.crt  the server's certificate (written by DownLoadCertificate)
//   echo.key    the key text of the random-echo check
//   fail.txt    optional: names of functions that are to fail, one a line;
//               "SignData:overlong" makes SignData claim more than its buffer
// Builds with GTN_TEST_OMIT_<function> leave that function out.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <set>
#include <string>

#include "securelogin/gtn_plugin.h"
#include "test_crypto.h"

#define GTN_PLUGIN_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

struct Session {
  std::string folder;
  std::set<std::string> failing;
  gtn_test::KeyPtr clientKey;
  gtn_test::CertificatePtr clientCertificate;
  gtn_test::CertificatePtr serverCertificate;
};

std::unique_ptr<Session> session;

int Refuse(char* error, int errorSize, const std::string& text) {
  if (error && errorSize > 0) {
    const std::size_t length = std::min(text.size(), static_cast<std::size_t>(errorSize) - 1);
    std::memcpy(error, text.data(), length);
    error[length] = '\0';
  }
  return 0;
}

std::set<std::string> ReadLines(const std::string& path) {
  std::set<std::string> lines;
  std::ifstream file(path);
  for (std::string line; std::getline(file, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) lines.insert(line);
  }
  return lines;
}

std::string ReadText(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), {});
}

// True when the session is open and `function` is not told to fail.
bool Usable(const char* function, char* error, int errorSize) {
  if (!session) return Refuse(error, errorSize, "会话未初始化");
  if (session->failing.contains(function)) return Refuse(error, errorSize, std::string(function) + "测试失败");
  return true;
}

// Copies `text` and a terminator into a buffer of *length bytes.
int Give(const std::string& text, char* output, int* length, char* error, int errorSize) {
  if (!output || !length || text.size() >= static_cast<std::size_t>(*length)) {
    return Refuse(error, errorSize, "输出缓冲区不足");
  }
  std::memcpy(output, text.data(), text.size());
  output[text.size()] = '\0';
  *length = static_cast<int>(text.size());
  return 1;
}

}  // namespace

#ifndef GTN_TEST_OMIT_GetSupplierInfo
GTN_PLUGIN_EXPORT int GetSupplierInfo(void* info) {
  const std::int32_t version = 1;
  const std::uint32_t capabilities = 0xFFFFFFFFu;
  const char name[] = "测试认证厂商";
  auto* record = static_cast<unsigned char*>(info);
  std::memcpy(record, &version, sizeof version);
  std::memcpy(record + GTN_SUPPLIER_INFO_CAPABILITIES_OFFSET, &capabilities, sizeof capabilities);
  std::memcpy(record + 8, name, sizeof name);
  return 1;
}
#endif

GTN_PLUGIN_EXPORT int InitializeSession(const char* folder, const char* secret, char* error, int errorSize) {
  auto opened = std::make_unique<Session>();
  opened->folder = folder;
  opened->failing = ReadLines(opened->folder + "/fail.txt");
  if (opened->failing.contains("InitializeSession")) return Refuse(error, errorSize, "InitializeSession测试失败");
  opened->clientKey = gtn_test::ReadPrivateKey(opened->folder + "/client.key", secret ? secret : "");
  if (!opened->clientKey) return Refuse(error, errorSize, "私钥密码错误");
  opened->clientCertificate = gtn_test::ReadCertificate(opened->folder + "/client.crt");
  if (!opened->clientCertificate) return Refuse(error, errorSize, "客户证书缺失");
  opened->serverCertificate = gtn_test::ReadCertificate(opened->folder + "/server.crt");
  session = std::move(opened);
  return 1;
}

GTN_PLUGIN_EXPORT int ClearSession() {
  session.reset();
  return 1;
}

GTN_PLUGIN_EXPORT int GetcustCertDetail(char* output, int outputSize, int type, char* error, int errorSize) {
  if (!Usable("GetcustCertDetail", error, errorSize)) return 0;
  std::string text;
  if (type == GTN_DETAIL_CERTIFICATE) {
    text = gtn_test::SerialHex(session->clientCertificate.get());
  } else if (type == GTN_DETAIL_ECHO_KEY) {
    text = ReadText(session->folder + "/echo.key");
  } else {
    return Refuse(error, errorSize, "未知的信息类型");
  }
  int length = outputSize;
  return Give(text, output, &length, error, errorSize);
}

GTN_PLUGIN_EXPORT int CheckServiceCertValid(const char* id, char* error, int errorSize) {
  if (!Usable("CheckServiceCertValid", error, errorSize)) return 0;
  if (!session->serverCertificate) return Refuse(error, errorSize, "无服务器证书");
  if (gtn_test::SerialHex(session->serverCertificate.get()) != id) return Refuse(error, errorSize, "服务器证书不符");
  return 1;
}

#ifndef GTN_TEST_OMIT_SignData
GTN_PLUGIN_EXPORT int SignData(const char* text, int length, char* signature, int* signatureLength,
                               std::int32_t* signatureNumber, char* error, int errorSize) {
  if (!Usable("SignData", error, errorSize)) return 0;
  const auto signed_ =
      gtn_test::Sign(session->clientKey.get(), std::string_view(text, static_cast<std::size_t>(length)));
  if (!signed_) return Refuse(error, errorSize, "签名运算失败");
  *signatureNumber = 1;
  if (session->failing.contains("SignData:overlong")) {
    *signatureLength += 100;
    return 1;
  }
  return Give(*signed_, signature, signatureLength, error, errorSize);
}
#endif

GTN_PLUGIN_EXPORT int VerifySignData(const char* text, int length, const char* signature, int signatureLength,
                                     int signatureNumber, char* error, int errorSize) {
  if (!Usable("VerifySignData", error, errorSize)) return 0;
  if (!session->serverCertificate) return Refuse(error, errorSize, "无服务器证书");
  if (signatureNumber != 1) return Refuse(error, errorSize, "签名算法不符");
  gtn_test::KeyPtr publicKey(X509_get_pubkey(session->serverCertificate.get()));
  const bool verified = gtn_test::Verify(publicKey.get(), std::string_view(text, static_cast<std::size_t>(length)),
                                         std::string_view(signature, static_cast<std::size_t>(signatureLength)));
  return verified ? 1 : Refuse(error, errorSize, "验签失败");
}

GTN_PLUGIN_EXPORT int Envelope(int mode, const char* input, int inputLength, char* output, int* outputLength,
                               char* error, int errorSize) {
  if (!Usable("Envelope", error, errorSize)) return 0;
  const std::string_view in(input, static_cast<std::size_t>(inputLength));
  std::optional<std::string> result;
  if (mode == GTN_ENVELOPE_MAKE) {
    if (!session->serverCertificate) return Refuse(error, errorSize, "无服务器证书");
    gtn_test::KeyPtr publicKey(X509_get_pubkey(session->serverCertificate.get()));
    result = gtn_test::Seal(publicKey.get(), in);
  } else if (mode == GTN_ENVELOPE_OPEN) {
    result = gtn_test::Open(session->clientKey.get(), in);
  }
  if (!result) return Refuse(error, errorSize, "数字信封运算失败");
  return Give(*result, output, outputLength, error, errorSize);
}

GTN_PLUGIN_EXPORT int DownLoadCertificate(const char* text, int length, char* error, int errorSize) {
  if (!Usable("DownLoadCertificate", error, errorSize)) return 0;
  auto certificate = gtn_test::CertificateFromText(std::string_view(text, static_cast<std::size_t>(length)));
  if (!certificate) return Refuse(error, errorSize, "证书格式错误");
  if (!gtn_test::WriteCertificate(session->folder + "/server.crt", certificate.get())) {
    return Refuse(error, errorSize, "证书无法保存");
  }
  session->serverCertificate = std::move(certificate);
  return 1;
}

GTN_PLUGIN_EXPORT int UpTransCertificate(char* output, int* length, char* error, int errorSize) {
  if (!Usable("UpTransCertificate", error, errorSize)) return 0;
  return Give(gtn_test::CertificateText(session->clientCertificate.get()), output, length, error, errorSize);
}

#ifndef GTN_TEST_OMIT_ChangePassword
GTN_PLUGIN_EXPORT int ChangePassword(const char* oldSecret, const char* newSecret, char* error, int errorSize) {
  if (!Usable("ChangePassword", error, errorSize)) return 0;
  auto key = gtn_test::ReadPrivateKey(session->folder + "/client.key", oldSecret ? oldSecret : "");
  if (!key) return Refuse(error, errorSize, "私钥密码错误");
  if (!gtn_test::WritePrivateKey(session->folder + "/client.key", key.get(), newSecret ? newSecret : "")) {
    return Refuse(error, errorSize, "私钥无法保存");
  }
  return 1;
}
#endif
