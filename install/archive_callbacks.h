#pragma once
// The callbacks the archive library consults while it opens an archive and while it extracts
// it, item by item. The library calls them from its own threads (multi-threaded LZMA2 calls
// GetStream, Write and SetOperationResult on a worker of its own): reference counts are atomic,
// the extract callback's per-item state sits behind a mutex, and no exception leaves a method.

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "install/com_support.h"
#include "install/file_streams.h"
#include "install/output_tree.h"
#include "install/seven_zip_library.h"

namespace kest {

// Status and error lines of the extraction, on standard output, one writer at a time.
void PrintExtractLine(const std::string& text);
void PrintExtractError(const std::string& message, const std::string& path);

// The text of an item's non-zero operation result ("CRC Failed", ...), or "" for an unknown
// number (printed as "Error #n").
const char* OperationResultText(int32_t result);

// The password of both callbacks: the program never has one, so an encrypted archive ends
// with "Password is not defined" and the abort code.
class PasswordSource final {
 public:
  void Set(const std::string& password);  // marks the password as defined
  sevenzip::HRESULT Answer(const SevenZipLibrary& library, sevenzip::BSTR* out) const;

 private:
  bool defined_ = false;
  std::u16string password_;
};

class CArchiveOpenCallback final : public sevenzip::IArchiveOpenCallback,
                                   public sevenzip::ICryptoGetTextPassword {
 public:
  explicit CArchiveOpenCallback(const SevenZipLibrary& library) : library_(library) {}
  PasswordSource& password() { return password_; }

  sevenzip::HRESULT QueryInterface(const sevenzip::GUID* iid, void** out) override;
  uint32_t AddRef() override;
  uint32_t Release() override;
  sevenzip::HRESULT SetTotal(const uint64_t* files, const uint64_t* bytes) override;
  sevenzip::HRESULT SetCompleted(const uint64_t* files, const uint64_t* bytes) override;
  sevenzip::HRESULT CryptoGetTextPassword(sevenzip::BSTR* password) override;

  virtual ~CArchiveOpenCallback() = default;

 private:
  const SevenZipLibrary& library_;
  sevenzip::RefCount refs_;
  PasswordSource password_;
};

class CArchiveExtractCallback final : public sevenzip::IArchiveExtractCallback,
                                      public sevenzip::ICryptoGetTextPassword {
 public:
  explicit CArchiveExtractCallback(const SevenZipLibrary& library) : library_(library) {}

  // Keeps `archive` (with a reference) and the output folder; `tree` must outlive the
  // extraction. `directory` gets a trailing "/" unless it is empty or has one.
  void Init(sevenzip::IInArchive* archive, const OutputTree* tree, const std::string& directory);
  PasswordSource& password() { return password_; }
  uint64_t error_count() const;

  sevenzip::HRESULT QueryInterface(const sevenzip::GUID* iid, void** out) override;
  uint32_t AddRef() override;
  uint32_t Release() override;
  sevenzip::HRESULT SetTotal(uint64_t total) override;
  sevenzip::HRESULT SetCompleted(const uint64_t* complete) override;
  sevenzip::HRESULT GetStream(uint32_t index, sevenzip::ISequentialOutStream** out,
                              int32_t ask_mode) override;
  sevenzip::HRESULT PrepareOperation(int32_t ask_mode) override;
  sevenzip::HRESULT SetOperationResult(int32_t result) override;
  sevenzip::HRESULT CryptoGetTextPassword(sevenzip::BSTR* password) override;

  virtual ~CArchiveExtractCallback();

 private:
  sevenzip::HRESULT GetStreamLocked(uint32_t index, sevenzip::ISequentialOutStream** out,
                                    int32_t ask_mode);
  sevenzip::HRESULT ReadItemProperties(uint32_t index);
  void ReleaseStream();

  const SevenZipLibrary& library_;
  sevenzip::RefCount refs_;
  mutable std::mutex mutex_;
  sevenzip::IInArchive* archive_ = nullptr;
  const OutputTree* tree_ = nullptr;
  std::string directory_path_;
  std::string item_path_;
  std::string disk_path_;
  bool extract_mode_ = false;
  // The current item.
  sevenzip::FILETIME modification_time_{};
  uint32_t attributes_ = 0;
  bool is_folder_ = false;
  bool attributes_defined_ = false;
  bool time_defined_ = false;
  COutFileStream* out_stream_ = nullptr;
  uint64_t error_count_ = 0;
  PasswordSource password_;
};

}  // namespace kest
