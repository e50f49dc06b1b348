#pragma once
// A folder of the test's own under /tmp, removed with everything in it at the end of the test
// (write permission is restored first, so read-only fixtures do not stay behind).

#include <string>

namespace kest::test {

class TempDir final {
 public:
  explicit TempDir(const std::string& tag = "kest");
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }          // no trailing "/"
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// Sets TMPDIR for this process to a fresh folder of its own for the lifetime of the object,
// so that answer files, staging folders and embedded files of one test never meet another's.
class ScopedTmpDir final {
 public:
  ScopedTmpDir();
  ~ScopedTmpDir();
  const std::string& path() const { return dir_.path(); }

 private:
  TempDir dir_;
  std::string saved_;
  bool had_saved_ = false;
};

// Small file helpers for fixtures.
void WriteFile(const std::string& path, const std::string& content);  // creates parent folders
std::string ReadFile(const std::string& path);                         // empty when missing
bool Exists(const std::string& path);

}  // namespace kest::test
