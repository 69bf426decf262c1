#include "test_crypto.h"

#include <openssl/bn.h>
#include <openssl/pem.h>

#include <cstdio>
#include <vector>

namespace gtn_test {
namespace {

struct BioFree {
  void operator()(BIO* bio) const { BIO_free(bio); }
};
struct ContextFree {
  void operator()(EVP_CIPHER_CTX* context) const { EVP_CIPHER_CTX_free(context); }
};
struct DigestFree {
  void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};
using BioPtr = std::unique_ptr<BIO, BioFree>;

std::string Bytes(const unsigned char* data, std::size_t size) {
  return std::string(reinterpret_cast<const char*>(data), size);
}

const unsigned char* Data(std::string_view text) { return reinterpret_cast<const unsigned char*>(text.data()); }

constexpr std::size_t kIvSize = 16;

}  // namespace

KeyPtr ReadPrivateKey(const std::string& path, const std::string& passphrase) {
  BioPtr bio(BIO_new_file(path.c_str(), "r"));
  if (!bio) return nullptr;
  return KeyPtr(PEM_read_bio_PrivateKey(bio.get(), nullptr, nullptr, const_cast<char*>(passphrase.c_str())));
}

bool WritePrivateKey(const std::string& path, EVP_PKEY* key, const std::string& passphrase) {
  const std::string written = path + ".new";
  BioPtr bio(BIO_new_file(written.c_str(), "w"));
  if (!bio) return false;
  const EVP_CIPHER* cipher = passphrase.empty() ? nullptr : EVP_aes_256_cbc();
  const bool ok = PEM_write_bio_PKCS8PrivateKey(bio.get(), key, cipher, nullptr, 0, nullptr,
                                                const_cast<char*>(passphrase.c_str())) == 1;
  bio.reset();
  return ok && std::rename(written.c_str(), path.c_str()) == 0;
}

CertificatePtr ReadCertificate(const std::string& path) {
  BioPtr bio(BIO_new_file(path.c_str(), "r"));
  if (!bio) return nullptr;
  return CertificatePtr(PEM_read_bio_X509(bio.get(), nullptr, nullptr, nullptr));
}

bool WriteCertificate(const std::string& path, X509* certificate) {
  BioPtr bio(BIO_new_file(path.c_str(), "w"));
  return bio && PEM_write_bio_X509(bio.get(), certificate) == 1;
}

std::string Base64Encode(std::string_view bytes) {
  std::vector<unsigned char> text(4 * ((bytes.size() + 2) / 3) + 1);
  const int length = EVP_EncodeBlock(text.data(), Data(bytes), static_cast<int>(bytes.size()));
  return Bytes(text.data(), static_cast<std::size_t>(length));
}

std::optional<std::string> Base64Decode(std::string_view text) {
  if (text.empty() || text.size() % 4 != 0) return std::nullopt;
  std::vector<unsigned char> bytes(text.size() / 4 * 3);
  const int length = EVP_DecodeBlock(bytes.data(), Data(text), static_cast<int>(text.size()));
  if (length < 0) return std::nullopt;
  std::size_t padding = 0;
  for (auto it = text.rbegin(); it != text.rend() && *it == '=' && padding < 2; ++it) ++padding;
  return Bytes(bytes.data(), static_cast<std::size_t>(length) - padding);
}

std::optional<std::string> Sign(EVP_PKEY* key, std::string_view data) {
  std::unique_ptr<EVP_MD_CTX, DigestFree> context(EVP_MD_CTX_new());
  std::size_t length = 0;
  if (!context || EVP_DigestSignInit(context.get(), nullptr, EVP_sha256(), nullptr, key) != 1 ||
      EVP_DigestSign(context.get(), nullptr, &length, Data(data), data.size()) != 1) {
    return std::nullopt;
  }
  std::vector<unsigned char> signature(length);
  if (EVP_DigestSign(context.get(), signature.data(), &length, Data(data), data.size()) != 1) return std::nullopt;
  return Base64Encode(Bytes(signature.data(), length));
}

bool Verify(EVP_PKEY* publicKey, std::string_view data, std::string_view signature) {
  const auto raw = Base64Decode(signature);
  std::unique_ptr<EVP_MD_CTX, DigestFree> context(EVP_MD_CTX_new());
  return raw && context && EVP_DigestVerifyInit(context.get(), nullptr, EVP_sha256(), nullptr, publicKey) == 1 &&
         EVP_DigestVerify(context.get(), Data(*raw), raw->size(), Data(data), data.size()) == 1;
}

std::optional<std::string> Seal(EVP_PKEY* recipient, std::string_view plain) {
  std::unique_ptr<EVP_CIPHER_CTX, ContextFree> context(EVP_CIPHER_CTX_new());
  std::vector<unsigned char> sealedKey(static_cast<std::size_t>(EVP_PKEY_get_size(recipient)));
  unsigned char* keys[] = {sealedKey.data()};
  int keyLength = 0;
  unsigned char iv[kIvSize];
  if (!context || EVP_SealInit(context.get(), EVP_aes_128_cbc(), keys, &keyLength, iv, &recipient, 1) != 1) {
    return std::nullopt;
  }
  std::vector<unsigned char> data(plain.size() + kIvSize);
  int written = 0;
  int last = 0;
  if (EVP_SealUpdate(context.get(), data.data(), &written, Data(plain), static_cast<int>(plain.size())) != 1 ||
      EVP_SealFinal(context.get(), data.data() + written, &last) != 1) {
    return std::nullopt;
  }
  std::string envelope;
  envelope.push_back(static_cast<char>(keyLength & 0xFF));
  envelope.push_back(static_cast<char>((keyLength >> 8) & 0xFF));
  envelope += Bytes(sealedKey.data(), static_cast<std::size_t>(keyLength));
  envelope += Bytes(iv, kIvSize);
  envelope += Bytes(data.data(), static_cast<std::size_t>(written + last));
  return Base64Encode(envelope);
}

std::optional<std::string> Open(EVP_PKEY* key, std::string_view envelope) {
  const auto raw = Base64Decode(envelope);
  if (!raw || raw->size() < 2) return std::nullopt;
  const auto* bytes = Data(*raw);
  const std::size_t keyLength = bytes[0] | static_cast<std::size_t>(bytes[1]) << 8;
  if (raw->size() < 2 + keyLength + kIvSize) return std::nullopt;
  const unsigned char* sealedKey = bytes + 2;
  const unsigned char* iv = sealedKey + keyLength;
  const unsigned char* data = iv + kIvSize;
  const int dataLength = static_cast<int>(raw->size() - 2 - keyLength - kIvSize);
  std::unique_ptr<EVP_CIPHER_CTX, ContextFree> context(EVP_CIPHER_CTX_new());
  std::vector<unsigned char> plain(static_cast<std::size_t>(dataLength) + kIvSize);
  int written = 0;
  int last = 0;
  if (!context ||
      EVP_OpenInit(context.get(), EVP_aes_128_cbc(), sealedKey, static_cast<int>(keyLength), iv, key) != 1 ||
      EVP_OpenUpdate(context.get(), plain.data(), &written, data, dataLength) != 1 ||
      EVP_OpenFinal(context.get(), plain.data() + written, &last) != 1) {
    return std::nullopt;
  }
  return Bytes(plain.data(), static_cast<std::size_t>(written + last));
}

std::string SerialHex(X509* certificate) {
  BIGNUM* number = ASN1_INTEGER_to_BN(X509_get_serialNumber(certificate), nullptr);
  char* hex = number ? BN_bn2hex(number) : nullptr;
  std::string text = hex ? hex : "";
  OPENSSL_free(hex);
  BN_free(number);
  return text;
}

std::string CertificateText(X509* certificate) {
  unsigned char* der = nullptr;
  const int length = i2d_X509(certificate, &der);
  if (length <= 0) return {};
  std::string text = Base64Encode(Bytes(der, static_cast<std::size_t>(length)));
  OPENSSL_free(der);
  return text;
}

CertificatePtr CertificateFromText(std::string_view text) {
  const auto der = Base64Decode(text);
  if (!der) return nullptr;
  const unsigned char* at = Data(*der);
  CertificatePtr certificate(d2i_X509(nullptr, &at, static_cast<long>(der->size())));
  if (certificate && at != Data(*der) + der->size()) return nullptr;  // trailing bytes
  return certificate;
}

}  // namespace gtn_test
