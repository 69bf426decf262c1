#include "securelogin/testing/fake_back_end.h"

#include <fstream>
#include <iterator>

#include "cipher/Cryptane.h"
#include "delimited_field.h"

namespace gatelin_test {
namespace {

using gatelin::FieldOrEmpty;

std::string ReadText(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), {});
}

std::string EncipherForEcho(const std::string& bytes, const std::string& key) {
  unsigned char out[16] = {};
  int length = 0;
  xEncryptData(reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<int>(bytes.size()), out, &length,
               key.c_str());
  return gtn_test::Base64Encode(std::string(reinterpret_cast<char*>(out), static_cast<std::size_t>(length)));
}

}  // namespace

std::string Answer(bool accepted, const std::vector<std::pair<int, std::string>>& fields) {
  std::vector<std::string> values(41);
  values[0] = "A";
  values[3] = accepted ? "Y" : "N";
  for (const auto& [n, value] : fields) values[static_cast<std::size_t>(n)] = value;
  std::string text;
  for (const auto& value : values) text += value + "|";
  return text;
}

FakeBackEnd::FakeBackEnd(halvost::TestServer& server, const std::string& dataFolder, BackEndOptions options)
    : options_(std::move(options)),
      serverKey_(gtn_test::ReadPrivateKey(dataFolder + "/server.key", "")),
      serverCertificate_(gtn_test::ReadCertificate(dataFolder + "/server.crt")),
      echoKey_(ReadText(dataFolder + "/echo.key")) {
  if (options_.clientSerial != "0") clientCertificate_ = gtn_test::ReadCertificate(dataFolder + "/client.crt");
  server.Answer(5001, [this](const halvost::ReceivedFrame& request) { return OnLogin(request); });
  server.Answer(5492, [this](const halvost::ReceivedFrame& request) { return OnUpload(request); });
  server.Answer(5493, [this](const halvost::ReceivedFrame& request) { return OnDownload(request); });
  server.Answer(0, [this](const halvost::ReceivedFrame& request) { return OnContinuation(request); });
}

std::string FakeBackEnd::EnvelopedPassword() const {
  std::lock_guard lock(mutex_);
  return envelopedPassword_;
}

bool FakeBackEnd::HasClientCertificate() const {
  std::lock_guard lock(mutex_);
  return clientCertificate_ != nullptr;
}

std::string FakeBackEnd::UploadedCertificate() const {
  std::lock_guard lock(mutex_);
  return uploaded_;
}

std::string FakeBackEnd::OnLogin(const halvost::ReceivedFrame& request) {
  const std::string type = FieldOrEmpty(request.text, 14);
  if (options_.kind == 1) {
    if (type == "2") {
      const bool known = FieldOrEmpty(request.text, 18) == options_.kind1Secret;
      return Answer(known, {{6, known ? "" : "密码错误"}, {39, options_.kind1Token}});
    }
    return Answer(type == "9" && FieldOrEmpty(request.text, 22) == options_.kind1Token);
  }
  if (type == "1") return RoundOne(request.text);
  if (type == "2") return RoundTwo(request.text);
  if (type == "9") return ReLogin(request.text);
  return Answer(false);
}

std::string FakeBackEnd::RoundOne(const std::string& request) {
  const auto random = gtn_test::Base64Decode(FieldOrEmpty(request, 16));
  if (!random || random->size() != 8) return Answer(false, {{6, "随机数错误"}});
  std::lock_guard lock(mutex_);
  challenge_ = "CHALLENGE-" + std::to_string(++challenges_);
  std::string field31;
  std::string field32 = "0";
  std::string field34 = "-1000";
  if (options_.randomEcho) {
    field31 = EncipherForEcho(options_.signRandomWrongly ? "WRONGRND" : *random, echoKey_);
  } else {
    field31 = *gtn_test::Sign(serverKey_.get(), options_.signRandomWrongly ? "WRONGRND" : *random);
    field32 = "1";
    field34 = gtn_test::SerialHex(serverCertificate_.get()) + options_.field34Tail;
  }
  return Answer(true, {{31, field31},
                       {32, field32},
                       {33, challenge_},
                       {34, field34},
                       {35, options_.clientSerial},
                       {39, options_.field39},
                       {40, std::to_string(options_.envelopeMode)}});
}

