#include "backend/field_text.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/files.h"
#include "platform/testing/temporary_folder.h"

namespace {

using backend::CopyTextBounded;
using backend::CreateDirectoryPath;
using backend::FindNthSeparator;
using backend::GetSeparatedField;
using backend::InsertSeparatedField;
using backend::MaskText;

// A buffer with guard bytes behind its usable part, to see writes past it.
struct GuardedBuffer {
  static constexpr char kGuard = '#';
  explicit GuardedBuffer(std::size_t size, std::string_view text = {}) : size(size), bytes(size + 8, kGuard) {
    text.copy(bytes.data(), text.size());
    bytes[text.size()] = '\0';
  }
  char* data() { return bytes.data(); }
  std::string Text() const { return bytes.c_str(); }
  bool GuardIntact() const { return bytes.find_first_not_of(kGuard, size) == std::string::npos; }

  std::size_t size;
  std::string bytes;
};

std::string Field(int n, std::string_view text, std::size_t bufferSize = 64) {
  GuardedBuffer buffer(bufferSize);
  const char* result = GetSeparatedField(n, text, '|', buffer.data(), bufferSize);
  EXPECT_EQ(result, buffer.data());
  EXPECT_TRUE(buffer.GuardIntact()) << "wrote past a buffer of " << bufferSize << " bytes";
  return buffer.Text();
}

}  // namespace

TEST(SeparatedField, FindNthSeparator) {
  EXPECT_EQ(FindNthSeparator("R|a|b|", '|', 1), 1);
  EXPECT_EQ(FindNthSeparator("R|a|b|", '|', 3), 5);
  EXPECT_EQ(FindNthSeparator("R|a|b|", '|', 4), -1);
  EXPECT_EQ(FindNthSeparator("R|a|b|", '|', 0), -1);
  EXPECT_EQ(FindNthSeparator("R|a|b|", '|', -2), -1);
  EXPECT_EQ(FindNthSeparator("", '|', 1), -1);
  EXPECT_EQ(FindNthSeparator("a,b,", ',', 2), 3);
}

TEST(SeparatedField, GetSeparatedFieldReadsClosedFieldsOnly) {
  struct Case {
    std::string_view text;
    int n;
    std::string_view field;
  };
  const Case cases[] = {
      // clang-format off
      {"abc|def|", 1, "abc"}, {"abc|def|", 2, "def"},   {"abc|def|", 3, ""},
      {"abc|def", 2, ""},     {"abc|def", 1, "abc"},    {"x\x01y|", 1, "x|y"},
      {"abc|def|", 0, ""},    {"abc|def|", -1, ""},     {"a||c|", 2, ""},
      {"a||c|", 3, "c"},      {"|", 1, ""},             {"", 1, ""},
      {"R|1.2.3.4|7|5010|a||b|", 6, ""}, {"R|1.2.3.4|7|5010|a||b|", 7, "b"},
      // clang-format on
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Field(c.n, c.text), c.field) << c.text << " field " << c.n;
    EXPECT_EQ(backend::GetSeparatedFieldText(c.n, c.text), c.field) << c.text << " field " << c.n;
  }
  char other[8];
  EXPECT_STREQ(GetSeparatedField(2, "a;b;", ';', other, sizeof other), "b");
}

TEST(SeparatedField, GetSeparatedFieldCutsALongFieldToTheBufferOnACharacterBoundary) {
  EXPECT_EQ(Field(2, "x|abcdef|", 4), "abc");
  EXPECT_EQ(Field(2, "x|abc|", 4), "abc");
  EXPECT_EQ(Field(1, "中文|", 4), "中");  // never the lead byte of 文 alone
  EXPECT_EQ(Field(1, "中文|", 5), "中文");
  EXPECT_EQ(Field(1, "a中|", 3), "a");
  EXPECT_EQ(Field(1, "abc|", 1), "");
  char untouched = '#';
  GetSeparatedField(1, "abc|", '|', &untouched, 0);
  EXPECT_EQ(untouched, '#');
}

TEST(SeparatedField, AppendedValuesReadBackUnchanged) {
  // 0x81 0x7C is one GBK character whose second byte is the separator.
  const std::string values[] = {"plain", "", "a|b", "\x81\x7C\xD6\xD0", "中文"};
  std::string line = "R|";
  for (const std::string& value : values) backend::AppendSeparatedField(line, value);
  EXPECT_EQ(line,
            "R|plain||a\x01"
            "b|\x81\x01\xD6\xD0|中文|");
  for (int n = 0; n < 5; ++n) EXPECT_EQ(Field(n + 2, line), values[n]) << "field " << n + 2;
}

TEST(SeparatedField, InsertSeparatedField) {
  struct Case {
    int n;
    std::string_view insert;
    std::string_view result;
    bool inserted;
  };
  const Case cases[] = {
      {2, "XY", "a|XYbc|", true}, {1, "XY", "XYa|bc|", true}, {3, "XY", "a|bc|XY", true},
      {4, "XY", "a|bc|", false},  {0, "XY", "a|bc|", false},  {2, "", "a|bc|", true},
  };
  for (const Case& c : cases) {
    GuardedBuffer text(32, "a|bc|");
    EXPECT_EQ(InsertSeparatedField(c.n, text.data(), text.size, c.insert), c.inserted) << "field " << c.n;
    EXPECT_EQ(text.Text(), c.result) << "field " << c.n;
  }
}

