#include "tests/support/sized_mount.h"

#include <cerrno>
#include <cstring>
#include <sched.h>
#include <sys/mount.h>

namespace kest::test {

SizedMount::SizedMount(uint64_t size_bytes) : dir_("kest-mount") {
  // A private mount namespace: our mount is invisible to other processes and dies with us.
  if (::unshare(CLONE_NEWNS) == 0) {
    ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr);
  }
  std::string options = "size=" + std::to_string(size_bytes) + ",mode=0755";
  if (::mount("tmpfs", dir_.path().c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) ==
      0) {
    mounted_ = true;
  } else {
    reason_ = std::string("cannot mount a size-limited tmpfs here (") + std::strerror(errno) +
              "); the test needs root or CAP_SYS_ADMIN";
  }
}

SizedMount::~SizedMount() {
  if (mounted_) ::umount2(dir_.path().c_str(), MNT_DETACH);
}

}  // namespace kest::test
