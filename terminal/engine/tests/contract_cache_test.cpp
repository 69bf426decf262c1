#include "engine/contract_cache.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "engine/answer_fields.h"
#include "platform/files.h"
#include "platform/testing/program_folder_fixture.h"

namespace {

using engine::ContractCacheKey;

const ContractCacheKey kKey{"20261210", "SIM-CONTRACTS-7"};

const std::vector<std::string> kAnswer{
    "A|||Y|2|",
    "A|addr|7|S|上期所|cu2701|铜2701|5|||2701|",
    "A|addr|7|D|大商所|m2705-C-3000|豆粕期权|10||||||||||||1|C|3000|",
};

backend::CxDataSet AnswerOf(const std::vector<std::string>& lines) {
  backend::CxDataSet answer;
  for (const std::string& line : lines) answer.AddText(line);
  return answer;
}

std::vector<std::string> LinesOf(const backend::CxDataSet& lines) {
  std::vector<std::string> texts;
  for (std::uint32_t index = 0; index < lines.GetCount(); ++index) {
    texts.emplace_back(engine::AnswerLineAt(lines.View(), index));
  }
  return texts;
}

std::string Encoded(const ContractCacheKey& key = kKey, const std::vector<std::string>& lines = kAnswer) {
  const std::optional<std::string> bytes = engine::EncodeContractCache(key, AnswerOf(lines).View());
  EXPECT_TRUE(bytes.has_value());
  return bytes.value_or("");
}

std::optional<std::vector<std::string>> Decoded(std::string_view bytes, const ContractCacheKey& key = kKey) {
  const std::optional<backend::CxDataSet> lines = engine::DecodeContractCache(bytes, key);
  if (!lines) return std::nullopt;
  return LinesOf(*lines);
}

TEST(ContractCache, TheFileHoldsTheHeadAndEveryLineOfTheAnswer) {
  const std::string bytes = Encoded();
  ASSERT_GE(bytes.size(), sizeof(engine::ContractCacheHead));
  EXPECT_EQ(bytes.substr(0, 8), "20261210");
  EXPECT_EQ(bytes.substr(8, 80), std::string("SIM-CONTRACTS-7") + std::string(65, '\0'));
  EXPECT_EQ(bytes.substr(88, 4), std::string("\x03\x00\x00\x00", 4));
  EXPECT_EQ(bytes.substr(92), kAnswer[0] + "\n" + kAnswer[1] + "\n" + kAnswer[2] + "\n");

  EXPECT_EQ(Decoded(bytes), kAnswer);
}

TEST(ContractCache, AFileOfAnotherDayOrTagIsNoCache) {
  const std::string bytes = Encoded();
  EXPECT_EQ(Decoded(bytes, {"20261211", kKey.tag}), std::nullopt);
  EXPECT_EQ(Decoded(bytes, {kKey.tradingDate, "SIM-CONTRACTS-8"}), std::nullopt);
  // Without a trading day no file is any day's.
  EXPECT_EQ(Decoded(Encoded(), {"", kKey.tag}), std::nullopt);
  EXPECT_EQ(engine::EncodeContractCache({"", kKey.tag}, AnswerOf(kAnswer).View()), std::nullopt);

  // A tag is compared in its first 80 bytes, as the file holds it.
  const std::string longTag(100, 'T');
  const std::string other = longTag.substr(0, 80) + "different tail";
  EXPECT_EQ(Decoded(Encoded({kKey.tradingDate, longTag}), {kKey.tradingDate, other}), kAnswer);
}

TEST(ContractCache, ATruncatedOrAlteredFileIsNoCache) {
  const std::string bytes = Encoded();
  for (std::size_t length = 0; length < bytes.size(); ++length) {
    EXPECT_EQ(Decoded(bytes.substr(0, length)), std::nullopt) << "cut at " << length;
  }

  const auto withCount = [&](std::uint32_t count) {
    std::string altered = bytes;
    for (std::size_t k = 0; k < 4; ++k) altered[88 + k] = static_cast<char>((count >> (8 * k)) & 0xFF);
    return altered;
  };
  EXPECT_EQ(Decoded(withCount(0)), std::nullopt) << "no status line";
  EXPECT_EQ(Decoded(withCount(2)), std::nullopt) << "a line more than counted";
  EXPECT_EQ(Decoded(withCount(4)), std::nullopt) << "a line less than counted";
  EXPECT_EQ(Decoded(withCount(0xFFFFFFFF)), std::nullopt);

  EXPECT_EQ(Decoded(bytes + "A|||extra|\n"), std::nullopt);
  std::string zeroInLine = bytes;
  zeroInLine[100] = '\0';
  EXPECT_EQ(Decoded(zeroInLine), std::nullopt);
  const std::string longLine(engine::kMaxContractCacheLineLength + 1, 'x');
  EXPECT_EQ(Decoded(withCount(1).substr(0, 92) + longLine + "\n"), std::nullopt);
}

TEST(ContractCache, LinesTheFileCouldNotGiveBackAreNotWritten) {
  const std::string longest(engine::kMaxContractCacheLineLength, 'x');
  EXPECT_EQ(Decoded(Encoded(kKey, {kAnswer[0], longest})), (std::vector<std::string>{kAnswer[0], longest}));
  EXPECT_EQ(engine::EncodeContractCache(kKey, AnswerOf({kAnswer[0], longest + "x"}).View()), std::nullopt);
  EXPECT_EQ(engine::EncodeContractCache(kKey, AnswerOf({kAnswer[0], "A|\n|"}).View()), std::nullopt);
  // Not even the status line: the file would count as no cache.
  EXPECT_EQ(engine::EncodeContractCache(kKey, AnswerOf({}).View()), std::nullopt);
}

// Reading and writing the file in a fresh folder of each test.
class ContractCacheFile : public platform_testing::ProgramFolderTest {
 protected:
  static void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
  }
};

TEST_F(ContractCacheFile, AWrittenFileReadsBackInTheProgramsConfigFolder) {
  const std::string path = engine::ContractCachePath();
  EXPECT_EQ(path, folder_ + "/Config/Common/ContractTable.dat");
  EXPECT_FALSE(engine::ReadContractCache(path, kKey).has_value()) << "no file yet";

  ASSERT_TRUE(engine::WriteContractCache(path, kKey, AnswerOf(kAnswer).View()));
  const std::optional<backend::CxDataSet> lines = engine::ReadContractCache(path, kKey);
  ASSERT_TRUE(lines.has_value());
  EXPECT_EQ(LinesOf(*lines), kAnswer);
  EXPECT_EQ(platform::ListDirectory(folder_ + "/Config/Common", "*").size(), 1u) << "no file left beside it";
}

TEST_F(ContractCacheFile, AFileWhereTheFolderBelongsGivesWayToIt) {
  std::filesystem::create_directories(folder_ + "/Config");
  WriteBytes(folder_ + "/Config/Common", "not a folder");
  const std::string path = engine::ContractCachePath();
  ASSERT_TRUE(engine::WriteContractCache(path, kKey, AnswerOf(kAnswer).View()));
  EXPECT_TRUE(engine::ReadContractCache(path, kKey).has_value());
}

TEST_F(ContractCacheFile, AnOversizedFileIsNotRead) {
  const std::string path = engine::ContractCachePath();
  ASSERT_TRUE(engine::WriteContractCache(path, kKey, AnswerOf(kAnswer).View()));
  std::filesystem::resize_file(path, engine::kMaxContractCacheFileSize + 1);
  EXPECT_FALSE(engine::ReadContractCache(path, kKey).has_value());
}

}  // namespace
