#pragma once
// Item paths as archives and containers carry them, and the checks that keep a hostile package
// inside its output folder.

#include <string>
#include <string_view>
#include <vector>

namespace kest {

// The components of a relative item path, with both "/" and "\" as separators (packages made
// on Windows use "\", ours "/"). Empty and "." components are dropped.
std::vector<std::string> SplitItemPath(std::string_view path);

// False for a path that would leave the folder it is unpacked into: an absolute path ("/x",
// "\x") or one with a ".." component. An empty path is safe: it becomes "[Content]".
bool IsSafeItemPath(std::string_view path);

// A container member name that names one file in the target folder and nothing else: not
// empty, not "." or "..", no separator, no control character.
bool IsPlainFileName(std::string_view name);

// For status lines: the path with control characters shown as "_", so that a hostile name
// cannot steer the terminal.
std::string PrintablePath(std::string_view path);

}  // namespace kest
