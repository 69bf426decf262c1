// The simbackend program: started as a separate process, told to stop by signal.
#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "raw_client.h"

extern char** environ;

namespace simbackend_test {
namespace {

using Clock = std::chrono::steady_clock;

// The program running with its standard output and error on pipes; killed
// if a test leaves it running.
class Program {
 public:
  explicit Program(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), SIMBACKEND_PROGRAM);
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    int out[2], err[2];
    if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
    if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    ::close(err[1]);
    out_ = out[0];
    err_ = err[0];
  }

  ~Program() {
    if (pid_ > 0 && !status_) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
    if (out_ >= 0) ::close(out_);
    if (err_ >= 0) ::close(err_);
  }

  bool Started() const { return pid_ > 0; }
  void Signal(int signal) const { ::kill(pid_, signal); }

  // The next line of standard output; none when it ends or the time-out passes.
  std::optional<std::string> ReadLine() {
    const Clock::time_point deadline = Clock::now() + kWait;
    for (;;) {
      if (const std::size_t end = output_.find('\n'); end != std::string::npos) {
        std::string line = output_.substr(0, end);
        output_.erase(0, end + 1);
        return line;
      }
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
      pollfd entry{.fd = out_, .events = POLLIN, .revents = 0};
      if (left.count() <= 0 || ::poll(&entry, 1, static_cast<int>(left.count())) <= 0) return std::nullopt;
      char buffer[4096];
      const ssize_t received = ::read(out_, buffer, sizeof buffer);
      if (received <= 0) return std::nullopt;
      output_.append(buffer, static_cast<std::size_t>(received));
    }
  }

  // Everything written to standard error (read once the program has ended).
  std::string Errors() const {
    std::string text;
    char buffer[4096];
    for (ssize_t received; (received = ::read(err_, buffer, sizeof buffer)) > 0;)
      text.append(buffer, static_cast<std::size_t>(received));
    return text;
  }

  // The exit code once the program ends; none when it runs past the time-out.
  std::optional<int> WaitForExit() {
    const Clock::time_point deadline = Clock::now() + kWait;
    while (!status_ && Clock::now() < deadline) {
      int status = 0;
      if (::waitpid(pid_, &status, WNOHANG) == pid_)
        status_ = status;
      else
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (!status_ || !WIFEXITED(*status_)) return std::nullopt;
    return WEXITSTATUS(*status_);
  }

 private:
  pid_t pid_ = -1;
  int out_ = -1;
  int err_ = -1;
  std::string output_;
  std::optional<int> status_;
};

TEST(ProgramTest, ListensOnAFreePortWithItsOwnDataAndStopsOnSigterm) {
  Program program({"--port", "0"});
  ASSERT_TRUE(program.Started());
  const std::optional<std::string> line = program.ReadLine();
  ASSERT_TRUE(line);
  const std::string prefix = "simbackend listening on 127.0.0.1:";
  ASSERT_TRUE(line->starts_with(prefix)) << *line;
  const std::string digits = line->substr(prefix.size());
  ASSERT_TRUE(!digits.empty() && digits.find_first_not_of("0123456789") == std::string::npos) << *line;
  const int port = std::stoi(digits);
  ASSERT_GT(port, 0);

  RawClient client(static_cast<std::uint16_t>(port));
  ASSERT_TRUE(client.Connected());
  EXPECT_EQ(Field(client.Call(TradingLoginText(1, "10001", "111111")), 5), "张明");

  program.Signal(SIGTERM);
  EXPECT_TRUE(client.WaitClosed());
  EXPECT_EQ(program.WaitForExit(), 0);
  std::vector<std::string> lines;
  while (const std::optional<std::string> next = program.ReadLine()) lines.push_back(*next);
  EXPECT_THAT(lines, ::testing::Contains("simbackend stopping on SIGTERM"));
  EXPECT_EQ(lines.back(), "simbackend stopped");
}

TEST(ProgramTest, StopsOnSigintWithoutClients) {
  Program program({"--port", "0", "--data", SIMBACKEND_SOURCE_DATA_FOLDER});
  ASSERT_TRUE(program.Started());
  ASSERT_TRUE(program.ReadLine());
  program.Signal(SIGINT);
  EXPECT_EQ(program.WaitForExit(), 0);
}

TEST(ProgramTest, EndsWithAClearMessageWhenItCannotStart) {
  struct Case {
    std::vector<std::string> arguments;
    int exitCode;
    const char* message;
  };
  const Case cases[] = {
      {{"--data", "/nonexistent/folder"}, 1, "simbackend: /nonexistent/folder/accounts.txt: cannot be opened"},
      {{"--port", "65536"}, 2, "usage: simbackend [--port PORT] [--data FOLDER]"},
      {{"--verbose"}, 2, "usage: simbackend"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments.front());
    Program program(c.arguments);
    ASSERT_TRUE(program.Started());
    EXPECT_EQ(program.WaitForExit(), c.exitCode);
    EXPECT_THAT(program.Errors(), ::testing::HasSubstr(c.message));
  }
}

}  // namespace
}  // namespace simbackend_test
