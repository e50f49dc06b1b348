#include "platform/expected.h"

#include <cerrno>
#include <cstring>

namespace kest {

Error ErrnoError(std::string what) {
  int code = errno;
  return Error{code, std::move(what) + ": " + std::strerror(code)};
}

}  // namespace kest
