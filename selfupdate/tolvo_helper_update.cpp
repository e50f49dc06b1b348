// tolvoHelperUpdate: replaces the main executable with the new copy that waits in "temp/",
// once the main program has ended.
//
// It links nothing of the main program. The two programs share only names: the executable
// "KEST update utility", the new copy "temp/KEST update utility" in the same folder as this
// program, and the named mutexes "kestHelperMutex" (held while the main program runs) and
// "kestHelperUpdateMutex" (held while a companion runs). A named mutex NAME is an exclusive
// flock(2) on $XDG_RUNTIME_DIR/NAME.lock, or on /tmp/NAME-UID.lock when XDG_RUNTIME_DIR is
// unset; it is taken when the lock is free and "already exists" when another open file holds
// the lock.
//
// Exit status 1 when another companion runs, 0 otherwise (also when nothing was replaced).
// Arguments are ignored.

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr const char* kMainMutex = "kestHelperMutex";
constexpr const char* kCompanionMutex = "kestHelperUpdateMutex";
constexpr const char* kMainFileName = "KEST update utility";

enum class Lock { Taken, Busy, Failed };

std::string LockPath(const std::string& name) {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime && *runtime) {
    std::string path = runtime;
    if (path.back() != '/') path += '/';
    return path + name + ".lock";
  }
  return "/tmp/" + name + "-" + std::to_string(::getuid()) + ".lock";
}

// Takes the named mutex; on success `fd` holds it until closed.
Lock TakeLock(const std::string& name, int& fd) {
  fd = ::open(LockPath(name).c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) return Lock::Failed;
  while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    if (errno == EINTR) continue;
    int error = errno;
    ::close(fd);
    fd = -1;
    return error == EWOULDBLOCK ? Lock::Busy : Lock::Failed;
  }
  return Lock::Taken;
}

void SleepOneSecond() { ::sleep(1); }

std::string OwnFolder() {
  char buffer[PATH_MAX + 1];
  ssize_t n = ::readlink("/proc/self/exe", buffer, PATH_MAX);
  if (n <= 0) return {};
  std::string path(buffer, static_cast<size_t>(n));
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

bool IsFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool AddModeBits(const std::string& path, mode_t bits) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return false;
  return (st.st_mode & bits) == bits || ::chmod(path.c_str(), (st.st_mode & 07777) | bits) == 0;
}

// When temp/ is another file system, rename cannot cross it: copy beside the target, then
// rename that copy over the target and remove the new copy.
bool CopyAcross(const std::string& from, const std::string& to) {
  int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return false;
  std::string part = to + ".part";
  int out = ::open(part.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0700);
  bool ok = out >= 0;
  char buffer[65536];
  while (ok) {
    ssize_t n = ::read(in, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      ok = n == 0;
      break;
    }
    for (ssize_t done = 0; ok && done < n;) {
      ssize_t w = ::write(out, buffer + done, static_cast<size_t>(n - done));
      if (w < 0 && errno == EINTR) continue;
      ok = w > 0;
      done += w > 0 ? w : 0;
    }
  }
  ::close(in);
  if (out >= 0) ok = ::fsync(out) == 0 && ::close(out) == 0 && ok;
  if (ok) ok = ::rename(part.c_str(), to.c_str()) == 0;
  if (!ok) {
    ::unlink(part.c_str());
    return false;
  }
  ::unlink(from.c_str());
  return true;
}

// One attempt to put the new copy in place of the target. rename() replaces the target in one
// step, so there is never a moment without a main executable, and a read-only target does not
// stand in the way (only the folder's permissions count).
bool MoveOver(const std::string& from, const std::string& to) {
  if (::rename(from.c_str(), to.c_str()) == 0) return true;
  return errno == EXDEV && CopyAcross(from, to);
}

}  // namespace

int main() {
  int own = -1;
  if (TakeLock(kCompanionMutex, own) != Lock::Taken) return 1;

  // Wait for the main program, without a time limit: it holds its mutex until it has ended.
  for (;;) {
    int probe = -1;
    Lock main_program = TakeLock(kMainMutex, probe);
    if (main_program != Lock::Busy) {
      if (probe >= 0) ::close(probe);
      break;
    }
    SleepOneSecond();
  }
  SleepOneSecond();

  std::string folder = OwnFolder();
  if (!folder.empty()) {
    std::string new_copy = folder + "/temp/" + kMainFileName;
    std::string target = folder + "/" + kMainFileName;
    // Without a new copy nothing is touched: deleting the executable first, as a delete-then-
    // move would, left the user without a program whenever the move then failed.
    if (IsFile(new_copy)) AddModeBits(target, S_IWUSR);  // clear the read-only attribute
    bool replaced = MoveOver(new_copy, target);
    if (!replaced) {
      SleepOneSecond();
      replaced = MoveOver(new_copy, target);
      if (!replaced && !IsFile(target)) replaced = MoveOver(new_copy, target);
    }
    if (replaced) {
      // A new copy that came without its execute bit must not leave a program that cannot
      // start.
      AddModeBits(target, S_IXUSR);
      ::rmdir((folder + "/temp").c_str());  // only when it is empty now
    }
  }
  ::close(own);
  return 0;
}