bool FakeBackEnd::VerifyClient(const std::string& signature) {
  if (!clientCertificate_) return false;
  gtn_test::KeyPtr publicKey(X509_get_pubkey(clientCertificate_.get()));
  return gtn_test::Verify(publicKey.get(), challenge_, signature);
}

std::string FakeBackEnd::SealForClient(const std::string& text) {
  gtn_test::KeyPtr publicKey(X509_get_pubkey(clientCertificate_.get()));
  return *gtn_test::Seal(publicKey.get(), text);
}

std::string FakeBackEnd::RoundTwo(const std::string& request) {
  if (options_.refuseRound2) return Answer(false, {{6, "拒绝登录"}});
  const std::string field18 = FieldOrEmpty(request, 18);
  std::lock_guard lock(mutex_);
  if (options_.envelopeMode == 0) return Answer(field18 == "0", {{39, "P02#NEW"}});
  if (!VerifyClient(FieldOrEmpty(field18, 0, '#'))) return Answer(false, {{6, "客户签名错误"}});
  if (options_.envelopeMode != 2) return Answer(true, {{39, "P02#NEW"}});

  const auto opened = gtn_test::Open(serverKey_.get(), FieldOrEmpty(field18, 1, '#'));
  const std::size_t rLength = static_cast<std::size_t>(std::stoi("0" + FieldOrEmpty(field18, 3, '#')));
  if (!opened || opened->size() < rLength) return Answer(false, {{6, "数字信封错误"}});
  challengeR_ = opened->substr(0, rLength);
  envelopedPassword_ = opened->substr(rLength);
  std::string echo = challengeR_;
  if (options_.echoWrongChallenge && !echo.empty()) echo[0] = echo[0] == '1' ? '2' : '1';
  return Answer(true, {{31, SealForClient(echo + options_.sessionText)}, {39, "P02#NEW"}});
}

std::string FakeBackEnd::ReLogin(const std::string& request) {
  std::lock_guard lock(mutex_);
  const std::string field18 = FieldOrEmpty(request, 18);
  if (!VerifyClient(FieldOrEmpty(field18, 0, '#'))) return Answer(false, {{6, "客户签名错误"}});
  if (options_.envelopeMode != 2) return Answer(true);
  return Answer(true, {{31, SealForClient("SESSION9")}});
}

std::string FakeBackEnd::OnUpload(const halvost::ReceivedFrame& request) {
  std::lock_guard lock(mutex_);
  const std::string& text = request.text;
  uploaded_ += FieldOrEmpty(text, 12);
  if (FieldOrEmpty(text, 11) == FieldOrEmpty(text, 10)) {
    clientCertificate_ = gtn_test::CertificateFromText(uploaded_);
    if (!clientCertificate_) return Answer(false, {{6, "证书无效"}});
  }
  return Answer(true);
}

std::string FakeBackEnd::OnDownload(const halvost::ReceivedFrame&) {
  const std::string certificate = gtn_test::CertificateText(serverCertificate_.get());
  const std::size_t packets = (certificate.size() + options_.downloadPacketSize - 1) / options_.downloadPacketSize;
  std::lock_guard lock(mutex_);
  downloadNext_ = 0;
  return Answer(true, {{4, options_.downloadPackets.empty() ? std::to_string(packets) : options_.downloadPackets}});
}

std::string FakeBackEnd::OnContinuation(const halvost::ReceivedFrame&) {
  const std::string certificate = gtn_test::CertificateText(serverCertificate_.get());
  std::lock_guard lock(mutex_);
  if (!options_.downloadFiller.empty()) return "A|0|0|" + options_.downloadFiller + "|";
  const std::string part =
      downloadNext_ < certificate.size() ? certificate.substr(downloadNext_, options_.downloadPacketSize) : "";
  downloadNext_ += options_.downloadPacketSize;
  return "A|0|0|" + part + "|";
}

}  // namespace gatelin_test