TEST(SeparatedField, InsertSeparatedFieldNeverWritesPastTheBuffer) {
  GuardedBuffer exact(8, "a|bc|");  // "a|XYbc|" and its zero take 8 bytes
  EXPECT_TRUE(InsertSeparatedField(2, exact.data(), exact.size, "XY"));
  EXPECT_EQ(exact.Text(), "a|XYbc|");
  EXPECT_TRUE(exact.GuardIntact());

  GuardedBuffer tight(7, "a|bc|");
  EXPECT_FALSE(InsertSeparatedField(2, tight.data(), tight.size, "XY"));
  EXPECT_EQ(tight.Text(), "a|bc|");
  EXPECT_TRUE(tight.GuardIntact());

  char unterminated[3] = {'a', '|', 'b'};
  EXPECT_FALSE(InsertSeparatedField(1, unterminated, sizeof unterminated, "X"));
}

TEST(SeparatedField, MaskText) {
  struct Case {
    std::string_view pattern;
    std::string_view text;
    std::size_t bufferSize;
    std::string_view result;
    bool masked;
  };
  const Case cases[] = {
      {"pw123", "a|pw123|b|", 32, "a|********|b|", true},
      {"pw123", "a|pw12|b|", 32, "a|pw12|b|", false},
      {"????????secret", "R|????????secret|x|", 32, "R|********|x|", true},
      {"pw", "a|pw|pw|", 32, "a|********|pw|", true},
      {"", "a|b|", 32, "a|b|", false},
      // "a|********|" needs 12 bytes with its zero.
      {"pw", "a|pw|", 12, "a|********|", true},
      {"pw", "a|pw|", 11, "a|pw|", false},
  };
  for (const Case& c : cases) {
    GuardedBuffer text(c.bufferSize, c.text);
    EXPECT_EQ(MaskText(c.pattern, text.data(), text.size), c.masked) << c.text;
    EXPECT_EQ(text.Text(), c.result) << c.text;
    EXPECT_TRUE(text.GuardIntact()) << c.text;
  }
}

TEST(TextHelpers, TrimBlanksAndTabs) {
  struct Case {
    std::string_view text;
    std::string_view left;
    std::string_view right;
  };
  const Case cases[] = {
      {" \t abc \t", "abc \t", " \t abc"}, {"abc", "abc", "abc"}, {" \t ", "", ""}, {"", "", ""},
      {" a b ", "a b ", " a b"},
  };
  for (const Case& c : cases) {
    std::string left(c.text), right(c.text);
    backend::TrimLeftBlanks(left.data());
    backend::TrimRightBlanks(right.data());
    EXPECT_STREQ(left.c_str(), std::string(c.left).c_str()) << "[" << c.text << "]";
    EXPECT_STREQ(right.c_str(), std::string(c.right).c_str()) << "[" << c.text << "]";
  }
  backend::TrimLeftBlanks(nullptr);
  backend::TrimRightBlanks(nullptr);
}

TEST(TextHelpers, CopyTextBoundedCutsOnACharacterBoundary) {
  struct Case {
    const char* source;
    std::size_t size;
    std::string_view result;
  };
  const Case cases[] = {
      {"abcdef", 4, "abc"}, {"abc", 4, "abc"}, {"abc", 1, ""},   {"中文", 4, "中"},
      {"中文", 5, "中文"},  {"a中", 3, "a"},   {nullptr, 4, ""},
  };
  for (const Case& c : cases) {
    GuardedBuffer destination(c.size);
    EXPECT_EQ(CopyTextBounded(c.source, destination.data(), c.size), destination.data());
    EXPECT_EQ(destination.Text(), c.result) << (c.source ? c.source : "(null)") << " in " << c.size;
    EXPECT_TRUE(destination.GuardIntact());
  }
  char untouched = '#';
  CopyTextBounded("abc", &untouched, 0);
  EXPECT_EQ(untouched, '#');
  EXPECT_EQ(CopyTextBounded("abc", nullptr, 4), nullptr);
}

TEST(TextHelpers, CreateDirectoryPathMakesEveryFolderAndReplacesAFileInTheWay) {
  const platform_testing::TemporaryFolder temporary("backend");
  const std::string& folder = temporary.Path();
  EXPECT_TRUE(CreateDirectoryPath(folder + "/a/b\\c"));
  EXPECT_TRUE(std::filesystem::is_directory(folder + "/a/b/c"));
  EXPECT_TRUE(CreateDirectoryPath(folder + "/a/b/c/"));  // already there

  std::ofstream(folder + "/file") << "x";
  EXPECT_TRUE(CreateDirectoryPath(folder + "/file/d"));
  EXPECT_TRUE(std::filesystem::is_directory(folder + "/file/d"));

  platform::SetProgramFolder(folder);
  EXPECT_TRUE(CreateDirectoryPath("\\Config\\Common"));
  platform::SetProgramFolder("");
  EXPECT_TRUE(std::filesystem::is_directory(folder + "/Config/Common"));
}

TEST(TextHelpers, CreateDirectoryPathReportsAFolderItCannotMake) {
  const platform_testing::TemporaryFolder temporary("backend");
  const std::string& folder = temporary.Path();
  EXPECT_FALSE(CreateDirectoryPath(folder + "/" + std::string(300, 'n') + "/inner"));
  EXPECT_FALSE(CreateDirectoryPath(""));
}
