#include "ui/sound_service.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace {

TEST(SoundService, WithoutAPlayerNothingStartsAndTheMissIsLoggedOnce) {
  std::vector<std::string> log;
  int started = 0;
  ui::SoundService sounds([&](std::string_view line) { log.emplace_back(line); },
                          [&](const std::vector<std::string>&) { return ++started > 0; }, {"no-such-player-anywhere"});
  EXPECT_FALSE(sounds.PlayFile("/tmp/a.wav"));
  EXPECT_FALSE(sounds.PlayFile("/tmp/a.wav"));
  EXPECT_EQ(started, 0);
  EXPECT_EQ(log.size(), 1u);
}

TEST(SoundService, TheFirstPlayerFoundPlaysAnExistingFile) {
  const std::string file =
      (std::filesystem::temp_directory_path() / ("beep_" + std::to_string(::getpid()) + ".wav")).string();
  std::ofstream(file) << "RIFF";
  std::vector<std::string> argv;
  ui::SoundService sounds([](std::string_view) {},
                          [&](const std::vector<std::string>& started) {
                            argv = started;
                            return true;
                          },
                          {"no-such-player-anywhere", "sh"});
  ASSERT_FALSE(sounds.Player().empty());
  EXPECT_TRUE(sounds.PlayFile(file));
  ASSERT_EQ(argv.size(), 2u);
  EXPECT_EQ(argv[0], sounds.Player());
  EXPECT_EQ(argv[1], file);
  EXPECT_FALSE(sounds.PlayFile(file + ".missing"));
  std::filesystem::remove(file);
}

}  // namespace
