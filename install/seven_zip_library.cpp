#include "install/seven_zip_library.h"

#include <dlfcn.h>
#include <vector>

#include "platform/text.h"

namespace kest {

using namespace sevenzip;

Expected<SevenZipLibrary> SevenZipLibrary::Load(const std::string& path) {
  if (path.empty()) return Error{0, "the archive library's path is not known"};
  // dlopen searches the library path for a name without "/": make a relative path explicit.
  std::string file = path.find('/') == std::string::npos ? "./" + path : path;
  // RTLD_LOCAL keeps the library's exports (SysFreeString, ...) out of the global scope, and
  // RTLD_DEEPBIND is avoided: it breaks AddressSanitizer's interception of malloc and free.
  void* handle = ::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    const char* why = ::dlerror();
    return Error{0, "cannot load the archive library " + path + ": " + (why ? why : "")};
  }
  SevenZipLibrary library;
  library.handle_ = handle;
  library.create_object_ = reinterpret_cast<CreateObjectFunc>(::dlsym(handle, "CreateObject"));
  library.sys_alloc_string_ =
      reinterpret_cast<SysAllocStringFunc>(::dlsym(handle, "SysAllocString"));
  library.variant_clear_ = reinterpret_cast<VariantClearFunc>(::dlsym(handle, "VariantClear"));
  auto get_module_prop =
      reinterpret_cast<GetModulePropFunc>(::dlsym(handle, "GetModuleProp"));
  if (!library.create_object_ || !library.sys_alloc_string_ || !library.variant_clear_) {
    return Error{0, path + " is no 7-Zip archive library (exports missing)"};
  }
  PROPVARIANT layout{};
  if (!get_module_prop || get_module_prop(0, &layout) != S_OK || layout.vt != VT_UI4 ||
      layout.ulVal != 0) {
    return Error{0, path + ": the library's object layout is not the one this program uses"};
  }
  return library;
}

SevenZipLibrary::SevenZipLibrary(SevenZipLibrary&& other) noexcept
    : handle_(other.handle_),
      create_object_(other.create_object_),
      sys_alloc_string_(other.sys_alloc_string_),
      variant_clear_(other.variant_clear_) {
  other.handle_ = nullptr;
}

SevenZipLibrary::~SevenZipLibrary() {
  if (handle_) ::dlclose(handle_);
}

Expected<IInArchive*> SevenZipLibrary::CreateArchive() const {
  void* object = nullptr;
  HRESULT result = create_object_(&CLSID_Format7z, &IID_IInArchive, &object);
  if (result != S_OK || !object) {
    return Error{result, Format("the archive library made no 7z handler (0x%08X)",
                                static_cast<unsigned>(result))};
  }
  return static_cast<IInArchive*>(object);
}

BSTR SevenZipLibrary::AllocString(const std::u16string& text) const {
  std::vector<wchar_t> cells(text.begin(), text.end());
  cells.push_back(L'\0');
  return sys_alloc_string_(cells.data());
}

void SevenZipLibrary::ClearVariant(PROPVARIANT* value) const {
  if (value->vt != VT_EMPTY) variant_clear_(value);
  value->vt = VT_EMPTY;
}

std::string BstrToUtf8(const BSTR text) {
  if (!text) return {};
  std::u16string units;
  for (const wchar_t* p = text; *p; ++p) units.push_back(static_cast<char16_t>(*p));
  return Utf16ToUtf8(units);
}

}  // namespace kest
