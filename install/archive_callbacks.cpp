#include "install/archive_callbacks.h"

#include <cstdio>

#include "install/item_path.h"
#include "platform/file_attributes.h"
#include "platform/text.h"
#include "platform/work_control.h"

namespace kest {

using namespace sevenzip;

namespace {

std::mutex g_print_mutex;

// Attribute words of items archived on Linux carry the Unix mode in their high half (0x8000
// marks it); only the low 14 bits are Windows attributes.
uint32_t WindowsAttributes(uint32_t attributes) {
  return attributes >= 0x10000000u ? attributes & 0x3FFFu : attributes;
}

}  // namespace

void PrintExtractLine(const std::string& text) {
  std::lock_guard lock(g_print_mutex);
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
}

void PrintExtractError(const std::string& message, const std::string& path) {
  PrintExtractLine("Error: \n" + message + "\n" + PrintablePath(path) + "\n");
}

const char* OperationResultText(int32_t result) {
  switch (result) {
    case 1: return "Unsupported Method";
    case 2: return "Data Error";
    case 3: return "CRC Failed";
    case 4: return "Unavailable data";
    case 5: return "Unexpected end of data";
    case 6: return "There are some data after the end of the payload data";
    case 7: return "Is not archive";
    case 8: return "Headers Error";
    default: return "";
  }
}

// ---- PasswordSource ----

void PasswordSource::Set(const std::string& password) {
  defined_ = true;
  password_ = Utf8ToUtf16(password);
}

HRESULT PasswordSource::Answer(const SevenZipLibrary& library, BSTR* out) const {
  if (!out) return E_INVALIDARG;
  *out = nullptr;
  if (!defined_) {
    PrintExtractLine("Error: \nPassword is not defined\n");
    return E_ABORT;
  }
  // The library frees the string: it must come from the library's own allocator.
  *out = library.AllocString(password_);
  return *out ? S_OK : E_OUTOFMEMORY;
}

// ---- CArchiveOpenCallback ----

HRESULT CArchiveOpenCallback::QueryInterface(const GUID* iid, void** out) {
  if (!out) return E_INVALIDARG;
  *out = nullptr;
  if (SameGuid(iid, IID_IUnknown)) return HandOut(static_cast<IArchiveOpenCallback*>(this), out);
  if (SameGuid(iid, IID_ICryptoGetTextPassword)) {
    return HandOut(static_cast<ICryptoGetTextPassword*>(this), out);
  }
  return E_NOINTERFACE;
}

uint32_t CArchiveOpenCallback::AddRef() { return refs_.Add(); }

uint32_t CArchiveOpenCallback::Release() { return ReleaseReference(this, refs_); }

HRESULT CArchiveOpenCallback::SetTotal(const uint64_t*, const uint64_t*) { return S_OK; }
HRESULT CArchiveOpenCallback::SetCompleted(const uint64_t*, const uint64_t*) { return S_OK; }

HRESULT CArchiveOpenCallback::CryptoGetTextPassword(BSTR* password) {
  return Guarded([&] { return password_.Answer(library_, password); });
}

// ---- CArchiveExtractCallback ----

CArchiveExtractCallback::~CArchiveExtractCallback() {
  ReleaseStream();
  if (archive_) archive_->Release();
}

void CArchiveExtractCallback::Init(IInArchive* archive, const OutputTree* tree,
                                   const std::string& directory) {
  std::lock_guard lock(mutex_);
  error_count_ = 0;
  if (archive) archive->AddRef();
  if (archive_) archive_->Release();
  archive_ = archive;
  tree_ = tree;
  directory_path_ = directory;
  if (!directory_path_.empty() && directory_path_.back() != '/' &&
      directory_path_.back() != '\\') {
    directory_path_ += '/';
  }
}

uint64_t CArchiveExtractCallback::error_count() const {
  std::lock_guard lock(mutex_);
  return error_count_;
}

HRESULT CArchiveExtractCallback::QueryInterface(const GUID* iid, void** out) {
  if (!out) return E_INVALIDARG;
  *out = nullptr;
  if (SameGuid(iid, IID_IUnknown)) {
    return HandOut(static_cast<IArchiveExtractCallback*>(this), out);
  }
  if (SameGuid(iid, IID_ICryptoGetTextPassword)) {
    return HandOut(static_cast<ICryptoGetTextPassword*>(this), out);
  }
  return E_NOINTERFACE;
}

uint32_t CArchiveExtractCallback::AddRef() { return refs_.Add(); }

uint32_t CArchiveExtractCallback::Release() { return ReleaseReference(this, refs_); }

HRESULT CArchiveExtractCallback::SetTotal(uint64_t) { return S_OK; }

HRESULT CArchiveExtractCallback::SetCompleted(const uint64_t*) {
  // A checkpoint of the pause gate: the library is between two pieces of its work.
  return Guarded([] {
    WorkGate().Pass();
    return S_OK;
  });
}

void CArchiveExtractCallback::ReleaseStream() {
  if (out_stream_) out_stream_->Release();
  out_stream_ = nullptr;
}

HRESULT CArchiveExtractCallback::GetStream(uint32_t index, ISequentialOutStream** out,
                                           int32_t ask_mode) {
  return Guarded([&] {
    std::lock_guard lock(mutex_);
    return GetStreamLocked(index, out, ask_mode);
  });
}

HRESULT CArchiveExtractCallback::ReadItemProperties(uint32_t index) {
  {
    PropertyValue value(library_);
    HRESULT result = archive_->GetProperty(index, kpidAttrib, value.get());
    if (result != S_OK) return result;
    if (value->vt == VT_EMPTY) {
      attributes_ = 0;
      attributes_defined_ = false;
    } else if (value->vt == VT_UI4) {
      attributes_ = value->ulVal;
      attributes_defined_ = true;
    } else {
      return E_FAIL;
    }
  }
  {
    PropertyValue value(library_);
    HRESULT result = archive_->GetProperty(index, kpidIsDir, value.get());
    if (result != S_OK) return result;
    if (value->vt == VT_EMPTY) {
      is_folder_ = false;
    } else if (value->vt == VT_BOOL) {
      is_folder_ = value->boolVal != 0;
    } else {
      return E_FAIL;
    }
  }
  {
    PropertyValue value(library_);
    HRESULT result = archive_->GetProperty(index, kpidMTime, value.get());
    if (result != S_OK) return result;
    if (value->vt == VT_EMPTY) {
      time_defined_ = false;
    } else if (value->vt == VT_FILETIME) {
      modification_time_ = value->filetime;
      time_defined_ = true;
    } else {
      return E_FAIL;
    }
  }
  {
    // Read for its type check only, as the size is not needed to write the item.
    PropertyValue value(library_);
    HRESULT result = archive_->GetProperty(index, kpidSize, value.get());
    if (result != S_OK) return result;
    VARTYPE vt = value->vt;
    if (vt != VT_EMPTY && vt != VT_UI1 && vt != VT_UI2 && vt != VT_UI4 && vt != VT_UI8) {
      return E_FAIL;
    }
  }
  return S_OK;
}

HRESULT CArchiveExtractCallback::GetStreamLocked(uint32_t index, ISequentialOutStream** out,
                                                 int32_t ask_mode) {
  if (!out) return E_INVALIDARG;
  *out = nullptr;
  ReleaseStream();
  if (!archive_ || !tree_) return E_FAIL;
  {
    PropertyValue path(library_);
    HRESULT result = archive_->GetProperty(index, kpidPath, path.get());
    if (result != S_OK) return result;
    if (path->vt == VT_EMPTY) {
      item_path_ = "[Content]";
    } else if (path->vt == VT_BSTR) {
      item_path_ = BstrToUtf8(path->bstrVal);
    } else {
      return E_FAIL;
    }
  }
  if (ask_mode != kAskExtract) return S_OK;
  if (HRESULT result = ReadItemProperties(index); result != S_OK) return result;

  disk_path_ = directory_path_ + item_path_;
  std::vector<std::string> parts = SplitItemPath(item_path_);
  // The archive's paths were checked before extraction began; a path that still climbs out
  // (the library answering differently now) stops the extraction here.
  if (!IsSafeItemPath(item_path_)) {
    PrintExtractError("Can not open output file", disk_path_);
    return E_ABORT;
  }
  if (is_folder_) {
    // A folder that cannot be made (a file or a link of that name is in the way) is not an
    // error by itself: the items inside it fail when they are opened.
    tree_->MakeFolders(parts, parts.size());
    return S_OK;
  }
  UniqueFd file;
  switch (tree_->CreateFile(parts, &file)) {
    case OutputTree::FileResult::Opened:
      break;
    case OutputTree::FileResult::CannotDelete:
      PrintExtractError("Can not delete output file", disk_path_);
      return E_ABORT;
    case OutputTree::FileResult::CannotOpen:
      PrintExtractError("Can not open output file", disk_path_);
      return E_ABORT;
  }
  auto* stream = new COutFileStream();
  stream->AddRef();
  stream->Attach(std::move(file));
  out_stream_ = stream;
  return HandOut(static_cast<ISequentialOutStream*>(stream), reinterpret_cast<void**>(out));
}

HRESULT CArchiveExtractCallback::PrepareOperation(int32_t ask_mode) {
  return Guarded([&] {
    std::lock_guard lock(mutex_);
    extract_mode_ = ask_mode == kAskExtract;
    const char* label = ask_mode == kAskExtract ? "Extracting  "
                        : ask_mode == kAskTest  ? "Testing     "
                        : ask_mode == kAskSkip  ? "Skipping    "
                                                : "";
    PrintExtractLine(label + PrintablePath(item_path_));
    return S_OK;
  });
}

HRESULT CArchiveExtractCallback::SetOperationResult(int32_t result) {
  return Guarded([&]() -> HRESULT {
    std::lock_guard lock(mutex_);
    if (result != 0) {
      ++error_count_;
      const char* text = OperationResultText(result);
      PrintExtractLine(*text ? std::string("  :  Error : ") + text
                             : "  :  Error #" + std::to_string(result));
    }
    if (out_stream_) {
      // Only the read-only bit can be expressed in a Linux mode. Folder items keep their
      // mode: a read-only folder means nothing to writers on Windows but would stop every
      // later item from being written into it here.
      bool set_attributes = extract_mode_ && attributes_defined_;
      int error = out_stream_->Finish(time_defined_ ? &modification_time_ : nullptr,
                                      set_attributes, WindowsAttributes(attributes_));
      ReleaseStream();
      if (error != 0) return ResultFromErrno(error);
    }
    PrintExtractLine("\n");
    return S_OK;
  });
}

HRESULT CArchiveExtractCallback::CryptoGetTextPassword(BSTR* password) {
  return Guarded([&] { return password_.Answer(library_, password); });
}

}  // namespace kest
