#pragma once
// The file streams through which the archive library reads an archive and writes items.
// Each is a reference-counted object that the library may call from its own threads; creation
// gives a count of 0, and the first AddRef (ours or the library's) takes ownership.

#include <mutex>
#include <string>

#include "install/com_support.h"
#include "install/unique_fd.h"

namespace kest {

class CInFileStream final : public sevenzip::IInStream,
                            public sevenzip::IStreamGetSize,
                            public sevenzip::IStreamGetProps {
 public:
  // Closes a file still open (a failed close fails the open), then opens `path` for reading.
  bool Open(const std::string& path);

  sevenzip::HRESULT QueryInterface(const sevenzip::GUID* iid, void** out) override;
  uint32_t AddRef() override;
  uint32_t Release() override;
  sevenzip::HRESULT Read(void* data, uint32_t size, uint32_t* processed) override;
  sevenzip::HRESULT Seek(int64_t offset, uint32_t origin, uint64_t* new_position) override;
  sevenzip::HRESULT GetSize(uint64_t* size) override;
  sevenzip::HRESULT GetProps(uint64_t* size, sevenzip::FILETIME* creation,
                             sevenzip::FILETIME* access, sevenzip::FILETIME* modification,
                             uint32_t* attributes) override;

  virtual ~CInFileStream() = default;  // last slot, after the interface's methods

 private:
  sevenzip::RefCount refs_;
  std::mutex mutex_;  // one read or seek at a time: they share the file position
  UniqueFd file_;
};

class COutFileStream final : public sevenzip::IOutStream {
 public:
  // Takes over a file already created for writing (the extract callback creates it without
  // following links); zeroes the processed size.
  void Attach(UniqueFd file);
  // Creates or truncates `path` for writing.
  bool Open(const std::string& path);
  // Sets the modification time (when given) and closes; 0 or the close's errno.
  int Finish(const sevenzip::FILETIME* modification, bool set_attributes, uint32_t attributes);
  uint64_t processed() const;

  sevenzip::HRESULT QueryInterface(const sevenzip::GUID* iid, void** out) override;
  uint32_t AddRef() override;
  uint32_t Release() override;
  sevenzip::HRESULT Write(const void* data, uint32_t size, uint32_t* processed) override;
  sevenzip::HRESULT Seek(int64_t offset, uint32_t origin, uint64_t* new_position) override;
  sevenzip::HRESULT SetSize(uint64_t size) override;

  virtual ~COutFileStream() = default;

 private:
  sevenzip::RefCount refs_;
  mutable std::mutex mutex_;
  UniqueFd file_;
  uint64_t processed_ = 0;
};

// A FILETIME (UTC, 100 ns ticks since 1601) as a timespec, and back.
struct timespec FileTimeToTimespec(const sevenzip::FILETIME& time);
sevenzip::FILETIME TimespecToFileTime(const struct timespec& time);

}  // namespace kest
