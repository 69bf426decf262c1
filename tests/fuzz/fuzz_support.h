// What the fuzz targets share: a failed property stops the run as a
// sanitizer report would, and the readers of files get the input as a file.
#pragma once

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <string_view>

namespace fuzz {

// Stops the fuzzer with `what` when `holds` is false; libFuzzer keeps the
// input that did it.
inline void Check(bool holds, const char* what) {
  if (holds) return;
  std::fprintf(stderr, "fuzz check failed: %s\n", what);
  std::abort();
}

// A path of this process in the temporary folder, named `name`; each input
// overwrites the file of the one before.
inline std::string TemporaryPath(const std::string& name) {
  const char* folder = std::getenv("TMPDIR");
  return std::string(folder != nullptr && *folder != '\0' ? folder : "/tmp") + "/quentara-fuzz-" +
         std::to_string(::getpid()) + "-" + name;
}

// Writes the bytes to `path`, replacing what was there.
inline void WriteFile(const std::string& path, std::string_view bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  Check(file.good(), "the input file is written");
}

}  // namespace fuzz
