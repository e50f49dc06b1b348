#include "tests/cli/kest_child.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>

#include <gtest/gtest.h>

#include "tests/support/temp_dir.h"

extern char** environ;

namespace kest::test {
namespace {

// Ours with `extra` laid over it; built before the fork, as the child may only exec.
std::vector<std::string> Environment(const std::vector<std::string>& extra) {
  auto name_of = [](const std::string& entry) { return entry.substr(0, entry.find('=')); };
  std::vector<std::string> result;
  for (char** e = environ; *e; ++e) {
    bool replaced = false;
    for (const std::string& x : extra) replaced = replaced || name_of(x) == name_of(*e);
    if (!replaced) result.emplace_back(*e);
  }
  result.insert(result.end(), extra.begin(), extra.end());
  return result;
}

std::vector<char*> Pointers(std::vector<std::string>& strings) {
  std::vector<char*> pointers;
  for (std::string& s : strings) pointers.push_back(s.data());
  pointers.push_back(nullptr);
  return pointers;
}

}  // namespace

KestChild::KestChild(std::vector<std::string> args, const std::vector<std::string>& env) {
  args.insert(args.begin(), KEST_CLI_PATH);
  std::vector<std::string> environment = Environment(env);
  std::vector<char*> argv = Pointers(args);
  std::vector<char*> envp = Pointers(environment);
  int in[2], out[2];
  if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0) return;
  pid_ = ::fork();
  if (pid_ == 0) {
    ::dup2(in[0], STDIN_FILENO);
    ::dup2(out[1], STDOUT_FILENO);
    ::dup2(out[1], STDERR_FILENO);
    ::execve(argv[0], argv.data(), envp.data());
    ::_exit(127);
  }
  ::close(in[0]);
  ::close(out[1]);
  in_ = in[1];
  out_ = out[0];
  if (pid_ < 0) ADD_FAILURE() << "cannot start " << KEST_CLI_PATH;
}

KestChild::~KestChild() {
  if (in_ >= 0) ::close(in_);
  if (out_ >= 0) ::close(out_);
  if (pid_ > 0 && !waited_) {
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
  }
}

bool KestChild::ReadUntil(const std::string& marker) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (output_.find(marker, consumed_) == std::string::npos) {
    if (std::chrono::steady_clock::now() > deadline || !ReadSome(1000)) return false;
  }
  consumed_ = output_.find(marker, consumed_) + marker.size();
  return true;
}

void KestChild::Answer(const std::string& text) {
  [[maybe_unused]] ssize_t n = ::write(in_, text.data(), text.size());
}

CommandResult KestChild::Finish() {
  if (in_ >= 0) ::close(in_);
  in_ = -1;
  if (pid_ <= 0) return {};  // kest never started
  while (ReadSome(60000)) {
  }
  int status = 0;
  ::waitpid(pid_, &status, 0);
  waited_ = true;
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output_};
}

bool KestChild::ReadSome(int timeout_ms) {
  pollfd p{out_, POLLIN, 0};
  if (::poll(&p, 1, timeout_ms) <= 0) return false;
  char buffer[4096];
  ssize_t n = ::read(out_, buffer, sizeof buffer);
  if (n <= 0) return false;
  output_.append(buffer, static_cast<size_t>(n));
  return true;
}

CommandResult RunKest(std::vector<std::string> args, const std::vector<std::string>& env) {
  return KestChild(std::move(args), env).Finish();
}

void SetUserSession(const std::string& home, const std::string& config,
                    const std::string& desktop) {
  WriteFile(config + "/user-dirs.dirs", "XDG_DESKTOP_DIR=\"" + desktop + "\"\n");
  ::setenv("HOME", home.c_str(), 1);
  ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
  ::setenv("KEST_ACCOUNT", "workshop1", 1);
  ::setenv("KEST_PASSWORD", "secret01", 1);
}

std::vector<std::string> CardCommandArgs(const std::string& server, const std::string& card,
                                         const std::vector<std::string>& rest) {
  std::vector<std::string> args = {"--config", "/nonexistent/option.ini", "--server", server,
                                   "--card", card};
  args.insert(args.end(), rest.begin(), rest.end());
  return args;
}

}  // namespace kest::test
