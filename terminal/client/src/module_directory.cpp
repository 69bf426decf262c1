#include "client/module_directory.h"

#include <cstring>
#include <string>

#include "backend/field_text.h"
#include "platform/files.h"

namespace client {

std::size_t GetModuleDirectory(char* buffer, std::size_t size) {
  if (buffer == nullptr || size == 0) return 0;
  const std::string folder = platform::ProgramFolder();
  backend::CopyTextBounded(folder.c_str(), buffer, size);
  return std::strlen(buffer);
}

}  // namespace client
