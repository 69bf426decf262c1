#include "ui/sound_service.h"

#include <unistd.h>

#include <cstdlib>
#include <utility>

#include "platform/files.h"
#include "platform/process.h"

namespace ui {

std::string FindOnPath(std::string_view program) {
  const char* path = std::getenv("PATH");
  if (path == nullptr) return {};
  std::string_view rest = path;
  while (!rest.empty()) {
    const std::size_t colon = rest.find(':');
    const std::string_view folder = rest.substr(0, colon);
    if (!folder.empty()) {
      const std::string candidate = std::string(folder) + "/" + std::string(program);
      if (::access(candidate.c_str(), X_OK) == 0 && platform::IsRegularFile(candidate)) return candidate;
    }
    if (colon == std::string_view::npos) break;
    rest.remove_prefix(colon + 1);
  }
  return {};
}

SoundService::SoundService(Log log, Starter starter, std::vector<std::string> players)
    : log_(std::move(log)),
      starter_(starter ? std::move(starter) : Starter(platform::StartProcess)),
      candidates_(players.empty() ? std::vector<std::string>{"paplay", "pw-play", "aplay"} : std::move(players)) {}

const std::string& SoundService::Player() {
  if (!searched_) {
    searched_ = true;
    for (const std::string& candidate : candidates_) {
      player_ = FindOnPath(candidate);
      if (!player_.empty()) break;
    }
  }
  return player_;
}

bool SoundService::PlayFile(const std::string& path) {
  if (Player().empty()) {
    if (!missLogged_ && log_) log_("没有可用的声音播放程序，提示音不播放。");
    missLogged_ = true;
    return false;
  }
  if (!platform::IsRegularFile(path)) {
    if (log_) log_("声音文件不存在：" + path);
    return false;
  }
  std::vector<std::string> argv{player_};
  if (player_.size() >= 5 && player_.compare(player_.size() - 5, 5, "aplay") == 0) argv.push_back("-q");
  argv.push_back(path);
  return starter_(argv);
}

}  // namespace ui
