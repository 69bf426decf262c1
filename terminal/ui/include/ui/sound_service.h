// Alert sounds: a sound file is handed to the first sound player found on
// the PATH ("paplay", "pw-play", "aplay"); without one nothing plays and the
// first miss is logged. No toolkit.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace ui {

class SoundService {
 public:
  using Log = std::function<void(std::string_view line)>;
  // Starts a player with its arguments; false when it could not start.
  using Starter = std::function<bool(const std::vector<std::string>& argv)>;

  // `players` are tried in order; an empty list takes the default ones.
  explicit SoundService(Log log, Starter starter = {}, std::vector<std::string> players = {});

  // Plays the file without waiting; false when there is no player, no file,
  // or the player did not start.
  bool PlayFile(const std::string& path);

  // The player that will be used; empty when none was found.
  const std::string& Player();

 private:
  Log log_;
  Starter starter_;
  std::vector<std::string> candidates_;
  std::string player_;
  bool searched_ = false;
  bool missLogged_ = false;
};

// The full path of a program found on the PATH; empty when none.
std::string FindOnPath(std::string_view program);

}  // namespace ui
