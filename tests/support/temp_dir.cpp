#include "tests/support/temp_dir.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace kest::test {

TempDir::TempDir(const std::string& tag) {
  std::string pattern = "/tmp/" + tag + "-XXXXXX";
  if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(path_, ec);
       !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
    if (it->is_directory(ec) && !it->is_symlink(ec)) {
      fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    }
  }
  fs::remove_all(path_, ec);
}

ScopedTmpDir::ScopedTmpDir() : dir_("kest-tmpdir") {
  if (const char* old = std::getenv("TMPDIR")) {
    saved_ = old;
    had_saved_ = true;
  }
  ::setenv("TMPDIR", dir_.path().c_str(), 1);
}

ScopedTmpDir::~ScopedTmpDir() {
  if (had_saved_) {
    ::setenv("TMPDIR", saved_.c_str(), 1);
  } else {
    ::unsetenv("TMPDIR");
  }
}

void WriteFile(const std::string& path, const std::string& content) {
  fs::path p(path);
  if (p.has_parent_path()) fs::create_directories(p.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << content;
  if (!out) throw std::runtime_error("cannot write " + path);
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

bool Exists(const std::string& path) {
  std::error_code ec;
  return fs::exists(fs::symlink_status(path, ec));
}

}  // namespace kest::test
