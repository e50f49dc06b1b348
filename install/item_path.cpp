#include "install/item_path.h"

namespace kest {
namespace {

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

}  // namespace

std::vector<std::string> SplitItemPath(std::string_view path) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = start;
    while (end < path.size() && !IsSeparator(path[end])) ++end;
    std::string_view part = path.substr(start, end - start);
    if (!part.empty() && part != ".") parts.emplace_back(part);
    start = end + 1;
  }
  return parts;
}

bool IsSafeItemPath(std::string_view path) {
  if (!path.empty() && IsSeparator(path.front())) return false;
  for (const std::string& part : SplitItemPath(path)) {
    if (part == "..") return false;
  }
  return true;
}

bool IsPlainFileName(std::string_view name) {
  if (name.empty() || name == "." || name == "..") return false;
  for (char c : name) {
    if (IsSeparator(c) || static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return false;
  }
  return true;
}

std::string PrintablePath(std::string_view path) {
  std::string out(path);
  for (char& c : out) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '_';
  }
  return out;
}

}  // namespace kest
