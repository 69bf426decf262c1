// The secure-login engine's readers of outside bytes: base64 text and its
// settings file "Gatelin.ini".
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base64.h"
#include "fuzz_support.h"
#include "gatelin_settings.h"
#include "ini_section.h"

namespace {

// Decoding writes three bytes per whole group of four characters and never
// more; what was encoded decodes back.
void FuzzBase64(const std::string& text) {
  std::vector<std::byte> output(text.size() / 4 * 3);
  const std::optional<std::size_t> length = cryptane::Base64Decode(text, output.data());
  if (length) fuzz::Check(*length <= output.size(), "a decoded length fits the groups");

  const auto* bytes = reinterpret_cast<const std::byte*>(text.data());
  std::string encoded(cryptane::Base64EncodedLength(text.size()), '\0');
  cryptane::Base64Encode({bytes, text.size()}, encoded.data());
  std::vector<std::byte> decoded(encoded.size() / 4 * 3);
  const std::optional<std::size_t> decodedLength = cryptane::Base64Decode(encoded, decoded.data());
  fuzz::Check(decodedLength && *decodedLength == text.size() &&
                  std::equal(decoded.begin(), decoded.begin() + static_cast<std::ptrdiff_t>(text.size()), bytes),
              "encoded bytes decode back");
}

void FuzzSettings(const std::string& text, const std::string& section) {
  const std::string path = fuzz::TemporaryPath(gatelin::kSettingsFileName);
  fuzz::WriteFile(path, text);
  gatelin::LoadGatelinSettings(path);
  gatelin::ReadIniSection(path, section);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  if (input.ConsumeBool()) {
    FuzzBase64(input.ConsumeRemainingBytesAsString());
  } else {
    const std::string section = input.ConsumeRandomLengthString(16);
    FuzzSettings(input.ConsumeRemainingBytesAsString(), section);
  }
  return 0;
}
