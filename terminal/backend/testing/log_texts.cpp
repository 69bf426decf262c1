#include "backend/testing/log_texts.h"

#include <cstdint>

#include "logfile/log.h"

namespace backend_testing {

std::vector<std::string> ReadLogTexts(const std::string& file) {
  CLog reader;
  std::vector<std::string> texts;
  if (reader.OpenLogFile(file.c_str()) != 1) return texts;
  std::uint32_t position = 0;
  short type = 0, length = 0;
  char time[64];
  std::vector<char> data(20000);
  while (reader.GetNextLog(position, type, time, data.data(), length) == 1) texts.emplace_back(data.data(), length);
  return texts;
}

}  // namespace backend_testing
