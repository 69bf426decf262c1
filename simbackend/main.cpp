// simbackend: the simulated trading back end as a program.
//
//   simbackend [--port PORT] [--data FOLDER]
//
// Listens on 127.0.0.1:PORT (0, the default, picks a free port) and prints
// "simbackend listening on 127.0.0.1:PORT" once it accepts connections. Runs
// until SIGINT or SIGTERM, then closes every connection and ends.
#include <pthread.h>
#include <sys/resource.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "simbackend/server.h"

namespace {

constexpr const char* kUsage =
    "usage: simbackend [--port PORT] [--data FOLDER]\n"
    "  --port PORT    loopback port to listen on; 0 (the default) picks a free one\n"
    "  --data FOLDER  data folder (default: the data folder shipped with simbackend)\n";

bool ParsePort(const char* text, std::uint16_t& port) {
  char* end = nullptr;
  errno = 0;
  const unsigned long value = std::strtoul(text, &end, 10);
  if (*text == '\0' || *end != '\0' || errno != 0 || value > 65535) return false;
  port = static_cast<std::uint16_t>(value);
  return true;
}

// False when the command line is not understood.
bool ParseArguments(int argc, char** argv, simbackend::ServerOptions& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    const bool hasValue = i + 1 < argc;
    if (argument == "--port" && hasValue) {
      if (!ParsePort(argv[++i], options.port)) return false;
    } else if (argument == "--data" && hasValue) {
      options.dataFolder = argv[++i];
    } else {
      return false;
    }
  }
  return true;
}

// Every connection takes a descriptor: the program may use as many as the
// system lets it.
void RaiseDescriptorLimit() {
  rlimit limit{};
  if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == limit.rlim_max) return;
  limit.rlim_cur = limit.rlim_max;
  setrlimit(RLIMIT_NOFILE, &limit);
}

void PrintLine(const std::string& line) {
  std::printf("%s\n", line.c_str());
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && (std::string_view(argv[1]) == "--help" || std::string_view(argv[1]) == "-h")) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  simbackend::ServerOptions options;
  if (!ParseArguments(argc, argv, options)) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  options.log = PrintLine;
  RaiseDescriptorLimit();

  // Every thread the server starts inherits the blocked signals, so they
  // reach the sigwait below and nowhere else.
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);

  std::string error;
  const std::unique_ptr<simbackend::Server> server = simbackend::Server::Start(options, error);
  if (!server) {
    std::fprintf(stderr, "simbackend: %s\n", error.c_str());
    return 1;
  }
  // Orders fill in pieces, as in a market where others trade too.
  server->SetFillBehaviour({simbackend::FillBehaviour::Mode::kPieces, options.quoteSeed});
  PrintLine("simbackend listening on 127.0.0.1:" + std::to_string(server->Port()));

  int received = 0;
  sigwait(&signals, &received);
  PrintLine(std::string("simbackend stopping on ") + (received == SIGINT ? "SIGINT" : "SIGTERM"));
  server->Stop();
  PrintLine("simbackend stopped");
  return 0;
}
