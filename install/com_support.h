#pragma once
// What every object we hand to the archive library shares: a reference count that the
// library's threads may touch at once, and a guard that keeps C++ exceptions on our side of
// the boundary (an exception unwinding through the library's frames would end the process).

#include <atomic>
#include <cstdint>
#include <new>

#include "install/seven_zip_abi.h"

namespace kest::sevenzip {

template <typename Body>
HRESULT Guarded(Body&& body) noexcept {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_FAIL;
  }
}

class RefCount final {
 public:
  uint32_t Add() { return count_.fetch_add(1, std::memory_order_relaxed) + 1; }
  // The count after the release; 0 means the caller deletes the object.
  uint32_t Drop() { return count_.fetch_sub(1, std::memory_order_acq_rel) - 1; }

 private:
  std::atomic<uint32_t> count_{0};
};

// What every Release does: drops one reference of `object` and deletes it with the last one.
// Returns the count after the drop.
template <typename Object>
uint32_t ReleaseReference(Object* object, RefCount& refs) {
  uint32_t left = refs.Drop();
  if (left == 0) delete object;
  return left;
}

// Hands `object` out as `interface_ptr` with a reference added.
template <typename Interface>
HRESULT HandOut(Interface* interface_ptr, void** out) {
  interface_ptr->AddRef();
  *out = interface_ptr;
  return S_OK;
}

}  // namespace kest::sevenzip
