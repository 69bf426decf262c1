#include "engine_log.h"

#include <cstdio>

#include "delimited_field.h"
#include "platform/clock.h"
#include "platform/gbk.h"

namespace gatelin {
namespace {

constexpr std::string_view kMask = "******";

}  // namespace

void EngineLog::Configure(GtnLogFunction hostFunction, std::string folder) {
  hostFunction_ = hostFunction;
  folder_ = std::move(folder);
}

int EngineLog::Write(std::string_view line) const {
  const std::string cut(line.substr(0, platform::GbkFitLength(line, kLogLineLimit)));
  return hostFunction_ ? hostFunction_(cut.c_str()) : WriteDailyLog(folder_, cut);
}

int EngineLog::WriteExchange(std::string_view title, int connection, std::string_view text) const {
  return Write(std::string(title) + "(CID=" + std::to_string(connection) + "):" + std::string(text));
}

int WriteDailyLog(const std::string& folder, std::string_view line) {
  if (folder.empty()) return 0;
  const platform::LocalTime now = platform::LocalNow();
  char name[32];
  std::snprintf(name, sizeof name, "/GTN%04d%02d%02d.txt", now.year, now.month, now.day);
  std::FILE* file = std::fopen((folder + name).c_str(), "ab");
  if (!file) return 0;
  std::fwrite(line.data(), 1, line.size(), file);
  std::fputc('\n', file);
  return std::fclose(file) == 0 ? 1 : 0;
}

std::string MaskedForLog(std::string request, bool maskField18) {
  ReplaceExistingField(request, 7, kMask);
  if (maskField18) ReplaceExistingField(request, 18, kMask);
  return request;
}

}  // namespace gatelin
