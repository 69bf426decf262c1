#include "platform/ini_file.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "platform/atomic_file.h"
#include "platform/files.h"
#include "platform/testing/temporary_folder.h"

namespace {

using namespace std::string_literals;

class IniFileTest : public ::testing::Test {
 protected:
  void Put(const std::string& text) const { std::ofstream(path_, std::ios::binary) << text; }
  std::string Contents() const {
    std::ifstream in(path_, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  const platform_testing::TemporaryFolder temporary_{"ini"};
  const std::string folder_ = temporary_.Path();
  const std::string path_ = temporary_.PathOf("settings.ini");
};

struct ReadCase {
  const char* what;
  std::string file;
  const char* section;
  const char* key;
  std::string expected;  // "<default>" when the default comes back
};

TEST_F(IniFileTest, ReadsStringsWithDefaultsAcrossWellFormedAndMalformedFiles) {
  const std::string longLine(1 << 20, 'x');
  const ReadCase cases[] = {
      {"names ignore ASCII case", "[Login]\nSaveUser=1\n", "LOGIN", "saveuser", "1"},
      {"missing key", "[Login]\nSaveUser=1\n", "Login", "Other", "<default>"},
      {"missing section", "[Login]\nSaveUser=1\n", "Proxy", "SaveUser", "<default>"},
      {"present and empty", "[Login]\nSaveUser=\n", "Login", "SaveUser", ""},
      {"only blanks after =", "[Login]\nSaveUser = \t\n", "Login", "SaveUser", ""},
      {"blanks around key and value", "[Login]\n  SaveUser  =  a b  \n", "Login", "SaveUser", "a b"},
      {"GBK section, key and value", "[委托参数]\n价格档位=一二三\n", "委托参数", "价格档位", "一二三"},
      {"second GBK byte 0x41 is not 0x61", "[s]\n\x81\x41=1\n", "s", "\x81\x61", "<default>"},
      {"second GBK byte 0x5D is no closing bracket", "[\x81\x5D]\nk=1\n", "\x81\x5D", "k", "1"},
      {"first of two sections", "[s]\nk=1\n[S]\nk=2\nj=3\n", "s", "j", "<default>"},
      {"first of two keys", "[s]\nk=1\nK=2\n", "s", "k", "1"},
      {"key before any section", "k=1\n[s]\n", "s", "k", "<default>"},
      {"key of the next section", "[s]\n[t]\nk=1\n", "s", "k", "<default>"},
      {"comment line", "[s]\n;k=1\n  ; k=2\n", "s", "k", "<default>"},
      {"header with a note after it", "[s] ; note\nk=1\n", "s", "k", "1"},
      {"CRLF line endings", "[s]\r\nk=v\r\n", "s", "k", "v"},
      {"last line without a line break", "[s]\nk=v", "s", "k", "v"},
      {"value with = inside", "[s]\nk=a=b\n", "s", "k", "a=b"},
      {"unclosed header is passed over", "[s]\n[broken\nk=1\n", "s", "k", "1"},
      {"line without =", "[s]\ngarbage\nk=1\n", "s", "k", "1"},
      {"empty key", "[s]\n=v\nk=1\n", "s", "k", "1"},
      {"NUL bytes in a line", "[s]\nbad\0line\nk=1\n"s, "s", "k", "1"},
      {"NUL bytes in a value", "[s]\nk=a\0b\n"s, "s", "k", "a\0b"s},
      {"very long line", "[s]\n" + longLine + "\nk=1\n", "s", "k", "1"},
      {"very long value", "[s]\nk=" + longLine + "\n", "s", "k", longLine},
      {"truncated header", "[s", "s", "k", "<default>"},
      {"truncated key", "[s]\nk", "s", "k", "<default>"},
      {"empty file", "", "s", "k", "<default>"},
  };
  for (const ReadCase& c : cases) {
    Put(c.file);
    EXPECT_EQ(platform::ReadIniString(path_, c.section, c.key, "<default>"), c.expected) << c.what;
  }
  EXPECT_EQ(platform::ReadIniString(folder_ + "/missing.ini", "s", "k", "<default>"), "<default>");
  EXPECT_EQ(platform::ReadIniString(folder_, "s", "k", "<default>"), "<default>") << "a folder";
}

TEST_F(IniFileTest, ReadsIntegersFromLeadingDigitsAndGivesTheDefaultForNonNumbers) {
  struct Case {
    const char* line;
    int expected;
  };
  const Case cases[] = {
      {"n=12abc", 12},
      {"n=-3", -3},
      {"n=+7", 7},
      {"n=  42  ", 42},
      {"n=0x10", 0},
      {"n=2147483647", INT_MAX},
      {"n=-2147483648", INT_MIN},
      {"n=", -99},
      {"n=abc", -99},
      {"n=-", -99},
      {"n=+-1", -99},
      {"n=99999999999", -99},
      {"other=5", -99},
  };
  for (const Case& c : cases) {
    Put("[s]\n"s + c.line + "\n");
    EXPECT_EQ(platform::ReadIniInt(path_, "S", "N", -99), c.expected) << c.line;
  }
}

struct WriteCase {
  const char* what;
  std::string before;
  const char* section;
  const char* key;
  const char* value;
  std::string after;
};

TEST_F(IniFileTest, WritesChangeOnlyTheirKeyAndKeepTheRestByteForByte) {
  const WriteCase cases[] = {
      {"value replaced in place", ";top\r\n[A]\r\nk = old \r\n\r\n[B]\r\nk=b\r\n", "A", "k", "new",
       ";top\r\n[A]\r\nk = new \r\n\r\n[B]\r\nk=b\r\n"},
      {"file's spelling of the names kept", "[Login]\nSaveUser=0\n", "LOGIN", "saveuser", "1", "[Login]\nSaveUser=1\n"},
      {"only the first of two keys", "[A]\nk=1\nk=2\n", "A", "k", "3", "[A]\nk=3\nk=2\n"},
      {"new key after the section's last key", "[A]\nx=1\n\n; about B\n[B]\ny=2\n", "A", "z", "3",
       "[A]\nx=1\nz=3\n\n; about B\n[B]\ny=2\n"},
      {"new key under a bare header", "[A]\n[B]\n", "A", "k", "v", "[A]\nk=v\n[B]\n"},
      {"new key after a last line without a break", "[A]\nx=1", "A", "y", "2", "[A]\nx=1\ny=2\n"},
      {"new section at the end", "[A]\nx=1", "B", "y", "2", "[A]\nx=1\n[B]\ny=2\n"},
      {"new lines end as the file's do", "[A]\r\nx=1\r\n", "B", "y", "2", "[A]\r\nx=1\r\n[B]\r\ny=2\r\n"},
      {"GBK names and value", "", "委托参数", "价格档位", "一二三", "[委托参数]\n价格档位=一二三\n"},
      {"empty value", "[A]\nx=1\n", "A", "x", "", "[A]\nx=\n"},
      {"malformed lines kept", "[A]\nbad\0line\n[broken\nx=1\n"s, "A", "x", "2", "[A]\nbad\0line\n[broken\nx=2\n"s},
  };
  for (const WriteCase& c : cases) {
    Put(c.before);
    EXPECT_TRUE(platform::WriteIniString(path_, c.section, c.key, c.value)) << c.what;
    EXPECT_EQ(Contents(), c.after) << c.what;
    EXPECT_EQ(platform::ReadIniString(path_, c.section, c.key, "<default>"), c.value) << c.what;
  }
}

TEST_F(IniFileTest, WriteCreatesTheFileButNotItsFolder) {
  EXPECT_TRUE(platform::WriteIniString(path_, "Login", "SaveUser", "1"));
  EXPECT_EQ(Contents(), "[Login]\nSaveUser=1\n");

  const std::string nested = folder_ + "/Config/Configs.ini";
  EXPECT_FALSE(platform::WriteIniString(nested, "Login", "SaveUser", "1"));
  EXPECT_FALSE(platform::PathExists(folder_ + "/Config"));
}

TEST_F(IniFileTest, PathsResolveAgainstTheProgramFolder) {
  platform::SetProgramFolder(folder_);
  ASSERT_TRUE(platform::MakeDirectory(folder_ + "/Config"));
  EXPECT_TRUE(platform::WriteIniString("\\Config\\Configs.ini", "Login", "SaveUser", "1"));
  EXPECT_EQ(platform::ReadIniString(folder_ + "/Config/Configs.ini", "Login", "SaveUser", ""), "1");
  EXPECT_EQ(platform::ReadIniInt(".\\Config\\Configs.ini", "Login", "SaveUser", 0), 1);
  platform::SetProgramFolder("");
}

TEST_F(IniFileTest, RefusesWritesThatWouldNotReadBackAndLeavesTheFileAlone) {
  struct Case {
    const char* section;
    const char* key;
    const char* value;
  };
  const Case cases[] = {
      // clang-format off
      {"", "k", "v"},   {"A]", "k", "v"}, {" A", "k", "v"}, {"A\n", "k", "v"}, {"A", "", "v"},    {"A", "k=1", "v"},
      {"A", ";k", "v"}, {"A", "[k", "v"}, {"A", "k ", "v"}, {"A", "k\r", "v"}, {"A", "k", "v\n"}, {"A", "k", "v\r"},
      // clang-format on
      // A lone GBK lead byte at the end would take the header's "]" as its
      // second half.
      {"A\xB4", "k", "v"},
  };
  const std::string before = "[A]\nk=old\n";
  for (const Case& c : cases) {
    Put(before);
    EXPECT_FALSE(platform::WriteIniString(path_, c.section, c.key, c.value)) << c.section << "/" << c.key;
    EXPECT_EQ(Contents(), before);
  }
}

TEST_F(IniFileTest, WriteFailsWithoutHarmWhenTheFileCannotBeRead) {
  ASSERT_TRUE(platform::MakeDirectory(path_));
  EXPECT_FALSE(platform::WriteIniString(path_, "A", "k", "v"));
  EXPECT_TRUE(platform::IsDirectory(path_));
}

TEST_F(IniFileTest, WriteKeepsPermissionsAndLeavesNoTemporaryFile) {
  Put("[A]\nk=1\n");
  ASSERT_EQ(::chmod(path_.c_str(), 0600), 0);
  EXPECT_TRUE(platform::WriteIniString(path_, "A", "k", "2"));
  struct stat info {};
  ASSERT_EQ(::stat(path_.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  const auto entries = platform::ListDirectory(folder_, "*");
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].name, "settings.ini");
}

TEST_F(IniFileTest, AFileWrittenForTheFirstTimeIsTheOwnersAlone) {
  EXPECT_TRUE(platform::WriteIniString(path_, "Proxy", "UserPwd", "secret"));
  struct stat info {};
  ASSERT_EQ(::stat(path_.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
}

// A process that is gone: a child that has ended and been waited for.
pid_t DeadProcess() {
  const pid_t child = ::fork();
  if (child == 0) ::_exit(0);
  ::waitpid(child, nullptr, 0);
  return child;
}

TEST_F(IniFileTest, AWriteRemovesTheTemporaryFilesOfWritersThatDiedAndNoOtherFile) {
  Put("[A]\nk=1\n");
  const std::string dead = std::to_string(DeadProcess());
  const std::vector<std::string> stale = {"settings.ini." + dead + ".0.tmp", "settings.ini." + dead + ".17.tmp"};
  const std::vector<std::string> kept = {
      "settings.ini." + std::to_string(::getppid()) + ".3.tmp",  // its writer still runs
      "settings.ini." + std::to_string(::getpid()) + ".99.tmp",  // this process's own
      "other.ini." + dead + ".0.tmp",                            // another file's
      "settings.ini." + dead + ".tmp",                           // not a temporary name
      "settings.ini.x." + dead + ".0.tmp",
      "settings.ini." + dead + ".0.tmp.bak",
  };
  for (const std::string& name : stale) std::ofstream(folder_ + "/" + name) << "half";
  for (const std::string& name : kept) std::ofstream(folder_ + "/" + name) << "other";

  EXPECT_TRUE(platform::WriteIniString(path_, "A", "k", "2"));
  std::vector<std::string> names;
  for (const auto& entry : platform::ListDirectory(folder_, "*")) names.push_back(entry.name);
  std::vector<std::string> expected = kept;
  expected.push_back("settings.ini");
  std::sort(names.begin(), names.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(names, expected);
}

TEST_F(IniFileTest, AWriteKilledMidwayLeavesATemporaryAsClosedAsItsTargetThatTheNextWriteRemoves) {
  Put("[A]\nk=1\n");
  ASSERT_EQ(::chmod(path_.c_str(), 0600), 0);
  const mode_t mask = ::umask(022);  // a umask that leaves new files open to every reader
  const std::string contents(32 << 20, 'x');
  std::string leftover;
  // Killed while its temporary file is being written; a write that won the
  // race is tried again.
  for (int attempt = 0; attempt < 20 && leftover.empty(); ++attempt) {
    const pid_t writer = ::fork();
    if (writer == 0) {
      for (;;) platform::WriteFileAtomically(path_, contents);
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (leftover.empty() && std::chrono::steady_clock::now() < deadline)
      for (const auto& entry : platform::ListDirectory(folder_, "*.tmp")) leftover = entry.name;
    ::kill(writer, SIGKILL);
    ::waitpid(writer, nullptr, 0);
    if (!std::filesystem::exists(folder_ + "/" + leftover)) leftover.clear();
  }
  ::umask(mask);
  ASSERT_FALSE(leftover.empty()) << "no write was caught mid-way";

  struct stat info {};
  ASSERT_EQ(::stat((folder_ + "/" + leftover).c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u) << "the secret being written was open to others";
  EXPECT_TRUE(platform::WriteIniString(path_, "A", "k", "2"));
  EXPECT_FALSE(std::filesystem::exists(folder_ + "/" + leftover));
  EXPECT_TRUE(platform::ListDirectory(folder_, "*.tmp").empty());
}

TEST_F(IniFileTest, DeletesKeysAndSectionsKeepingTheRest) {
  const std::string before = ";top\n[A]\nx=1\n; note\ny=2\n\n[B]\nz=3\n[C]\nw=4";
  Put(before);
  EXPECT_TRUE(platform::DeleteIniKey(path_, "a", "X"));
  EXPECT_EQ(Contents(), ";top\n[A]\n; note\ny=2\n\n[B]\nz=3\n[C]\nw=4");
  EXPECT_TRUE(platform::DeleteIniKey(path_, "A", "missing"));
  EXPECT_TRUE(platform::DeleteIniSection(path_, "b"));
  EXPECT_EQ(Contents(), ";top\n[A]\n; note\ny=2\n\n[C]\nw=4");
  EXPECT_TRUE(platform::DeleteIniSection(path_, "C"));
  EXPECT_EQ(Contents(), ";top\n[A]\n; note\ny=2\n\n");
  EXPECT_TRUE(platform::DeleteIniSection(path_, "missing"));
  EXPECT_TRUE(platform::DeleteIniKey(folder_ + "/missing.ini", "A", "x"));
  EXPECT_FALSE(platform::PathExists(folder_ + "/missing.ini")) << "nothing to delete creates no file";
}

TEST_F(IniFileTest, ConcurrentWritesToOneFileKeepEveryKey) {
  constexpr int kKeysPerThread = 40;
  std::vector<std::thread> writers;
  for (int t = 0; t < 4; ++t) {
    writers.emplace_back([this, t] {
      for (int i = 0; i < kKeysPerThread; ++i) {
        platform::WriteIniString(path_, "S" + std::to_string(t % 2), "k" + std::to_string(t) + "_" + std::to_string(i),
                                 std::to_string(i));
      }
    });
  }
  for (std::thread& writer : writers) writer.join();
  for (int t = 0; t < 4; ++t) {
    for (int i = 0; i < kKeysPerThread; ++i) {
      const std::string key = "k" + std::to_string(t) + "_" + std::to_string(i);
      EXPECT_EQ(platform::ReadIniInt(path_, "S" + std::to_string(t % 2), key, -1), i) << key;
    }
  }
}

}  // namespace
