// scrivane: prints the records of a log file, one a line: time stamp,
// application id and text; pack records as their name and data in hex.
#include <cstdio>

#include "logfile/log.h"

namespace {

void PrintRecord(short type, const char* timeText, const char* data, short length) {
  if (!logfile::IsPackRecordType(type)) {
    std::printf("%s %5d ", timeText, type);
    std::fwrite(data, 1, static_cast<std::size_t>(length), stdout);
    std::printf("\n");
    return;
  }
  const int nameLength = length < logfile::kPackNameSize ? length : logfile::kPackNameSize;
  std::printf("%s %5d [%.*s]", timeText, type, nameLength, data);
  for (int i = logfile::kPackNameSize; i < length; ++i) std::printf(" %02x", static_cast<unsigned char>(data[i]));
  std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 || !*argv[1]) {
    std::fprintf(stderr, "usage: scrivane LOGFILE\n");
    return 2;
  }
  CLog log;
  if (!log.OpenLogFile(argv[1])) return 1;
  std::uint32_t position = 0;
  short type = 0;
  short length = 0;
  char timeText[logfile::kTimeTextSize];
  static char data[logfile::kReadBufferSize];
  while (log.GetNextLog(position, type, timeText, data, length)) PrintRecord(type, timeText, data, length);
  return 0;
}
