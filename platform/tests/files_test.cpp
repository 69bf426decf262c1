#include "platform/files.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/file_permissions.h"
#include "platform/gbk.h"
#include "platform/instance_lock.h"
#include "platform/process.h"
#include "platform/testing/temporary_folder.h"

TEST(Files, MatchesPatternWithQuestionMarksAndStars) {
  struct Case {
    const char* name;
    const char* pattern;
    bool matches;
  };
  const Case cases[] = {
      {"Q_20260305.wqz", "Q_20260305*.wqz", true},
      {"Q_20260305-003.wqz", "Q_20260305*.wqz", true},
      {"Q_20260305.txt", "Q_20260305*.wqz", false},
      {"Q_20260305.wqz", "Q_????????*.wqz", true},
      {"Q_2026.wqz", "Q_????????*.wqz", false},
      {"abc", "*", true},
      {"", "*", true},
      {"abc", "a?c", true},
      {"ac", "a?c", false},
      {"a.b.c", "*.c", true},
  };
  for (const Case& c : cases)
    EXPECT_EQ(platform::MatchesPattern(c.name, c.pattern), c.matches) << c.name << " ~ " << c.pattern;
}

TEST(Files, ListDirectoryMatchesAndMarksFolders) {
  const platform_testing::TemporaryFolder temporary("platform");
  const std::string& folder = temporary.Path();
  std::ofstream(folder + "/b.wqz") << "x";
  std::ofstream(folder + "/a.wqz") << "x";
  std::ofstream(folder + "/c.txt") << "x";
  ASSERT_TRUE(platform::MakeDirectory(folder + "/d.wqz"));
  const auto entries = platform::ListDirectory(folder, "*.wqz");
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].name, "a.wqz");
  EXPECT_FALSE(entries[0].isDirectory);
  EXPECT_EQ(entries[2].name, "d.wqz");
  EXPECT_TRUE(entries[2].isDirectory);
  EXPECT_TRUE(platform::ListDirectory(folder + "/missing", "*").empty());
}

TEST(Files, ResolvePathTakesWindowsAndRelativePathsFromTheProgramFolder) {
  platform::SetProgramFolder("/opt/quentara/");
  EXPECT_EQ(platform::ResolvePath(".\\Log"), "/opt/quentara/Log");
  EXPECT_EQ(platform::ResolvePath(".\\Log\\"), "/opt/quentara/Log/");
  EXPECT_EQ(platform::ResolvePath("\\Config\\Configs.ini"), "/opt/quentara/Config/Configs.ini");
  EXPECT_EQ(platform::ResolvePath("Config/../Res/a.wav"), "/opt/quentara/Res/a.wav");
  EXPECT_EQ(platform::ResolvePath("/var/log/x"), "/var/log/x");
  platform::SetProgramFolder("");
  EXPECT_NE(platform::ProgramFolder(), "/opt/quentara");
}

TEST(InstanceLock, SecondHolderIsRefusedUntilTheFirstReleases) {
  const platform_testing::TemporaryFolder temporary("platform");
  const std::string& folder = temporary.Path();
  const std::string path = folder + "/Quentara_0.lock";
  platform::InstanceLock first, second;
  ASSERT_TRUE(first.TryAcquire(path));
  EXPECT_FALSE(second.TryAcquire(path));
  first.Release();
  EXPECT_TRUE(second.TryAcquire(path));
  EXPECT_FALSE(platform::InstanceLock().TryAcquire(folder + "/missing/x.lock"));
}

TEST(Process, StartsAProgramWithItsArguments) {
  const platform_testing::TemporaryFolder temporary("platform");
  const std::string& folder = temporary.Path();
  const std::string target = folder + "/touched file";
  ASSERT_TRUE(platform::StartProcess({"touch", target}));
  for (int i = 0; i < 200 && !platform::PathExists(target); ++i) ::usleep(10000);
  EXPECT_TRUE(platform::PathExists(target));
  EXPECT_FALSE(platform::StartProcess({"no-such-program-anywhere"}));
  EXPECT_FALSE(platform::StartProcess({}));
}

TEST(Gbk, FitLengthNeverSplitsACharacter) {
  const std::string text = "ab委托";  // a, b, then two two-byte characters
  ASSERT_EQ(text.size(), 6u);
  EXPECT_EQ(platform::GbkFitLength(text, 10), 6u);
  EXPECT_EQ(platform::GbkFitLength(text, 4), 4u);
  EXPECT_EQ(platform::GbkFitLength(text, 3), 2u);
  EXPECT_EQ(platform::GbkFitLength(text, 5), 4u);
  EXPECT_EQ(platform::GbkFitLength(text, 0), 0u);
}

namespace {

TEST(FilePermissions, ASecretFileIsTheOwnersAloneWhetherNewOrOld) {
  const std::string folder = ::testing::TempDir();
  for (const bool existed : {false, true}) {
    const std::string path = folder + "/secret_" + std::to_string(existed) + ".ini";
    ::unlink(path.c_str());
    if (existed) {
      const int fd = ::open(path.c_str(), O_CREAT | O_WRONLY, 0644);
      ASSERT_GE(fd, 0);
      ::close(fd);
    }
    ASSERT_TRUE(platform::RestrictToOwner(path));
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u) << existed;
    ::unlink(path.c_str());
  }
  EXPECT_FALSE(platform::RestrictToOwner(folder + "/no/such/folder/file.ini"));
}

}  // namespace
