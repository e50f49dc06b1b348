#pragma once
// Our declarations of the 7-Zip archive library's binary interface, written from measurements
// of the library that p7zip-full ships (see the team's notes on it): plain SysV calls, `this`
// first, an object starts with its vtable pointer, and the interface bases have NO virtual
// destructor. A virtual destructor in a base would shift every slot after it; the library then
// calls the wrong method (seen as a crash). Implementation classes add theirs at the end.

#include <cstdint>
#include <cstring>

namespace kest::sevenzip {

using HRESULT = int32_t;
using PROPID = uint32_t;
using VARTYPE = uint16_t;
using VARIANT_BOOL = int16_t;
using BSTR = wchar_t*;  // 4-byte units, each one UTF-16 code unit; length word before it

inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT S_FALSE = 1;
inline constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001u);
inline constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002u);
inline constexpr HRESULT E_ABORT = static_cast<HRESULT>(0x80004004u);
inline constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
inline constexpr HRESULT STG_E_INVALIDFUNCTION = static_cast<HRESULT>(0x80030001u);
inline constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
inline constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);

// A system error as a result code: 0x8800xxxx with errno in the low bits; errno 0 is E_FAIL.
inline HRESULT ResultFromErrno(int error) {
  if (error <= 0) return E_FAIL;
  return static_cast<HRESULT>(0x88000000u | (static_cast<uint32_t>(error) & 0xFFFFu));
}

struct GUID {
  uint32_t Data1;
  uint16_t Data2;
  uint16_t Data3;
  uint8_t Data4[8];
};
static_assert(sizeof(GUID) == 16);

inline bool SameGuid(const GUID* a, const GUID& b) {
  return a != nullptr && std::memcmp(a, &b, sizeof(GUID)) == 0;
}

// The library's ids: {23170F69-40C1-278A-0000-00gg00ss0000}.
constexpr GUID LibraryIid(uint8_t group, uint8_t sub) {
  return GUID{0x23170F69, 0x40C1, 0x278A, {0, 0, 0, group, 0, sub, 0, 0}};
}

