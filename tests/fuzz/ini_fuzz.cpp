// The ini reader and editor on arbitrary texts: the value a write sets reads
// back, every other key keeps its value, and the file functions read what
// the text functions find.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "ini_text.h"
#include "platform/ini_file.h"

namespace {

namespace ini_text = platform::ini_text;

std::string_view TrimBlanks(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const std::string section = input.ConsumeRandomLengthString(16);
  const std::string key = input.ConsumeRandomLengthString(16);
  const std::string otherSection = input.ConsumeRandomLengthString(16);
  const std::string otherKey = input.ConsumeRandomLengthString(16);
  const std::optional<std::string> value =
      input.ConsumeBool() ? std::optional<std::string>(input.ConsumeRandomLengthString(32)) : std::nullopt;
  const std::string text = input.ConsumeRemainingBytesAsString();

  const std::optional<std::string_view> found = ini_text::FindValue(text, section, key);
  const std::optional<std::string_view> other = ini_text::FindValue(text, otherSection, otherKey);
  const bool sameKey = SameName(section, otherSection) && SameName(key, otherKey);

  const std::optional<std::string> written = ini_text::WithValue(text, section, key, value);
  if (written) {
    const std::optional<std::string_view> readBack = ini_text::FindValue(*written, section, key);
    if (value) {
      fuzz::Check(readBack && *readBack == TrimBlanks(*value), "a written value reads back");
    }
    if (!sameKey) fuzz::Check(ini_text::FindValue(*written, otherSection, otherKey) == other, "other keys stay");
  }
  const std::string without = ini_text::WithoutSection(text, section);
  if (!SameName(section, otherSection)) {
    fuzz::Check(ini_text::FindValue(without, otherSection, otherKey) == other, "other sections stay");
  }

  // The file functions on the same text.
  const std::string path = fuzz::TemporaryPath("settings.ini");
  fuzz::WriteFile(path, text);
  const std::string kAbsent = "\x01";
  const std::string read = platform::ReadIniString(path, section, key, kAbsent);
  fuzz::Check(found ? read == TrimBlanks(*found) : read == kAbsent, "the file reads as the text");
  platform::ReadIniInt(path, section, key, -1);
  if (value && platform::WriteIniString(path, section, key, *value)) {
    fuzz::Check(platform::ReadIniString(path, section, key, kAbsent) == TrimBlanks(*value),
                "a value written to the file reads back");
  }
  return 0;
}
