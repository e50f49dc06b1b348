#pragma once
// A child process that a test starts, watches and, if need be, kills: for programs whose
// waiting and exit status are what the test is about.

#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace kest::test {

class ChildProcess final {
 public:
  // Starts argv (argv[0] a path) with the test's environment; standard input is /dev/null.
  explicit ChildProcess(const std::vector<std::string>& argv);
  ~ChildProcess();  // kills and reaps a child that is still running
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  pid_t pid() const { return pid_; }
  // The exit status once the child has ended (128 + signal when killed), waiting at most
  // `seconds`; nothing when it still runs then. The limit only keeps a broken test from hanging.
  std::optional<int> WaitForExit(double seconds);
  bool Running();

 private:
  pid_t pid_ = -1;
  std::optional<int> status_;
};

}  // namespace kest::test