inline constexpr GUID IID_IUnknown{0, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr GUID IID_IInStream = LibraryIid(0x03, 0x03);
inline constexpr GUID IID_IOutStream = LibraryIid(0x03, 0x04);
inline constexpr GUID IID_IStreamGetSize = LibraryIid(0x03, 0x06);
inline constexpr GUID IID_IStreamGetProps = LibraryIid(0x03, 0x08);
inline constexpr GUID IID_ICryptoGetTextPassword = LibraryIid(0x05, 0x10);
inline constexpr GUID IID_IInArchive = LibraryIid(0x06, 0x60);
// The class id of the 7z format handler: {23170F69-40C1-278A-1000-000110070000}.
inline constexpr GUID CLSID_Format7z{0x23170F69, 0x40C1, 0x278A,
                                     {0x10, 0x00, 0x00, 0x01, 0x10, 0x07, 0x00, 0x00}};

struct FILETIME {
  uint32_t dwLowDateTime;
  uint32_t dwHighDateTime;
};

inline constexpr VARTYPE VT_EMPTY = 0;
inline constexpr VARTYPE VT_BSTR = 8;
inline constexpr VARTYPE VT_BOOL = 11;
inline constexpr VARTYPE VT_UI1 = 17;
inline constexpr VARTYPE VT_UI2 = 18;
inline constexpr VARTYPE VT_UI4 = 19;
inline constexpr VARTYPE VT_UI8 = 21;
inline constexpr VARTYPE VT_FILETIME = 64;

struct PROPVARIANT {
  VARTYPE vt;
  uint16_t wReserved1;
  uint16_t wReserved2;
  uint16_t wReserved3;
  union {
    uint8_t bVal;
    uint16_t uiVal;
    uint32_t ulVal;
    uint64_t uhVal;
    VARIANT_BOOL boolVal;
    BSTR bstrVal;
    FILETIME filetime;
  };
};
static_assert(sizeof(PROPVARIANT) == 16);

// Item property ids.
inline constexpr PROPID kpidPath = 3;
inline constexpr PROPID kpidIsDir = 6;
inline constexpr PROPID kpidSize = 7;
inline constexpr PROPID kpidAttrib = 9;
inline constexpr PROPID kpidMTime = 12;

// Ask modes and operation results of the extract callback.
inline constexpr int32_t kAskExtract = 0;
inline constexpr int32_t kAskTest = 1;
inline constexpr int32_t kAskSkip = 2;

struct IUnknown {
  virtual HRESULT QueryInterface(const GUID* iid, void** out) = 0;
  virtual uint32_t AddRef() = 0;
  virtual uint32_t Release() = 0;
};

struct ISequentialInStream : IUnknown {
  virtual HRESULT Read(void* data, uint32_t size, uint32_t* processed) = 0;
};

struct IInStream : ISequentialInStream {
  virtual HRESULT Seek(int64_t offset, uint32_t origin, uint64_t* new_position) = 0;
};

struct IStreamGetSize : IUnknown {
  virtual HRESULT GetSize(uint64_t* size) = 0;
};

struct IStreamGetProps : IUnknown {
  virtual HRESULT GetProps(uint64_t* size, FILETIME* creation, FILETIME* access,
                           FILETIME* modification, uint32_t* attributes) = 0;
};

struct ISequentialOutStream : IUnknown {
  virtual HRESULT Write(const void* data, uint32_t size, uint32_t* processed) = 0;
};

struct IOutStream : ISequentialOutStream {
  virtual HRESULT Seek(int64_t offset, uint32_t origin, uint64_t* new_position) = 0;
  virtual HRESULT SetSize(uint64_t size) = 0;
};

struct IProgress : IUnknown {
  virtual HRESULT SetTotal(uint64_t total) = 0;
  virtual HRESULT SetCompleted(const uint64_t* complete) = 0;
};

struct IArchiveOpenCallback : IUnknown {
  virtual HRESULT SetTotal(const uint64_t* files, const uint64_t* bytes) = 0;
  virtual HRESULT SetCompleted(const uint64_t* files, const uint64_t* bytes) = 0;
};

struct IArchiveExtractCallback : IProgress {
  virtual HRESULT GetStream(uint32_t index, ISequentialOutStream** out, int32_t ask_mode) = 0;
  virtual HRESULT PrepareOperation(int32_t ask_mode) = 0;
  virtual HRESULT SetOperationResult(int32_t result) = 0;
};

struct ICryptoGetTextPassword : IUnknown {
  virtual HRESULT CryptoGetTextPassword(BSTR* password) = 0;
};

struct IInArchive : IUnknown {
  virtual HRESULT Open(IInStream* stream, const uint64_t* max_check_start_position,
                       IArchiveOpenCallback* callback) = 0;
  virtual HRESULT Close() = 0;
  virtual HRESULT GetNumberOfItems(uint32_t* count) = 0;
  virtual HRESULT GetProperty(uint32_t index, PROPID prop_id, PROPVARIANT* value) = 0;
  virtual HRESULT Extract(const uint32_t* indices, uint32_t count, int32_t test_mode,
                          IArchiveExtractCallback* callback) = 0;
  virtual HRESULT GetArchiveProperty(PROPID prop_id, PROPVARIANT* value) = 0;
  virtual HRESULT GetNumberOfProperties(uint32_t* count) = 0;
  virtual HRESULT GetPropertyInfo(uint32_t index, BSTR* name, PROPID* prop_id,
                                  VARTYPE* type) = 0;
  virtual HRESULT GetNumberOfArchiveProperties(uint32_t* count) = 0;
  virtual HRESULT GetArchivePropertyInfo(uint32_t index, BSTR* name, PROPID* prop_id,
                                         VARTYPE* type) = 0;
};

// Exported C functions.
using CreateObjectFunc = HRESULT (*)(const GUID* clsid, const GUID* iid, void** out);
using GetModulePropFunc = HRESULT (*)(PROPID prop_id, PROPVARIANT* value);
using SysAllocStringFunc = BSTR (*)(const wchar_t* text);
using SysFreeStringFunc = void (*)(BSTR text);
using VariantClearFunc = HRESULT (*)(PROPVARIANT* value);

}  // namespace kest::sevenzip
