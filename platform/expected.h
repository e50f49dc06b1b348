#pragma once
// Errors as values. Failures cross our boundaries as an Error with its context, never as an
// exception; Expected<T> carries either the value or the Error.

#include <string>
#include <utility>
#include <variant>

namespace kest {

struct Error {
  int code = 0;         // errno, a library result code, or 0 when there is none
  std::string message;  // what failed, with the path or value it concerned
};

template <typename T>
class Expected {
 public:
  Expected(T value) : state_(std::move(value)) {}          // NOLINT: implicit by design
  Expected(Error error) : state_(std::move(error)) {}      // NOLINT: implicit by design

  bool ok() const { return state_.index() == 0; }
  explicit operator bool() const { return ok(); }
  const T& value() const& { return std::get<0>(state_); }
  T& value() & { return std::get<0>(state_); }
  T&& value() && { return std::get<0>(std::move(state_)); }
  const T& operator*() const& { return value(); }
  const T* operator->() const { return &value(); }
  const Error& error() const { return std::get<1>(state_); }

 private:
  std::variant<T, Error> state_;
};

// For operations that return nothing but may fail.
struct Done {};
using Status = Expected<Done>;
inline Status Ok() { return Done{}; }

Error ErrnoError(std::string what);  // message "<what>: <strerror(errno)>", code errno

}  // namespace kest
