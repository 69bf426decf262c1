#include "client/shell_services.h"

#include <atomic>

namespace client {
namespace {

std::atomic<ShellServices*> installedShell{nullptr};

}  // namespace

void InstallShellServices(ShellServices* shell) { installedShell.store(shell); }

ShellServices* TheShellServices() { return installedShell.load(); }

int PostOutputLine(int lineType, std::string_view text) {
  ShellServices* shell = TheShellServices();
  return shell == nullptr ? 0 : shell->AppendOutputLine(text, lineType);
}

}  // namespace client
