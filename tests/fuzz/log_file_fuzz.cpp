// Log files read back from arbitrary bytes, record by record, pack by pack
// and by ordinal, into buffers of exactly the sizes the reader documents:
// every record read stays within them and is terminated where it says.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_support.h"
#include "logfile/log.h"
#include "platform/message.h"

namespace {

// Records read from one file; enough to walk any seed, few enough that a
// run stays quick.
constexpr int kMaxRecords = 64;

struct Buffers {
  std::vector<char> time = std::vector<char>(logfile::kTimeTextSize);
  std::vector<char> name = std::vector<char>(logfile::kPackNameBufferSize);
  std::vector<char> data = std::vector<char>(logfile::kReadBufferSize);
};

void CheckRecord(const Buffers& buffers, short dataLength) {
  fuzz::Check(dataLength >= 0 && dataLength < logfile::kReadBufferSize, "a record's length fits the buffer");
  fuzz::Check(buffers.data[static_cast<std::size_t>(dataLength)] == '\0', "a record is terminated after its data");
  fuzz::Check(std::memchr(buffers.time.data(), '\0', buffers.time.size()) != nullptr, "a time text is terminated");
}

void ReadAll(CLog& log) {
  Buffers buffers;
  short type = 0;
  short length = 0;
  std::uint32_t position = 0;
  for (int n = 0; n < kMaxRecords && log.GetNextLog(position, type, buffers.time.data(), buffers.data.data(), length);
       ++n) {
    CheckRecord(buffers, length);
  }
  position = 0;
  for (int n = 0; n < kMaxRecords &&
                  log.GetNextPack(position, buffers.name.data(), buffers.time.data(), buffers.data.data(), length);
       ++n) {
    CheckRecord(buffers, length);
    fuzz::Check(buffers.name[logfile::kPackNameSize] == '\0', "a pack name is terminated");
  }
  for (std::uint32_t ordinal = 0; ordinal < kMaxRecords; ++ordinal) {
    if (!log.GetLog(ordinal, type, buffers.time.data(), buffers.name.data(), buffers.data.data(), length)) break;
    CheckRecord(buffers, length);
  }
  st_LogHead head{};
  log.GetFileInfo(head);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // A file that is no log file raises a message for the user: none here.
  platform::SetMessageHandler([](std::string_view, std::string_view) {});
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path = fuzz::TemporaryPath("read.wqz");
  fuzz::WriteFile(path, std::string_view(reinterpret_cast<const char*>(data), size));
  CLog log;
  if (log.OpenLogFile(path.c_str()) == 1) ReadAll(log);
  log.CloseLogFile();
  return 0;
}
