#include "platform/file_permissions.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

bool RestrictToOwner(const std::string& path) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, S_IRUSR | S_IWUSR);
  if (fd < 0) return false;
  const bool changed = ::fchmod(fd, S_IRUSR | S_IWUSR) == 0;
  ::close(fd);
  return changed;
}

}  // namespace platform
