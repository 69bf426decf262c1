// The contract cache file: the contract answer (function 5008) of one
// trading day kept on disk, so that later log-ins of the day load the
// contracts without asking the back end for them again. A file is valid only
// for the trading date and the contract-cache tag it was written for; any
// file that is not exactly what the writer made counts as no cache.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "backend/cx_data_set.h"

namespace engine {

// The head of the file. The answer lines follow it, each ended by a line
// feed, the answer's status line first.
struct ContractCacheHead {
  char tradingDate[8];         // "YYYYMMDD", no terminator
  char tag[80];                // the first 80 bytes of the tag, zero-padded
  unsigned char lineCount[4];  // 32-bit little-endian
};
static_assert(sizeof(ContractCacheHead) == 92);
static_assert(offsetof(ContractCacheHead, tag) == 8);
static_assert(offsetof(ContractCacheHead, lineCount) == 88);

// What a cache file must have been written for. A key without a trading
// date matches no file, so that no day's contracts are taken for another's.
struct ContractCacheKey {
  std::string_view tradingDate;
  std::string_view tag;
};

// The longest line the file holds; a longer one is no contract line.
inline constexpr std::size_t kMaxContractCacheLineLength = 1023;
// A larger file is no cache of ours (a real answer takes a few megabytes).
inline constexpr std::size_t kMaxContractCacheFileSize = 64u << 20;

// "Config/Common/ContractTable.dat" in the program folder.
std::string ContractCachePath();

// The bytes of a cache file of `answer` for `key`; nothing when the file
// could not give every line back as it is (a line too long, or holding a
// line feed or a zero byte), when the answer has no line at all, or when the
// key has no trading date.
std::optional<std::string> EncodeContractCache(const ContractCacheKey& key, const backend::CxDataSetView& answer);
// The answer lines of a cache file, one text entry each, in file order;
// nothing when the file was written for another key, or is truncated,
// malformed or larger than a cache file can be.
std::optional<backend::CxDataSet> DecodeContractCache(std::string_view bytes, const ContractCacheKey& key);

// Reads and decodes the file at `path`; nothing when it cannot be read or
// does not decode.
std::optional<backend::CxDataSet> ReadContractCache(const std::string& path, const ContractCacheKey& key);
// Replaces the file at `path` so that a crash leaves the old file or the new
// one whole, creating its folders first (a file standing where a folder
// belongs is removed). False when it cannot be written.
bool WriteContractCache(const std::string& path, const ContractCacheKey& key, const backend::CxDataSetView& answer);

}  // namespace engine
