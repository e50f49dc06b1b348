#include "platform/process.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <linux/close_range.h>
#include <signal.h>
#include <string_view>
#include <sys/wait.h>
#include <unistd.h>

namespace kest::platform {
namespace {

std::vector<char*> MakeArgv(const std::vector<std::string>& argv) {
  std::vector<char*> out;
  out.reserve(argv.size() + 1);
  for (const std::string& a : argv) out.push_back(const_cast<char*>(a.c_str()));
  out.push_back(nullptr);
  return out;
}

// Runs in the child after fork(): only async-signal-safe calls from here on. Reports errno
// through `report` (close-on-exec, so a successful exec closes it without a word).
[[noreturn]] void ExecChild(char* const* argv, int report, bool quiet) {
  int null = ::open("/dev/null", O_RDWR);
  if (null >= 0) {
    ::dup2(null, 0);
    if (quiet) {
      ::dup2(null, 1);
      ::dup2(null, 2);
    }
  }
  // Everything above the standard three is closed at the exec (the report pipe with it).
  if (::close_range(3, ~0U, CLOSE_RANGE_CLOEXEC) != 0) {
    for (int fd = 3; fd < 65536; ++fd) {
      if (fd != report) ::close(fd);
    }
  }
  sigset_t none;
  sigemptyset(&none);
  ::sigprocmask(SIG_SETMASK, &none, nullptr);
  // An ignored SIGPIPE survives exec (libcurl users ignore it); the started tool expects the
  // default, which ends it quietly when its reader goes away.
  struct sigaction action {};
  action.sa_handler = SIG_DFL;
  ::sigaction(SIGPIPE, &action, nullptr);
  ::execvp(argv[0], argv);
  int error = errno;
  ssize_t ignored = ::write(report, &error, sizeof error);
  (void)ignored;
  ::_exit(127);
}

// Reads the child's exec report: 0 when the exec worked (the pipe closed without data).
int ReadExecReport(int fd) {
  int error = 0;
  ssize_t n;
  do {
    n = ::read(fd, &error, sizeof error);
  } while (n < 0 && errno == EINTR);
  ::close(fd);
  return n == sizeof error ? error : 0;
}

int WaitFor(pid_t pid) {
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  return status;
}

}  // namespace

Status StartDetached(const std::vector<std::string>& argv) {
  if (argv.empty() || argv[0].empty()) return Error{EINVAL, "no program to start"};
  std::vector<char*> args = MakeArgv(argv);
  int pipe[2];
  if (::pipe2(pipe, O_CLOEXEC) != 0) return ErrnoError("pipe");
  pid_t middle = ::fork();
  if (middle < 0) {
    ::close(pipe[0]);
    ::close(pipe[1]);
    return ErrnoError("fork");
  }
  if (middle == 0) {
    ::close(pipe[0]);
    ::setsid();
    pid_t child = ::fork();
    if (child < 0) {
      // Without this report the parent would read end-of-file and take it for a started program.
      int error = errno;
      ssize_t ignored = ::write(pipe[1], &error, sizeof error);
      (void)ignored;
      ::_exit(126);
    }
    if (child == 0) ExecChild(args.data(), pipe[1], true);
    ::_exit(0);  // the program is now an orphan that init reaps
  }
  ::close(pipe[1]);
  int error = ReadExecReport(pipe[0]);
  WaitFor(middle);
  if (error != 0) {
    return Error{error, "cannot start " + argv[0] + ": " + std::strerror(error)};
  }
  return Ok();
}

Expected<int> RunAndWait(const std::vector<std::string>& argv, const RunOptions& options) {
  if (argv.empty() || argv[0].empty()) return Error{EINVAL, "no program to run"};
  std::vector<char*> args = MakeArgv(argv);
  int pipe[2];
  if (::pipe2(pipe, O_CLOEXEC) != 0) return ErrnoError("pipe");
  pid_t child = ::fork();
  if (child < 0) {
    ::close(pipe[0]);
    ::close(pipe[1]);
    return ErrnoError("fork");
  }
  if (child == 0) {
    ::close(pipe[0]);
    ExecChild(args.data(), pipe[1], options.quiet);
  }
  ::close(pipe[1]);
  int error = ReadExecReport(pipe[0]);
  int status = WaitFor(child);
  if (error != 0) {
    return Error{error, "cannot start " + argv[0] + ": " + std::strerror(error)};
  }
  if (status < 0) return ErrnoError("waitpid");
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return status;
}

std::string ProgramPath() {
  char buffer[PATH_MAX + 1];
  ssize_t n = ::readlink("/proc/self/exe", buffer, PATH_MAX);
  if (n <= 0) return {};
  std::string path(buffer, static_cast<size_t>(n));
  // The kernel appends " (deleted)" once the file has been replaced or removed under the
  // running program; the path it names is still the program's place.
  constexpr std::string_view kDeleted = " (deleted)";
  if (path.size() > kDeleted.size() && path.ends_with(kDeleted) && ::access(path.c_str(), F_OK)) {
    path.resize(path.size() - kDeleted.size());
  }
  return path;
}

std::string ProgramFolder() {
  std::string path = ProgramPath();
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return {};
  return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace kest::platform
