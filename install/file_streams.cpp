#include "install/file_streams.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/file_attributes.h"
#include "platform/work_control.h"

namespace kest {

using namespace sevenzip;

namespace {

// The library never asks for more, and a cap keeps every system call short enough that a
// pause or a signal is noticed soon.
constexpr uint32_t kMaxIoPerCall = 4u << 20;
constexpr int64_t kTicksPerSecond = 10'000'000;
constexpr int64_t kSecondsFrom1601To1970 = 11'644'473'600;

HRESULT SeekFile(int fd, int64_t offset, uint32_t origin, uint64_t* new_position) {
  int whence;
  switch (origin) {
    case 0: whence = SEEK_SET; break;
    case 1: whence = SEEK_CUR; break;
    case 2: whence = SEEK_END; break;
    default: return STG_E_INVALIDFUNCTION;
  }
  off_t position = ::lseek(fd, offset, whence);
  if (position < 0) return ResultFromErrno(errno);
  if (new_position) *new_position = static_cast<uint64_t>(position);
  return S_OK;
}

}  // namespace

struct timespec FileTimeToTimespec(const FILETIME& time) {
  uint64_t ticks = (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
  struct timespec out {};
  out.tv_sec = static_cast<time_t>(static_cast<int64_t>(ticks / kTicksPerSecond) -
                                   kSecondsFrom1601To1970);
  out.tv_nsec = static_cast<long>((ticks % kTicksPerSecond) * 100);
  return out;
}

FILETIME TimespecToFileTime(const struct timespec& time) {
  int64_t ticks = (static_cast<int64_t>(time.tv_sec) + kSecondsFrom1601To1970) * kTicksPerSecond +
                  time.tv_nsec / 100;
  if (ticks < 0) ticks = 0;
  uint64_t value = static_cast<uint64_t>(ticks);
  return FILETIME{static_cast<uint32_t>(value), static_cast<uint32_t>(value >> 32)};
}

// ---- CInFileStream ----

bool CInFileStream::Open(const std::string& path) {
  std::lock_guard lock(mutex_);
  if (file_.Close() != 0) return false;
  UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd.valid()) return false;
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  file_ = std::move(fd);
  return true;
}

HRESULT CInFileStream::QueryInterface(const GUID* iid, void** out) {
  if (!out) return E_INVALIDARG;
  *out = nullptr;
  if (SameGuid(iid, IID_IUnknown) || SameGuid(iid, IID_IInStream)) {
    return HandOut(static_cast<IInStream*>(this), out);
  }
  if (SameGuid(iid, IID_IStreamGetSize)) return HandOut(static_cast<IStreamGetSize*>(this), out);
  if (SameGuid(iid, IID_IStreamGetProps)) {
    return HandOut(static_cast<IStreamGetProps*>(this), out);
  }
  return E_NOINTERFACE;
}

uint32_t CInFileStream::AddRef() { return refs_.Add(); }

uint32_t CInFileStream::Release() { return ReleaseReference(this, refs_); }

HRESULT CInFileStream::Read(void* data, uint32_t size, uint32_t* processed) {
  return Guarded([&]() -> HRESULT {
    if (processed) *processed = 0;
    std::lock_guard lock(mutex_);
    ssize_t n;
    do {
      n = ::read(file_.get(), data, std::min(size, kMaxIoPerCall));
    } while (n < 0 && errno == EINTR);
    if (n < 0) return ResultFromErrno(errno);
    if (processed) *processed = static_cast<uint32_t>(n);
    return S_OK;
  });
}

HRESULT CInFileStream::Seek(int64_t offset, uint32_t origin, uint64_t* new_position) {
  return Guarded([&]() -> HRESULT {
    std::lock_guard lock(mutex_);
    return SeekFile(file_.get(), offset, origin, new_position);
  });
}

HRESULT CInFileStream::GetSize(uint64_t* size) {
  return Guarded([&]() -> HRESULT {
    struct stat st {};
    if (::fstat(file_.get(), &st) != 0) return ResultFromErrno(errno);
    if (size) *size = static_cast<uint64_t>(st.st_size);
    return S_OK;
  });
}

HRESULT CInFileStream::GetProps(uint64_t* size, FILETIME* creation, FILETIME* access,
                                FILETIME* modification, uint32_t* attributes) {
  return Guarded([&]() -> HRESULT {
    struct stat st {};
    if (::fstat(file_.get(), &st) != 0) return ResultFromErrno(errno);
    if (size) *size = static_cast<uint64_t>(st.st_size);
    // Linux keeps no creation time in stat; the change time is the closest it has.
    if (creation) *creation = TimespecToFileTime(st.st_ctim);
    if (access) *access = TimespecToFileTime(st.st_atim);
    if (modification) *modification = TimespecToFileTime(st.st_mtim);
    if (attributes) *attributes = platform::AttributesFromMode(st.st_mode, {});
    return S_OK;
  });
}

// ---- COutFileStream ----

void COutFileStream::Attach(UniqueFd file) {
  std::lock_guard lock(mutex_);
  processed_ = 0;
  file_ = std::move(file);
}

bool COutFileStream::Open(const std::string& path) {
  std::lock_guard lock(mutex_);
  processed_ = 0;
  file_.Reset();
  file_ = UniqueFd(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
  return file_.valid();
}

int COutFileStream::Finish(const FILETIME* modification, bool set_attributes,
                           uint32_t attributes) {
  std::lock_guard lock(mutex_);
  if (!file_.valid()) return 0;
  if (modification) {
    // Access time unchanged; Linux has no creation time to keep.
    struct timespec times[2] = {{0, UTIME_OMIT}, FileTimeToTimespec(*modification)};
    ::futimens(file_.get(), times);
  }
  if (set_attributes) {
    struct stat st {};
    if (::fstat(file_.get(), &st) == 0) {
      mode_t mode = st.st_mode & 07777;
      if (attributes & platform::attr::ReadOnly) {
        mode &= static_cast<mode_t>(~(S_IWUSR | S_IWGRP | S_IWOTH));
      } else {
        mode |= S_IWUSR;
      }
      if (mode != (st.st_mode & 07777)) ::fchmod(file_.get(), mode);
    }
  }
  return file_.Close();
}

uint64_t COutFileStream::processed() const {
  std::lock_guard lock(mutex_);
  return processed_;
}

HRESULT COutFileStream::QueryInterface(const GUID* iid, void** out) {
  if (!out) return E_INVALIDARG;
  *out = nullptr;
  if (SameGuid(iid, IID_IUnknown) || SameGuid(iid, IID_IOutStream)) {
    return HandOut(static_cast<IOutStream*>(this), out);
  }
  return E_NOINTERFACE;
}

uint32_t COutFileStream::AddRef() { return refs_.Add(); }

uint32_t COutFileStream::Release() { return ReleaseReference(this, refs_); }

HRESULT COutFileStream::Write(const void* data, uint32_t size, uint32_t* processed) {
  return Guarded([&]() -> HRESULT {
    if (processed) *processed = 0;
    // A paused update waits here, between two writes: the file is never left half-written by
    // the pause itself, only later completed.
    WorkGate().Pass();
    std::lock_guard lock(mutex_);
    const char* bytes = static_cast<const char*>(data);
    uint32_t written = 0;
    HRESULT result = S_OK;
    while (written < size) {
      ssize_t n = ::write(file_.get(), bytes + written, std::min(size - written, kMaxIoPerCall));
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) {
        result = ResultFromErrno(errno);
        break;
      }
      if (n == 0) break;
      written += static_cast<uint32_t>(n);
    }
    processed_ += written;
    if (processed) *processed = written;
    return result;
  });
}

HRESULT COutFileStream::Seek(int64_t offset, uint32_t origin, uint64_t* new_position) {
  return Guarded([&]() -> HRESULT {
    std::lock_guard lock(mutex_);
    return SeekFile(file_.get(), offset, origin, new_position);
  });
}

HRESULT COutFileStream::SetSize(uint64_t size) {
  return Guarded([&]() -> HRESULT {
    std::lock_guard lock(mutex_);
    return ::ftruncate(file_.get(), static_cast<off_t>(size)) == 0 ? S_OK : E_FAIL;
  });
}

}  // namespace kest
