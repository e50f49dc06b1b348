#include "install/extract.h"

#include <sys/stat.h>

#include "install/archive_callbacks.h"
#include "install/file_streams.h"
#include "install/item_path.h"
#include "install/output_tree.h"
#include "install/seven_zip_library.h"
#include "platform/debug_trace.h"
#include "platform/process.h"
#include "resources/embedded_files.h"

namespace kest {

using namespace sevenzip;

namespace {

// How far into the file the library looks for the 7z signature: 8 MiB, enough for the
// self-extracting stubs that packages may carry in front of the archive.
constexpr uint64_t kMaxCheckStartPosition = uint64_t{1} << 23;

bool IsFile(const std::string& path) {
  struct stat st {};
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// Releases a library object when the scope ends (and before the library is unloaded).
template <typename T>
class Ref final {
 public:
  explicit Ref(T* object) : object_(object) {}
  ~Ref() {
    if (object_) object_->Release();
  }
  Ref(const Ref&) = delete;
  Ref& operator=(const Ref&) = delete;
  T* operator->() const { return object_; }
  T* get() const { return object_; }

 private:
  T* object_;
};

// Our own objects start at a count of 0; this takes the first reference.
template <typename T, typename... Args>
T* MakeObject(Args&&... args) {
  T* object = new (std::nothrow) T(std::forward<Args>(args)...);
  if (object) object->AddRef();
  return object;
}

// Every item path, checked before anything is written: one bad path refuses the archive.
bool AllItemPathsSafe(const SevenZipLibrary& library, IInArchive* archive) {
  uint32_t count = 0;
  if (archive->GetNumberOfItems(&count) != S_OK) return false;
  for (uint32_t i = 0; i < count; ++i) {
    PropertyValue path(library);
    if (archive->GetProperty(i, kpidPath, path.get()) != S_OK) return false;
    if (path->vt != VT_BSTR) continue;  // no path: written as "[Content]"
    std::string text = BstrToUtf8(path->bstrVal);
    if (!IsSafeItemPath(text)) {
      PrintExtractError("Unsafe item path: the archive is not extracted", text);
      return false;
    }
  }
  return true;
}

bool ExtractWith(const SevenZipLibrary& library, const std::string& archive_path,
                 const std::string& folder) {
  Expected<IInArchive*> made = library.CreateArchive();
  if (!made) {
    KEST_TRACE("%s\r\n", made.error().message.c_str());
    return false;
  }
  Ref<IInArchive> archive(*made);
  Ref<CInFileStream> stream(MakeObject<CInFileStream>());
  if (!stream.get() || !stream->Open(archive_path)) return false;
  Ref<CArchiveOpenCallback> open_callback(MakeObject<CArchiveOpenCallback>(library));
  if (!open_callback.get()) return false;
  if (archive->Open(stream.get(), &kMaxCheckStartPosition, open_callback.get()) != S_OK) {
    return false;
  }
  bool ok = AllItemPathsSafe(library, archive.get());
  if (ok) {
    Expected<OutputTree> tree = OutputTree::Open(folder);
    if (!tree) {
      PrintExtractError("Can not create output folder", folder);
      ok = false;
    } else {
      Ref<CArchiveExtractCallback> callback(MakeObject<CArchiveExtractCallback>(library));
      ok = callback.get() != nullptr;
      if (ok) {
        callback->Init(archive.get(), &tree.value(), folder);
        HRESULT result = archive->Extract(nullptr, 0xFFFFFFFFu, 0, callback.get());
        ok = result == S_OK && callback->error_count() == 0;
      }
    }
  }
  archive->Close();
  return ok;
}

}  // namespace

bool Extract7ZWithLibrary(std::string archive, std::string folder) {
  std::string library_path = SevenZipDllPath();
  if (!IsFile(library_path)) {
    std::string written = WriteEmbeddedResource("DLL", 208, "7z.so");
    if (!written.empty()) {
      SetSevenZipDllPath(written);
      library_path = written;
    }
  }
  Expected<SevenZipLibrary> library = SevenZipLibrary::Load(library_path);
  if (!library) {
    KEST_TRACE("%s\r\n", library.error().message.c_str());
    return false;
  }
  // Every object made here is released inside ExtractWith, before the library goes.
  return ExtractWith(library.value(), archive, folder);
}

bool Extract7ZWithTool(const std::string& archive, const std::string& folder) {
  std::string tool = SevenZipExePath();
  if (!IsFile(tool)) {
    std::string written = WriteEmbeddedResource("EXE", 140, "7z");
    if (!written.empty()) {
      SetSevenZipExePath(written);
      tool = written;
    }
  }
  if (tool.empty()) return false;
  Expected<int> status =
      platform::RunAndWait({tool, "x", archive, "-o" + folder, "-y", "-bso0", "-bsp0"});
  if (!status) {
    KEST_TRACE("%s\r\n", status.error().message.c_str());
    return false;
  }
  return *status == 0 || *status == 1;
}

}  // namespace kest
