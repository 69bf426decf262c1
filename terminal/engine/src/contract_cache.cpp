// The contract cache file: its head, its lines, and reading and writing it.
#include "engine/contract_cache.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "engine/answer_fields.h"
#include "platform/atomic_file.h"
#include "platform/files.h"
#include "platform/gbk.h"
#include "platform/little_endian.h"

namespace engine {
namespace {

constexpr char kLineEnd = '\n';
// The part of the head that names what the file was written for.
constexpr std::size_t kKeySize = offsetof(ContractCacheHead, lineCount);

// A text into a fixed field of the head: cut to the field, zero-padded. The
// tag is cut on a character boundary, as every stored text is.
template <std::size_t Width>
void PutText(char (&field)[Width], std::string_view text, std::size_t length) {
  std::memset(field, 0, Width);
  std::memcpy(field, text.data(), length);
}

ContractCacheHead HeadFor(const ContractCacheKey& key, std::uint32_t lineCount) {
  ContractCacheHead head{};
  PutText(head.tradingDate, key.tradingDate, std::min(key.tradingDate.size(), sizeof head.tradingDate));
  PutText(head.tag, key.tag, platform::GbkFitLength(key.tag, sizeof head.tag));
  platform::StoreLittleEndian(head.lineCount, lineCount);
  return head;
}

// A line the file can hold and give back unchanged.
bool Storable(std::string_view line) {
  return line.size() <= kMaxContractCacheLineLength && line.find(kLineEnd) == std::string_view::npos &&
         line.find('\0') == std::string_view::npos;
}

bool MakeFolder(const std::filesystem::path& folder) {
  const std::string name = folder.string();
  // The cache's own folder: whatever else stands in its place goes.
  if (platform::PathExists(name) && !platform::IsDirectory(name)) platform::RemoveFile(name);
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  return platform::IsDirectory(name);
}

}  // namespace

std::string ContractCachePath() { return platform::ResolvePath(".\\Config\\Common\\ContractTable.dat"); }

std::optional<std::string> EncodeContractCache(const ContractCacheKey& key, const backend::CxDataSetView& answer) {
  const std::uint32_t count = answer.GetCount();
  // A file without the status line would never read back.
  if (key.tradingDate.empty() || count == 0) return std::nullopt;
  const ContractCacheHead head = HeadFor(key, count);
  std::string bytes(reinterpret_cast<const char*>(&head), sizeof head);
  for (std::uint32_t index = 0; index < count; ++index) {
    const std::string_view line = AnswerLineAt(answer, index);
    if (!Storable(line)) return std::nullopt;
    bytes.append(line);
    bytes.push_back(kLineEnd);
  }
  if (bytes.size() > kMaxContractCacheFileSize) return std::nullopt;
  return bytes;
}

std::optional<backend::CxDataSet> DecodeContractCache(std::string_view bytes, const ContractCacheKey& key) {
  if (key.tradingDate.empty() || bytes.size() < sizeof(ContractCacheHead) || bytes.size() > kMaxContractCacheFileSize) {
    return std::nullopt;
  }
  ContractCacheHead head;
  std::memcpy(&head, bytes.data(), sizeof head);
  const ContractCacheHead expected = HeadFor(key, 0);
  if (std::memcmp(&head, &expected, kKeySize) != 0) return std::nullopt;
  const std::uint32_t count = platform::LoadLittleEndian<std::uint32_t>(head.lineCount);
  // Every answer starts with its status line.
  if (count == 0) return std::nullopt;

  std::string_view rest = bytes.substr(sizeof head);
  backend::CxDataSet lines;
  for (std::uint32_t index = 0; index < count; ++index) {
    const std::size_t end = rest.find(kLineEnd);
    if (end == std::string_view::npos) return std::nullopt;
    const std::string_view line = rest.substr(0, end);
    if (!Storable(line) || !lines.AddText(line)) return std::nullopt;
    rest.remove_prefix(end + 1);
  }
  if (!rest.empty()) return std::nullopt;
  return lines;
}

std::optional<backend::CxDataSet> ReadContractCache(const std::string& path, const ContractCacheKey& key) {
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  if (error || size > kMaxContractCacheFileSize) return std::nullopt;
  std::ifstream file(path, std::ios::binary);
  std::string bytes(static_cast<std::size_t>(size), '\0');
  if (!file.read(bytes.data(), static_cast<std::streamsize>(bytes.size()))) return std::nullopt;
  return DecodeContractCache(bytes, key);
}

bool WriteContractCache(const std::string& path, const ContractCacheKey& key, const backend::CxDataSetView& answer) {
  const std::optional<std::string> bytes = EncodeContractCache(key, answer);
  return bytes && MakeFolder(std::filesystem::path(path).parent_path()) && platform::WriteFileAtomically(path, *bytes);
}

}  // namespace engine
