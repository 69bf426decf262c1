// Signatures, digital envelopes and certificates with the system's crypto
// library, shared by the test supplier plug-in and the test back end so
// that both sides speak the same formats: every binary value travels as
// base64 text; an envelope is [key length: 2 bytes LE][sealed key][IV][data]
// under AES-128-CBC; signatures are RSA over SHA-256.
#pragma once

#include <openssl/evp.h>
#include <openssl/x509.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace gtn_test {

struct KeyFree {
  void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
};
struct CertificateFree {
  void operator()(X509* certificate) const { X509_free(certificate); }
};
using KeyPtr = std::unique_ptr<EVP_PKEY, KeyFree>;
using CertificatePtr = std::unique_ptr<X509, CertificateFree>;

// A PEM private key, encrypted under `passphrase` when it is not empty.
KeyPtr ReadPrivateKey(const std::string& path, const std::string& passphrase);
bool WritePrivateKey(const std::string& path, EVP_PKEY* key, const std::string& passphrase);
CertificatePtr ReadCertificate(const std::string& path);
bool WriteCertificate(const std::string& path, X509* certificate);

std::string Base64Encode(std::string_view bytes);
std::optional<std::string> Base64Decode(std::string_view text);

std::optional<std::string> Sign(EVP_PKEY* key, std::string_view data);
bool Verify(EVP_PKEY* publicKey, std::string_view data, std::string_view signature);
std::optional<std::string> Seal(EVP_PKEY* recipient, std::string_view plain);
std::optional<std::string> Open(EVP_PKEY* key, std::string_view envelope);

// The serial number as upper-case hexadecimal.
std::string SerialHex(X509* certificate);
std::string CertificateText(X509* certificate);
CertificatePtr CertificateFromText(std::string_view text);

}  // namespace gtn_test
