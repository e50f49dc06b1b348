#pragma once
// Writing below one output folder and nowhere else. Every folder below the root is entered
// with O_NOFOLLOW and every file is created with O_EXCL | O_NOFOLLOW, relative to the folder
// that holds it: a symbolic link in the output folder (left there, or planted by an earlier
// item) is never followed, and paths of any total length work because no call ever sees more
// than one component.

#include <string>
#include <vector>

#include "install/unique_fd.h"
#include "platform/expected.h"

namespace kest {

class OutputTree final {
 public:
  // Opens `folder`, creating it and its missing parents.
  static Expected<OutputTree> Open(const std::string& folder);

  // Creates (when missing) and opens the folders parts[0] / ... / parts[count - 1] below the
  // root. Invalid when one of them cannot be made or is not a real folder (a link, a file).
  UniqueFd MakeFolders(const std::vector<std::string>& parts, size_t count) const;

  enum class FileResult { Opened, CannotDelete, CannotOpen };
  // Creates the file at `parts` for writing, after removing whatever file or link is there
  // (a read-only file included: removing needs only the folder's permission). Its folders
  // are made first. A folder at that place gives CannotDelete.
  FileResult CreateFile(const std::vector<std::string>& parts, UniqueFd* file) const;

  int root_fd() const { return root_.get(); }

 private:
  explicit OutputTree(UniqueFd root) : root_(std::move(root)) {}
  UniqueFd root_;
};

}  // namespace kest
