#pragma once
// The loaded 7-Zip archive library: its exported functions, checked before use.

#include <string>

#include "install/seven_zip_abi.h"
#include "platform/expected.h"

namespace kest {

class SevenZipLibrary final {
 public:
  // Loads the library file at `path` (RTLD_NOW | RTLD_LOCAL) and checks that its objects have
  // the layout our declarations describe: GetModuleProp(0) must answer VT_UI4 0 ("IUnknown has
  // no virtual destructor"). A library built the other way would crash on the first call.
  static Expected<SevenZipLibrary> Load(const std::string& path);

  SevenZipLibrary(SevenZipLibrary&& other) noexcept;
  SevenZipLibrary& operator=(SevenZipLibrary&&) = delete;
  SevenZipLibrary(const SevenZipLibrary&) = delete;
  ~SevenZipLibrary();

  // A fresh 7z format handler, with one reference that the caller owns.
  Expected<sevenzip::IInArchive*> CreateArchive() const;
  // A string the library may free (a password handed to it); nullptr when out of memory.
  sevenzip::BSTR AllocString(const std::u16string& text) const;
  // Frees what GetProperty put into `value` and leaves it VT_EMPTY.
  void ClearVariant(sevenzip::PROPVARIANT* value) const;

 private:
  SevenZipLibrary() = default;
  void* handle_ = nullptr;
  sevenzip::CreateObjectFunc create_object_ = nullptr;
  sevenzip::SysAllocStringFunc sys_alloc_string_ = nullptr;
  sevenzip::VariantClearFunc variant_clear_ = nullptr;
};

// A property value read from the library, cleared through the library when it goes.
class PropertyValue final {
 public:
  explicit PropertyValue(const SevenZipLibrary& library) : library_(library) { value_.vt = 0; }
  ~PropertyValue() { library_.ClearVariant(&value_); }
  PropertyValue(const PropertyValue&) = delete;
  PropertyValue& operator=(const PropertyValue&) = delete;
  sevenzip::PROPVARIANT* get() { return &value_; }
  const sevenzip::PROPVARIANT& operator*() const { return value_; }
  const sevenzip::PROPVARIANT* operator->() const { return &value_; }

 private:
  const SevenZipLibrary& library_;
  sevenzip::PROPVARIANT value_{};
};

// A BSTR's text (UTF-16 code units in 4-byte cells) as UTF-8.
std::string BstrToUtf8(const sevenzip::BSTR text);

}  // namespace kest
